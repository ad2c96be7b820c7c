#include "a_pic.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "a_file.h"
#include "a_mem.h"
#include "a_log.h"
#include "little_endian.h"
#include "path_sizes.h"
#include "picture_format.h"
#include "platform.h"

int32_t picload_count = 0;
int32_t picfree_count = 0;

namespace {

constexpr int kRecordHeaderBytes = static_cast<int>(alib::kPictureRecordHeaderBytes);

bool checkRegistered = false;


// BASE followed by `extension`, or false when it does not fit in a path.
bool SetPath(char (&path)[kPathSize], const char* base, const char* extension) {
  int n = std::snprintf(path, sizeof path, "%s%s", base, extension);
  return n > 0 && n < kPathSize;
}

// Opens the index of `base` and returns its count, limited to the offsets
// the file can hold. -1 when it cannot be opened (the file is then closed).
int OpenIndex(FileHandle* index, const char* base) {
  char path[kPathSize];
  if (!SetPath(path, base, ".idx1") || !index->OpenRead(path)) return -1;
  unsigned char field[4];
  int32_t count = 0;
  if (index->Read(field, 4) == 4) count = static_cast<int32_t>(alib::LoadLe32(field));
  const int size = index->Size();
  const int32_t held = size >= 4 ? (size - 4) / 4 : 0;
  if (count > held) count = held;
  if (count < 0) count = 0;
  return count;
}

}  // namespace

int PictureCount(const char* base) {
  FileHandle index;
  int count = OpenIndex(&index, base);
  if (count < 0) return 0;
  index.Close();
  return count;
}

int PictureOffset(const char* base, int index, int* offset) {
  FileHandle file;
  int count = OpenIndex(&file, base);
  if (count < 0) return 0;
  unsigned char field[4];
  int found = index >= 0 && index < count && file.Seek(4 + 4 * index) &&
              file.Read(field, 4) == 4;
  if (found) *offset = static_cast<int32_t>(alib::LoadLe32(field));
  file.Close();
  return found;
}

void Picture::Init() {
  std::memset(&header, 0, sizeof header);
  pixels = nullptr;
  ownsPixels = 0;
  complete = 0;
}

void Picture::Free() {
  if (ownsPixels) {
    A_FREE(pixels);
    ownsPixels = 0;
    ++picfree_count;
  }
  header.unpackedSize = 0;
  pixels = nullptr;
  complete = 0;
}

int Picture::Load(const char* base, int index, void* buffer) {
  int offset = 0;
  if (!PictureOffset(base, index, &offset)) {
    // Owned pixels of an earlier load go back here, once.
    Free();
    return 0;
  }
  const int32_t freedBefore = picfree_count;
  Free();
  if (picfree_count != freedBefore) {
    std::printf("[load second time : %s : %d]\n", base, index);
    WriteLog("[load second time : %s : %d]\n", base, index);
  }

  char path[kPathSize];
  FileHandle file;
  if (!SetPath(path, base, ".pic1") || !file.OpenRead(path)) return 0;
  // The record is read as far as its sizes say; every size is checked
  // against the file before anything is allocated or unpacked.
  const int64_t fileSize = file.Size();
  unsigned char fields[kRecordHeaderBytes];
  bool ok = offset >= 0 && offset + static_cast<int64_t>(kRecordHeaderBytes) <= fileSize &&
            file.Seek(offset) && file.Read(fields, kRecordHeaderBytes) == kRecordHeaderBytes;
  unsigned char* packed = nullptr;
  uint32_t packedSize = 0;
  if (ok) {
    const alib::PictureRecordHeader record = alib::LoadPictureRecordHeader(fields);
    std::memcpy(header.attributes, record.attributes, sizeof header.attributes);
    header.unpackedSize = record.unpackedSize;
    packedSize = record.packedSize;
    ok = packedSize <= fileSize - offset - kRecordHeaderBytes &&
         (packedSize == 0 || header.unpackedSize <= kMaxPictureBytes);
  }
  if (ok && packedSize != 0) {
    packed = static_cast<unsigned char*>(A_ALLOC(static_cast<int>(packedSize)));
    ok = packed != nullptr && file.Read(packed, static_cast<int>(packedSize)) == static_cast<int>(packedSize);
  }
  if (ok && packedSize != 0) {
    if (buffer != nullptr) {
      pixels = buffer;
    } else {
      pixels = A_ALLOC(static_cast<int>(header.unpackedSize));
      ownsPixels = pixels != nullptr ? 1 : 0;
      ok = pixels != nullptr;
    }
  }
  if (ok && packedSize != 0) {
    // A damaged stream leaves what zlib produced before the damage and the
    // stored size; the picture still counts as loaded.
    unsigned long length = header.unpackedSize;
    if (Unpack(static_cast<unsigned char*>(pixels), &length, packed, packedSize) == 0) {
      complete = length == header.unpackedSize ? 1 : 0;
      header.unpackedSize = static_cast<uint32_t>(length);
    }
  }
  if (packed != nullptr) A_FREE(packed);
  file.Close();
  if (!ok) {
    Free();
    return 0;
  }

  if (!checkRegistered) {
    std::atexit(a_pic_report);
    checkRegistered = true;
  }
  if (ownsPixels) ++picload_count;
  return 1;
}

bool ShapeOfPicture(const Picture& picture, alib::PictureShape* shape) {
  if (picture.pixels == nullptr || !picture.complete) return false;
  alib::PictureShape found;
  if (!alib::PictureShapeFrom(picture.header.attributes, picture.header.unpackedSize, &found)) return false;
  *shape = found;
  return true;
}

void a_pic_report() {
  if (picload_count != picfree_count) {
    char text[256];
    std::snprintf(text, sizeof text, "picload_count=%d\npicfree_count=%d", picload_count, picfree_count);
    plat::MessageBox(nullptr, text, "a_pic_load_count != free_count !!", plat::kBoxOk);
  }
}
