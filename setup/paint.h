// The installer's drawing: the picture banks of its two dialogs, and the
// band of the publisher's art above their controls.
#pragma once

#include <cstdint>

#include "a_dialog.h"
#include "a_graph.h"
#include "a_pic.h"
#include "picture_fit.h"
#include "platform.h"

// The pictures of one picture set of the disc, loaded together. A plain
// record with static storage, empty at start. Record k holds picture
// first + k of the set (first as given to LoadPictureBank, 0 for the whole
// set); a picture that could not be loaded leaves its record empty in its
// place. `pictures` is null exactly when the bank holds nothing; `count` is
// meaningful only while it is set (a release keeps it).
struct PictureBank {
  Picture* pictures;  // a_alloc'd array of `count` records, owned by the bank
  int32_t count;
};

// Loads `number` pictures of the set `baseName` (a path without extension,
// relative to the current folder) from index `firstIndex`; a negative
// `firstIndex` asks for the whole set. Whatever the bank held is released
// first. Problems are shown in boxes without owner (caption "error" for
// the first two, empty for the third) and never stop the caller:
//   "File not found!! BASE.pic1"  neither the file nor its package entry
//                                 exists: the bank stays empty
//   "Out of index!! BASE.pic1"    the index lists no picture at firstIndex,
//                                 or `number` is 0 or less: the bank stays
//                                 empty and `count` keeps its value
//   "load error"                  once per picture that did not load
// The number loaded is limited to the pictures the index holds.
void LoadPictureBank(PictureBank* bank, const char* baseName, int32_t firstIndex, int32_t number);
// Releases every picture and the array; on an empty bank shows "free null
// error" (empty caption) and changes nothing.
void FreePictureBank(PictureBank* bank);
// A block of `size` bytes from a_alloc, never null: after each refusal the
// box "malloc error" (empty caption) is shown and the allocation is tried
// again, for as long as it takes.
void* AllocOrRetry(int size);

// A band of pictures above a dialog's controls, drawn off screen in a
// Surface and copied to the dialog in one piece.
struct PictureBand {
  int32_t width;   // the dialog's client width
  int32_t height;  // 0 while the dialog has no band
  int32_t shown;   // the picture the surface holds, -1 for none
};

// Makes room above the controls of `dialog` for the tallest of the first
// `count` pictures of `bank` that can be shown (ShapeOfPicture), each fitted
// to the dialog's client width and to a third of the screen's height: the
// dialog grows by that height, its controls move down by it, and it is
// centred again. Without such a picture the dialog is left exactly as it is
// and the band has height 0.
PictureBand OpenBand(plat::Window dialog, const PictureBank& bank, int32_t count);

// Draws picture `index` of `bank` into `surface`, fitted and centred in the
// band on the dialog's face colour; the surface is made anew at the band's
// size and the picture's depth where it differs. Returns false, with
// `band->shown` unchanged, when the band is empty or the picture cannot be
// shown; the surface then holds what it held (or, when memory failed, no
// pixels and `shown` is -1).
bool ComposeBand(Surface* surface, const PictureBank& bank, int32_t index, PictureBand* band);

// Copies the band's surface to the top of the dialog's client area, in one
// piece; nothing while it holds no picture.
void PaintBand(plat::DrawContext* context, const Surface& surface, const PictureBand& band);

// A dialog of the installer with a band of pictures above its controls,
// drawn off screen in `surface` (the derived dialog's, given at
// construction and outliving this base's use of it).
class PictureDialog : public ModelessDialog {
 public:
  PictureBand band{0, 0, -1};  // height 0 while the dialog has no band

 protected:
  explicit PictureDialog(Surface* surface) : surface_(surface) {}
  ~PictureDialog() = default;

  // OpenBand over the first `count` pictures of `bank`.
  void OpenPictureBand(const PictureBank& bank, int32_t count);
  // ComposeBand of picture `index` of `bank` into the surface.
  bool ComposeBandPicture(const PictureBank& bank, int32_t index);
  // PaintBand into `context`.
  void PaintPictureBand(plat::DrawContext* context) const;
  // Empties the band and releases the surface, once the window is gone.
  void ClosePictureBand();

 private:
  Surface* surface_;
};
