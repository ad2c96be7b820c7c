#include "progress.h"

#include <cstdio>
#include <cstring>

#include "resource_ids.h"
#include "setup_state.h"

ProgressView progressView = {nullptr, 0, -1, "", 0, {nullptr, 0}, Surface(), {0, 0, -1}, 0};

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
  int32_t percent = value > 100 ? 100 : static_cast<int32_t>(value);
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


intptr_t ProgressDialogProc(void*, plat::Window dialog, unsigned message, uintptr_t wParam, intptr_t) {
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
        progressView.cancelRequested = 1;
      }
      return 0;
    default:
      return 0;
  }
}

void DrawPercent() {
  // 22 pixels high and 11 wide, so that the text can be centred by its
  // number of characters.
  const plat::FontSpec font{"Arial", 22, 11, 400, 1, 1, 2, 2, 0x31};
  plat::Window bar = plat::GetDialogItem(progressView.dialog, IDC_PROGRESS_BAR);
  if (bar == nullptr) return;
  plat::DrawContext* context = plat::GetWindowContext(bar);
  plat::Rect rect{};
  plat::GetWindowRect(bar, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int n = static_cast<int>(std::strlen(progressView.percentText));
  const int x = width / 2 - (22 * n) / 4;
  const int y = height / 2 - 11;

  plat::RedrawWindow(bar, plat::kRdwInvalidate | plat::kRdwInternalPaint | plat::kRdwErase |
                              plat::kRdwUpdateNow);
  plat::SendMessage(bar, plat::kPbmSetPos, static_cast<uintptr_t>(progressView.percent), 0);
  const int filled = progressView.percent * width / 100;
  plat::TextDrawing text{font, 0xFFFFFF, false, true, {0, 0, filled, height}, x, y,
                         progressView.percentText};
  plat::DrawTextAt(context, text);
  plat::SendMessage(bar, plat::kPbmSetPos, static_cast<uintptr_t>(progressView.percent), 0);
  text.colour = 0xFF0000;  // blue, as a 0x00BBGGRR colour
  text.clip = plat::Rect{filled, 0, width, height};
  plat::DrawTextAt(context, text);
  plat::RedrawWindow(bar, plat::kRdwUpdateNow);
  plat::ReleaseWindowContext(bar, context);
}
