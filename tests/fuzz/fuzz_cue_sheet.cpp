// The cue sheet reader over any bytes.
// Property: it never reads past the text; a sheet it takes has at least one
// track, track numbers rising by 1 from 1 to 99, each track in a named file
// with its INDEX 01 at or after its start, and the data track's end (when
// it has one) at or after its INDEX 01.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cue_sheet.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gamedisc::CueSheet sheet;
  std::string error;
  if (!gamedisc::ParseCueSheet(std::string(reinterpret_cast<const char*>(data), size), &sheet, &error)) {
    if (error.empty()) Fail("refused without a reason");
    return 0;
  }
  if (sheet.tracks.empty()) Fail("a sheet without tracks was taken");
  for (size_t i = 0; i < sheet.tracks.size(); ++i) {
    const gamedisc::CueTrack& t = sheet.tracks[i];
    if (t.number < 1 || t.number > 99 || (i > 0 && t.number != sheet.tracks[i - 1].number + 1)) Fail("track number");
    if (t.file >= sheet.files.size() || sheet.files[t.file].empty()) Fail("track without its file");
    if (t.start < 0 || t.index1 < t.start) Fail("INDEX 01 before the track's start");
  }
  if (const gamedisc::CueTrack* d = gamedisc::DataTrack(sheet)) {
    const int64_t end = gamedisc::DataTrackEnd(sheet, *d);
    if (d->audio || (end >= 0 && end < d->index1)) Fail("data track");
  }
  return 0;
}
