// Any file system records read off a disc image, as an .iso and as the
// MODE1/2352 track of a cue sheet (whose records are copied out and whose
// files are read from the raw sectors). The input is the image from sector
// 16 on: the 16 sectors before the volume descriptors are zeros.
// Property: every folder lists and every file reads without a read outside
// the image or a crash, whatever the records claim, and an image refused
// is refused with a reason.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "disc_volume.h"
#include "fuzz_env.h"
#include "host_port.h"

namespace {

constexpr size_t kSector = 2048;

// The real folder the images lie in, as drive I:.
const std::string& Base() {
  static std::string base;
  if (base.empty()) {
    base = fuzzenv::RealFolder("fuzz-image");
    plat::host::MapDrive('I', base, plat::kDriveFixed);
  }
  return base;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every name and every file's bytes below `folder`, as one text; a folder
// or file that cannot be read says so. Depth and count are bounded, as a
// damaged image may lead round in circles.
void Walk(gamedisc::DiscVolume* volume, const std::string& folder, int depth, int* budget, std::string* seen) {
  std::vector<gamedisc::VolumeEntry> entries;
  if (depth > 8 || !volume->List(folder, &entries)) {
    *seen += "[unlisted " + folder + "]";
    return;
  }
  for (const gamedisc::VolumeEntry& e : entries) {
    if (--*budget < 0) return;
    const std::string path = folder.empty() ? e.name : folder + "\\" + e.name;
    *seen += path + "\n";
    if (e.folder) {
      Walk(volume, path, depth + 1, budget, seen);
      continue;
    }
    auto file = volume->Open(path);
    if (file == nullptr) {
      *seen += "[unopened]";
      continue;
    }
    char buffer[4096];
    int64_t total = 0;
    for (int n; total < (1 << 20) && (n = file->Read(buffer, sizeof buffer)) > 0; total += n) {
      seen->append(buffer, static_cast<size_t>(n));
    }
    if (file->Failed()) *seen += "[failed]";
  }
}

void Read(const char* name) {
  std::string error;
  auto volume = gamedisc::OpenVolume(std::string("I:\\") + name, &error);
  if (volume == nullptr) {
    if (error.empty()) {
      std::fprintf(stderr, "%s refused without a reason\n", name);
      std::abort();
    }
    return;
  }
  std::string seen;
  int budget = 512;
  Walk(volume.get(), "", 0, &budget, &seen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& base = Base();
  const std::string iso = std::string(16 * kSector, '\0') + std::string(reinterpret_cast<const char*>(data), size);
  Write(base + "/x.iso", iso);
  // The same sectors raw: sync and header before each, error codes after.
  std::string bin;
  for (size_t at = 0; at + kSector <= iso.size(); at += kSector) {
    bin += std::string("\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\x00\x00\x01", 16);
    bin.append(iso, at, kSector);
    bin += std::string(288, '\0');
  }
  Write(base + "/y.bin", bin);
  Write(base + "/y.cue", "FILE \"y.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n");
  Read("x.iso");
  Read("y.cue");
  return 0;
}
