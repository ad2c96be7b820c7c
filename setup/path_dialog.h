// The install-path dialog (template 106): the target folder, the space the
// game needs and the space free on the target drive, Browse, OK and CANCEL.
// OK is enabled only while the drive has enough room.
#pragma once

#include <cstdint>

#include "platform.h"

// Shows the dialog and runs its message loop until OK or CANCEL; 1 for OK.
int RunPathDialog();
intptr_t PathDialogProc(void* context, plat::Window dialog, unsigned message, uintptr_t wParam, intptr_t lParam);
// Sets freeSpaceMB from the target's drive; returns 1 when it holds the game
// and a 20 MB margin.
int MeasureFreeSpace();
// Rewrites every caption, the path and the two figures, repaints, and
// enables OK only with enough space.
void RefreshPathDialog();
// Draws "Need Space", "Free Space" and the two figures.
void DrawSpaceTexts();
// Draws `text` into `control` with a font of `height` (width half of it) in
// `face`, left-aligned when `alignRight` is 0, else right-aligned.
void DrawControlText(const char* text, plat::Window control, const char* face, int height,
                     uint32_t colour, int alignRight);
// The folder browser; copies the chosen folder's path into `destination`
// (260 bytes at least) and returns 1, or returns 0.
int BrowseForFolder(plat::Window owner, char* destination);

// The space the game needs, in units of 1,024,000 bytes, rounded up.
uint32_t NeededMegabytes(uint32_t installSize);
