// The controls' file system and machine, put in place of the port's own
// when the process starts.
#include <sched.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "controls_internal.h"

namespace plat {
namespace host {
namespace {

// Counted in 64 bits: a process that never resets them (a fuzz target's
// millions of runs) passes 2^31 calls of a kind.
struct Faults {
  int64_t calls[kFaultKindCount] = {};
  int64_t failAt[kFaultKindCount] = {};
};

Faults& faults() {
  static Faults* f = new Faults;
  return *f;
}

bool& inMemory() {
  static bool on = false;
  return on;
}

// The files of the stand-in as the program sees them: the plain file system
// with the injected faults, the files held open by another program, and the
// streams open now.
struct Holds {
  std::vector<std::string> held;  // host paths Unlink refuses
  std::vector<std::pair<const void*, std::string>> open;  // each open file's host path
};

Holds& holds() {
  static Holds* h = new Holds;
  return *h;
}

class FaultyFile : public OpenFile {
 public:
  explicit FaultyFile(OpenFile* file) : file_(file) {}
  size_t Read(void* buffer, size_t length) override {
    if (FaultHere(kFaultRead)) {
      injected_ = true;
      return file_->Read(buffer, length / 2);
    }
    return file_->Read(buffer, length);
  }
  size_t Write(const void* buffer, size_t length) override {
    if (FaultHere(kFaultWrite)) {
      injected_ = true;
      return file_->Write(buffer, length / 2);
    }
    return file_->Write(buffer, length);
  }
  bool Error() override { return injected_ || file_->Error(); }
  bool Seek(long offset, int from) override { return file_->Seek(offset, from); }
  long Tell() override { return file_->Tell(); }
  bool Flush() override { return file_->Flush(); }
  bool Close() override {
    const bool ok = file_->Close();
    auto& open = holds().open;
    for (auto it = open.begin(); it != open.end(); ++it) {
      if (it->first == this) {
        open.erase(it);
        break;
      }
    }
    delete this;
    return !FaultHere(kFaultClose) && ok;
  }

 private:
  OpenFile* file_;
  bool injected_ = false;
};

class FaultyFiles : public FileSystem {
 public:
  bool Info(const std::string& path, bool follow, NodeInfo* info) override {
    return PlainFiles().Info(path, follow, info);
  }
  bool Names(const std::string& folder, std::vector<std::string>* names) override {
    return PlainFiles().Names(folder, names);
  }
  OpenFile* Open(const std::string& path, const char* mode) override {
    OpenFile* file = PlainFiles().Open(path, mode);
    if (file == nullptr) return nullptr;
    auto* faulty = new FaultyFile(file);
    holds().open.emplace_back(faulty, path);
    return faulty;
  }
  bool MakeFolder(const std::string& path) override {
    return !FaultHere(kFaultFolder) && PlainFiles().MakeFolder(path);
  }
  bool RemoveFolder(const std::string& path) override { return PlainFiles().RemoveFolder(path); }
  bool Unlink(const std::string& path) override {
    const auto& held = holds().held;
    // Open elsewhere: a sharing violation.
    if (std::find(held.begin(), held.end(), path) != held.end()) return false;
    return PlainFiles().Unlink(path);
  }
  bool MakeLink(const std::string& target, const std::string& path) override {
    return PlainFiles().MakeLink(target, path);
  }
  bool FreeBytes(const std::string& path, uint64_t* bytes) override { return PlainFiles().FreeBytes(path, bytes); }
  std::string Match(const std::string& folder, const std::vector<std::string>& names) override {
    return PlainFiles().Match(folder, names);
  }
};

// A drive's free bytes as set, for the folder it was mapped onto then: a
// drive mapped anew has its real free space again.
struct FreeSpace {
  bool set = false;
  std::string folder;
  uint64_t bytes = 0;
};

// The machine a test plays: US English until told otherwise, a clock that
// moves only when it is read, and processes that are recorded, not run.
class ScriptedMachine : public Machine {
 public:
  uint16_t language = 0x0409;
  bool hasDate = false;
  Date date{};
  std::string programPath;
  std::vector<StartedCopy> startedCopies;
  bool refuseCopies = false;
  std::vector<std::string> removalsAtRestart;
  FreeSpace freeSpace[26];
  bool skipSleeps = false;
  // Each reading is `clockStep` milliseconds after the last.
  uint32_t clock = 0;
  uint32_t clockStep = 50;

  uint16_t Language() override { return language; }
  Date Today() override { return hasDate ? date : Machine::Today(); }
  uint32_t Tick() override { return clock += clockStep; }
  void Sleep(unsigned ms) override {
    if (skipSleeps) {
      sched_yield();
      return;
    }
    Machine::Sleep(ms);
  }
  bool ProgramPath(std::string* path) override {
    *path = programPath;
    return !programPath.empty();
  }
  bool FreeBytes(int drive, const std::string& hostFolder, uint64_t* bytes) override {
    if (drive >= 0 && drive < 26 && freeSpace[drive].set && freeSpace[drive].folder == hostFolder) {
      *bytes = freeSpace[drive].bytes;
      return true;
    }
    return Machine::FreeBytes(drive, hostFolder, bytes);
  }
  // A name and a path only: no file is written.
  PrivateCopy* MakePrivateCopy(const char* fileName) override {
    if (refuseCopies) return nullptr;
    const std::string name = fileName;
    const std::string folder = "C:\\Windows\\Temp\\" + name.substr(0, name.find_last_of('.')) + "-" +
                               std::to_string(startedCopies.size());
    return new PrivateCopy{name, folder + "\\" + name};
  }
  bool StartPrivateCopy(PrivateCopy* copy, const char* arguments) override {
    startedCopies.push_back(StartedCopy{copy->fileName, arguments});
    delete copy;
    return true;
  }
  bool LeavePrivateFolder() override {
    if (startedCopies.empty()) return false;
    startedCopies.back().leftFolder = true;
    return true;
  }
  bool RemoveAtRestart(const char* path) override {
    removalsAtRestart.push_back(path);
    return true;
  }
};

ScriptedMachine& scripted() {
  static ScriptedMachine* m = new ScriptedMachine;
  return *m;
}

// In place from the start of the process, before any test runs.
struct Installer {
  Installer() {
    static FaultyFiles* faulty = new FaultyFiles;
    UseFileSystem(faulty);
    UseMachine(&scripted());
  }
} installer;

}  // namespace

FileSystem& PlainFiles() { return inMemory() ? MemoryFiles() : DiskFiles(); }

bool FaultHere(FaultKind kind) {
  Faults& f = faults();
  ++f.calls[kind];
  return f.failAt[kind] != 0 && f.calls[kind] == f.failAt[kind];
}

void FailCall(FaultKind kind, int nth) { faults().failAt[kind] = nth == 0 ? 0 : faults().calls[kind] + nth; }

int CallCount(FaultKind kind) {
  const int64_t calls = faults().calls[kind];
  return calls > INT32_MAX ? INT32_MAX : static_cast<int>(calls);
}

void ResetFaults() { faults() = Faults(); }

void UseMemoryFiles(bool on) { inMemory() = on; }

bool UsingMemoryFiles() { return inMemory(); }

void HoldFile(const std::string& windowsPath) {
  std::string hostPath;
  if (ToHostPath(windowsPath.c_str(), &hostPath)) holds().held.push_back(hostPath);
}

void ReleaseHeldFiles() { holds().held.clear(); }

std::vector<std::string> OpenStreamPaths() {
  std::vector<std::string> paths;
  for (const auto& open : holds().open) paths.push_back(open.second);
  return paths;
}

void SetSystemLanguage(uint16_t language) {
  scripted().language = language;
  SetCodePage(AnsiCodePageOf(language));
}

unsigned AnsiCodePageOf(uint16_t language) {
  switch (language) {
    case 0x0404:  // Taiwan
    case 0x0C04:  // Hong Kong
    case 0x1404:  // Macao
      return 950;
    case 0x0804:  // PRC
    case 0x1004:  // Singapore
      return 936;
    default:
      return 1252;
  }
}

void SetLocalDate(const Date& date) {
  scripted().hasDate = true;
  scripted().date = date;
}

void SetProgramPath(const std::string& windowsPath) { scripted().programPath = windowsPath; }

void SkipSleeps(bool skip) { scripted().skipSleeps = skip; }

void SetClockStep(uint32_t ms) { scripted().clockStep = ms; }

const std::vector<StartedCopy>& StartedCopies() { return scripted().startedCopies; }

void ResetProcesses(bool refuse) {
  scripted().startedCopies.clear();
  scripted().refuseCopies = refuse;
  scripted().removalsAtRestart.clear();
}

const std::vector<std::string>& RemovalsAtRestart() { return scripted().removalsAtRestart; }

void SetFreeBytes(char letter, uint64_t freeBytes) {
  std::string folder;
  if (!DriveFolder(letter, &folder)) return;
  const int i = (letter | 0x20) - 'a';
  scripted().freeSpace[i] = FreeSpace{true, folder, freeBytes};
}

void ResetAll() {
  ResetDrives();
  for (FreeSpace& space : scripted().freeSpace) space = FreeSpace();
  SetCodePage(1252);
  SetSystemLanguage(0x0409);
  ResetProcesses();
  ReleaseHeldFiles();
  ResetShell();
  ResetUi();
  ResetFaults();
}

bool WriteHostFile(const std::string& hostPath, const std::string& bytes) {
  OpenFile* file = PlainFiles().Open(hostPath, "wb");
  const size_t cut = hostPath.rfind('/');
  if (file == nullptr && cut != std::string::npos && cut > 0 && MakeHostFolders(hostPath.substr(0, cut))) {
    file = PlainFiles().Open(hostPath, "wb");
  }
  if (file == nullptr) return false;
  const bool wrote = file->Write(bytes.data(), bytes.size()) == bytes.size();
  return file->Close() && wrote;
}

bool ReadHostFile(const std::string& hostPath, std::string* bytes) {
  NodeInfo info;
  if (!PlainFiles().Info(hostPath, true, &info) || info.folder) return false;
  OpenFile* file = PlainFiles().Open(hostPath, "rb");
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
  return PlainFiles().Info(hostPath, true, &info);
}

bool HostIsFolder(const std::string& hostPath) {
  NodeInfo info;
  return PlainFiles().Info(hostPath, true, &info) && info.folder;
}

bool MakeHostFolders(const std::string& hostPath) {
  size_t at = 0;
  while (at != std::string::npos) {
    at = hostPath.find('/', at + 1);
    const std::string prefix = hostPath.substr(0, at);
    if (!prefix.empty() && !HostIsFolder(prefix) && !PlainFiles().MakeFolder(prefix)) return false;
  }
  return true;
}

bool MakeHostLink(const std::string& target, const std::string& hostPath) {
  return PlainFiles().MakeLink(target, hostPath);
}

void RemoveHostTree(const std::string& hostPath) {
  NodeInfo info;
  if (!PlainFiles().Info(hostPath, false, &info)) return;
  if (!info.folder) {
    PlainFiles().Unlink(hostPath);
    return;
  }
  std::vector<std::string> names;
  if (PlainFiles().Names(hostPath, &names)) {
    for (const std::string& name : names) RemoveHostTree(hostPath + "/" + name);
  }
  PlainFiles().RemoveFolder(hostPath);
}

namespace {

void ListInto(const std::string& folder, std::vector<HostEntry>* out) {
  std::vector<std::string> names;
  if (!PlainFiles().Names(folder, &names)) return;
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    NodeInfo info;
    if (!PlainFiles().Info(path, false, &info)) continue;
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
