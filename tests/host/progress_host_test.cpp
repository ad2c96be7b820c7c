// The progress dialog and the copy engine's use of it, over the stand-in's
// model of dialogs: painting, the percentage, the cancel question, scripted
// clicks between records, and boxes owned by the dialog.
#include <string>

#include "copy_test.h"
#include "host_control.h"
#include "resource_ids.h"

namespace {

using plat::host::HostWindow;
using testsupport::AddFile;
using testsupport::CopyTest;
using testsupport::RecordStream;

class ProgressTest : public CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    plat::host::ResetUi();
    progressView.Create(nullptr, IDD_PROGRESS);
    ASSERT_NE(progressView.dialog, nullptr);
    dialog_ = plat::host::AsHostWindow(progressView.dialog);
    bar_ = plat::host::FindControl(dialog_, IDC_PROGRESS_BAR);
    ASSERT_NE(bar_, nullptr);
  }
  void TearDown() override {
    plat::host::SetClockStep(50);
    plat::DestroyWindow(progressView.dialog);
    plat::host::ResetUi();
    CopyTest::TearDown();
  }
  int BarWidth() const { return bar_->rect.right - bar_->rect.left; }
  // One disc of `count` one-byte files, \f0.txt to \f<count - 1>.txt.
  void PutSmallFiles(int count) {
    RecordStream r;
    for (int i = 0; i < count; ++i) AddFile(&r, "\\f" + std::to_string(i) + ".txt", "x");
    r.DiscEnd();
    PutDiscs({Disc1(r)});
  }

  HostWindow* dialog_ = nullptr;
  HostWindow* bar_ = nullptr;
};

TEST_F(ProgressTest, TheDialogCentresItselfOnTheDesktop) {
  int w = dialog_->rect.right - dialog_->rect.left;
  int h = dialog_->rect.bottom - dialog_->rect.top;
  EXPECT_EQ(dialog_->rect.left, (1024 - w) / 2);
  EXPECT_EQ(dialog_->rect.top, (768 - h) / 2);
}

TEST_F(ProgressTest, ThePercentageIsDrawnInTwoColoursSplitAtTheFill) {
  setupState.header.installSize = 1000;
  copyState.bytesDone = 420;
  UpdateCopyProgress();
  ASSERT_EQ(bar_->drawn.size(), 2u);
  const int width = BarWidth(), height = bar_->rect.bottom - bar_->rect.top;
  const int filled = 42 * width / 100;
  const plat::host::DrawnText& white = bar_->drawn[0];
  const plat::host::DrawnText& blue = bar_->drawn[1];
  EXPECT_EQ(white.text, " 42%");
  EXPECT_EQ(white.colour, 0xFFFFFFu);
  EXPECT_EQ(white.clip.right, filled);
  EXPECT_EQ(blue.colour, 0xFF0000u);
  EXPECT_EQ(blue.clip.left, filled);
  EXPECT_EQ(blue.clip.right, width);
  EXPECT_EQ(white.x, width / 2 - (22 * 4) / 4);
  EXPECT_EQ(white.y, height / 2 - 11);
  EXPECT_EQ(white.face, "Arial");
  EXPECT_EQ(white.font.height, 22);
  EXPECT_EQ(white.font.width, 11);
  EXPECT_EQ(white.font.pitchAndFamily, 0x31);
  EXPECT_EQ(bar_->position, 42);
}

TEST_F(ProgressTest, DrawsOnlyWhenThePercentageChangesAndHoldsAt99) {
  setupState.header.installSize = 200;
  UpdateCopyProgress();
  EXPECT_STREQ(progressView.percentText, "  0%") << "the first update draws, even at 0";
  size_t drawn = bar_->drawn.size();
  EXPECT_EQ(drawn, 2u);
  UpdateCopyProgress();
  EXPECT_EQ(bar_->drawn.size(), drawn) << "unchanged: nothing drawn";
  copyState.bytesDone = 14;
  UpdateCopyProgress();
  EXPECT_STREQ(progressView.percentText, "  7%");
  copyState.bytesDone = 5000;  // beyond the size
  UpdateCopyProgress();
  EXPECT_EQ(progressView.percent, 99);
  UpdateProgress(100);
  EXPECT_EQ(progressView.percent, 99) << "capped until finished";
  progressView.finished = 1;
  UpdateProgress(100);
  EXPECT_EQ(progressView.percent, 100);
  EXPECT_STREQ(progressView.percentText, "100%");
  EXPECT_EQ(bar_->position, 100);
}

TEST_F(ProgressTest, PercentagesOfHugeAndZeroSizes) {
  EXPECT_EQ(ComputePercent(0, 0), 0);
  EXPECT_EQ(ComputePercent(1, 0), 100) << "past an empty size";
  EXPECT_EQ(ComputePercent(1500000000u, 3000000000u), 50);
  EXPECT_EQ(ComputePercent(4000000000u, 1), 100) << "no overflow far past the size";
  EXPECT_EQ(ComputePercent(999, 1000), 99);
  setupState.header.installSize = 0;
  copyState.bytesDone = 10;
  UpdateCopyProgress();
  EXPECT_EQ(progressView.percent, 99);
}

TEST_F(ProgressTest, TheCancelQuestionSetsTheFlagOnlyOnOk) {
  plat::box_script::PushAnswer(plat::kAnswerCancel);
  plat::SendMessage(progressView.dialog, plat::kMsgCommand, IDC_PROGRESS_CANCEL, 0);
  EXPECT_EQ(progressView.cancelRequested, 0);
  plat::box_script::PushAnswer(plat::kAnswerOk);
  plat::SendMessage(progressView.dialog, plat::kMsgCommand, IDC_PROGRESS_CANCEL | (1u << 16), 0);
  EXPECT_EQ(progressView.cancelRequested, 1);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, "Stop copying?");
  EXPECT_EQ(Boxes()[0].caption, "Warning");
  EXPECT_EQ(Boxes()[0].type, plat::kBoxOkCancel);
  EXPECT_EQ(Boxes()[0].owner, progressView.dialog);
}

// A second progress dialog alive beside the first: each object draws into
// its own bar, asks its own question and keeps its own flag, and the copy
// engine reports to the one it was given.
TEST_F(ProgressTest, TwoDialogsAliveAtOnceKeepTheirOwnState) {
  ProgressView other;
  ASSERT_NE(other.Create(nullptr, IDD_PROGRESS), nullptr);
  HostWindow* otherDialog = plat::host::AsHostWindow(other.dialog);
  HostWindow* otherBar = plat::host::FindControl(otherDialog, IDC_PROGRESS_BAR);
  other.UpdateProgress(42);
  EXPECT_STREQ(other.percentText, " 42%");
  EXPECT_EQ(otherBar->position, 42);
  EXPECT_EQ(progressView.lastPercent, -1);
  EXPECT_TRUE(bar_->drawn.empty());

  plat::box_script::PushAnswer(plat::kAnswerOk);
  plat::SendMessage(other.dialog, plat::kMsgCommand, IDC_PROGRESS_CANCEL, 0);
  EXPECT_EQ(other.cancelRequested, 1);
  EXPECT_EQ(progressView.cancelRequested, 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].owner, other.dialog);

  RecordStream r;
  AddFile(&r, "\\a.txt", "aaa");
  r.DiscEnd();
  PutDiscs({Disc1(r)});
  copyState.progress = &other;
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kCancelled) << "the other dialog's flag";
  EXPECT_EQ(plat::host::FindControl(otherDialog, IDC_PROGRESS_STATUS)->text, "Copying \\a.txt ....");
  EXPECT_EQ(plat::host::FindControl(dialog_, IDC_PROGRESS_STATUS)->text, "Static");
  other.Destroy();
}

// Records: FileStart a, data, FileEnd, FileStart b, data, FileEnd, DiscEnd.
// A click dispatched in the pump after record k is seen after record k + 1.
TEST_F(ProgressTest, CancelStopsTheCopyAfterTheNextRecord) {
  RecordStream r;
  AddFile(&r, "\\a.txt", "aaa");
  AddFile(&r, "\\b.txt", "bbb");
  r.DiscEnd();
  PutDiscs({Disc1(r)});
  plat::host::ScriptClick(IDD_PROGRESS, IDC_PROGRESS_CANCEL, 2);  // in the pump after record 3
  plat::box_script::PushAnswer(plat::kAnswerOk);
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kCancelled);
  EXPECT_EQ(Installed("a.txt"), "aaa");
  EXPECT_TRUE(InstalledExists("b.txt")) << "record 4 still ran";
  EXPECT_EQ(Installed("b.txt"), "") << "the run stopped before its data";
  EXPECT_FALSE(copyState.output.IsOpen());
  ASSERT_EQ(Boxes().size(), 1u) << "no message of its own after the question";
}

TEST_F(ProgressTest, ACancelAfterTheLastRecordOfTheLastDiscHasNoEffect) {
  RecordStream r;
  AddFile(&r, "\\a.txt", "aaa");
  r.DiscEnd();
  PutDiscs({Disc1(r)});
  plat::host::ScriptClick(IDD_PROGRESS, IDC_PROGRESS_CANCEL, 2);  // after FileEnd
  plat::box_script::PushAnswer(plat::kAnswerOk);
  EXPECT_EQ(RunDiscs(), 1);
  EXPECT_EQ(progressView.cancelRequested, 1);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kDone);
}

// On a fast machine (the clock a millisecond on at each look) the status
// line is set far less often than once a file, yet the file shown at the
// end is the last one; and a click on Cancel is still seen.
TEST_F(ProgressTest, AFastRunDrawsLessOftenAndEndsExact) {
  const int files = 200;
  PutSmallFiles(files);
  plat::host::SetClockStep(1);
  HostWindow* status = plat::host::FindControl(dialog_, IDC_PROGRESS_STATUS);
  ASSERT_NE(status, nullptr);
  const int before = status->textSets;
  EXPECT_EQ(RunDiscs(), 1);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kDone);
  const int sets = status->textSets - before;
  EXPECT_GT(sets, 1);
  EXPECT_LT(sets, files / 4) << "the status line was set for most files";
  EXPECT_EQ(status->text, "Copying \\f199.txt ....");
  EXPECT_GT(dialog_->paintCount, 0) << "the dialog was served during the run";

}

TEST_F(ProgressTest, AFastRunStillSeesACancel) {
  const int files = 200;
  PutSmallFiles(files);
  plat::host::SetClockStep(1);
  plat::host::ScriptClick(IDD_PROGRESS, IDC_PROGRESS_CANCEL, 2);
  plat::box_script::PushAnswer(plat::kAnswerOk);
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kCancelled);
  int installed = 0;
  for (int i = 0; i < files; ++i) installed += InstalledExists("f" + std::to_string(i) + ".txt") ? 1 : 0;
  EXPECT_GT(installed, 0);
  EXPECT_LT(installed, files / 2) << "the cancel was seen late";
}

TEST_F(ProgressTest, StatusLineAndPromptsBelongToTheDialog) {
  header_.discCount = 2;
  RecordStream r;
  r.Folder("\\maps");
  AddFile(&r, "\\maps\\one.map", "1");
  r.DiscEnd();
  PutDiscs({Disc1(r)});
  HostWindow* status = plat::host::FindControl(dialog_, IDC_PROGRESS_STATUS);
  plat::box_script::PushResponder([&](const plat::BoxRecord&) {
    EXPECT_EQ(status->text, "Copying \\maps\\one.map ....");
    return plat::kAnswerCancel;
  });
  EXPECT_EQ(RunDiscs(), 0);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].owner, progressView.dialog);
  EXPECT_EQ(Boxes()[1].owner, progressView.dialog);
  EXPECT_GT(dialog_->paintCount, 0) << "the dialog painted between records";
}

// /dev/full takes buffered writes and refuses them when they are flushed, as
// a full disk often does.
TEST_F(ProgressTest, AFullDiskStopsTheRunWithTheBig5Message) {
  plat::host::MapDrive('F', "/dev");
  CopyCut(setupState.targetFolder, sizeof setupState.targetFolder, "F:");
  RecordStream r;
  AddFile(&r, "\\full", "some bytes that do not fit");
  r.DiscEnd();
  PutDiscs({Disc1(r)});
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kWriteFailed);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "\xB5L\xAAk\xBCg\xA4J\xBA\xCF\xBA\xD0");
  EXPECT_EQ(Boxes()[0].caption, "\xBA\xCF\xBA\xD0\xBF\xF9\xBB~!");
  EXPECT_EQ(Boxes()[0].codePage, 950u);
  EXPECT_EQ(Boxes()[0].owner, progressView.dialog);
  std::string value;
  EXPECT_FALSE(testsupport::ReadRegistryString(std::string(kUninstallRoot) + "\\CopyTestGame",
                                               "DisplayName", &value));
}

}  // namespace
