// Writes an ISO image of a disc in the other forms extract reads, for the
// extract tier to time each beside the disc folders:
//   image_kinds <disc.iso> <stem>
// makes <stem>-split.cue (a data track and an audio track, a file each, as
// Redump publishes them), <stem>-onebin.cue (both tracks in one file),
// <stem>-2048.cue (MODE1/2048) and <stem>-mode2.cue (MODE2/2352), each with
// its .bin files beside it; <stem>.ccd (CloneCD, with .img and .sub),
// <stem>.mds (Alcohol, .mdf of 2,448-byte sectors) and <stem>.nrg (Nero, raw
// 2,352-byte sectors).
#include <cstdio>
#include <string>

#include "bincue.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: image_kinds <disc.iso> <stem>\n");
    return 2;
  }
  using testsupport::BinCueLayout;
  const std::string iso = argv[1], stem = argv[2];
  const struct {
    const char* kind;
    BinCueLayout layout;
  } kinds[] = {
      {"split", {BinCueLayout::Mode::kMode1Raw, BinCueLayout::Audio::kOwnFile}},
      {"onebin", {BinCueLayout::Mode::kMode1Raw, BinCueLayout::Audio::kSameFile}},
      {"2048", {BinCueLayout::Mode::kMode1Cooked, BinCueLayout::Audio::kNone}},
      {"mode2", {BinCueLayout::Mode::kMode2Raw, BinCueLayout::Audio::kNone}},
  };
  for (const auto& k : kinds) {
    const std::string base = stem + "-" + k.kind;
    std::string error;
    if (!testsupport::WriteBinCue(iso, base + ".bin", base + ".cue", &error, k.layout)) {
      std::fprintf(stderr, "image_kinds: %s: %s\n", base.c_str(), error.c_str());
      return 1;
    }
  }
  std::string error;
  if (!testsupport::WriteCloneCd(iso, stem + ".ccd", stem + ".img", stem + ".sub", &error) ||
      !testsupport::WriteAlcohol(iso, stem + ".mds", stem + ".mdf", &error) ||
      !testsupport::WriteNero(iso, stem + ".nrg", 2352, &error)) {
    std::fprintf(stderr, "image_kinds: %s: %s\n", stem.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
