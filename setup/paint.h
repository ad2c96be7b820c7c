// The installer's drawing: the picture banks of its two dialogs.
#pragma once

#include <cstdint>

#include "a_pic.h"

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
