// The installer's copy engine, timed on its own, over the Linux port and
// the test controls:
//   bench_install install <disc folder> <target folder> [noview]
//       the whole road of RunDiscs, from "cd1" to the last disc, into the
//       target (which must not exist); with "noview", without the progress
//       dialog, so that its cost can be told apart
//   bench_install unpack <disc folder>
//       every record read and unpacked in memory, nothing written: the
//       decompression limit
//   bench_install crc <disc folder>
//       the pieces unpacked in memory, then the CRC-32 of all of them with
//       the installer's UpdateCrc32 and with zlib's crc32, each timed
// Prints one line: "<seconds> s, peak <KB> KB resident" (crc: one more line
// before it with both speeds).
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "a_inflate.h"
#include "a_mem.h"
#include "compose.h"
#include "host_control.h"
#include "install.h"
#include "progress.h"
#include "resource_ids.h"
#include "setup_state.h"

namespace {

long PeakKilobytes() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int Install(const std::string& disc, const std::string& target, bool view) {
  plat::host::MapDrive('E', disc, plat::kDriveCdrom);
  std::filesystem::path t(target);
  std::filesystem::create_directories(t.parent_path());
  plat::host::MapDrive('T', t.parent_path().string(), plat::kDriveFixed);
  plat::SetCurrentFolder("E:\\");
  setupState.languageIndex = 2;
  CopyCut(setupState.sourceFolder, sizeof setupState.sourceFolder, "E:");
  Compose(setupState.targetFolder, sizeof setupState.targetFolder, "T:\\%s", t.filename().c_str());
  progressView.lastPercent = -1;
  copyState.progress = &progressView;
  if (view) progressView.Create(nullptr, IDD_PROGRESS);
  int ok = RunDiscs();
  if (progressView.dialog != nullptr) plat::DestroyWindow(progressView.dialog);
  return ok ? 0 : 1;
}

// Unpacks every record of the discs in memory; `pieces` receives each
// FileData piece, when given a list.
int UnpackOnly(const std::string& disc, std::vector<std::string>* pieces = nullptr) {
  std::vector<unsigned char> packed(kPackedBufferSize), unpacked(kUnpackedBufferSize);
  uint64_t produced = 0;
  for (int n = 1;; ++n) {
    std::ifstream in(disc + "/cd" + std::to_string(n), std::ios::binary | std::ios::ate);
    if (!in) break;
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    size_t at = n == 1 ? kSetupHeaderSize : 0;
    while (at < bytes.size()) {
      int8_t tag = static_cast<int8_t>(bytes[at++]);
      if (tag == 5) break;
      if (tag < 1 || tag > 3) continue;
      uint32_t length;
      std::memcpy(&length, &bytes[at], 4);
      at += 4;
      unsigned long out = kUnpackedBufferSize;
      if (Unpack(unpacked.data(), &out, reinterpret_cast<const unsigned char*>(&bytes[at]), length) != 0) {
        std::fprintf(stderr, "damaged record at %zu of cd%d\n", at, n);
        return 1;
      }
      produced += out;
      if (pieces != nullptr && tag == 3) pieces->emplace_back(reinterpret_cast<const char*>(unpacked.data()), out);
      at += length;
    }
  }
  if (pieces == nullptr) std::fprintf(stderr, "%llu bytes unpacked\n", static_cast<unsigned long long>(produced));
  return 0;
}

double Seconds(const std::chrono::steady_clock::time_point& since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int CrcSpeeds(const std::string& disc) {
  std::vector<std::string> pieces;
  if (UnpackOnly(disc, &pieces) != 0) return 1;
  uint64_t bytes = 0;
  for (const std::string& p : pieces) bytes += p.size();
  auto start = std::chrono::steady_clock::now();
  uint32_t ours = 0;
  for (const std::string& p : pieces) ours = UpdateCrc32(ours, p.data(), p.size());
  const double oursSeconds = Seconds(start);
  start = std::chrono::steady_clock::now();
  uLong theirs = crc32(0, nullptr, 0);
  for (const std::string& p : pieces) theirs = crc32(theirs, reinterpret_cast<const Bytef*>(p.data()), static_cast<uInt>(p.size()));
  const double zlibSeconds = Seconds(start);
  if (ours != theirs) {
    std::fprintf(stderr, "the two CRC-32s differ\n");
    return 1;
  }
  std::printf("CRC-32 of %.1f MB: the installer's %.0f MB/s, zlib's crc32 %.0f MB/s\n", bytes / 1e6,
              bytes / 1e6 / oursSeconds, bytes / 1e6 / zlibSeconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_install install <disc> <target> [noview] | unpack <disc>\n");
    return 2;
  }
  std::string mode = argv[1];
  auto start = std::chrono::steady_clock::now();
  int rc;
  if (mode == "install" && argc >= 4) {
    rc = Install(argv[2], argv[3], !(argc >= 5 && std::strcmp(argv[4], "noview") == 0));
  } else if (mode == "unpack") {
    rc = UnpackOnly(argv[2]);
  } else if (mode == "crc") {
    rc = CrcSpeeds(argv[2]);
  } else {
    std::fprintf(stderr, "unknown mode\n");
    return 2;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f s, peak %ld KB resident\n", seconds, PeakKilobytes());
  return rc;
}
