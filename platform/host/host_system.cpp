// The Linux port: the machine, drives, disk space, folder listing.
#include <fnmatch.h>
#include <errno.h>
#include <iconv.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host_files.h"
#include "host_internal.h"

namespace plat {

struct FolderList {
  std::vector<FolderEntry> entries;
  size_t next = 0;
};

namespace host {

namespace {

Machine*& installed() {
  static Machine* machine = nullptr;
  return machine;
}

}  // namespace

Machine& machine() {
  static Machine* own = new Machine;  // never destroyed: used from at-exit checks
  return installed() != nullptr ? *installed() : *own;
}

void UseMachine(Machine* machine) { installed() = machine; }

uint16_t Machine::Language() { return 0x0409; }

Date Machine::Today() {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

uint32_t Machine::Tick() {
  // The coarse clock is read without entering the kernel.
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
  return static_cast<uint32_t>(static_cast<uint64_t>(t.tv_sec) * 1000u + static_cast<uint64_t>(t.tv_nsec) / 1000000u);
}

void Machine::Sleep(unsigned ms) {
  struct timespec t;
  t.tv_sec = ms / 1000;
  t.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

bool Machine::ProgramPath(std::string*) { return false; }

bool Machine::FreeBytes(int, const std::string& hostFolder, uint64_t* bytes) {
  return files().FreeBytes(hostFolder, bytes);
}

PrivateCopy* Machine::MakePrivateCopy(const char*) { return nullptr; }

bool Machine::StartPrivateCopy(PrivateCopy* copy, const char*) {
  delete copy;
  return false;
}

bool Machine::LeavePrivateFolder() { return false; }

bool Machine::RemoveAtRestart(const char*) { return false; }

}  // namespace host

unsigned GetDriveType(const char* root) {
  if (root == nullptr || host::DriveIndex(root[0]) < 0 || root[1] != ':') return kDriveNoRootDir;
  const host::Drive& d = host::state().drives[host::DriveIndex(root[0])];
  return d.mapped ? d.type : kDriveNoRootDir;
}

uint16_t GetSystemLanguage() { return host::machine().Language(); }

unsigned GetAnsiCodePage() { return host::state().codePage; }

Date GetLocalDate() { return host::machine().Today(); }

namespace {

bool CopyOut(const std::string& text, char* out, unsigned size) {
  if (text.empty() || text.size() >= size) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

bool GetProgramPath(char* out, unsigned size) {
  std::string path;
  return host::machine().ProgramPath(&path) && CopyOut(path, out, size);
}

unsigned GetProcessId() { return static_cast<unsigned>(getpid()); }

PrivateCopy* MakePrivateCopy(const char* fileName) { return host::machine().MakePrivateCopy(fileName); }

const char* PrivateCopyPath(const PrivateCopy* copy) { return copy->path.c_str(); }

bool StartPrivateCopy(PrivateCopy* copy, const char* arguments) {
  return copy != nullptr && host::machine().StartPrivateCopy(copy, arguments);
}

void DropPrivateCopy(PrivateCopy* copy) { delete copy; }

bool LeavePrivateFolder() { return host::machine().LeavePrivateFolder(); }

bool WaitForProcessEnd(unsigned, unsigned) { return true; }

bool RemoveAtRestart(const char* path) { return host::machine().RemoveAtRestart(path); }

bool GetDiskFreeBytes(const char* folder, uint64_t* freeBytes) {
  int drive = -1;
  std::vector<std::string> parts;
  if (!host::Parse(folder, &drive, &parts) || drive < 0) return false;
  const host::Drive& d = host::state().drives[drive];
  if (!d.mapped) return false;
  return host::machine().FreeBytes(drive, d.folder, freeBytes);
}

FolderList* ListFirst(const char* pattern, FolderEntry* entry) {
  // The pattern's last component is matched against the names of its folder;
  // "*.*" matches every name, as it does on Windows.
  std::string text = pattern ? pattern : "";
  size_t cut = text.find_last_of("\\/");
  std::string folder = cut == std::string::npos ? "." : text.substr(0, cut + 1);
  std::string mask = cut == std::string::npos ? text : text.substr(cut + 1);
  if (mask == "*.*") mask = "*";
  std::string hostFolder;
  if (!host::ToHostPath(folder.c_str(), &hostFolder)) return nullptr;
  std::vector<std::string> names;
  if (!host::files().Names(hostFolder, &names)) return nullptr;
  names.push_back(".");
  names.push_back("..");
  auto* list = new FolderList;
  for (const std::string& name : names) {
    if (mask != "*" && fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    FolderEntry item{};
    if (name.size() >= sizeof item.name) continue;
    std::strcpy(item.name, name.c_str());
    const std::string full = hostFolder + "/" + name;
    // A link is listed as a junction or symbolic link is: not followed.
    host::NodeInfo info;
    const bool there = host::files().Info(full, false, &info);
    const bool link = there && info.link;
    item.size = there && !info.folder ? info.size : 0;
    // Only a link needs a second look, at what it points to.
    const bool isFolder = name == "." || name == ".." ||
                          (there && (link ? host::files().Info(full, true, &info) && info.folder : info.folder));
    item.attributes = (isFolder ? kAttrDirectory : 0x80u) | (link ? kAttrReparsePoint : 0u);
    if (isFolder) item.size = 0;
    list->entries.push_back(item);
  }
  // A fixed order, so that runs repeat exactly ("." and ".." come first, as
  // on Windows).
  std::sort(list->entries.begin(), list->entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return std::strcmp(a.name, b.name) < 0;
  });
  if (list->entries.empty()) {
    delete list;
    return nullptr;
  }
  *entry = list->entries[0];
  list->next = 1;
  return list;
}

bool ListNext(FolderList* list, FolderEntry* entry) {
  if (list == nullptr || list->next >= list->entries.size()) return false;
  *entry = list->entries[list->next++];
  return true;
}

void ListClose(FolderList* list) { delete list; }

bool ConvertFromUtf8(unsigned codePage, const char* utf8, size_t length, std::string* out) {
  std::string name = codePage == kCodePageAscii ? "ASCII" : "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open(name.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  // Every code page here takes at most two bytes per character, and UTF-8
  // at least one.
  std::string result(length * 2 + 1, '\0');
  char* in = const_cast<char*>(utf8);
  size_t inLeft = length;
  char* to = &result[0];
  size_t toLeft = result.size();
  bool ok = iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1) && inLeft == 0;
  iconv_close(cd);
  if (!ok) return false;
  result.resize(result.size() - toLeft);
  *out = result;
  return true;
}

}  // namespace plat
