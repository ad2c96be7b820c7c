// Reading a disc set back: what it holds (list) and whether the installer
// will get every file of it whole (verify).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive_walk.h"
#include "disc_volume.h"

namespace gamedisc {

// The root folders of the discs, disc 1 first.
struct DiscSet {
  std::vector<std::string> roots;
};

// One folder holding disc1, disc2, ... (as the build writes them), or the
// disc folders themselves in order.
bool LocateDiscs(const std::vector<std::string>& paths, DiscSet* set, std::string* error);

// The first fault found: which disc, which file of it, where in that file
// (-1 when no offset applies) and what is wrong.
struct Fault {
  int disc = 0;  // 1-based
  std::string file;
  int64_t offset = -1;
  std::string reason;
};
std::string DescribeFault(const Fault& fault);

struct ArchivedFolder {
  std::string path;  // as stored, "\..."
  int disc;
};
struct ArchivedFile {
  std::string path;  // as stored, "\..."
  uint64_t size;
  int firstDisc, lastDisc;  // firstDisc: the disc of its FileStart record
  uint32_t crc = 0;         // CRC-32 of its unpacked bytes
};
struct PlainFile {
  std::string path;  // relative to the disc root; "PACKAGE:ENTRY" for package entries
  uint64_t size;
  int disc;
};

struct DiscContents {
  std::string companyName, gameName, uninstallKey, exeName;
  int32_t discCount = 0;
  uint32_t installSize = 0;
  std::vector<ArchivedFolder> folders;
  std::vector<ArchivedFile> files;
  std::vector<PlainFile> plain;
  // What setup takes but our discs never hold: tag bytes of no record,
  // names that some systems' code page refuses, and pictures whose
  // attributes do not agree with their size (loaded, never shown).
  std::vector<std::string> notes;
};

// Reads the header and every record of every archive, checking each as the
// installer will take it. `onFile` is told each file as its end is read.
// False with `fault` set at the first fault; `contents` then holds what was
// read before it.
bool ReadArchives(const DiscSet& set, DiscContents* contents, Fault* fault,
                  const std::function<void(const ArchivedFile&)>& onFile = nullptr);

// Where the archives come from when they are not the folders of a DiscSet:
// `open(disc)` gives disc `disc`'s archive ("cdN"), null when the set has
// no such disc; `name(disc)` names it in a fault.
struct ArchiveSource {
  std::function<std::unique_ptr<VolumeFile>(int disc)> open;
  std::function<std::string(int disc)> name;
};

// ReadArchives over `source`. Stored names are checked as a system of code
// page `codePage` reads them (0: as verify does, on each of 1252, 950 and
// 936). `sink`, when given, is told every folder and every piece of every
// file, and `contents` then keeps of the files only the last one begun;
// when the sink stops the walk the result is false with `fault` naming the
// disc and offset, and its reason left empty for the sink's own.
bool ReadArchivesFrom(const ArchiveSource& source, unsigned codePage, disc::ArchiveSink* sink, DiscContents* contents,
                      Fault* fault);

// Everything list shows: the archives, then every plain file of each disc
// (package entries included).
bool ReadDiscSet(const DiscSet& set, DiscContents* contents, Fault* fault);

// ReadArchives, then the rest of what the installer needs: the probe file,
// the texts and picture sets (from the setupdata folder or its package), the
// web link, the disc's list of files against every archived file and every
// file of disc 1's data folder (a set without the list is told in a note),
// the executable and uninstall.exe among the installed files, the install
// size.
bool VerifyDiscSet(const DiscSet& set, DiscContents* contents, Fault* fault,
                   const std::function<void(const ArchivedFile&)>& onFile = nullptr);

// The listing, as `unzip -l` shows an archive.
std::string FormatListing(const DiscContents& contents);

}  // namespace gamedisc
