// The installer's copy engine, timed on its own, over the Linux stand-in:
//   bench_install install <disc folder> <target folder> [noview]
//       the whole road of RunDiscs, from "cd1" to the last disc, into the
//       target (which must not exist); with "noview", without the progress
//       dialog, so that its cost can be told apart
//   bench_install unpack <disc folder>
//       every record read and unpacked in memory, nothing written: the
//       decompression limit
// Prints one line: "<seconds> s, peak <KB> KB resident".
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
  if (view) {
    progressView.dialog = plat::CreateDialogFromTemplate(nullptr, IDD_PROGRESS, nullptr, ProgressDialogProc);
  }
  int ok = RunDiscs();
  if (progressView.dialog != nullptr) plat::DestroyWindow(progressView.dialog);
  return ok ? 0 : 1;
}

int UnpackOnly(const std::string& disc) {
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
      at += length;
    }
  }
  std::fprintf(stderr, "%llu bytes unpacked\n", static_cast<unsigned long long>(produced));
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
  } else {
    std::fprintf(stderr, "unknown mode\n");
    return 2;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f s, peak %ld KB resident\n", seconds, PeakKilobytes());
  return rc;
}
