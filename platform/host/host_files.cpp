// Which file system the stand-in uses, and host-side access to it.
#include "host_files.h"

#include <strings.h>

#include <algorithm>

#include "host_control.h"

namespace plat {
namespace host {
namespace {

bool& inMemory() {
  static bool on = false;
  return on;
}

}  // namespace

std::string FileSystem::Match(const std::string& folder, const std::vector<std::string>& names) {
  std::string result = folder;
  std::vector<std::string> entries;
  for (const std::string& name : names) {
    std::string exact = result + "/" + name;
    NodeInfo info;
    if (Info(exact, false, &info) || !Names(result, &entries)) {
      result = exact;
      continue;
    }
    for (const std::string& entry : entries) {
      if (strcasecmp(entry.c_str(), name.c_str()) == 0) {
        exact = result + "/" + entry;
        break;
      }
    }
    result = exact;
  }
  return result;
}

FileSystem& files() { return inMemory() ? MemoryFiles() : DiskFiles(); }

void UseMemoryFiles(bool on) { inMemory() = on; }

bool UsingMemoryFiles() { return inMemory(); }

bool WriteHostFile(const std::string& hostPath, const std::string& bytes) {
  OpenFile* file = files().Open(hostPath, "wb");
  const size_t cut = hostPath.rfind('/');
  if (file == nullptr && cut != std::string::npos && cut > 0 && MakeHostFolders(hostPath.substr(0, cut))) {
    file = files().Open(hostPath, "wb");
  }
  if (file == nullptr) return false;
  const bool wrote = file->Write(bytes.data(), bytes.size()) == bytes.size();
  return file->Close() && wrote;
}

bool ReadHostFile(const std::string& hostPath, std::string* bytes) {
  NodeInfo info;
  if (!files().Info(hostPath, true, &info) || info.folder) return false;
  OpenFile* file = files().Open(hostPath, "rb");
  if (file == nullptr) return false;
  bytes->clear();
  char buffer[65536];
  size_t n;
  while ((n = file->Read(buffer, sizeof buffer)) > 0) bytes->append(buffer, n);
  const bool ok = !file->Error();
  file->Close();
  return ok;
}

bool HostExists(const std::string& hostPath) {
  NodeInfo info;
  return files().Info(hostPath, true, &info);
}

bool HostIsFolder(const std::string& hostPath) {
  NodeInfo info;
  return files().Info(hostPath, true, &info) && info.folder;
}

bool MakeHostFolders(const std::string& hostPath) {
  size_t at = 0;
  while (at != std::string::npos) {
    at = hostPath.find('/', at + 1);
    const std::string prefix = hostPath.substr(0, at);
    if (!prefix.empty() && !HostIsFolder(prefix) && !files().MakeFolder(prefix)) return false;
  }
  return true;
}

bool MakeHostLink(const std::string& target, const std::string& hostPath) {
  return files().MakeLink(target, hostPath);
}

void RemoveHostTree(const std::string& hostPath) {
  NodeInfo info;
  if (!files().Info(hostPath, false, &info)) return;
  if (!info.folder) {
    files().Unlink(hostPath);
    return;
  }
  std::vector<std::string> names;
  if (files().Names(hostPath, &names)) {
    for (const std::string& name : names) RemoveHostTree(hostPath + "/" + name);
  }
  files().RemoveFolder(hostPath);
}

namespace {

void ListInto(const std::string& folder, std::vector<HostEntry>* out) {
  std::vector<std::string> names;
  if (!files().Names(folder, &names)) return;
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    NodeInfo info;
    if (!files().Info(path, false, &info)) continue;
    out->push_back(HostEntry{path, info.folder, info.link});
    if (info.folder) ListInto(path, out);
  }
}

}  // namespace

std::vector<HostEntry> ListHostTree(const std::string& hostFolder) {
  std::vector<HostEntry> entries;
  ListInto(hostFolder, &entries);
  return entries;
}

}  // namespace host
}  // namespace plat
