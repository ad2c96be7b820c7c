// The Linux stand-in for the operating system.
#include <sched.h>
#include <strings.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "box_script.h"
#include "host_files.h"
#include "host_internal.h"
#include "platform.h"

namespace plat {

struct Stream {
  host::OpenFile* file;
  bool injectedError;
};

namespace host {

State& state() {
  static State* s = new State;  // never destroyed: used from at-exit checks
  return *s;
}

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

}  // namespace

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

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }


// Splits `text` at separators into `parts`, folding "." and "..".
void AppendComponents(const char* text, std::vector<std::string>* parts) {
  std::string piece;
  auto flush = [&]() {
    if (piece.empty() || piece == ".") {
    } else if (piece == "..") {
      if (!parts->empty()) parts->pop_back();
    } else {
      parts->push_back(piece);
    }
    piece.clear();
  };
  for (const char* p = text; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (IsLeadByte(state().codePage, c) && p[1] != '\0') {
      piece += *p;
      piece += *++p;
    } else if (IsSeparator(*p)) {
      flush();
    } else {
      piece += *p;
    }
  }
  flush();
}

bool Resolve(const char* path, std::string* out) {
  int drive = -1;
  std::vector<std::string> parts;
  if (!Parse(path, &drive, &parts) || drive < 0) return false;
  const Drive& d = state().drives[drive];
  if (!d.mapped) return false;
  *out = files().Match(d.folder, parts);
  return true;
}

}  // namespace

int DriveIndex(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

bool Parse(const char* path, int* drive, std::vector<std::string>* parts) {
  if (path == nullptr || path[0] == '\0') return false;
  const State& s = state();
  if (IsSeparator(path[0]) && IsSeparator(path[1])) return false;  // UNC, \\?\ forms
  parts->clear();
  if (DriveIndex(path[0]) >= 0 && path[1] == ':') {
    *drive = DriveIndex(path[0]);
    const char* rest = path + 2;
    // "C:x" is relative to the current folder when C: is the current drive.
    if (!IsSeparator(rest[0]) && DriveIndex(s.current[0]) == *drive) {
      AppendComponents(s.current.c_str() + 2, parts);
    }
    AppendComponents(rest, parts);
    return true;
  }
  *drive = DriveIndex(s.current[0]);
  if (!IsSeparator(path[0])) AppendComponents(s.current.c_str() + 2, parts);
  AppendComponents(path, parts);
  return true;
}

void MapDrive(char letter, const std::string& folder, unsigned type) {
  int i = DriveIndex(letter);
  if (i < 0) return;
  Drive& d = state().drives[i];
  d.mapped = true;
  d.folder = folder;
  while (d.folder.size() > 1 && d.folder.back() == '/') d.folder.pop_back();
  d.type = type;
  d.hasFreeBytes = false;
}

void ResetDrives() {
  State& s = state();
  for (Drive& d : s.drives) d = Drive();
  s.current = "C:\\";
}

void SetCodePage(unsigned codePage) { state().codePage = codePage; }

void HoldFile(const std::string& windowsPath) {
  std::string hostPath;
  if (ToHostPath(windowsPath.c_str(), &hostPath)) state().heldFiles.push_back(hostPath);
}

void ReleaseHeldFiles() { state().heldFiles.clear(); }

std::vector<std::string> OpenStreamPaths() {
  std::vector<std::string> paths;
  for (const auto& open : state().openStreams) paths.push_back(open.second);
  return paths;
}

unsigned CodePage() { return state().codePage; }

bool ToHostPath(const char* windowsPath, std::string* out) { return Resolve(windowsPath, out); }

}  // namespace host

int MessageBox(Window owner, const char* text, const char* caption, unsigned type,
               unsigned codePage) {
  return box_script::Answer(owner, text, caption, type, codePage);
}

void PrepareProcess() {}

void Sleep(unsigned ms) {
  if (host::state().skipSleeps) {
    sched_yield();
    return;
  }
  struct timespec t;
  t.tv_sec = ms / 1000;
  t.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

uint32_t TickCount() {
  host::State& s = host::state();
  s.clock += s.clockStep;
  return s.clock;
}

Stream* StreamOpen(const char* path, const char* mode) {
  std::string hostPath;
  if (!host::ToHostPath(path, &hostPath)) return nullptr;
  host::NodeInfo info;
  // Windows cannot open a folder as a file stream; Linux can, for reading.
  if (host::files().Info(hostPath, true, &info) && info.folder) return nullptr;
  host::OpenFile* f = host::files().Open(hostPath, mode);
  if (f == nullptr) return nullptr;
  Stream* stream = new Stream{f, false};
  host::state().openStreams.emplace_back(stream, hostPath);
  return stream;
}

size_t StreamRead(Stream* stream, void* buffer, size_t length) {
  if (stream == nullptr || length == 0) return 0;
  if (host::FaultHere(host::kFaultRead)) {
    stream->injectedError = true;
    return stream->file->Read(buffer, length / 2);
  }
  return stream->file->Read(buffer, length);
}

size_t StreamWrite(Stream* stream, const void* buffer, size_t length) {
  if (stream == nullptr || length == 0) return 0;
  if (host::FaultHere(host::kFaultWrite)) {
    stream->injectedError = true;
    return stream->file->Write(buffer, length / 2);
  }
  return stream->file->Write(buffer, length);
}

bool StreamError(Stream* stream) { return stream != nullptr && (stream->injectedError || stream->file->Error()); }

bool StreamSeek(Stream* stream, long offset, SeekFrom from) {
  return stream != nullptr && stream->file->Seek(offset, static_cast<int>(from));
}

long StreamTell(Stream* stream) { return stream == nullptr ? -1 : stream->file->Tell(); }

bool StreamFlush(Stream* stream) { return stream != nullptr && stream->file->Flush(); }

bool StreamClose(Stream* stream) {
  if (stream == nullptr) return false;
  const bool ok = stream->file->Close();
  auto& open = host::state().openStreams;
  for (auto it = open.begin(); it != open.end(); ++it) {
    if (it->first == stream) {
      open.erase(it);
      break;
    }
  }
  delete stream;
  return !host::FaultHere(host::kFaultClose) && ok;
}

bool DeleteFile(const char* path) {
  std::string hostPath;
  host::NodeInfo info;
  if (!host::ToHostPath(path, &hostPath) || !host::files().Info(hostPath, false, &info) || info.folder) return false;
  for (const std::string& held : host::state().heldFiles) {
    if (held == hostPath) return false;  // open elsewhere: a sharing violation
  }
  return host::files().Unlink(hostPath);
}

bool CreateFolder(const char* path) {
  if (host::FaultHere(host::kFaultFolder)) return false;
  std::string hostPath;
  if (!host::ToHostPath(path, &hostPath)) return false;
  return host::files().MakeFolder(hostPath);
}

bool RemoveFolder(const char* path) {
  std::string hostPath;
  host::NodeInfo info;
  if (!host::ToHostPath(path, &hostPath) || !host::files().Info(hostPath, false, &info)) return false;
  // A symbolic link stands for a junction: it goes itself, as on Windows.
  if (info.link) {
    return host::files().Info(hostPath, true, &info) && info.folder && host::files().Unlink(hostPath);
  }
  return info.folder && host::files().RemoveFolder(hostPath);
}

uint32_t GetAttributes(const char* path) {
  std::string hostPath;
  host::NodeInfo info;
  if (!host::ToHostPath(path, &hostPath) || !host::files().Info(hostPath, false, &info)) return kInvalidAttributes;
  // Links are not followed; a link to a folder reads as a junction does.
  if (info.link) {
    return kAttrReparsePoint | ((host::files().Info(hostPath, true, &info) && info.folder) ? kAttrDirectory : 0u);
  }
  if (info.folder) return kAttrDirectory;
  return 0x80u;  // FILE_ATTRIBUTE_NORMAL
}

unsigned GetCurrentFolder(char* buffer, unsigned size) {
  const std::string& current = host::state().current;
  unsigned length = static_cast<unsigned>(current.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, current.c_str(), length + 1);
  return length;
}

bool SetCurrentFolder(const char* path) {
  int drive = -1;
  std::vector<std::string> parts;
  if (!host::Parse(path, &drive, &parts) || drive < 0) return false;
  std::string hostPath;
  host::NodeInfo info;
  if (!host::Resolve(path, &hostPath) || !host::files().Info(hostPath, true, &info) || !info.folder) return false;
  std::string current(1, static_cast<char>('A' + drive));
  current += ":";
  for (const std::string& part : parts) current += "\\" + part;
  if (parts.empty()) current += "\\";
  host::state().current = current;
  return true;
}

}  // namespace plat
