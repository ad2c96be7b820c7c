// The install-path dialog (template 106): the target folder, the space the
// game needs and the space free on the target drive, Browse, OK and CANCEL.
// OK is enabled only while the drive has enough room.
#pragma once

#include <cstdint>

#include "a_graph.h"
#include "paint.h"
#include "platform.h"

// Shows the dialog and runs its message loop until OK or CANCEL; 1 for OK.
int RunPathDialog();
// Sets freeSpaceMB from the target's drive; returns 1 when it holds the game
// and a 20 MB margin.
int MeasureFreeSpace();

// The object behind the dialog while RunPathDialog runs. What it shows and
// what the user chose are the install-path dialog's fields of setupState;
// the object holds the band of pictures above the controls.
class PathDialog final : public PictureDialog {
 public:
  PathDialog() : PictureDialog(&bannerSurface_) {}

  // RunPathDialog: the pictures of "setupdata\setup" loaded, the dialog made
  // from template 106 of setupState.instance (1 for OK, 0 for CANCEL or when
  // it cannot be made), its loop run, and everything taken down again.
  int Run();
  // Rewrites every caption, the path and the two figures, repaints, and
  // enables OK only with enough space.
  void RefreshPathDialog();
  // Draws "Need Space", "Free Space" and the two figures.
  void DrawSpaceTexts();

 private:
  // Centres the dialog, answers CANCEL, OK and Browse, and paints.
  intptr_t Handle(unsigned message, uintptr_t wParam, intptr_t lParam) override;
  // Browse: a chosen folder with gameName after it becomes the target.
  void Browse();

  // The banner: picture 0 of the setup pictures, drawn once off screen.
  Surface bannerSurface_;
};

// Draws `text` into `control` with a font of `height` (width half of it) in
// `face`, left-aligned when `alignRight` is 0, else right-aligned.
void DrawControlText(const char* text, plat::Window control, const char* face, int height,
                     uint32_t colour, int alignRight);
// The folder browser; copies the chosen folder's path into `destination`
// (260 bytes at least) and returns 1, or returns 0.
int BrowseForFolder(plat::Window owner, char* destination);

// The space the game needs, in units of 1,024,000 bytes, rounded up.
uint32_t NeededMegabytes(uint32_t installSize);
