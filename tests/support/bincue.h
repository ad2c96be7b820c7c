// BIN/CUE images for the tests, made from ISO images: what a disc copied
// raw (2,352 bytes a sector) looks like, for the readers of disc images.
#pragma once

#include <string>

namespace testsupport {

// Writes the ISO image `isoHostPath` (native paths all three) as the raw
// Mode 1 sectors of one data track to `binHostPath`, and a cue sheet that
// names the .bin by its file name to `cueHostPath`. Each sector holds the
// sync bytes, its address (its sector number + 150, as minutes, seconds and
// frames in BCD), mode 1, the 2,048 bytes of the image (a last partial
// sector padded with zeros) and the EDC of all that; the ECC bytes are left
// zero (the readers take the user data and check neither). False with
// `error` set when a file cannot be read or written; what was written is
// then left as it is.
// How else the image is laid out: the data track's mode, and an audio
// track of silence after it (in the .bin, or in a file of its own named
// "<bin's stem> (Track 2).bin"). A sheet with an audio track names the
// .bin in upper case, without quotes where its name has no blank.
// With `pregap`, the data track's file opens with its two seconds of pregap
// (INDEX 00 at 0, INDEX 01 at 00:02:00), as some dumps keep it.
struct BinCueLayout {
  enum class Mode { kMode1Raw, kMode1Cooked, kMode2Raw } mode = Mode::kMode1Raw;
  enum class Audio { kNone, kSameFile, kOwnFile } audio = Audio::kNone;
  bool pregap = false;
};
bool WriteBinCue(const std::string& isoHostPath, const std::string& binHostPath, const std::string& cueHostPath,
                 std::string* error, const BinCueLayout& layout = {});

// The ISO image `isoHostPath` as the other copiers' images of one Mode 1
// data track from sector 0, with a descriptor of the track (native paths
// all). False with `error` set when a file cannot be read or written.
// CloneCD: `.img` of raw 2,352-byte sectors, `.sub` of 96 zero bytes a
// sector, and the `.ccd` (TOC entries A0, A1, A2 and track 1, [TRACK 1]
// MODE=1).
bool WriteCloneCd(const std::string& isoHostPath, const std::string& ccdHostPath, const std::string& imgHostPath,
                  const std::string& subHostPath, std::string* error);
// Alcohol: `.mdf` of 2,448-byte sectors (raw, then 96 bytes of
// sub-channel), and the `.mds` (header, one session, one track block).
bool WriteAlcohol(const std::string& isoHostPath, const std::string& mdsHostPath, const std::string& mdfHostPath,
                  std::string* error);
// Nero v2: the sectors (2,048 bytes, or raw 2,352), then a DAOX chunk
// with the track's offsets and sector size, END! and the NER5 footer.
bool WriteNero(const std::string& isoHostPath, const std::string& nrgHostPath, int sectorBytes, std::string* error);

}  // namespace testsupport
