// The copy engine: the disc archives read record by record into the target
// folder, the disc prompts, the data folder's copy and the check against
// the disc's list of files.
#pragma once

#include <cstdint>

#include "a_file.h"
#include "disc_format.h"
#include "manifest.h"
#include "progress_report.h"

// The records come from disc/record_reader.h; this engine decides what each
// one does to the target folder.
//
// The archive is untrusted: a record longer than the work buffer, cut off by
// the end of the file, that does not unpack, a stored path that would leave
// the target folder, file data with no file open, or a last disc that ends
// inside a file is a damaged disc. A damaged disc, a file that cannot be
// created and a failed write each end the run with one box owned by the
// progress report's window; nothing already written is removed.

// How the last run of the discs ended.
enum class CopyOutcome {
  kNotRun,
  kDone,          // every disc read, the shell integration done
  kNoFirstDisc,   // "cd1" could not be opened
  kCancelled,     // the user confirmed the cancel question
  kDeclined,      // the user gave up at the disc prompt
  kDamaged,       // the disc is damaged (message shown)
  kCreateFailed,  // a target file could not be created (message shown)
  kWriteFailed,   // a write, flush or close failed: disk full (message shown)
  kNoMemory,      // the work buffers could not be had (the allocator's box)
  kUnreadable,    // the disc could not be read and the user gave up (message shown)
};

// The copy engine's process-wide record, zero at start.
struct CopyState {
  FileHandle archive;  // the disc archive being read, per disc
  FileHandle output;   // the file being written; may stay open across discs
  int32_t discIndex;   // 0 for the first disc
  uint32_t bytesDone;  // unpacked bytes of Folder, FileStart and FileData records
  CopyOutcome outcome;
  // The disc's list of files, when disc 1 has one (else null): the walk of
  // the archives matches each file against its row as it is closed.
  Manifest* manifest;
  // Where the engine shows its progress and status and owns its boxes, and
  // whom it asks whether to stop; set before any operation below runs.
  ProgressReport* progress;
};
extern CopyState copyState;


// Reads every disc into the target folder. 1 when every disc was read
// completely; 0 when stopped (copyState.outcome says why). `output` is
// closed and the work buffers are released either way. The game is
// registered and given its shortcuts by the install run, once all of its
// files are in place.
int RunDiscs();
// Shows in the progress report the share of the install size read so far.
void UpdateCopyProgress();
// Asks for disc `discIndex` + 1 with the "Next Disc" box. 1 to try again; 0
// when the user gave up (the "Fail" box follows and the cancel flag is set).
int AskForDisc(int discIndex);
// Shows the write-failure box ("無法寫入磁碟" / "磁碟錯誤!", Big5, owned by
// the progress report's window) and records the outcome.
void ReportWriteFailure();
// Creates every level of the target folder; failures are passed over.
void MakeTargetFolder();
// Reads the disc's list of files from disc 1 into copyState.manifest
// (null when the disc has none). False, with the damaged-disc box shown,
// when the list is damaged or does not fit the setup header's `discCount`.
bool LoadDiscManifest(int32_t discCount);
// Once the archives and the data folder are copied: true when every file
// of the disc's list was installed (or there is no list); else the
// damaged-disc box names the first one missing.
bool CheckEveryFileInstalled();
// Brings disc 1 back into the drive for its data folder after a set of
// several discs was read, asking with the disc prompt while the drive
// holds another disc. False when the user gave up.
bool AskForFirstDiscAgain();
// Copies the folder tree `source` into `target` file by file; the current
// folder is its cursor and is restored. A missing source copies nothing.
// Returns 1 when every file was copied, 0 when any copy failed (the rest is
// still copied). With the disc's list of files, each file copied into the
// target folder is matched against its data row; a file that is not listed
// or not as listed is a damaged disc (box shown, copyState.outcome
// kDamaged) and ends the copy at once.
int CopyTree(const char* source, const char* target);
