// Pictures stored in pairs of files sharing a base path: BASE.pic1 holds the
// records, BASE.idx1 the offset of each record, laid out as
// picture_format.h describes. Both are read through OpenRead, so a pair
// may lie in a package. The pixel data is not interpreted here.
//
// Both files come from the disc and are untrusted: the count is limited to
// the offsets the index really holds, and a record whose sizes do not fit
// its file or the bound below is refused.
#pragma once

#include <cstdint>

#include "picture_format.h"

// Library-wide counters: Loads that left a record owning its pixels, and
// Frees that released owned pixels. The first successful Load registers the
// at-exit check that compares them.
extern int32_t picload_count;
extern int32_t picfree_count;

// The largest unpacked picture accepted, in bytes (16 MiB: many times a
// full-screen picture of the program's dialogs).
constexpr uint32_t kMaxPictureBytes = 16u * 1024u * 1024u;

// The attributes and unpacked size of a record (the file's layout has no
// padding; this record may).
struct PictureHeader {
  unsigned char attributes[alib::kPictureAttributeBytes];  // kept as stored
  uint32_t unpackedSize;  // set from the record, then to the length unpacked
};

// One picture in memory. A plain record (arrays of it are made with
// a_alloc): call Init once before its first Load.
struct Picture {
  // Makes the record empty: no pixels, none owned, size 0.
  void Init();
  // Loads picture `index` of the set `base` (a path without extension).
  // With `buffer` null the pixels go into a block of their own (from
  // a_alloc, owned, counted in picload_count); otherwise into `buffer`,
  // which must hold unpackedSize bytes and stays the caller's.
  // A record that still owns pixels releases them first; loading over an
  // owned picture prints and logs "[load second time : BASE : INDEX]".
  // Returns 1 when the picture was read (a damaged zlib stream still counts:
  // the pixels then hold what was unpacked before the damage). Returns 0,
  // with the record empty, when the index file cannot be read, the index is
  // out of range, the .pic1 file cannot be opened, the record is shorter
  // than its sizes say, packedSize exceeds the file or unpackedSize exceeds
  // kMaxPictureBytes, or memory cannot be had.
  int Load(const char* base, int index, void* buffer);
  // Releases owned pixels (counted in picfree_count); a caller's buffer is
  // never touched. The record is empty afterwards.
  void Free();

  PictureHeader header;
  void* pixels;        // the unpacked data, or null
  int16_t ownsPixels;  // 1 when pixels came from Load's a_alloc
  int16_t complete;    // 1 when the stream unpacked whole to unpackedSize bytes
};

// How the authoring tool lays out a picture's pixels, as its attributes say
// (see picture_format.h).
using alib::PictureShape;

// True, with `*shape` filled, when `picture` holds pixels that can be shown:
// it unpacked whole, its attributes give a size of 1 to
// alib::kMaxPictureSide each way and 16, 24 or 32 bits per pixel, and
// exactly that many bytes were unpacked (alib::PictureShapeFrom). False,
// with `*shape` left as it was, for anything else: no pixels, a damaged
// stream, or attributes that disagree with the pixels (pictures of other
// makers).
bool ShapeOfPicture(const Picture& picture, alib::PictureShape* shape);

// The number of pictures of the set `base`: the count of its .idx1 file,
// limited to the offsets the file holds (a negative count gives 0). 0 when
// the file cannot be opened.
int PictureCount(const char* base);
// Stores the .pic1 offset of picture `index` in `*offset` and returns 1 when
// 0 <= index < PictureCount(base); otherwise returns 0 and leaves `*offset`.
int PictureOffset(const char* base, int index, int* offset);

// The at-exit check: a box "picload_count=..\npicfree_count=.." when the two
// counters differ, nothing otherwise.
void a_pic_report();
