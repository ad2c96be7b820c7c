#include "install_run.h"

#include "a_file.h"
#include "compose.h"
#include "install.h"
#include "install_log.h"
#include "progress.h"
#include "setup_state.h"
#include "shell.h"

namespace {

// "uninstall.dat": the header's 40 bytes of the uninstall key, as they are.
bool WriteUninstallRecord() {
  char path[kTargetFolderSize + 16];
  if (!Compose(path, sizeof path, "%s\\%s", setupState.targetFolder, kUninstallRecordName)) return false;
  FileHandle file;
  if (!installLog.Entry(disc::kLogFile, path) || !file.OpenWrite(path)) return false;
  bool ok = file.Write(setupState.header.uninstallKey, kUninstallRecordBytes) == 1;
  ok = file.Close() == 1 && ok;
  // A cut record would name a wrong key to the uninstaller: none is better.
  if (!ok) plat::DeleteFile(path);
  return ok;
}

int ExitCodeOf(CopyOutcome outcome) {
  switch (outcome) {
    case CopyOutcome::kDone: return kExitInstalled;
    case CopyOutcome::kCancelled: return kExitCancelled;
    case CopyOutcome::kDeclined: return kExitDeclinedDisc;
    default: return kExitFailed;
  }
}

}  // namespace

int RunInstall() {
  progressView.Open(setupState.instance);
  copyState.progress = &progressView;

  int exitCode = kExitFailed;
  if (RunDiscs()) {
    char data[kPathSize];
    // The data folder and the uninstall record are part of the game: a copy
    // that did not complete is a failed install, not a success. The install
    // log, opened again, records them and the shell's items as well.
    // Every file of the disc's list must be in place before the uninstall
    // record makes it an installed game.
    bool written = AskForFirstDiscAgain() && installLog.Open(setupState.targetFolder) &&
                   Compose(data, sizeof data, "%s\\data", setupState.sourceFolder) &&
                   CopyTree(data, setupState.targetFolder) == 1 && CheckEveryFileInstalled() &&
                   WriteUninstallRecord();
    if (written) {
      // Registered only once every file is in place: a failed install must
      // not appear among the installed programs.
      CreateGameShortcuts(setupState.targetFolder, setupState.header.companyName, setupState.header.gameName,
                          setupState.header.exeName, setupState.header.uninstallKey, Text(kUninstall), 1);
      CopyWebLink();
      CreateExtraLinks();
    }
    // Every entry was pushed to the disk and checked as it was written.
    installLog.Close();
    if (written) {
      progressView.finished = 1;
      UpdateProgress(100);
      char missed[kMissedShortcutsText];
      const int missedCount = MissedShortcuts(missed, sizeof missed);
      if (missedCount == 0) {
        plat::MessageBox(progressView.dialog, "Sucess!!", "", plat::kBoxOk);
        exitCode = kExitInstalled;
      } else {
        // The game is in place and can be removed, but the player would look
        // for it where nothing is: told, instead of a success.
        char text[kMissedShortcutsText + kTargetFolderSize + 160];
        Compose(text, sizeof text,
                "The game was installed in %s, but %s could not be made:\n%s\n\nStart the game from that folder.",
                setupState.targetFolder, missedCount == 1 ? "this shortcut" : "these shortcuts", missed);
        plat::MessageBox(progressView.dialog, text, "Setup", plat::kBoxOk);
        exitCode = kExitShortcutsMissing;
      }
    } else {
      // A damaged disc and a declined disc were told where they were found.
      if (copyState.outcome == CopyOutcome::kDone) ReportWriteFailure();
      exitCode = ExitCodeOf(copyState.outcome);
    }
  } else {
    exitCode = ExitCodeOf(copyState.outcome);
  }

  progressView.Close();
  return exitCode;
}
