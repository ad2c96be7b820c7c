#include "progress.h"

#include <cstdio>

#include "install.h"
#include "resource_ids.h"
#include "setup_state.h"

ProgressView progressView = {nullptr, 0, -1, "", 0, {nullptr, 0}, Surface()};

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
    DrawPercent();
  }
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
