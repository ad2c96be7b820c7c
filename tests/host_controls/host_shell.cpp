// The test controls: registry, shell folders, links, folder browser. All of
// it is recorded for tests.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "controls_internal.h"

namespace plat {

struct RegKey {
  size_t index;  // into the registry's keys
};

namespace host {
namespace {

struct BrowseAnswer {
  std::string folder;
  bool cancel;
};

struct ShellState {
  std::vector<RegistryKey> keys;
  bool refuseRegistry = false;
  std::map<int, std::string> specialFolders;
  std::vector<LinkRecord> links;
  std::deque<BrowseAnswer> browseAnswers;
  std::vector<std::string> browseTitles;
};

ShellState& shell() {
  static ShellState* s = new ShellState;
  return *s;
}

std::string Text(const char* s) { return s ? s : ""; }

}  // namespace

const std::vector<RegistryKey>& Registry() { return shell().keys; }

const RegistryKey* FindKey(const std::string& path) {
  for (const RegistryKey& k : shell().keys) {
    if (strcasecmp(k.path.c_str(), path.c_str()) == 0) return &k;
  }
  return nullptr;
}

void ResetRegistry(bool refuse) {
  shell().keys.clear();
  shell().refuseRegistry = refuse;
}

void SetSpecialFolder(int folder, const std::string& windowsPath) {
  shell().specialFolders[folder] = windowsPath;
}

const std::vector<LinkRecord>& Links() { return shell().links; }

void QueueBrowseAnswer(const std::string& folder, bool cancel) {
  shell().browseAnswers.push_back(BrowseAnswer{folder, cancel});
}

const std::vector<std::string>& BrowseTitles() { return shell().browseTitles; }

void ResetShell() {
  ShellState& s = shell();
  s.keys.clear();
  s.refuseRegistry = false;
  s.specialFolders.clear();
  s.links.clear();
  s.browseAnswers.clear();
  s.browseTitles.clear();
}

}  // namespace host

long RegCreate(const char* subKey, RegKey** key) {
  *key = nullptr;
  host::ShellState& s = host::shell();
  if (s.refuseRegistry || host::FaultHere(host::kFaultRegistry)) return 5;  // ERROR_ACCESS_DENIED
  if (subKey == nullptr) return 87;
  size_t index = s.keys.size();
  for (size_t i = 0; i < s.keys.size(); ++i) {
    if (strcasecmp(s.keys[i].path.c_str(), subKey) == 0) index = i;
  }
  if (index == s.keys.size()) s.keys.push_back(host::RegistryKey{subKey, {}, {}, {}});
  *key = new RegKey{index};
  return 0;
}

long RegSetString(RegKey* key, const char* name, const char* value) {
  if (key == nullptr || value == nullptr) return 6;  // ERROR_INVALID_HANDLE
  if (host::FaultHere(host::kFaultRegistry)) return 5;
  host::RegistryKey& k = host::shell().keys[key->index];
  k.values[host::Text(name)] = value;
  k.valueLengths[host::Text(name)] = static_cast<uint32_t>(std::strlen(value) + 1);
  return 0;
}

long RegSetDword(RegKey* key, const char* name, uint32_t value) {
  if (key == nullptr) return 6;
  if (host::FaultHere(host::kFaultRegistry)) return 5;
  host::shell().keys[key->index].dwords[host::Text(name)] = value;
  return 0;
}

long RegOpenRead(const char* subKey, RegKey** key) {
  *key = nullptr;
  const std::vector<host::RegistryKey>& keys = host::shell().keys;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (strcasecmp(keys[i].path.c_str(), subKey) == 0) {
      *key = new RegKey{i};
      return 0;
    }
  }
  return 2;  // ERROR_FILE_NOT_FOUND
}

long RegGetString(RegKey* key, const char* name, char* out, unsigned size) {
  if (key == nullptr || size == 0) return 6;
  const host::RegistryKey& k = host::shell().keys[key->index];
  auto it = k.values.find(host::Text(name));
  out[0] = '\0';
  if (it == k.values.end()) return 2;
  if (it->second.size() >= size) {
    std::memcpy(out, it->second.c_str(), size - 1);
    out[size - 1] = '\0';
    return 234;  // ERROR_MORE_DATA
  }
  std::memcpy(out, it->second.c_str(), it->second.size() + 1);
  return 0;
}

long RegDeleteKey(const char* subKey) {
  host::ShellState& s = host::shell();
  if (s.refuseRegistry || host::FaultHere(host::kFaultRegistry)) return 5;
  const std::string prefix = std::string(subKey) + "\\";
  for (const host::RegistryKey& k : s.keys) {
    if (strncasecmp(k.path.c_str(), prefix.c_str(), prefix.size()) == 0) return 5;  // has subkeys
  }
  for (size_t i = 0; i < s.keys.size(); ++i) {
    if (strcasecmp(s.keys[i].path.c_str(), subKey) == 0) {
      s.keys.erase(s.keys.begin() + static_cast<long>(i));
      return 0;
    }
  }
  return 2;
}

long RegClose(RegKey* key) {
  if (key == nullptr) return 6;
  delete key;
  return 0;
}

bool GetSpecialFolderPath(Window, int folder, char* out) {
  auto it = host::shell().specialFolders.find(folder);
  if (it == host::shell().specialFolders.end() || it->second.size() >= 260) return false;
  std::memcpy(out, it->second.c_str(), it->second.size() + 1);
  return true;
}

LinkResult SaveShellLink(const ShellLinkFields& f, const char* linkPath) {
  host::LinkRecord r;
  r.path = host::Text(linkPath);
  r.target = host::Text(f.target);
  r.hasArguments = f.arguments != nullptr;
  r.arguments = host::Text(f.arguments);
  r.hotKey = f.hotKey;
  r.hasIcon = f.iconPath != nullptr;
  r.iconPath = host::Text(f.iconPath);
  r.iconIndex = f.iconIndex;
  r.hasShowCommand = f.showCommand != -1;
  r.showCommand = f.showCommand;
  r.hasWorkingFolder = f.workingFolder != nullptr;
  r.workingFolder = host::Text(f.workingFolder);
  r.hasDescription = f.description != nullptr;
  r.description = host::Text(f.description);

  // Saving fails where the file cannot be written, as IPersistFile::Save does
  // (STG_E_PATHNOTFOUND for a missing folder).
  if (host::FaultHere(host::kFaultLink)) return LinkResult{LinkResult::kSave, static_cast<long>(0x80070005L), 0};
  std::string hostPath;
  host::OpenFile* file = host::ToHostPath(linkPath, &hostPath) ? host::PlainFiles().Open(hostPath, "wb") : nullptr;
  if (file == nullptr) return LinkResult{LinkResult::kSave, static_cast<long>(0x80030003L), 0};
  const std::string body = "link\ntarget=" + r.target + "\nworking=" + r.workingFolder + "\ndescription=" +
                           r.description + "\nshow=" + std::to_string(r.showCommand) + "\n";
  bool ok = file->Write(body.data(), body.size()) == body.size();
  ok = file->Close() && ok;
  if (!ok) return LinkResult{LinkResult::kSave, static_cast<long>(0x80030070L), 0};
  host::shell().links.push_back(r);
  return LinkResult{LinkResult::kSave, 0, 0};
}

bool BrowseForFolder(Window, const char* title, char* out) {
  host::ShellState& s = host::shell();
  s.browseTitles.push_back(host::Text(title));
  if (s.browseAnswers.empty()) return false;
  host::BrowseAnswer answer = s.browseAnswers.front();
  s.browseAnswers.pop_front();
  if (answer.cancel || answer.folder.size() >= 260) return false;
  std::memcpy(out, answer.folder.c_str(), answer.folder.size() + 1);
  return true;
}

}  // namespace plat
