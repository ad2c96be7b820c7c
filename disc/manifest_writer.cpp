// The list of files as the authoring tool writes it; apart from the reader
// so that setup, which only reads lists, links none of it.
#include <cstdio>

#include "manifest.h"
#include "text_rows.h"

namespace disc {

namespace {

std::string DiscNumber(int disc) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", kManifestDiscDigits, disc);
  return text;
}

}  // namespace

std::string ManifestText(int discCount, const std::vector<ManifestEntry>& entries) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(entries.size() + 3);
  rows.push_back({"manifest", "1"});
  rows.push_back({"discs", DiscNumber(discCount)});
  for (const ManifestEntry& e : entries) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(e.crc));
    if (e.data) {
      rows.push_back({"data", e.path, std::to_string(e.size), crc});
    } else {
      rows.push_back({"file", DiscNumber(e.disc), e.path, std::to_string(e.size), crc});
    }
  }
  rows.push_back({"end", std::to_string(entries.size())});
  return TextRows(rows);
}

}  // namespace disc
