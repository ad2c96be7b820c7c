// The progress dialog (template 101): a blue bar with the percentage drawn
// across it in two colours, the status line, and a cancel button that asks
// before it cancels.
#pragma once

#include <cstdint>

#include "a_graph.h"
#include "paint.h"
#include "platform.h"
#include "progress_report.h"

// The progress dialog's process-wide record, and the object behind the
// dialog: it reports the copy engine's progress and answers its cancel
// question. Its fields are the record's, public for the install run and the
// tests; zero at start but lastPercent.
class ProgressView final : public PictureDialog, public ProgressReport {
 public:
  ProgressView() : PictureDialog(&progressSurface) {}

  // The dialog for a run, in this order: every picture of
  // "setupdata\progress" loaded, the dialog made from template 101 of
  // `instance` (centred as it is made; `dialog` is null if it could not be
  // made, and the run goes on without it), the 1 x 1 16-bit surface, the
  // band opened, the captions, the blue bar, then the dialog painted and
  // given the focus.
  void Open(plat::Instance instance);
  // Takes down what Open made: the window, the band, the surface and the
  // pictures.
  void Close();
  // The title (ProgramName) and the button's "CANCEL".
  void SetProgressCaptions();

  // Opens the band of the progress pictures above the dialog's controls
  // (OpenBand) and shows the picture of 0 percent in it.
  void OpenProgressBand();
  // Shows the progress picture of `percent` in the band when its number
  // differs from the one shown: drawn off screen, then copied to the dialog
  // at once. A picture that cannot be shown leaves the band as it is.
  void ShowProgressPicture(int32_t percent);
  // Draws the bar and the percentage text (white over the filled part, blue
  // over the rest). Nothing when the dialog has no bar.
  void DrawPercent();

  // Shows `percent`: below 100 until `finished` is set, at most 100. Draws
  // only when the percentage changed.
  void UpdateProgress(uint32_t percent) override;
  plat::Window Owner() const override { return dialog; }
  // Sets the text of the status line, control 1011.
  void ShowStatus(const char* text) override;
  bool CancelRequested() const override { return cancelRequested != 0; }
  void RequestCancel() override { cancelRequested = 1; }

  int32_t percent = 0;       // shown now; sets the filled width
  int32_t lastPercent = -1;  // last drawn; -1 at start, so the first update draws
  char percentText[8] = "";  // percent as "%3d%%"
  int32_t finished = 0;      // lifts the 99 percent cap
  PictureBank progressPictures{nullptr, 0};
  Surface progressSurface;  // the band of pictures, drawn off screen
  // Set by the cancel question's OK or a declined disc; the copy engine
  // stops at its next record.
  int32_t cancelRequested = 0;

 private:
  // Paints the band and the percentage, centres the dialog, and asks the
  // CANCEL_MSG question when Cancel is pressed (OK sets the cancel flag).
  intptr_t Handle(unsigned message, uintptr_t wParam, intptr_t lParam) override;
};
extern ProgressView progressView;

// UpdateProgress of progressView.
void UpdateProgress(uint32_t percent);

// The picture of a set of `count` that belongs to `percent`: percent /
// (100 / count) for up to 100 pictures, percent x count / 100 for more
// (where 100 / count would be 0), kept within 0 to count - 1. -1 when the
// set is empty.
int32_t ProgressPictureFor(int32_t percent, int32_t count);
