#include "path_dialog.h"

#include <cstdio>
#include <cstring>

#include "a_name.h"
#include "compose.h"
#include "paint.h"
#include "resource_ids.h"
#include "setup_state.h"

namespace {

constexpr uint64_t kMegabyte = 1024000;
constexpr uint32_t kMarginMegabytes = 20;

// The labels' face per language column: "新細明體" in Big5, then Arial.
const char* const labelFontFaces[kLanguageCount] = {"\xB7s\xB2\xD3\xA9\xFA\xC5\xE9", "Arial", "Arial"};

}  // namespace

uint32_t NeededMegabytes(uint32_t installSize) {
  // In 64 bits: near 4 GB the 32-bit sum would wrap to a tiny figure.
  return static_cast<uint32_t>((static_cast<uint64_t>(installSize) + kMegabyte - 1) / kMegabyte);
}

int MeasureFreeSpace() {
  char drive[3] = {setupState.targetFolder[0], setupState.targetFolder[0] ? setupState.targetFolder[1] : '\0',
                   '\0'};
  uint64_t freeBytes = 0;
  if (!plat::GetDiskFreeBytes(drive, &freeBytes)) freeBytes = 0;
  setupState.freeSpaceMB = static_cast<uint32_t>(freeBytes / kMegabyte);
  uint32_t needed = setupState.header.installSize / static_cast<uint32_t>(kMegabyte) + kMarginMegabytes;
  return setupState.freeSpaceMB >= needed ? 1 : 0;
}

void DrawControlText(const char* text, plat::Window control, const char* face, int height,
                     uint32_t colour, int alignRight) {
  plat::DrawContext* context = plat::GetWindowContext(control);
  if (context == nullptr) return;
  plat::Rect rect{};
  plat::GetWindowRect(control, &rect);
  const int width = rect.right - rect.left;
  plat::TextDrawing drawing{{face, height, height / 2, 400, 1, 1, 2, 2, 0x31},
                            colour, alignRight != 0, false, {0, 0, 0, 0},
                            alignRight ? width : 0, 0, text};
  plat::DrawTextAt(context, drawing);
  plat::ReleaseWindowContext(control, context);
}

void PathDialog::DrawSpaceTexts() {
  const char* labelFace = labelFontFaces[setupState.languageIndex >= 0 && setupState.languageIndex < kLanguageCount
                                              ? setupState.languageIndex
                                              : kLanguageEn];
  constexpr uint32_t kBlack = 0x000000, kRed = 0x0000FF;
  DrawControlText("Need Space", Item(IDC_PATH_NEED_LABEL), labelFace, 16, kBlack, 0);
  DrawControlText("Free Space", Item(IDC_PATH_FREE_LABEL), labelFace, 16, kBlack, 0);
  DrawControlText(setupState.needSpaceText, Item(IDC_PATH_NEED_VALUE), "Arial", 20, kBlack, 1);
  DrawControlText(setupState.freeSpaceText, Item(IDC_PATH_FREE_VALUE), "Arial", 20,
                  setupState.spaceSufficient ? kBlack : kRed, 1);
  plat::RedrawWindow(dialog, plat::kRdwUpdateNow);
}

void PathDialog::RefreshPathDialog() {
  plat::SetWindowText(dialog, Text(kProgramName));
  plat::SetWindowText(Item(IDC_PATH_TITLE), "");
  plat::SetWindowText(Item(IDC_PATH_NEED_LABEL), "");
  plat::SetWindowText(Item(IDC_PATH_FREE_LABEL), "");
  plat::SetWindowText(Item(IDC_PATH_OK), "OK");
  plat::SetWindowText(Item(IDC_PATH_CANCEL), "CANCEL");
  plat::SetWindowText(Item(IDC_PATH_BROWSE), "Browse");
  plat::SetWindowText(Item(IDC_PATH_EDIT), setupState.targetFolder);
  std::snprintf(setupState.needSpaceText, sizeof setupState.needSpaceText, "%u MB",
                NeededMegabytes(setupState.header.installSize));
  std::snprintf(setupState.freeSpaceText, sizeof setupState.freeSpaceText, "%u MB", setupState.freeSpaceMB);
  plat::SetWindowText(Item(IDC_PATH_NEED_VALUE), "");
  plat::SetWindowText(Item(IDC_PATH_FREE_VALUE), "");
  plat::SendMessage(dialog, plat::kMsgPaint, 0, 0);
  DrawSpaceTexts();
  plat::EnableWindow(Item(IDC_PATH_OK), setupState.spaceSufficient == 1);
}

int BrowseForFolder(plat::Window owner, char* destination) {
  return plat::BrowseForFolder(owner, "Please choose a folder", destination) ? 1 : 0;
}

void PathDialog::Browse() {
  char chosen[kPathSize];
  if (BrowseForFolder(dialog, chosen) && std::strlen(chosen) >= 2) {
    // A root ("D:\\") ends in its separator; a folder whose last character
    // ends in the byte 0x5C (許 in Big5) does not.
    const char* separator = a_ends_in_backslash(plat::GetAnsiCodePage(), chosen) ? "" : "\\";
    if (Compose(setupState.targetFolder, sizeof setupState.targetFolder, "%s%s%s", chosen, separator,
                setupState.header.gameName)) {
      setupState.spaceSufficient = MeasureFreeSpace();
      RefreshPathDialog();
    }
  }
  plat::RedrawWindow(dialog, plat::kRdwInvalidate | plat::kRdwErase | plat::kRdwInternalPaint |
                                 plat::kRdwUpdateNow);
}

intptr_t PathDialog::Handle(unsigned message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case plat::kMsgInitDialog:
      return CentreOnInit(wParam);
    case plat::kMsgCommand:
      switch (wParam & 0xFFFF) {
        case IDC_PATH_CANCEL:
          plat::PostQuit(0);
          break;
        case IDC_PATH_OK:
          plat::PostQuit(0);
          setupState.pathAccepted = 1;
          break;
        case IDC_PATH_BROWSE:
          Browse();
          break;
        default:
          break;
      }
      return 0;
    case plat::kMsgPaint: {
      plat::DrawContext* context = plat::BeginPaint(dialog);
      PaintPictureBand(context);
      DrawSpaceTexts();
      plat::EndPaint(dialog, context);
      return 0;
    }
    default:
      return 0;
  }
}

int PathDialog::Run() {
  setupState.pathAccepted = 0;
  LoadPictureBank(&setupState.setupPictures, "setupdata\\setup", -1, 1);
  setupState.pathDialog = Create(setupState.instance, IDD_PATH);
  if (dialog == nullptr) {
    // Without its window no quit message would ever end the loop below.
    FreePictureBank(&setupState.setupPictures);
    return 0;
  }
  OpenPictureBand(setupState.setupPictures, 1);
  ComposeBandPicture(setupState.setupPictures, 0);
  plat::InvalidateWindow(dialog, false);
  setupState.spaceSufficient = MeasureFreeSpace();
  RefreshPathDialog();
  plat::InvalidateWindow(dialog, false);
  plat::SetFocus(dialog);
  plat::InvalidateWindow(dialog, false);
  while (plat::PumpOne() != plat::kPumpQuit) plat::Sleep(10);
  Destroy();
  setupState.pathDialog = nullptr;
  ClosePictureBand();
  FreePictureBank(&setupState.setupPictures);
  return setupState.pathAccepted;
}

int RunPathDialog() {
  PathDialog pathDialog;
  return pathDialog.Run();
}
