#include "host_control.h"
#include "readback.h"

namespace testsupport {

bool ReadRegistryString(const std::string& key, const std::string& name, std::string* value) {
  const plat::host::RegistryKey* k = plat::host::FindKey(key);
  if (k == nullptr) return false;
  auto it = k->values.find(name);
  if (it == k->values.end()) return false;
  *value = it->second;
  return true;
}

bool ReadRegistryDword(const std::string& key, const std::string& name, uint32_t* value) {
  const plat::host::RegistryKey* k = plat::host::FindKey(key);
  if (k == nullptr) return false;
  auto it = k->dwords.find(name);
  if (it == k->dwords.end()) return false;
  *value = it->second;
  return true;
}

void DeleteRegistryKey(const std::string&) { plat::host::ResetRegistry(); }

bool ReadLink(const std::string& linkPath, LinkInfo* link) {
  const plat::host::LinkRecord* found = nullptr;
  for (const plat::host::LinkRecord& r : plat::host::Links()) {
    if (r.path == linkPath) found = &r;  // the newest save of that path
  }
  if (found == nullptr) return false;
  link->target = found->target;
  link->arguments = found->arguments;
  link->workingFolder = found->workingFolder;
  link->description = found->description;
  link->iconPath = found->iconPath;
  link->iconIndex = found->iconIndex;
  link->showCommand = found->hasShowCommand ? found->showCommand : 1;
  link->hotKey = found->hotKey;
  return true;
}

ShellFolders PrepareShellFolders(const Scratch& dir) {
  ShellFolders f{WinPath(dir, "shell\\Programs"), WinPath(dir, "shell\\Desktop")};
  MakeFolderNative(NativePath(dir, "shell\\Programs"));
  MakeFolderNative(NativePath(dir, "shell\\Desktop"));
  plat::host::SetSpecialFolder(plat::kFolderPrograms, f.programs);
  plat::host::SetSpecialFolder(plat::kFolderDesktop, f.desktop);
  return f;
}

}  // namespace testsupport
