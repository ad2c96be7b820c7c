// The fixture of the copy engine's tests: a disc folder and a target folder
// in the scratch folder, the engine's and the progress dialog's records at
// their start values, and English texts for the prompts.
#pragma once

#include <string>
#include <vector>

#include "compose.h"
#include "disc_writer.h"
#include "readback.h"
#include "install.h"
#include "progress.h"
#include "setup_test.h"
#include "shell.h"

namespace testsupport {

class CopyTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    ResetEngine();
    MakeFolderNative(Native("disc"));
    CopyCut(setupState.sourceFolder, sizeof setupState.sourceFolder, Win("disc").c_str());
    CopyCut(setupState.targetFolder, sizeof setupState.targetFolder, Win("target\\Game").c_str());
    setupState.languageIndex = 2;
    SetText(kNextCd, "Please insert disc ");
    SetText(kFailMsg, "Setup was not finished");
    SetText(kUninstall, "Uninstall Game");
    SetText(kCancelMsg, "Stop copying?");
    header_.companyName = "Maker";
    header_.gameName = "Game";
    header_.uninstallKey = "CopyTestGame";
    header_.exeName = "game.exe";
    DeleteRegistryKeyOf(header_.uninstallKey);
  }
  void TearDown() override {
    DeleteRegistryKeyOf(header_.uninstallKey);
    ResetEngine();
    SetupTest::TearDown();
  }

  static void ResetEngine() {
    copyState.archive.Close();
    copyState.output.Close();
    copyState.discIndex = 0;
    copyState.bytesDone = 0;
    progressView.cancelRequested = 0;
    copyState.outcome = CopyOutcome::kNotRun;
    copyState.progress = &progressView;
    progressView.dialog = nullptr;
    progressView.percent = 0;
    progressView.lastPercent = -1;
    progressView.percentText[0] = '\0';
    progressView.finished = 0;
    progressView.band = PictureBand{0, 0, -1};
    progressView.progressSurface.Release();
  }
  static void SetText(MessageKey key, const char* text) {
    CopyCut(setupState.texts[key][2], sizeof setupState.texts[key][2], text);
  }
  static void DeleteRegistryKeyOf(const std::string& name) {
    DeleteRegistryKey(std::string(kUninstallRoot) + "\\" + name);
  }

  void PutDiscs(const std::vector<std::string>& discs) {
    for (size_t i = 0; i < discs.size(); ++i) Put("disc\\cd" + std::to_string(i + 1), discs[i]);
  }
  // Disc 1 with the header and `records` after it.
  std::string Disc1(const RecordStream& records) const {
    return SetupHeaderBytes(header_) + records.bytes();
  }
  std::string Installed(const std::string& relative) const { return Get("target\\Game\\" + relative); }
  bool InstalledExists(const std::string& relative) const {
    return ExistsNative(Native("target\\Game\\" + relative));
  }

  SetupHeaderFields header_;
};

}  // namespace testsupport
