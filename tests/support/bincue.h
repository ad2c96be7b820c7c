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
struct BinCueLayout {
  enum class Mode { kMode1Raw, kMode1Cooked, kMode2Raw } mode = Mode::kMode1Raw;
  enum class Audio { kNone, kSameFile, kOwnFile } audio = Audio::kNone;
};
bool WriteBinCue(const std::string& isoHostPath, const std::string& binHostPath, const std::string& cueHostPath,
                 std::string* error, const BinCueLayout& layout = {});

}  // namespace testsupport
