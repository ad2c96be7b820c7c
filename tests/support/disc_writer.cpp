#include "disc_writer.h"

#include <cstdlib>

namespace testsupport {

std::string SetupHeaderBytes(const SetupHeaderFields& f) {
  std::string out = discformat::SetupHeaderBytes(f);
  const size_t key = 80;  // the uninstall key's field
  if (f.uninstallKey.size() + 1 < discformat::kHeaderTextBytes && !f.uninstallKeyTail.empty()) {
    std::string tail = f.uninstallKeyTail.substr(0, discformat::kHeaderTextBytes - 1 - f.uninstallKey.size());
    out.replace(key + f.uninstallKey.size() + 1, tail.size(), tail);
  }
  return out;
}

std::string Pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>(x >> 16);
  }
  return s;
}

std::vector<std::string> BuildDiscs(SetupHeaderFields header, const std::vector<std::string>& folders,
                                    const std::vector<GameFile>& files, size_t discCapacity, size_t piece) {
  discformat::MemorySink sink;
  discformat::ArchiveWriter writer(&sink, [discCapacity](int) { return discCapacity; }, piece);
  for (const std::string& f : folders) writer.Folder(f);
  for (const GameFile& f : files) writer.File(f.path, f.content);
  if (!writer.Finish(header)) std::abort();  // a test asked for a disc too small for one record
  header.discCount = writer.discCount();
  sink.discs[0].replace(0, discformat::kSetupHeaderBytes, SetupHeaderBytes(header));
  return sink.discs;
}

}  // namespace testsupport
