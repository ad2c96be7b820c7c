// The Linux port of the seam: paths, drives, streams and folders.
#include <strings.h>

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
};

namespace host {

State& state() {
  static State* s = new State;  // never destroyed: used from at-exit checks
  return *s;
}

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
}

bool DriveFolder(char letter, std::string* folder) {
  const int i = DriveIndex(letter);
  if (i < 0 || !state().drives[i].mapped) return false;
  *folder = state().drives[i].folder;
  return true;
}

void ResetDrives() {
  State& s = state();
  for (Drive& d : s.drives) d = Drive();
  s.current = "C:\\";
}

void SetCodePage(unsigned codePage) { state().codePage = codePage; }

unsigned CodePage() { return state().codePage; }

bool ToHostPath(const char* windowsPath, std::string* out) { return Resolve(windowsPath, out); }

}  // namespace host

// With no screen to show it on, a box goes to the box script (box_script.h).
int MessageBox(Window owner, const char* text, const char* caption, unsigned type,
               unsigned codePage) {
  return box_script::Answer(owner, text, caption, type, codePage);
}

void PrepareProcess() {}

void Sleep(unsigned ms) { host::machine().Sleep(ms); }

uint32_t TickCount() { return host::machine().Tick(); }

Stream* StreamOpen(const char* path, const char* mode) {
  std::string hostPath;
  if (!host::ToHostPath(path, &hostPath)) return nullptr;
  host::OpenFile* f = host::files().Open(hostPath, mode);
  if (f == nullptr) return nullptr;
  return new Stream{f};
}

size_t StreamRead(Stream* stream, void* buffer, size_t length) {
  if (stream == nullptr || length == 0) return 0;
  return stream->file->Read(buffer, length);
}

size_t StreamWrite(Stream* stream, const void* buffer, size_t length) {
  if (stream == nullptr || length == 0) return 0;
  return stream->file->Write(buffer, length);
}

bool StreamError(Stream* stream) { return stream != nullptr && stream->file->Error(); }

bool StreamSeek(Stream* stream, long offset, SeekFrom from) {
  return stream != nullptr && stream->file->Seek(offset, static_cast<int>(from));
}

long StreamTell(Stream* stream) { return stream == nullptr ? -1 : stream->file->Tell(); }

bool StreamFlush(Stream* stream) { return stream != nullptr && stream->file->Flush(); }

bool StreamClose(Stream* stream) {
  if (stream == nullptr) return false;
  const bool ok = stream->file->Close();
  delete stream;
  return ok;
}

bool DeleteFile(const char* path) {
  std::string hostPath;
  host::NodeInfo info;
  if (!host::ToHostPath(path, &hostPath) || !host::files().Info(hostPath, false, &info) || info.folder) return false;
  return host::files().Unlink(hostPath);
}

bool CreateFolder(const char* path) {
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
