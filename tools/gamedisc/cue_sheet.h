// Cue sheets of BIN/CUE images: the files a sheet names and the tracks in
// them, read from the sheet's text alone (no file is looked at).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gamedisc {

// One track of a sheet. Positions are in sectors from the start of the
// track's own file.
struct CueTrack {
  int number = 0;
  size_t file = 0;          // index into CueSheet::files
  bool audio = false;
  int sectorBytes = 0;      // 2352 or 2048 in the file
  int userOffset = 0;       // where the 2,048 user bytes start in a sector
  int64_t start = -1;       // INDEX 00 where the sheet gives it, else INDEX 01
  int64_t index1 = -1;      // INDEX 01: where the track's data begins
};

struct CueSheet {
  std::vector<std::string> files;  // as the sheet names them
  std::vector<CueTrack> tracks;    // in the sheet's order, numbers rising by 1
};

// The longest sheet read: real ones are a few KiB.
constexpr size_t kMaxCueBytes = 64 * 1024;

// Reads the sheet `text`. False with `error` set (the line and the reason)
// when it is damaged: a TRACK before any FILE, an unknown mode, numbers out
// of range or out of order, a track without INDEX 01, or no track at all;
// `sheet` is then left partly filled.
bool ParseCueSheet(const std::string& text, CueSheet* sheet, std::string* error);

// The first track that is not audio; null when the sheet has none.
const CueTrack* DataTrack(const CueSheet& sheet);

// The sector after the data track in its file: the start of the next track
// in the same file, or -1 when the track runs to the file's end.
int64_t DataTrackEnd(const CueSheet& sheet, const CueTrack& track);

}  // namespace gamedisc
