#include "manifest.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "a_inflate.h"
#include "fold_case.h"
#include "stored_path.h"
#include "text_rows.h"

namespace {

constexpr int32_t kMaxDiscs = disc::kManifestMaxDiscs;

bool ParseNumber(const char* text, uint64_t limit, uint64_t* out) {
  if (*text == '\0') return false;
  uint64_t value = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
    const unsigned digit = static_cast<unsigned>(*text - '0');
    if (value > (limit - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *out = value;
  return true;
}

bool ParseCrc(const char* text, uint32_t* out) {
  if (std::strlen(text) != 8) return false;
  uint32_t value = 0;
  for (int i = 0; i < 8; ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      return false;
    }
    value = value << 4 | digit;
  }
  *out = value;
  return true;
}

// The key a name is matched by: its source, then its bytes with the single
// byte letters a to z upper-cased. Second bytes of double-byte characters
// stay as they are (0x61 is a valid second byte in Big5 and GBK).
std::string FoldedKey(ManifestSource source, unsigned codePage, const char* path, size_t length) {
  std::string key(1, source == ManifestSource::kArchive ? 'A' : 'D');
  key.append(path, length);
  alib::FoldCase(&key[1], length, alib::CodePageChars{codePage});
  return key;
}

std::string RowReason(int row, const char* what) { return "row " + std::to_string(row + 1) + ": " + what; }

}  // namespace

void Manifest::Clear() {
  discCount = 0;
  files.clear();
  order_.clear();
  keys_.clear();
}

bool Manifest::Parse(const TextTable& table, unsigned codePage, std::string* reason) {
  Clear();
  codePage_ = codePage;
  auto fail = [&](const std::string& why) {
    Clear();
    *reason = why;
    return false;
  };
  if (table.rowCount == 0 || std::strcmp(table.Cell(0, 0), "manifest") != 0) {
    return fail("it is not a list of files");
  }
  if (std::strcmp(table.Cell(1, 0), "1") != 0) return fail("a list of files of an unknown form");
  const int last = table.rowCount - 1;
  if (last == 0 || std::strcmp(table.Cell(0, last), "end") != 0) return fail("the list of files is cut short");
  bool sawDiscs = false;
  for (int row = 1; row < last; ++row) {
    const char* kind = table.Cell(0, row);
    if (std::strcmp(kind, "discs") == 0) {
      uint64_t count = 0;
      if (sawDiscs || !ParseNumber(table.Cell(1, row), kMaxDiscs, &count) || count == 0) {
        return fail(RowReason(row, "not a disc count"));
      }
      discCount = static_cast<int32_t>(count);
      sawDiscs = true;
      continue;
    }
    const bool archive = std::strcmp(kind, "file") == 0;
    if (!archive && std::strcmp(kind, "data") != 0) continue;
    int column = 1;
    ManifestFile file{archive ? ManifestSource::kArchive : ManifestSource::kData, 0, "", 0, 0, false};
    if (archive) {
      uint64_t disc = 0;
      if (!ParseNumber(table.Cell(column++, row), kMaxDiscs, &disc) || disc == 0) {
        return fail(RowReason(row, "not a disc number"));
      }
      file.disc = static_cast<int32_t>(disc);
    }
    const char* path = table.Cell(column++, row);
    if (CheckStoredPath(path, std::strlen(path) + 1, codePage) != PathVerdict::kSafe) {
      return fail(RowReason(row, "a name this system cannot take"));
    }
    file.path = path;
    if (!ParseNumber(table.Cell(column++, row), UINT64_MAX, &file.size)) return fail(RowReason(row, "not a size"));
    if (!ParseCrc(table.Cell(column++, row), &file.crc)) return fail(RowReason(row, "not a CRC-32"));
    files.push_back(std::move(file));
  }
  uint64_t count = 0;
  if (!ParseNumber(table.Cell(1, last), UINT64_MAX, &count) || count != files.size()) {
    return fail("the list of files is cut short");
  }
  if (!sawDiscs) return fail("the list of files has no disc count");
  for (const ManifestFile& file : files) {
    if (file.disc > discCount) return fail("the list of files names a disc beyond the last");
  }
  keys_.reserve(files.size());
  order_.reserve(files.size());
  for (uint32_t i = 0; i < files.size(); ++i) {
    keys_.push_back(FoldedKey(files[i].source, codePage, files[i].path.data(), files[i].path.size()));
    order_.push_back(i);
  }
  std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return keys_[a] < keys_[b]; });
  for (size_t i = 1; i < order_.size(); ++i) {
    if (keys_[order_[i - 1]] == keys_[order_[i]]) {
      return fail("the list of files names " + files[order_[i]].path + " twice");
    }
  }
  return true;
}

ManifestFile* Manifest::Find(ManifestSource source, const char* path, size_t length) {
  const std::string key = FoldedKey(source, codePage_, path, length);
  auto it = std::lower_bound(order_.begin(), order_.end(), key,
                             [&](uint32_t index, const std::string& k) { return keys_[index] < k; });
  if (it == order_.end() || keys_[*it] != key) return nullptr;
  return &files[*it];
}

const ManifestFile* Manifest::FirstMissing() const {
  for (const ManifestFile& file : files) {
    if (!file.installed) return &file;
  }
  return nullptr;
}

void FileSum::Add(const void* data, size_t length) {
  crc = UpdateCrc32(crc, data, length);
  size += length;
}

std::string DescribeSum(uint64_t size, uint32_t crc) {
  std::string digits = std::to_string(size);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<size_t>(i), ",");
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(crc));
  return digits + (size == 1 ? " byte" : " bytes") + ", CRC-32 " + hex;
}

std::string ListedMismatch(const ManifestFile* row, const std::string& shown, int firstDisc, uint64_t size,
                           uint32_t crc) {
  if (row == nullptr) return shown + " is not in the disc's list of files";
  if (firstDisc > 0 && row->disc != firstDisc) {
    return shown + " starts on disc " + std::to_string(firstDisc) + "; the disc's list of files gives disc " +
           std::to_string(row->disc);
  }
  if (row->size != size || row->crc != crc) {
    return shown + " is " + DescribeSum(size, crc) + "; the disc's list of files gives " +
           DescribeSum(row->size, row->crc);
  }
  return std::string();
}
