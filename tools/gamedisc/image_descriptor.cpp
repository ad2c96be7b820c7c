#include "image_descriptor.h"

#include <cstring>
#include <map>

namespace gamedisc {

namespace {

constexpr int kRaw = 2352;
constexpr int kRawSub = 2448;
constexpr int64_t kMaxSectors = 100 * 60 * 75;  // the most a CD's addresses reach
constexpr int64_t kMaxDvdSectors = 8LL << 20;  // 16 GiB of 2,048-byte sectors

std::string Upper(std::string word) {
  for (char& c : word) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return word;
}

std::string Trim(const std::string& s) {
  const size_t from = s.find_first_not_of(" \t\r");
  if (from == std::string::npos) return "";
  return s.substr(from, s.find_last_not_of(" \t\r") - from + 1);
}

// A decimal number (with a sign) or 0x hex; false when it is neither or
// leaves the range.
bool Integer(const std::string& word, int64_t low, int64_t high, int64_t* value) {
  size_t at = 0;
  bool negative = false;
  if (at < word.size() && word[at] == '-') negative = true, ++at;
  const bool hex = word.size() > at + 2 && word[at] == '0' && (word[at + 1] == 'x' || word[at + 1] == 'X');
  if (hex) at += 2;
  if (at == word.size() || word.size() - at > 10) return false;
  int64_t v = 0;
  for (; at < word.size(); ++at) {
    const char c = word[at];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    v = v * (hex ? 16 : 10) + digit;
  }
  *value = negative ? -v : v;
  return *value >= low && *value <= high;
}

uint64_t Le(const std::string& b, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}

uint64_t Be(const std::string& b, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}

bool Fail(const std::string& why, std::string* error) {
  *error = why;
  return false;
}

// Where the user bytes lie in a sector of `sectorBytes` in Mode 1 or 2.
int UserOffset(int sectorBytes, bool mode2) { return sectorBytes == 2048 ? 0 : mode2 ? 24 : 16; }

}  // namespace

bool ReadCcd(const std::string& text, TrackLayout* layout, std::string* error) {
  if (text.size() > kMaxDescriptorBytes) return Fail("the .ccd is longer than a descriptor can be", error);
  // Section -> key -> value, names in upper case.
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::string section;
  size_t lineNumber = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(at, end - at));
    at = end + 1;
    ++lineNumber;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return Fail("line " + std::to_string(lineNumber) + " of the .ccd: a section name is not closed", error);
      section = Upper(Trim(line.substr(1, line.size() - 2)));
      sections[section];
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos || section.empty()) {
      return Fail("line " + std::to_string(lineNumber) + " of the .ccd: neither a [section] nor Key=Value in one", error);
    }
    sections[section][Upper(Trim(line.substr(0, equals)))] = Trim(line.substr(equals + 1));
  }
  if (sections.count("CLONECD") == 0) return Fail("the .ccd has no [CloneCD] section", error);
  // The TOC entries: tracks by their point, and the lead-out (point 0xA2).
  std::map<int64_t, std::pair<int64_t, int64_t>> tracks;  // point -> (control, PLBA)
  int64_t leadOut = -1;
  for (const auto& entry : sections) {
    const std::string& name = entry.first;
    const auto& keys = entry.second;
    if (name.compare(0, 6, "ENTRY ") != 0) continue;
    auto value = [&](const char* key, int64_t low, int64_t high, int64_t* v) {
      const auto it = keys.find(key);
      if (it != keys.end() && Integer(it->second, low, high, v)) return true;
      *error = "[" + name + "] of the .ccd: " + key + " is missing or out of range";
      return false;
    };
    int64_t point, control, plba;
    if (!value("POINT", 0, 255, &point) || !value("CONTROL", 0, 15, &control) ||
        !value("PLBA", -150, kMaxSectors, &plba)) {
      return false;
    }
    if (point == 0xA2) leadOut = plba;
    if (point >= 1 && point <= 99) tracks[point] = {control, plba};
  }
  for (auto it = tracks.begin(); it != tracks.end(); ++it) {
    const auto mode = sections.find("TRACK " + std::to_string(it->first));
    int64_t modeNumber = (it->second.first & 4) != 0 ? 1 : 0;
    if (mode != sections.end() && mode->second.count("MODE") != 0 &&
        !Integer(mode->second.at("MODE"), 0, 2, &modeNumber)) {
      return Fail("[TRACK " + std::to_string(it->first) + "] of the .ccd: the mode " + mode->second.at("MODE") +
                      " is not read (0, 1 or 2)",
                  error);
    }
    if (modeNumber == 0) continue;
    if (it->second.second < 0) return Fail("the .ccd's data track starts before sector 0", error);
    const auto next = std::next(it);
    const int64_t end = next != tracks.end() ? next->second.second : leadOut;
    if (end >= 0 && end < it->second.second) return Fail("the .ccd's data track ends before it starts", error);
    layout->start = it->second.second * kRaw;
    layout->sectorBytes = kRaw;
    layout->userOffset = UserOffset(kRaw, modeNumber == 2);
    layout->sectors = end < 0 ? -1 : end - it->second.second;
    return true;
  }
  return Fail(tracks.empty() ? "the .ccd lists no track" : "the .ccd lists audio tracks only", error);
}

bool ReadMds(const std::string& b, TrackLayout* layout, std::string* error) {
  constexpr size_t kHeader = 88, kSession = 24, kTrack = 80;
  if (b.size() > kMaxDescriptorBytes) return Fail("the .mds is longer than a descriptor can be", error);
  if (b.size() < kHeader || std::memcmp(b.data(), "MEDIA DESCRIPTOR", 16) != 0) {
    return Fail("the .mds does not start with MEDIA DESCRIPTOR", error);
  }
  const uint64_t sessions = Le(b, 20, 2);
  const uint64_t sessionsAt = Le(b, 80, 4);
  if (sessions == 0 || sessionsAt < kHeader || sessionsAt > b.size() || (b.size() - sessionsAt) / kSession < sessions) {
    return Fail("the .mds's session blocks lie past its end", error);
  }
  for (uint64_t s = 0; s < sessions; ++s) {
    const size_t at = static_cast<size_t>(sessionsAt + s * kSession);
    const int64_t sessionEnd = static_cast<int32_t>(Le(b, at + 4, 4));
    const uint64_t blocks = Le(b, at + 10, 1);
    const uint64_t tracksAt = Le(b, at + 20, 4);
    if (tracksAt < kHeader || tracksAt > b.size() || (b.size() - tracksAt) / kTrack < blocks) {
      return Fail("the .mds's track blocks of session " + std::to_string(s + 1) + " lie past its end", error);
    }
    for (uint64_t t = 0; t < blocks; ++t) {
      const size_t tb = static_cast<size_t>(tracksAt + t * kTrack);
      const uint64_t point = Le(b, tb + 4, 1);
      if (point < 1 || point > 99) continue;  // the lead-in's entries
      const unsigned mode = static_cast<unsigned>(Le(b, tb, 1)) & 0x0F;
      if (mode == 0x09) continue;  // audio
      if (mode != 0x0A && mode != 0x0B && mode != 0x0C && mode != 0x02) {
        return Fail("track " + std::to_string(point) + " of the .mds has the mode " + std::to_string(mode) +
                        ", which is not read (Mode 1 or Mode 2 form 1)",
                    error);
      }
      const int sectorBytes = static_cast<int>(Le(b, tb + 16, 2));
      if (sectorBytes != 2048 && sectorBytes != kRaw && sectorBytes != kRawSub) {
        return Fail("track " + std::to_string(point) + " of the .mds has " + std::to_string(sectorBytes) +
                        "-byte sectors, which are not read (2048, 2352 or 2448)",
                    error);
      }
      const int64_t startSector = static_cast<int32_t>(Le(b, tb + 36, 4));
      const uint64_t offset = Le(b, tb + 40, 8);
      // The track ends where the next track block of the session starts,
      // else with the session.
      int64_t end = sessionEnd;
      for (uint64_t n = t + 1; n < blocks; ++n) {
        const size_t nb = static_cast<size_t>(tracksAt + n * kTrack);
        const uint64_t p = Le(b, nb + 4, 1);
        if (p >= 1 && p <= 99) {
          end = static_cast<int32_t>(Le(b, nb + 36, 4));
          break;
        }
      }
      const int64_t most = sectorBytes == 2048 ? kMaxDvdSectors : kMaxSectors;
      if (startSector < 0 || startSector > most || end < startSector || end > most ||
          offset > static_cast<uint64_t>(most) * kRawSub) {
        return Fail("track " + std::to_string(point) + " of the .mds has its start or end out of range", error);
      }
      layout->start = static_cast<int64_t>(offset);
      layout->sectorBytes = sectorBytes;
      layout->userOffset = UserOffset(sectorBytes, mode != 0x0A && mode != 0x02);
      layout->sectors = end - startSector;
      return true;
    }
  }
  return Fail("the .mds lists no data track", error);
}

int64_t NrgChunksAt(const std::string& footer, uint64_t fileSize) {
  if (fileSize < footer.size()) return -1;
  if (footer.size() >= 12 && std::memcmp(footer.data() + footer.size() - 12, "NER5", 4) == 0) {
    const uint64_t at = Be(footer, footer.size() - 8, 8);
    return at < fileSize - 12 ? static_cast<int64_t>(at) : -1;
  }
  if (footer.size() >= 8 && std::memcmp(footer.data() + footer.size() - 8, "NERO", 4) == 0) {
    const uint64_t at = Be(footer, footer.size() - 4, 4);
    return at < fileSize - 8 ? static_cast<int64_t>(at) : -1;
  }
  return -1;
}

bool ReadNrg(const std::string& tail, uint64_t tailAt, uint64_t fileSize, TrackLayout* layout, std::string* error) {
  if (tailAt > fileSize || fileSize - tailAt != tail.size()) return Fail("the .nrg's end was not read whole", error);
  const int64_t chunksAt = NrgChunksAt(tail, fileSize);
  if (chunksAt < 0) return Fail("the .nrg has no NER5 or NERO footer", error);
  if (static_cast<uint64_t>(chunksAt) < tailAt) return Fail("the .nrg's chunks lie too far from its end", error);
  const size_t footerBytes = tail.size() >= 12 && std::memcmp(tail.data() + tail.size() - 12, "NER5", 4) == 0 ? 12 : 8;
  size_t at = static_cast<size_t>(static_cast<uint64_t>(chunksAt) - tailAt);
  const size_t end = tail.size() - footerBytes;
  while (true) {
    if (end - at < 8) return Fail("the .nrg's chunk list runs into its footer without END!", error);
    const std::string id = tail.substr(at, 4);
    const uint64_t size = Be(tail, at + 4, 4);
    at += 8;
    if (id == "END!") break;
    if (size > end - at) return Fail("the .nrg's " + id + " chunk runs past its footer", error);
    const std::string body = tail.substr(at, static_cast<size_t>(size));
    at += static_cast<size_t>(size);
    const bool dao = id == "DAOX" || id == "DAOI";
    const bool etn = id == "ETN2" || id == "ETNF";
    if (!dao && !etn) continue;  // CUEX, CUES, SINF, MTYP, CDTX, ...
    const size_t header = dao ? 22 : 0;
    const size_t entry = id == "DAOX" ? 42 : id == "DAOI" ? 30 : id == "ETN2" ? 32 : 20;
    if (body.size() < header || (body.size() - header) % entry != 0) {
      return Fail("the .nrg's " + id + " chunk is " + std::to_string(size) + " bytes, not a whole number of tracks", error);
    }
    const int wide = id == "DAOX" || id == "ETN2" ? 8 : 4;
    for (size_t e = header; e < body.size(); e += entry) {
      unsigned mode;
      uint64_t from, to;
      int sectorBytes;
      if (dao) {
        sectorBytes = static_cast<int>(Be(body, e + 12, 2));
        mode = static_cast<unsigned>(Be(body, e + 14, 1));
        from = Be(body, e + 18 + static_cast<size_t>(wide), wide);  // INDEX 01
        to = Be(body, e + 18 + 2 * static_cast<size_t>(wide), wide);
      } else {
        from = Be(body, e, wide);
        to = from + Be(body, e + static_cast<size_t>(wide), wide);
        mode = static_cast<unsigned>(Be(body, e + 2 * static_cast<size_t>(wide), 4));
        sectorBytes = mode == 0 || mode == 2 ? 2048 : mode == 0x0F || mode == 0x10 || mode == 0x11 ? kRawSub : kRaw;
      }
      if (mode == 0x07 || mode == 0x10) continue;  // audio
      const bool mode2 = mode == 0x02 || mode == 0x06 || mode == 0x11;
      if (mode != 0x00 && mode != 0x05 && mode != 0x0F && !mode2) {
        return Fail("the .nrg's data track has the mode " + std::to_string(mode) +
                        ", which is not read (Mode 1 or Mode 2 form 1)",
                    error);
      }
      if (sectorBytes != 2048 && sectorBytes != kRaw && sectorBytes != kRawSub) {
        return Fail("the .nrg's data track has " + std::to_string(sectorBytes) +
                        "-byte sectors, which are not read (2048, 2352 or 2448)",
                    error);
      }
      if (from > to || to > static_cast<uint64_t>(chunksAt) || (to - from) % static_cast<uint64_t>(sectorBytes) != 0) {
        return Fail("the .nrg's data track lies past its data or is not a whole number of sectors", error);
      }
      layout->start = static_cast<int64_t>(from);
      layout->sectorBytes = sectorBytes;
      layout->userOffset = UserOffset(sectorBytes, mode2);
      layout->sectors = static_cast<int64_t>((to - from) / static_cast<uint64_t>(sectorBytes));
      return true;
    }
  }
  return Fail("the .nrg lists no data track", error);
}

std::string DescribeSectors(const std::string& head) {
  static const char kSync[12] = {0, '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', 0};
  if (head.size() >= 16 && std::memcmp(head.data(), kSync, 12) == 0) {
    const char mode = head[15];
    // The next sector's sync tells the sector size.
    const bool sub = head.size() >= kRawSub + 12 && std::memcmp(head.data() + kRawSub, kSync, 12) == 0;
    return std::string("raw ") + (sub ? "2,448-byte sectors (sub-channel after each)" : "2,352-byte sectors") +
           " with a Mode " + (mode == 2 ? "2" : mode == 1 ? "1" : "?") + " sync at sector 0";
  }
  if (head.size() >= 16 * 2048 + 6 && std::memcmp(head.data() + 16 * 2048 + 1, "CD001", 5) == 0) {
    return "2,048-byte sectors with an ISO 9660 file system";
  }
  return "";
}

}  // namespace gamedisc
