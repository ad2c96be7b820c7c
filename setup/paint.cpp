// The picture banks of the dialogs and the band of pictures above their
// controls.
#include "paint.h"

#include <cstdio>

#include "a_file.h"
#include "a_mem.h"
#include "path_sizes.h"
#include "platform.h"

namespace {

// The call site this module gives the allocator.
constexpr char kSite[] = "paint";

void ShowBox(const char* text, const char* caption) {
  plat::MessageBox(nullptr, text, caption, plat::kBoxOk);
}

// "FORMAT" filled with `name`, in a box captioned "error".
void ShowNamedError(const char* format, const char* name) {
  char text[kPathSize + 32];
  std::snprintf(text, sizeof text, format, name);
  ShowBox(text, "error");
}

void ReleasePictures(PictureBank* bank) {
  for (int32_t k = 0; k < bank->count; ++k) bank->pictures[k].Free();
  a_free1(bank->pictures, kSite, __LINE__);
  bank->pictures = nullptr;
}

}  // namespace

void* AllocOrRetry(int size) {
  for (;;) {
    void* block = a_alloc(size, kSite, __LINE__);
    if (block != nullptr) return block;
    ShowBox("malloc error", "");
  }
}

void LoadPictureBank(PictureBank* bank, const char* baseName, int32_t firstIndex, int32_t number) {
  if (bank->pictures != nullptr) ReleasePictures(bank);

  char picturePath[kPathSize];
  const int length = std::snprintf(picturePath, sizeof picturePath, "%s.pic1", baseName);
  bool found = length > 0 && length < kPathSize;
  if (found) {
    FileHandle file;
    found = file.OpenRead(picturePath) == 1;
    if (found) {
      file.Close();
    } else {
      found = FileExists(picturePath) == 1;
    }
  }
  if (!found) {
    ShowNamedError("File not found!! %s", length > 0 && length < kPathSize ? picturePath : baseName);
    return;
  }

  const int32_t available = PictureCount(baseName);
  if (firstIndex < 0) {
    firstIndex = 0;
    number = available;
  }
  if (firstIndex > available - 1 || number <= 0) {
    ShowNamedError("Out of index!! %s", picturePath);
    return;
  }
  if (static_cast<int64_t>(firstIndex) + number > available) number = available - firstIndex;
  // PictureCount is limited by the index file's size, but an array of that
  // many records could still pass an int: the count is cut to what one
  // block can hold, so that the size never wraps.
  const int32_t most = static_cast<int32_t>(INT32_MAX / sizeof(Picture));
  if (number > most) number = most;

  bank->count = number;
  bank->pictures = static_cast<Picture*>(AllocOrRetry(static_cast<int>(sizeof(Picture)) * number));
  for (int32_t k = 0; k < number; ++k) {
    bank->pictures[k].Init();
    if (!bank->pictures[k].Load(baseName, firstIndex + k, nullptr)) ShowBox("load error", "");
  }
}

void FreePictureBank(PictureBank* bank) {
  if (bank->pictures == nullptr) {
    ShowBox("free null error", "");
    return;
  }
  ReleasePictures(bank);
}

// ---------------------------------------------------------------------------
// The band of pictures
// ---------------------------------------------------------------------------

PictureBand OpenBand(plat::Window dialog, const PictureBank& bank, int32_t count) {
  PictureBand band{0, 0, -1};
  int clientHeight = 0;
  plat::Rect screen{}, outer{};
  if (dialog == nullptr || bank.pictures == nullptr || !plat::GetClientSize(dialog, &band.width, &clientHeight) ||
      !plat::GetWindowRect(plat::GetDesktopWindow(), &screen) || !plat::GetWindowRect(dialog, &outer)) {
    return band;
  }
  const int maxHeight = (screen.bottom - screen.top) / kBandScreenShare;
  if (count > bank.count) count = bank.count;
  for (int32_t k = 0; k < count; ++k) {
    alib::PictureShape shape;
    if (!ShapeOfPicture(bank.pictures[k], &shape)) continue;
    int w = 0, h = 0;
    FitPicture(shape, band.width, maxHeight, &w, &h);
    if (h > band.height) band.height = h;
  }
  if (band.height == 0) return band;
  plat::ResizeWindow(dialog, outer.right - outer.left, outer.bottom - outer.top + band.height);
  plat::OffsetChildren(dialog, 0, band.height);
  CenterOnDesktop(dialog);
  return band;
}

bool ComposeBand(Surface* surface, const PictureBank& bank, int32_t index, PictureBand* band) {
  alib::PictureShape shape;
  if (band->height <= 0 || bank.pictures == nullptr || index < 0 || index >= bank.count ||
      !ShapeOfPicture(bank.pictures[index], &shape)) {
    return false;
  }
  int width = 0, height = 0;
  FitPicture(shape, band->width, band->height, &width, &height);
  if (surface->pixels == nullptr || surface->width != band->width || surface->height != band->height ||
      surface->bitsPerPixel != shape.bitsPerPixel) {
    surface->Create(band->width, band->height, shape.bitsPerPixel, nullptr);
  }
  FillSurface(surface, plat::FaceColour());
  if (!DrawPicture(surface, (band->width - width) / 2, (band->height - height) / 2, width, height,
                   static_cast<const unsigned char*>(bank.pictures[index].pixels), shape)) {
    // What the surface held is gone.
    band->shown = -1;
    return false;
  }
  band->shown = index;
  return true;
}

void PaintBand(plat::DrawContext* context, const Surface& surface, const PictureBand& band) {
  if (band.shown < 0) return;
  plat::DrawPixels(context, 0, 0, PixelsOf(surface));
}

void PictureDialog::OpenPictureBand(const PictureBank& bank, int32_t count) { band = OpenBand(dialog, bank, count); }

bool PictureDialog::ComposeBandPicture(const PictureBank& bank, int32_t index) {
  return ComposeBand(surface_, bank, index, &band);
}

void PictureDialog::PaintPictureBand(plat::DrawContext* context) const { PaintBand(context, *surface_, band); }

void PictureDialog::ClosePictureBand() {
  band = PictureBand{0, 0, -1};
  surface_->Release();
}
