#include "disc_writer.h"

#include <cstdlib>
#include <map>

#include <zlib.h>

namespace testsupport {

std::string SetupHeaderBytes(const SetupHeaderFields& f) {
  std::string out = disc::SetupHeaderBytes(f);
  const size_t key = 80;  // the uninstall key's field
  if (f.uninstallKey.size() + 1 < disc::kHeaderTextBytes && !f.uninstallKeyTail.empty()) {
    std::string tail = f.uninstallKeyTail.substr(0, disc::kHeaderTextBytes - 1 - f.uninstallKey.size());
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
  disc::MemorySink sink;
  disc::ArchiveWriter writer(&sink, [discCapacity](int) { return discCapacity; }, piece);
  for (const std::string& f : folders) writer.Folder(f);
  for (const GameFile& f : files) writer.File(f.path, f.content);
  if (!writer.Finish(header)) std::abort();  // a test asked for a disc too small for one record
  header.discCount = writer.discCount();
  sink.discs[0].replace(0, disc::kSetupHeaderBytes, SetupHeaderBytes(header));
  return sink.discs;
}

std::string ManifestFor(const std::vector<std::string>& discs, const std::vector<GameFile>& files,
                        const std::vector<GameFile>& data) {
  std::map<std::string, int> discOf;
  for (size_t d = 0; d < discs.size(); ++d) {
    const std::string& a = discs[d];
    for (size_t at = d == 0 ? disc::kSetupHeaderBytes : 0; at < a.size();) {
      const int tag = static_cast<signed char>(a[at++]);
      if (tag < 1 || tag > 3) continue;
      if (at + 4 > a.size()) break;
      uint32_t length = 0;
      for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(a[at + static_cast<size_t>(i)]);
      at += 4;
      if (at + length > a.size()) break;
      if (tag == 2) {
        std::string name(1024, '\0');
        uLongf produced = name.size();
        if (uncompress(reinterpret_cast<Bytef*>(&name[0]), &produced, reinterpret_cast<const Bytef*>(a.data() + at),
                       length) == Z_OK) {
          discOf.emplace(std::string(name.c_str()), static_cast<int>(d) + 1);
        }
      }
      at += length;
    }
  }
  auto crc = [](const std::string& bytes) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
  };
  std::vector<disc::ManifestEntry> entries;
  for (const GameFile& f : files) entries.push_back({false, discOf.count(f.path) ? discOf[f.path] : 1, f.path,
                                                     f.content.size(), crc(f.content)});
  for (const GameFile& f : data) entries.push_back({true, 0, f.path, f.content.size(), crc(f.content)});
  return disc::ManifestText(static_cast<int>(discs.size()), entries);
}

}  // namespace testsupport
