// The track layout of CloneCD (.ccd), Alcohol (.mds) and Nero (.nrg) disc
// images, read from their descriptors alone: where the data track's
// sectors lie in the data file and how they are laid out. Nothing is
// checked against the data file here; the caller checks the track against
// its size.
#pragma once

#include <cstdint>
#include <string>

namespace gamedisc {

struct TrackLayout {
  int64_t start = 0;     // byte offset of the track's first sector in the data file
  int sectorBytes = 0;   // 2048, 2352, or 2448 (2,352 with 96 bytes of sub-channel after)
  int userOffset = 0;    // where the 2,048 user bytes start in a sector: 0, 16 (Mode 1) or 24 (Mode 2 form 1)
  int64_t sectors = -1;  // the track's length; -1: it runs to the data file's end
};

// The longest descriptor read (.ccd, .mds): real ones are a few KiB.
constexpr size_t kMaxDescriptorBytes = 256 * 1024;
// The most of an .nrg's end read for its chunks.
constexpr size_t kMaxNrgChunkBytes = 1024 * 1024;

// Each reader takes the first data track. False with `error` set to the
// reason when the descriptor is damaged (a value missing or out of range,
// an offset past its end, an unknown mode or sector size) or names no data
// track; `layout` is then unspecified.

// The .ccd's text: [Entry n] sections with Point, Control and PLBA, [TRACK n]
// with MODE; the .img holds 2,352-byte sectors from LBA 0.
bool ReadCcd(const std::string& text, TrackLayout* layout, std::string* error);

// The whole .mds: its header, session blocks and track blocks.
bool ReadMds(const std::string& bytes, TrackLayout* layout, std::string* error);

// The last bytes of an .nrg of `fileSize` bytes, from byte `tailAt` of it:
// the NER5 or NERO footer and the chunk list it points to (DAOX, DAOI,
// ETN2, ETNF; CUEX, CUES and the others are passed over up to END!).
// `tailAt` + the tail's size must be `fileSize`.
bool ReadNrg(const std::string& tail, uint64_t tailAt, uint64_t fileSize, TrackLayout* layout, std::string* error);

// Where the chunk list of an .nrg of `fileSize` bytes starts, from its
// last 12 bytes (`footer`, fewer when the file is shorter); -1 when there
// is no footer.
int64_t NrgChunksAt(const std::string& footer, uint64_t fileSize);

// What the first bytes of a data file look like, for the message of one
// given without its descriptor: "raw 2,352-byte sectors with a Mode 1 sync
// at sector 0", "2,048-byte sectors with an ISO 9660 file system", or
// empty when neither is seen. `head` holds at least the first 17 sectors
// of 2,048 bytes where the file has them.
std::string DescribeSectors(const std::string& head);

}  // namespace gamedisc
