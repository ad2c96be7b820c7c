// The progress dialog (template 101): a blue bar with the percentage drawn
// across it in two colours, the status line, and a cancel button that asks
// before it cancels.
#pragma once

#include <cstdint>

#include "a_graph.h"
#include "paint.h"
#include "platform.h"

// The progress dialog's process-wide record.
struct ProgressView {
  plat::Window dialog;
  int32_t percent;       // shown now; sets the filled width
  int32_t lastPercent;   // last drawn; -1 at start, so the first update draws
  char percentText[8];   // percent as "%3d%%"
  int32_t finished;      // lifts the 99 percent cap
  PictureBank progressPictures;
  Surface progressSurface;  // the band of pictures, drawn off screen
  PictureBand band;         // above the controls while there are pictures
  // Set by the cancel question's OK or a declined disc; the copy engine
  // stops at its next record.
  int32_t cancelRequested;
};
extern ProgressView progressView;

// The percentage of `bytesDone` in `installSize`, truncated. Beyond the size
// it is above 100 (the caller caps it); an installSize of 0 gives 0 before
// the first byte and 100 after it, never a division by zero.
int32_t ComputePercent(uint32_t bytesDone, uint32_t installSize);

// Shows `percent`: below 100 until `finished` is set, at most 100. Draws
// only when the percentage changed.
void UpdateProgress(uint32_t percent);

// The picture of a set of `count` that belongs to `percent`: percent /
// (100 / count) for up to 100 pictures, percent x count / 100 for more
// (where 100 / count would be 0), kept within 0 to count - 1. -1 when the
// set is empty.
int32_t ProgressPictureFor(int32_t percent, int32_t count);

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

// The progress dialog's procedure: paints, centres the dialog, and asks the
// CANCEL_MSG question when Cancel is pressed (OK sets the cancel flag).
intptr_t ProgressDialogProc(void* context, plat::Window dialog, unsigned message, uintptr_t wParam, intptr_t lParam);

