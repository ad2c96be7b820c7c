// Faults injected through the stand-in at every call of a whole install
// (reads, writes, closes, folders, registry, links), a cancel before every
// record, and every truncation and single-bit flip of a small disc. Each run
// must end in "Sucess!!" with every file equal to its source (on a damaged
// disc: or short by whole pieces, which a flipped tag byte hides), or in a
// clean failure: no "Sucess!!", no uninstall record, no registration,
// nothing outside the target folder, no buffer or file left behind.
//
// The runs work on the stand-in's file system in memory and do not sleep:
// the sweeps touch no disk and wait for nothing.
#include <functional>
#include <string>
#include <vector>

#include "flow_test.h"
#include "memory_files.h"

namespace {

using plat::host::FaultKind;
using testsupport::AddFile;
using testsupport::GameFile;
using testsupport::RecordStream;

// The stand-in's files in memory, and no sleeping, from before the fixture
// `Base` lays anything out.
template <class Base>
class InMemory : public Base {
  testsupport::FilesInMemory inMemory_{true, true};
};

class FaultTest : public InMemory<testsupport::FlowTest> {
 protected:
  int RunWithOk() {
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
    return Run();
  }

  bool Succeeded() const {
    for (const plat::BoxRecord& b : Boxes()) {
      if (b.text == "Sucess!!") return true;
    }
    return false;
  }

  // Every file below C: lies in the game's folder.
  void ExpectNothingOutside(const std::string& what) {
    const std::string game = Native("c\\Program Files\\Maker\\Game");
    for (const plat::host::HostEntry& entry : plat::host::ListHostTree(Native("c"))) {
      if (entry.folder) continue;
      EXPECT_EQ(entry.path.compare(0, game.size(), game), 0) << what << ": " << entry.path;
    }
  }

  // Installed and registered, with a box naming the shortcuts it lacks.
  bool ToldMissingShortcuts() const {
    for (const plat::BoxRecord& b : Boxes()) {
      if (b.caption == "Setup" && b.text.find("could not be made:\n") != std::string::npos) return true;
    }
    return false;
  }

  void ExpectInvariant(int code, const std::string& what) {
    if (Succeeded() || code == kExitShortcutsMissing) {
      EXPECT_NE(Succeeded(), ToldMissingShortcuts()) << what;
      EXPECT_EQ(code, Succeeded() ? kExitInstalled : kExitShortcutsMissing) << what;
      ExpectArchiveFiles();
      EXPECT_EQ(Game("kelvora.exe"), "MZ the game") << what;
      EXPECT_EQ(Game("uninstall.dat"), discs_[0].substr(80, 40)) << what;
      EXPECT_EQ(Game("readme.txt"), "data readme wins\r\n") << what;
    } else {
      EXPECT_FALSE(GameHas("uninstall.dat")) << what;
      EXPECT_FALSE(Registered()) << what;
    }
    ExpectNothingOutside(what);
    EXPECT_EQ(liveBlockCount, liveAtStart_) << what;
    EXPECT_EQ(openFileCount, openAtStart_) << what;
  }
  // Fails each call of each kind in turn, without the disc's list of files
  // and with it (whose reads fail too).
  void SweepFaults(const std::string& set) {
    const char* names[] = {"read", "write", "close", "folder", "registry", "link"};
    for (bool listed : {false, true}) {
      if (listed) {
        Put("disc\\setupdata\\manifest.ini", testsupport::ManifestFor(discs_, files_, {{"\\kelvora.exe", "MZ the game"},
                                                                                  {"\\readme.txt", "data readme wins\r\n"}}));
      }
      int failures = 0, told = 0, total = 0;
      for (int k = 0; k < plat::host::kFaultKindCount; ++k) {
        FaultKind kind = static_cast<FaultKind>(k);
        ResetRun();
        ASSERT_EQ(RunWithOk(), kExitInstalled);
        const int calls = plat::host::CallCount(kind);
        ASSERT_GT(calls, 0) << names[k];
        for (int n = 1; n <= calls; ++n) {
          ResetRun();
          plat::host::FailCall(kind, n);
          int code = RunWithOk();
          ExpectInvariant(code, std::string(names[k]) + " call " + std::to_string(n) + (listed ? " listed" : ""));
          failures += Succeeded() || code == kExitShortcutsMissing ? 0 : 1;
          told += code == kExitShortcutsMissing ? 1 : 0;
          ++total;
        }
      }
      std::printf("[ faults ] %s: %d injection points (%s), %d ended in a clean failure, %d installed without a "
                  "shortcut, told\n", set.c_str(), total, listed ? "with the list of files" : "no list", failures, told);
      EXPECT_GT(failures, 0);
      EXPECT_GT(told, 0) << "a link that cannot be saved is told";
    }
  }

  // A cancel after every pump of the progress dialog.
  void SweepCancels() {
    ResetRun();
    ASSERT_EQ(RunWithOk(), kExitInstalled);
    const int pumps = plat::host::PumpCount(IDD_PROGRESS);
    ASSERT_GT(pumps, 3);
    int cancelled = 0;
    for (int k = 0; k <= pumps; ++k) {
      ResetRun();
      plat::host::ScriptClick(IDD_PROGRESS, IDC_PROGRESS_CANCEL, k);
      int code = RunWithOk();
      ExpectInvariant(code, "cancel after pump " + std::to_string(k));
      if (!Succeeded()) {
        EXPECT_EQ(code, kExitCancelled) << k;
        ++cancelled;
      }
    }
    EXPECT_GT(cancelled, pumps / 2);
  }

  // A set of two discs of a few kilobytes, its files going on across the
  // change of disc.
  void LaySmallTwoDiscSet() {
    files_ = {{"\\bin\\engine.dll", testsupport::Bytes(1500, 1)},
              {"\\maps\\one.map", testsupport::Bytes(900, 2)},
              {"\\readme.txt", "archive readme\r\n"}};
    header_.installSize = 0;
    for (const GameFile& f : files_) header_.installSize += static_cast<uint32_t>(f.content.size());
    LayDisc(1400);
    ASSERT_EQ(discs_.size(), 2u);
  }
};

TEST_F(FaultTest, EveryFailingCallEndsInSuccessOrACleanFailure) { SweepFaults("one disc"); }

TEST_F(FaultTest, ACancelBeforeEveryRecordEndsCleanly) { SweepCancels(); }

TEST_F(FaultTest, EveryFailingCallAndEveryCancelOfATwoDiscInstall) {
  LaySmallTwoDiscSet();
  SweepFaults("two discs");
  SweepCancels();
}

// The copy engine alone over every damaged variant of a small disc.
class DamageSweepTest : public InMemory<testsupport::CopyTest> {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    files_ = {{"\\empty.txt", ""}, {"\\a\\ten.txt", "0123456789"}, {"\\a\\b\\big.bin", std::string(300, 'x')}};
    for (size_t i = 0; i < 300; i += 7) files_[2].content[i] = static_cast<char>(i);
  }

  // Runs the engine over the disc set `discs` and checks the invariant.
  // Returns true when the run succeeded.
  bool RunOne(const std::vector<std::string>& discs, const std::string& what, int* missing,
              const std::function<void()>& answers = nullptr) {
    plat::host::RemoveHostTree(Native("target"));
    plat::box_script::Clear();
    // A disc asked for again is not there: the user gives up.
    plat::box_script::SetDefaultResponder([](const plat::BoxRecord&) { return plat::kAnswerCancel; });
    if (answers) answers();
    ResetEngine();
    PutDiscs(discs);
    int ok = RunDiscs() && CheckEveryFileInstalled();
    if (ok) {
      for (const GameFile& f : files_) {
        if (!InstalledExists(f.path.substr(1))) {
          ++*missing;
          continue;
        }
        const std::string installed = Installed(f.path.substr(1));
        if (installed == f.content) continue;
        // A tag byte flipped out of 1 to 5 is a one-byte record that is
        // passed over, and the bytes of its record are read as records of
        // their own: a piece can go missing, nothing else may change. But a
        // first disc that ends early (cut, or a length made to reach its
        // end) is a whole disc to the archive alone, and the next disc's
        // pieces go on in whatever file was open: only the list tells that.
        if (PiecesLeftOut(installed, f.content)) {
          ++shortened_;
        } else {
          EXPECT_TRUE(splicing_) << what << " " << f.path;
          ++spliced_;
        }
      }
    } else {
      EXPECT_FALSE(Boxes().empty()) << what << ": a failure is told";
    }
    for (const plat::host::HostEntry& entry : plat::host::ListHostTree(dir_.native)) {
      const std::string& p = entry.path;
      EXPECT_TRUE(p.rfind(Native("disc"), 0) == 0 || p.rfind(Native("target"), 0) == 0) << what << ": " << p;
    }
    EXPECT_EQ(liveBlockCount, liveAtStart_) << what;
    EXPECT_EQ(openFileCount, openAtStart_) << what;
    return ok == 1;
  }

  // Whether `installed` is `content` with some of its pieces left out.
  bool PiecesLeftOut(const std::string& installed, const std::string& content) const {
    size_t at = 0;
    for (size_t start = 0; start < content.size(); start += piece_) {
      const std::string piece = content.substr(start, piece_);
      if (installed.compare(at, piece.size(), piece) == 0) at += piece.size();
    }
    return at == installed.size();
  }

  // Every truncation and every single-bit flip of disc `which` of `discs`,
  // with the disc's list of files and without: with it, a success installed
  // every file whole.
  void Sweep(const std::vector<std::string>& discs, size_t which) {
    for (bool listed : {false, true}) {
      if (listed) {
        Put("disc\\setupdata\\manifest.ini", testsupport::ManifestFor(discs, files_));
      } else {
        plat::host::RemoveHostTree(Native("disc\\setupdata\\manifest.ini"));
      }
      SweepOnce(discs, which, listed);
    }
  }

  void SweepOnce(const std::vector<std::string>& discs, size_t which, bool listed) {
    int missing = 0, succeeded = 0, cases = 0;
    shortened_ = spliced_ = 0;
    splicing_ = !listed && which + 1 < discs.size();
    ASSERT_TRUE(RunOne(discs, "intact", &missing));
    ASSERT_EQ(missing, 0);
    const std::string& disc = discs[which];
    const std::string name = "cd" + std::to_string(which + 1);
    std::vector<std::string> damaged = discs;
    for (size_t cut = 0; cut < disc.size(); ++cut) {
      damaged[which] = disc.substr(0, cut);
      succeeded += RunOne(damaged, name + " cut at " + std::to_string(cut), &missing);
      ++cases;
    }
    for (size_t bit = 0; bit < disc.size() * 8; ++bit) {
      damaged[which] = disc;
      damaged[which][bit / 8] = static_cast<char>(disc[bit / 8] ^ (1 << (bit % 8)));
      succeeded += RunOne(damaged, name + " bit " + std::to_string(bit), &missing);
      ++cases;
    }
    std::printf("[ damage ] %d cases on %s of %zu bytes (%zu discs, %s): %d installed, %d files left out, %d "
                "short by a piece and %d spliced after a success\n",
                cases, name.c_str(), disc.size(), discs.size(), listed ? "with its list of files" : "no list",
                succeeded, missing, shortened_, spliced_);
    if (listed) {
      EXPECT_EQ(missing, 0) << name;
      EXPECT_EQ(shortened_, 0) << name;
      EXPECT_EQ(spliced_, 0) << name;
    }
  }

  std::vector<GameFile> files_;
  size_t piece_ = 204800;  // the largest piece of the discs swept
  int shortened_ = 0;
  int spliced_ = 0;
  bool splicing_ = false;  // a file may be spliced: an early disc without the list
};

TEST_F(DamageSweepTest, EveryTruncationAndEveryBitFlipOfOneDisc) {
  std::vector<std::string> discs = testsupport::BuildDiscs(header_, {"\\a", "\\a\\b"}, files_);
  ASSERT_EQ(discs.size(), 1u);
  Sweep(discs, 0);
}

// A read that fails, at every read of a two-disc set: answered Retry, the
// disc file is opened again and the install goes on at the record that
// failed, every file whole; answered Cancel, the run ends as a failure.
TEST_F(DamageSweepTest, AReadErrorAtEveryReadIsAskedAboutAndRetried) {
  piece_ = 100;
  const std::vector<std::string> discs = testsupport::BuildDiscs(header_, {"\\a", "\\a\\b"}, files_, 380, piece_);
  ASSERT_EQ(discs.size(), 2u);
  int missing = 0;
  plat::host::ResetFaults();
  ASSERT_TRUE(RunOne(discs, "no fault", &missing));
  const int reads = plat::host::CallCount(FaultKind::kFaultRead);
  int retried = 0, headerFaults = 0;
  for (int n = 1; n <= reads; ++n) {
    for (int answer : {plat::kAnswerRetry, plat::kAnswerCancel}) {
      plat::host::ResetFaults();
      plat::host::FailCall(FaultKind::kFaultRead, n);
      int asked = 0;
      auto hook = [&] {
        plat::box_script::SetDefaultResponder([&](const plat::BoxRecord& b) -> int {
          if (b.type != plat::kBoxRetryCancel) return plat::kAnswerCancel;
          EXPECT_EQ(b.text, "The disc in drive T: cannot be read. Clean the disc or put it back, then choose Retry.");
          ++asked;
          return answer;
        });
      };
      const std::string what = "read " + std::to_string(n) + (answer == plat::kAnswerRetry ? " retried" : " cancelled");
      const bool ok = RunOne(discs, what, &missing, hook);
      if (asked == 0) {
        ++headerFaults;  // the setup header, read before any record
        EXPECT_FALSE(ok) << what;
        continue;
      }
      EXPECT_EQ(asked, 1) << what;
      EXPECT_EQ(ok, answer == plat::kAnswerRetry) << what;
      if (!ok) {
        EXPECT_EQ(copyState.outcome, CopyOutcome::kUnreadable) << what;
      }
      retried += ok ? 1 : 0;
    }
  }
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(shortened_, 0) << "a retried record is read whole";
  std::printf("[ reads ] %d reads, %d retried to a whole install, %d in the header\n", reads, retried, headerFaults / 2);
  EXPECT_GT(retried, reads / 2);

  // The drive opened during the copy: the disc file is gone at the first
  // Retry (asked again) and back at the second.
  plat::host::ResetFaults();
  plat::host::FailCall(FaultKind::kFaultRead, reads / 2);
  int asked = 0;
  EXPECT_TRUE(RunOne(discs, "the disc taken out and put back", &missing, [&] {
    plat::box_script::SetDefaultResponder([&](const plat::BoxRecord& b) -> int {
      if (b.type != plat::kBoxRetryCancel) return plat::kAnswerCancel;
      const std::string cd = Native("disc\\cd" + std::to_string(copyState.discIndex + 1));
      if (++asked == 1) {
        plat::host::RemoveHostTree(cd);
      } else {
        testsupport::WriteNative(cd, discs[static_cast<size_t>(copyState.discIndex)]);
      }
      return plat::kAnswerRetry;
    });
  }));
  EXPECT_EQ(asked, 2);
}

// The second disc of a set whose last file begins on the first disc.
TEST_F(DamageSweepTest, EveryTruncationAndEveryBitFlipOfTheSecondDisc) {
  piece_ = 100;
  std::vector<std::string> discs = testsupport::BuildDiscs(header_, {"\\a", "\\a\\b"}, files_, 380, piece_);
  ASSERT_EQ(discs.size(), 2u);
  ASSERT_EQ(discs[1][0], 3) << "disc 2 goes on with a piece of the file begun on disc 1";
  Sweep(discs, 1);
}

// A set of two discs of a few kilobytes, both discs swept whole.
TEST_F(DamageSweepTest, EveryTruncationAndEveryBitFlipOfBothDiscsOfASet) {
  piece_ = 256;
  files_.push_back({"\\a\\c.dat", testsupport::Bytes(1800, 3)});
  files_.push_back({"\\d.bin", testsupport::Bytes(600, 4)});
  const std::vector<std::string> discs = testsupport::BuildDiscs(header_, {"\\a", "\\a\\b"}, files_, 1600, piece_);
  ASSERT_EQ(discs.size(), 2u);
  Sweep(discs, 0);
  Sweep(discs, 1);
}

}  // namespace
