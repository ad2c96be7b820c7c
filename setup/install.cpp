// The copy engine.
#include "install.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "a_mem.h"
#include "a_name.h"
#include "compose.h"
#include "install_log.h"
#include "platform.h"
#include "archive_walk.h"
#include "record_reader.h"
#include "setup_state.h"
#include "shell.h"
#include "stored_path.h"

CopyState copyState;

namespace {

// "無法寫入磁碟" and "磁碟錯誤!" in Big5.
const char kWriteFailText[] = "\xB5L\xAAk\xBCg\xA4J\xBA\xCF\xBA\xD0";
const char kWriteFailCaption[] = "\xBA\xCF\xBA\xD0\xBF\xF9\xBB~!";
constexpr unsigned kBig5 = 950;


// Under Wine every look at the message queue and every text set on the
// dialog is a round trip to its server, and a game of small files made
// several of them a file. So the dialog is served at most every
// kPumpEveryMs (a click is still seen within 50 ms) and the status line
// set at most every kDrawEveryMs, about 30 times a second, to the file
// being copied then. What is pending is shown before any box and when a
// disc ends, so the line is exact whenever the run stops.
constexpr uint32_t kPumpEveryMs = 20;
constexpr uint32_t kDrawEveryMs = 33;

struct Pacing {
  uint32_t lastPump = 0, lastDraw = 0;
  bool statusPending = false;
  char status[256] = {};
};
Pacing pacing;

ProgressReport& Report() { return *copyState.progress; }

void ShowPendingStatus() {
  if (!pacing.statusPending) return;
  Report().ShowStatus(pacing.status);
  pacing.statusPending = false;
  pacing.lastDraw = plat::TickCount();
}

// The file being copied, shown now or at the next draw that is due.
void SetStatus(const char* path) {
  Compose(pacing.status, sizeof pacing.status, "Copying %s ....", path) ||
      Compose(pacing.status, sizeof pacing.status, "Copying ....");
  pacing.statusPending = true;
  if (plat::TickCount() - pacing.lastDraw >= kDrawEveryMs) ShowPendingStatus();
}

bool DiscPath(char* out, size_t size, int discIndex) {
  return Compose(out, size, "%s\\cd%d", setupState.sourceFolder, discIndex + 1);
}

// The damaged-disc box for the disc file `file`; `offset` is the record's,
// or -1 when none applies.
void ReportDamageOf(const char* file, int32_t offset, const char* reason) {
  char text[700];
  if (offset >= 0) {
    Compose(text, sizeof text, "The disc file %s is damaged (record at byte %d: %s).\n"
            "The installation was stopped.", file, static_cast<int>(offset), reason);
  } else {
    Compose(text, sizeof text, "The disc file %s is damaged (%s).\n"
            "The installation was stopped.", file, reason);
  }
  ShowPendingStatus();
  plat::MessageBox(Report().Owner(), text, "Error", plat::kBoxOk);
  copyState.outcome = CopyOutcome::kDamaged;
}

// The same for the archive of disc `discIndex`.
void ReportDiscDamage(int discIndex, int32_t offset, const char* reason) {
  char disc[kPathSize];
  if (!DiscPath(disc, sizeof disc, discIndex)) CopyCut(disc, sizeof disc, "the disc");
  ReportDamageOf(disc, offset, reason);
}

void ReportDamage(int32_t offset, const char* reason) { ReportDiscDamage(copyState.discIndex, offset, reason); }

// Closes the file being written; a close that loses data is a failed write.
bool CloseOutput() {
  if (!copyState.output.IsOpen()) return true;
  return copyState.output.Close() == 1;
}

// The message queue between records: the progress dialog paints and its
// cancel button works only here.
void PumpMessages() {
  while (plat::PumpOne() != plat::kPumpEmpty) {
  }
}

bool RetryUnreadable(int32_t position);

// What setup does with each record the walk meets: the folders and files
// in the target folder, the disc's damage in a box, Retry when the disc
// cannot be read, progress and cancel between records. The walk stays
// across the discs: a file goes on from one to the next.
class CopySink : public disc::ArchiveSink {
 public:
  bool Name(int8_t tag, const std::string& path, size_t unpacked, int64_t offset) override {
    if (!Compose(joined_, sizeof joined_, "%s%s", setupState.targetFolder, path.c_str())) {
      ReportDamage(static_cast<int32_t>(offset), "a stored name is too long for the target folder");
      return false;
    }
    if (tag == kTagFileStart) SetStatus(path.c_str());
    copyState.bytesDone += static_cast<uint32_t>(unpacked);
    return true;
  }

  bool Folder(const std::string&, int, int64_t) override {
    // Logged only when this install makes it: one that was there stays.
    if (plat::GetAttributes(joined_) == plat::kInvalidAttributes && !installLog.Entry(disc::kLogFolder, joined_)) {
      return WriteFailed();
    }
    // A folder that exists already is fine; one that cannot be made is a
    // failed write, not an install with a folder missing.
    if (!plat::CreateFolder(joined_) &&
        (plat::GetAttributes(joined_) == plat::kInvalidAttributes ||
         (plat::GetAttributes(joined_) & plat::kAttrDirectory) == 0)) {
      return WriteFailed();
    }
    return true;
  }

  bool FileStart(const disc::WalkFile&, int64_t) override {
    if (!installLog.MakeLoggedParents(joined_) || !installLog.Entry(disc::kLogFile, joined_)) return WriteFailed();
    if (!copyState.output.OpenWrite(joined_)) {
      ShowPendingStatus();
      plat::MessageBox(Report().Owner(), "Create File Fail", "Error", plat::kBoxOk);
      copyState.outcome = CopyOutcome::kCreateFailed;
      return false;
    }
    return true;
  }

  bool FileData(const disc::WalkFile&, const unsigned char* data, size_t length, int64_t) override {
    copyState.bytesDone += static_cast<uint32_t>(length);
    if (length > 0 && !copyState.output.Write(data, static_cast<int>(length))) return WriteFailed();
    return true;
  }

  bool FileEnd(const disc::WalkFile&, int64_t) override { return CloseOutput() || WriteFailed(); }

  bool Unreadable(int64_t position) override { return RetryUnreadable(static_cast<int32_t>(position)); }

  void Damaged(const disc::WalkDamage& damage) override {
    // Damage at the end of the archive is told with the disc file closed.
    if (!damage.atRecord) copyState.archive.Close();
    ReportDiscDamage(damage.disc - 1, damage.atRecord ? static_cast<int32_t>(damage.offset) : -1,
                     damage.reason.c_str());
  }

  bool Next() override {
    if (++records_ % 2 == 0) UpdateCopyProgress();
    if (records_ > 65535) records_ = 0;
    if (Report().CancelRequested()) {
      copyState.outcome = CopyOutcome::kCancelled;
      return false;
    }
    const uint32_t now = plat::TickCount();
    if (pacing.statusPending && now - pacing.lastDraw >= kDrawEveryMs) ShowPendingStatus();
    if (now - pacing.lastPump >= kPumpEveryMs) {
      pacing.lastPump = now;
      PumpMessages();
    }
    return true;
  }

  void StartDisc() { records_ = 0; }

 private:
  static bool WriteFailed() {
    ReportWriteFailure();
    return false;
  }
  char joined_[kPathSize] = {};
  int records_ = 0;
};

// A question at which the player may take the disc out: nothing is held on
// the drive meanwhile, so that it opens (the caller has closed the disc
// file; the current folder, the disc's root, moves to the target folder).
// Afterwards the current folder is the disc's root again, for the paths
// relative to it; with no disc in the drive that waits for the next answer.
int AskAwayFromDisc(const char* text, const char* caption, unsigned type) {
  char root[kPathSize];
  const bool moved = Compose(root, sizeof root, "%s\\", setupState.sourceFolder) &&
                     plat::SetCurrentFolder(setupState.targetFolder);
  const int answer = plat::MessageBox(Report().Owner(), text, caption, type);
  if (moved) plat::SetCurrentFolder(root);
  return answer;
}

// A disc that cannot be read (a scratch, dust, the drive opened) is asked
// about, in a box owned by the progress report's window: Retry opens the
// disc file again and goes on at `position`, the file being written still
// open; Cancel ends the run as a failure.
bool RetryUnreadable(int32_t position) {
  char path[kPathSize];
  char text[160];
  const char drive[3] = {setupState.sourceFolder[0], setupState.sourceFolder[0] != '\0' ? setupState.sourceFolder[1] : '\0',
                         '\0'};
  if (!DiscPath(path, sizeof path, copyState.discIndex)) return false;
  Compose(text, sizeof text, "The disc in drive %s cannot be read. Clean the disc or put it back, then choose Retry.",
          drive);
  ShowPendingStatus();
  for (;;) {
    copyState.archive.Close();
    if (AskAwayFromDisc(text, "Error", plat::kBoxRetryCancel) != plat::kAnswerRetry) {
      copyState.outcome = CopyOutcome::kUnreadable;
      return false;
    }
    if (copyState.archive.OpenRead(path) && copyState.archive.Seek(position)) return true;
  }
}

}  // namespace

void ReportWriteFailure() {
  ShowPendingStatus();
  plat::MessageBox(Report().Owner(), kWriteFailText, kWriteFailCaption, plat::kBoxOk, kBig5);
  copyState.outcome = CopyOutcome::kWriteFailed;
}

namespace {

// Reads disc `discIndex`, whose archive is open, through `walk`.
int ExtractDisc(disc::ArchiveWalk* walk, CopySink* sink, int32_t discCount) {
  int32_t position = copyState.discIndex == 0 ? kSetupHeaderSize : 0;
  const int64_t size = copyState.archive.Size();
  if (size < position || !copyState.archive.Seek(position)) {
    ReportDamage(0, "the disc file is shorter than its header");
    return 0;
  }
  // The first file of a disc is shown at once, and the dialog served.
  pacing.lastDraw = pacing.lastPump = plat::TickCount() - kDrawEveryMs;
  auto* packed = static_cast<unsigned char*>(A_ALLOC(kPackedBufferSize));
  auto* unpacked = static_cast<unsigned char*>(A_ALLOC(kUnpackedBufferSize));
  int result = 1;
  if (packed == nullptr || unpacked == nullptr) {
    copyState.outcome = CopyOutcome::kNoMemory;
    result = 0;
  } else {
    sink->StartDisc();
    disc::FileSource source(&copyState.archive);
    disc::RecordReader reader(&source, position, packed, unpacked);
    const bool last = copyState.discIndex + 1 >= discCount;
    result = walk->Disc(copyState.discIndex + 1, &reader, size, last) == disc::WalkEnd::kDisc ? 1 : 0;
  }
  ShowPendingStatus();
  if (result == 0) CloseOutput();
  if (unpacked != nullptr) A_FREE(unpacked);
  if (packed != nullptr) A_FREE(packed);
  return result;
}

}  // namespace

void UpdateCopyProgress() {
  Report().UpdateProgress(ComputePercent(copyState.bytesDone, setupState.header.installSize));
}

int AskForDisc(int discIndex) {
  char text[kTextSlotSize + 16];
  Compose(text, sizeof text, "%s%d", Text(kNextCd), discIndex + 1);
  if (AskAwayFromDisc(text, "Next Disc", plat::kBoxOkCancel) == plat::kAnswerOk) {
    return 1;
  }
  plat::MessageBox(Report().Owner(), Text(kFailMsg), "Fail", plat::kBoxOk);
  Report().RequestCancel();
  return 0;
}

namespace {

// The lengths of the prefixes of targetFolder that MakeTargetFolder made,
// for the install log.
constexpr int kMaxLevels = 32;
size_t madeLevels[kMaxLevels];
int madeLevelCount = 0;

void MakeLevel(const char* path, size_t length) {
  if (plat::CreateFolder(path) && madeLevelCount < kMaxLevels) madeLevels[madeLevelCount++] = length;
}

// Opens the install log in the target folder and records the game, its key
// and the levels of the target folder this install made.
bool StartInstallLog() {
  if (!installLog.Open(setupState.targetFolder) || !installLog.Entry(disc::kLogGame, setupState.header.gameName) ||
      !installLog.Entry(disc::kLogKey, setupState.header.uninstallKey)) {
    return false;
  }
  char level[kTargetFolderSize];
  for (int k = 0; k < madeLevelCount; ++k) {
    std::memcpy(level, setupState.targetFolder, madeLevels[k]);
    level[madeLevels[k]] = '\0';
    if (!installLog.Entry(disc::kLogBase, level)) return false;
  }
  return true;
}

}  // namespace

void MakeTargetFolder() {
  const char* target = setupState.targetFolder;
  madeLevelCount = 0;
  if (target[0] == '\0') {
    plat::CreateFolder(target);
    return;
  }
  // Each level up to a "\" as the file system reads it: the second byte of
  // a double-byte character (許 is B3 5C in Big5) separates nothing, and
  // cutting there would make a folder of half a character.
  const unsigned codePage = plat::GetAnsiCodePage();
  char prefix[kTargetFolderSize];
  for (size_t i = 0; target[i] != '\0' && i < sizeof prefix; i += a_char_size(codePage, target + i)) {
    if (target[i] == '\\') {
      std::memcpy(prefix, target, i);
      prefix[i] = '\0';
      MakeLevel(prefix, i);
    }
  }
  MakeLevel(target, std::strlen(target));
}

namespace {

int ReadDiscs(int32_t discCount) {
  CopySink sink;
  disc::WalkRules rules;
  rules.codePage = plat::GetAnsiCodePage();
  rules.list = copyState.manifest;
  disc::ArchiveWalk walk(rules, &sink);
  char path[kPathSize];
  for (copyState.discIndex = 0;;) {
    DiscPath(path, sizeof path, copyState.discIndex);
    while (!copyState.archive.OpenRead(path)) {
      if (!AskForDisc(copyState.discIndex)) {
        copyState.outcome = CopyOutcome::kDeclined;
        CloseOutput();
        return 0;
      }
    }
    int complete = ExtractDisc(&walk, &sink, discCount);
    copyState.archive.Close();
    if (!complete) {
      CloseOutput();
      return 0;
    }
    if (++copyState.discIndex >= discCount) break;
  }
  copyState.outcome = CopyOutcome::kDone;
  return 1;
}

}  // namespace

int RunDiscs() {
  copyState.bytesDone = 0;
  copyState.outcome = CopyOutcome::kNotRun;
  a_drop_final_backslash(plat::GetAnsiCodePage(), setupState.sourceFolder);
  char path[kPathSize];
  if (!DiscPath(path, sizeof path, 0) || !copyState.archive.OpenRead(path)) {
    copyState.outcome = CopyOutcome::kNoFirstDisc;
    return 0;
  }
  // The header as the disc now in the drive has it.
  disc::FileSource source(&copyState.archive);
  setupState.header.Load(&source);
  const int32_t discCount = setupState.header.discCount;
  if (copyState.archive.Failed()) {
    copyState.archive.Close();
    ReportDamage(0, "the disc cannot be read here");
    return 0;
  }
  copyState.archive.Close();
  if (!LoadDiscManifest(discCount)) return 0;
  MakeTargetFolder();
  // What this install makes is recorded before it is made; without the
  // record the install does not start.
  if (!StartInstallLog()) {
    installLog.Close();
    ReportWriteFailure();
    return 0;
  }
  int result = ReadDiscs(discCount);
  // Every entry was pushed to the disk and checked as it was written.
  installLog.Close();
  return result;
}


namespace {

// Copies one file of the data folder; `to` is its place in the target folder.
bool CopyDataFile(const char* name, const char* to) {
  if (copyState.manifest == nullptr) return CopyFileData(name, to) == 1;
  // The data folder lands in the target folder: a file's place there, from
  // its "\", is its name in the list.
  const size_t base = std::strlen(setupState.targetFolder);
  const char* listed = std::strncmp(to, setupState.targetFolder, base) == 0 ? to + base : to;
  char source[kPathSize];
  if (!Compose(source, sizeof source, "%s\\data%s", setupState.sourceFolder, listed)) {
    CopyCut(source, sizeof source, name);
  }
  ManifestFile* row = copyState.manifest->Find(ManifestSource::kData, listed, std::strlen(listed));
  if (row == nullptr) {
    ReportDamageOf(source, -1, "the file is not in the disc's list of files");
    return false;
  }
  uint64_t size = 0;
  uint32_t crc = 0;
  if (!CopyFileData(name, to, &size, &crc)) return false;
  if (size != row->size || crc != row->crc) {
    ReportDamageOf(source, -1, ListedMismatch(row, row->path, 0, size, crc).c_str());
    return false;
  }
  row->installed = true;
  return true;
}

Manifest discManifest;

}  // namespace

bool LoadDiscManifest(int32_t discCount) {
  copyState.manifest = nullptr;
  discManifest.Clear();
  char path[kPathSize];
  if (!Compose(path, sizeof path, "%s\\%s", setupState.sourceFolder, kManifestFile)) return true;
  // A disc made before discs carried the list installs as it always did.
  FileHandle probe;
  if (!probe.OpenRead(path)) return true;
  probe.Close();
  TextTable table;
  table.Load(path);
  std::string reason;
  if (!discManifest.Parse(table, plat::GetAnsiCodePage(), &reason)) {
    ReportDamageOf(path, -1, reason.c_str());
    return false;
  }
  // The header's count rules the reading of the discs; the first disc is
  // read whatever it says.
  const int32_t discs = discCount < 1 ? 1 : discCount;
  if (discManifest.discCount != discs) {
    ReportDamageOf(path, -1, ("the list of files is of a set of " + std::to_string(discManifest.discCount) +
                              " discs, the setup header of " + std::to_string(discs)).c_str());
    discManifest.Clear();
    return false;
  }
  copyState.manifest = &discManifest;
  return true;
}

bool CheckEveryFileInstalled() {
  if (copyState.manifest == nullptr) return true;
  const ManifestFile* missing = copyState.manifest->FirstMissing();
  if (missing == nullptr) return true;
  if (missing->source == ManifestSource::kArchive) {
    ReportDiscDamage(missing->disc - 1, -1,
                     (missing->path + " is in the disc's list of files but was not on the disc").c_str());
  } else {
    char data[kPathSize];
    if (!Compose(data, sizeof data, "%s\\data", setupState.sourceFolder)) CopyCut(data, sizeof data, "data");
    ReportDamageOf(data, -1, (missing->path + " is in the disc's list of files but not in this folder").c_str());
  }
  return false;
}

bool AskForFirstDiscAgain() {
  // Only disc 1 carries the data folder; the drive holds the last disc read.
  if (copyState.discIndex < 2) return true;
  char probe[kPathSize];
  if (!Compose(probe, sizeof probe, "%s\\%s", setupState.sourceFolder, kDiscProbe)) return true;
  while (plat::GetAttributes(probe) == plat::kInvalidAttributes) {
    if (!AskForDisc(0)) {
      copyState.outcome = CopyOutcome::kDeclined;
      return false;
    }
  }
  return true;
}

int CopyTree(const char* source, const char* target) {
  char remembered[kPathSize];
  unsigned length = plat::GetCurrentFolder(remembered, sizeof remembered);
  if (length == 0 || length >= sizeof remembered) return 0;
  if (!plat::SetCurrentFolder(source)) return 1;
  int ok = 1;
  if (plat::GetAttributes(target) == plat::kInvalidAttributes && !installLog.Entry(disc::kLogFolder, target)) ok = 0;
  plat::CreateFolder(target);
  plat::FolderEntry entry;
  plat::FolderList* list = plat::ListFirst("*.*", &entry);
  if (list != nullptr) {
    do {
      bool folder = (entry.attributes & plat::kAttrDirectory) != 0;
      if (folder && (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0)) continue;
      char to[kPathSize];
      if (!Compose(to, sizeof to, "%s\\%s", target, entry.name)) {
        ok = 0;
        continue;
      }
      if (folder) {
        ok &= CopyTree(entry.name, to);
      } else if (!installLog.Entry(disc::kLogFile, to) || !CopyDataFile(entry.name, to)) {
        ok = 0;
      }
      // One damaged-disc box, and nothing copied after it.
      if (copyState.outcome == CopyOutcome::kDamaged) break;
    } while (plat::ListNext(list, &entry));
    plat::ListClose(list);
  }
  plat::SetCurrentFolder(remembered);
  return ok;
}
