#include "pack.h"

#include <cstring>
#include <set>

#include "fold_case.h"
#include "package_format.h"
#include "stored_path.h"
#include "tool_files.h"
#include "tool_os.h"

namespace gamedisc {

bool PackFolder(const std::string& folder, std::string* package, std::string* error) {
  std::vector<disc::PackageEntry> entries;
  std::set<std::string> seen;
  for (const FolderItem& item : ListFolder(folder)) {
    const std::string path = JoinPath(folder, item.name);
    disc::PackageEntry entry{item.folder ? item.name + ".apkg" : item.name, ""};
    if (entry.name.size() >= alib::kPackageNameBytes) {
      *error = DisplayPath(path) + ": a package entry's name holds at most 31 bytes";
      return false;
    }
    for (unsigned char c : entry.name) {
      if (c < 0x20 || c > 0x7E) {
        *error = DisplayPath(path) + ": a package entry's name must be plain ASCII";
        return false;
      }
    }
    if (!seen.insert(alib::Folded(entry.name, alib::AsciiChars{})).second) {
      *error = DisplayPath(path) + ": another entry has the same name but for case";
      return false;
    }
    bool ok = item.folder ? PackFolder(path, &entry.data, error) : ReadDiskFile(path, &entry.data);
    if (!ok) {
      if (!item.folder) *error = "cannot read " + DisplayPath(path);
      return false;
    }
    entries.push_back(entry);
  }
  *package = disc::BuildPackage(entries);
  return true;
}

bool ReadPackage(const std::string& bytes, std::vector<disc::PackageEntry>* entries, std::string* error) {
  entries->clear();
  alib::PackageHeader header{};
  if (bytes.size() >= alib::kPackageHeaderBytes) header = alib::LoadPackageHeader(bytes.data());
  if (!header.magic) {
    *error = "not a package: it does not start with APKG";
    return false;
  }
  const uint64_t directory = header.directoryOffset;
  const int32_t count = static_cast<int32_t>(header.entryCount);
  if (count < 1) return true;  // an empty package
  if (directory + static_cast<uint64_t>(count) * alib::kPackageEntryBytes > bytes.size()) {
    *error = "the directory (" + std::to_string(count) + " entries at offset " + std::to_string(directory) +
             ") lies outside the file";
    return false;
  }
  for (int32_t i = 0; i < count; ++i) {
    const char* record = bytes.data() + directory + static_cast<uint64_t>(i) * alib::kPackageEntryBytes;
    const alib::PackageEntryFields entry = alib::LoadPackageEntry(record);
    const uint64_t offset = entry.dataOffset;
    const uint64_t size = entry.dataSize;
    const std::string name(record + alib::kPackageEntryNameAt, entry.nameLength);
    if (offset + size > bytes.size()) {
      *error = "entry " + std::to_string(i) + " (" + name + ") lies outside the file";
      return false;
    }
    entries->push_back({name, disc::Complement(bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(size)))});
  }
  return true;
}

bool UnpackPackage(const std::string& package, const std::string& folder,
                   const std::function<void(const std::string&)>& say, std::string* error) {
  std::string bytes;
  if (!ReadDiskFile(package, &bytes)) {
    *error = "cannot read " + DisplayPath(package);
    return false;
  }
  std::vector<disc::PackageEntry> entries;
  if (!ReadPackage(bytes, &entries, error)) {
    *error = DisplayPath(package) + ": " + *error;
    return false;
  }
  if (!MakeFolders(folder)) {
    *error = "cannot make the folder " + DisplayPath(folder);
    return false;
  }
  std::set<std::string> seen;
  for (const disc::PackageEntry& e : entries) {
    // The entry becomes a file of this machine's file system, which reads
    // the name in this system's code page.
    if (e.name.empty() || !IsSafeName(e.name.c_str(), plat::GetAnsiCodePage())) {
      *error = DisplayPath(package) + ": the entry name \"" + e.name + "\" is no plain file name";
      return false;
    }
    if (!seen.insert(alib::Folded(e.name, alib::AsciiChars{})).second) {
      say("  left out: " + e.name + " (an earlier entry has this name)");
      continue;
    }
    const std::string to = JoinPath(folder, e.name);
    if (Exists(to)) {
      *error = DisplayPath(to) + " exists already";
      return false;
    }
    if (!WriteDiskFile(to, e.data)) {
      *error = "cannot write " + DisplayPath(to);
      return false;
    }
    say("  " + std::to_string(e.data.size()) + "  " + e.name);
  }
  return true;
}

}  // namespace gamedisc
