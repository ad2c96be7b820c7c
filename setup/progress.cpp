#include "progress.h"

#include <cstdio>
#include <cstring>

#include "resource_ids.h"
#include "setup_state.h"

ProgressView progressView;

int32_t ComputePercent(uint32_t bytesDone, uint32_t installSize) {
  if (installSize == 0) return bytesDone == 0 ? 0 : 100;
  double quotient = installSize > 2000000000u
                        ? (bytesDone * 10.0) / (installSize * 0.1)
                        : (bytesDone * 100.0) / installSize;
  // Far beyond the size the quotient does not fit an int; it is capped anyway.
  if (quotient >= 100.0) return 100;
  return static_cast<int32_t>(quotient);
}

void ProgressView::UpdateProgress(uint32_t value) {
  int32_t shown = value > 100 ? 100 : static_cast<int32_t>(value);
  if (!finished && shown >= 100) shown = 99;
  percent = shown;
  std::snprintf(percentText, sizeof percentText, "%3d%%", shown);
  if (shown != lastPercent) {
    lastPercent = shown;
    ShowProgressPicture(shown);
    DrawPercent();
  }
}

void UpdateProgress(uint32_t percent) { progressView.UpdateProgress(percent); }

int32_t ProgressPictureFor(int32_t percent, int32_t count) {
  if (count <= 0) return -1;
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  // Up to 100 pictures each take 100 / count percent; at 100 percent that
  // gives `count` itself, one past the last.
  const int32_t index = count <= 100 ? percent / (100 / count) : static_cast<int32_t>(int64_t{percent} * count / 100);
  return index < count ? index : count - 1;
}

void ProgressView::OpenProgressBand() {
  OpenPictureBand(progressPictures, progressPictures.count);
  ShowProgressPicture(0);
}

void ProgressView::ShowProgressPicture(int32_t shown) {
  if (band.height == 0 || progressPictures.pictures == nullptr) return;
  const int32_t index = ProgressPictureFor(shown, progressPictures.count);
  if (index == band.shown || !ComposeBandPicture(progressPictures, index)) return;
  plat::DrawContext* context = plat::GetWindowContext(dialog);
  PaintPictureBand(context);
  plat::ReleaseWindowContext(dialog, context);
}

void ProgressView::Open(plat::Instance instance) {
  LoadPictureBank(&progressPictures, "setupdata\\progress", -1, 1);
  Create(instance, IDD_PROGRESS);
  progressSurface.Create(1, 1, 16, nullptr);
  OpenProgressBand();
  SetProgressCaptions();
  plat::SendMessage(Item(IDC_PROGRESS_BAR), plat::kPbmSetBarColor, 0, 0xFF0000);  // blue, as a 0x00BBGGRR colour
  plat::InvalidateWindow(dialog, false);
  plat::SetFocus(dialog);
  plat::InvalidateWindow(dialog, false);
}

void ProgressView::Close() {
  Destroy();
  ClosePictureBand();
  FreePictureBank(&progressPictures);
}

void ProgressView::SetProgressCaptions() {
  plat::SetWindowText(dialog, Text(kProgramName));
  plat::SetWindowText(Item(IDC_PROGRESS_CANCEL), "CANCEL");
}

void ProgressView::ShowStatus(const char* text) { plat::SetWindowText(Item(IDC_PROGRESS_STATUS), text); }

intptr_t ProgressView::Handle(unsigned message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case plat::kMsgPaint: {
      plat::DrawContext* context = plat::BeginPaint(dialog);
      PaintPictureBand(context);
      plat::EndPaint(dialog, context);
      DrawPercent();
      return 0;
    }
    case plat::kMsgInitDialog:
      return CentreOnInit(wParam);
    case plat::kMsgCommand:
      if ((wParam & 0xFFFF) == IDC_PROGRESS_CANCEL &&
          plat::MessageBox(dialog, Text(kCancelMsg), "Warning", plat::kBoxOkCancel) == plat::kAnswerOk) {
        cancelRequested = 1;
      }
      return 0;
    default:
      return 0;
  }
}

void ProgressView::DrawPercent() {
  // 22 pixels high and 11 wide, so that the text can be centred by its
  // number of characters.
  const plat::FontSpec font{"Arial", 22, 11, 400, 1, 1, 2, 2, 0x31};
  plat::Window bar = Item(IDC_PROGRESS_BAR);
  if (bar == nullptr) return;
  plat::DrawContext* context = plat::GetWindowContext(bar);
  plat::Rect rect{};
  plat::GetWindowRect(bar, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int n = static_cast<int>(std::strlen(percentText));
  const int x = width / 2 - (22 * n) / 4;
  const int y = height / 2 - 11;

  plat::RedrawWindow(bar, plat::kRdwInvalidate | plat::kRdwInternalPaint | plat::kRdwErase |
                              plat::kRdwUpdateNow);
  plat::SendMessage(bar, plat::kPbmSetPos, static_cast<uintptr_t>(percent), 0);
  const int filled = percent * width / 100;
  plat::TextDrawing text{font, 0xFFFFFF, false, true, {0, 0, filled, height}, x, y,
                         percentText};
  plat::DrawTextAt(context, text);
  plat::SendMessage(bar, plat::kPbmSetPos, static_cast<uintptr_t>(percent), 0);
  text.colour = 0xFF0000;  // blue, as a 0x00BBGGRR colour
  text.clip = plat::Rect{filled, 0, width, height};
  plat::DrawTextAt(context, text);
  plat::RedrawWindow(bar, plat::kRdwUpdateNow);
  plat::ReleaseWindowContext(bar, context);
}
