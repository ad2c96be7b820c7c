#include "progress.h"

#include <cstdio>

#include "install.h"
#include "resource_ids.h"
#include "setup_state.h"

ProgressView progressView = {nullptr, 0, -1, "", 0, {nullptr, 0}, Surface(), {0, 0, -1}};

int32_t ComputePercent(uint32_t bytesDone, uint32_t installSize) {
  if (installSize == 0) return bytesDone == 0 ? 0 : 100;
  double quotient = installSize > 2000000000u
                        ? (bytesDone * 10.0) / (installSize * 0.1)
                        : (bytesDone * 100.0) / installSize;
  // Far beyond the size the quotient does not fit an int; it is capped anyway.
  if (quotient >= 100.0) return 100;
  return static_cast<int32_t>(quotient);
}

void UpdateProgress(uint32_t value) {
  int32_t percent = value == 0 ? ComputePercent(copyState.bytesDone, setupState.installSize)
                               : (value > 100 ? 100 : static_cast<int32_t>(value));
  if (!progressView.finished && percent >= 100) percent = 99;
  progressView.percent = percent;
  std::snprintf(progressView.percentText, sizeof progressView.percentText, "%3d%%", percent);
  if (percent != progressView.lastPercent) {
    progressView.lastPercent = percent;
    ShowProgressPicture(percent);
    DrawPercent();
  }
}

int32_t ProgressPictureFor(int32_t percent, int32_t count) {
  if (count <= 0) return -1;
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  // Up to 100 pictures each take 100 / count percent; at 100 percent that
  // gives `count` itself, one past the last.
  const int32_t index = count <= 100 ? percent / (100 / count) : static_cast<int32_t>(int64_t{percent} * count / 100);
  return index < count ? index : count - 1;
}

void OpenProgressBand() {
  progressView.band = OpenBand(progressView.dialog, progressView.progressPictures, progressView.progressPictures.count);
  ShowProgressPicture(0);
}

void ShowProgressPicture(int32_t percent) {
  const PictureBank& bank = progressView.progressPictures;
  if (progressView.band.height == 0 || bank.pictures == nullptr) return;
  const int32_t index = ProgressPictureFor(percent, bank.count);
  if (index == progressView.band.shown ||
      !ComposeBand(&progressView.progressSurface, bank, index, &progressView.band)) {
    return;
  }
  plat::DrawContext* context = plat::GetWindowContext(progressView.dialog);
  PaintBand(context, progressView.progressSurface, progressView.band);
  plat::ReleaseWindowContext(progressView.dialog, context);
}

void CenterOnDesktop(plat::Window dialog) {
  plat::Rect desktop{}, own{};
  plat::GetWindowRect(plat::GetDesktopWindow(), &desktop);
  plat::GetWindowRect(dialog, &own);
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  plat::MoveWindowTo(dialog, desktop.left + (desktop.right - desktop.left - width) / 2,
                     desktop.top + (desktop.bottom - desktop.top - height) / 2);
}

intptr_t ProgressDialogProc(plat::Window dialog, unsigned message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case plat::kMsgPaint: {
      plat::DrawContext* context = plat::BeginPaint(dialog);
      PaintBand(context, progressView.progressSurface, progressView.band);
      plat::EndPaint(dialog, context);
      DrawPercent();
      return 0;
    }
    case plat::kMsgInitDialog:
      CenterOnDesktop(dialog);
      return plat::GetControlId(reinterpret_cast<plat::Window>(wParam)) != 0 ? 1 : 0;
    case plat::kMsgCommand:
      if ((wParam & 0xFFFF) == IDC_PROGRESS_CANCEL &&
          plat::MessageBox(dialog, Text(kCancelMsg), "Warning", plat::kBoxOkCancel) == plat::kAnswerOk) {
        copyState.cancelRequested = 1;
      }
      return 0;
    default:
      return 0;
  }
}
