// One damaged disc, three readers: setup's copy engine, verify and extract
// read the archives through the same walk, so every cut and every flipped
// bit of the records, and every failing read, must get the same verdict
// from each. Verify and extract may stop earlier than setup only where the
// disc holds something setup reads past but a disc as built never holds.
#include <functional>
#include <string>
#include <vector>

#include "cli.h"
#include "extract_test.h"
#include "memory_files.h"

namespace {

using plat::host::FaultKind;
using testsupport::GameFile;

struct Verdict {
  enum Kind { kRead, kDamage, kUnreadable, kOther } kind = kOther;
  int disc = 0;
  int64_t offset = -1;
  std::string reason;
};

std::string Describe(const Verdict& v) {
  static const char* const kKinds[] = {"read", "damage", "unreadable", "other"};
  return std::string(kKinds[v.kind]) + " disc " + std::to_string(v.disc) + " offset " + std::to_string(v.offset) +
         ": " + v.reason;
}

// Where verify stops at what setup reads past.
bool SetupReadsPast(const std::string& reason) {
  for (const char* words : {" has no end before ", "a file end with no file open", " is cut off: disc ",
                            " bytes follow the end-of-disc record"}) {
    if (reason.find(words) != std::string::npos) return true;
  }
  return false;
}

class WalkAgreementTest : public testsupport::ExtractTest {
 protected:
  void SetUp() override {
    ExtractTest::SetUp();
    files_ = {{"\\empty.txt", ""}, {"\\a\\ten.txt", "0123456789"}, {"\\a\\b\\big.bin", std::string(300, 'x')}};
    for (size_t i = 0; i < 300; i += 7) files_[2].content[i] = static_cast<char>(i);
    discs_ = testsupport::BuildDiscs(header_, {"\\a", "\\a\\b"}, files_, 380, 100);
    plat::box_script::SetDefaultResponder([](const plat::BoxRecord&) { return plat::kAnswerCancel; });
  }

  // The set as the engine reads it (one drive holding every cdN) and as the
  // tool takes it (a folder per disc).
  void Lay(const std::vector<std::string>& discs) {
    for (size_t i = 0; i < discs.size(); ++i) {
      const std::string cd = "cd" + std::to_string(i + 1);
      Put("disc\\" + cd, discs[i]);
      Put("set\\disc" + std::to_string(i + 1) + "\\" + cd, discs[i]);
    }
  }

  Verdict Engine() {
    plat::box_script::Clear();
    ResetEngine();
    plat::host::RemoveHostTree(Native("target"));
    Verdict v;
    if (RunDiscs() == 1) {
      v.kind = Verdict::kRead;
      return v;
    }
    if (copyState.outcome == CopyOutcome::kUnreadable) v.kind = Verdict::kUnreadable;
    if (copyState.outcome != CopyOutcome::kDamaged || Boxes().size() != 1) return v;
    // "The disc file ...\cdN is damaged (record at byte O: reason).\n..."
    const std::string& text = Boxes()[0].text;
    const size_t cd = text.rfind("\\cd", text.find(" is damaged ("));
    const size_t open = text.find(" is damaged (") + 13;
    const size_t close = text.find(").\n", open);
    if (cd == std::string::npos || close == std::string::npos) return v;
    v.kind = Verdict::kDamage;
    v.disc = std::stoi(text.substr(cd + 3));
    std::string inside = text.substr(open, close - open);
    if (inside.rfind("record at byte ", 0) == 0) {
      const size_t colon = inside.find(": ");
      v.offset = std::stoll(inside.substr(15, colon - 15));
      inside = inside.substr(colon + 2);
    }
    v.reason = inside;
    return v;
  }

  Verdict Verify() {
    gamedisc::DiscSet set;
    for (size_t i = 0; i < discs_.size(); ++i) set.roots.push_back(Win("set\\disc" + std::to_string(i + 1)));
    gamedisc::DiscContents contents;
    gamedisc::Fault fault;
    Verdict v;
    if (gamedisc::ReadArchives(set, &contents, &fault)) {
      v.kind = Verdict::kRead;
      return v;
    }
    v.kind = fault.reason == "cannot be read" ? Verdict::kUnreadable : Verdict::kDamage;
    v.disc = fault.disc;
    v.offset = fault.offset;
    v.reason = fault.reason;
    return v;
  }

  Verdict ExtractVerdict() {
    const Outcome o = Extract({"set"}, "", gamedisc::ExtractMode::kTest);
    Verdict v;
    if (o.exitCode == gamedisc::kExitOk) {
      v.kind = Verdict::kRead;
      return v;
    }
    // "gamedisc: disc N (...), offset O: reason"
    const std::string line = o.warned.substr(0, o.warned.find('\n'));
    const size_t at = line.find(", offset ");
    const size_t colon = line.find(": ", at == std::string::npos ? line.find("): ") + 1 : at);
    if (line.rfind("gamedisc: disc ", 0) != 0 || colon == std::string::npos) return v;
    v.disc = std::stoi(line.substr(15));
    if (at != std::string::npos) v.offset = std::stoll(line.substr(at + 9));
    v.reason = line.substr(colon + 2);
    v.kind = v.reason == "cannot be read" ? Verdict::kUnreadable : Verdict::kDamage;
    return v;
  }

  // The three verdicts on the set laid now; `what` names the case.
  void Compare(const std::string& what) {
    const Verdict engine = Engine(), verify = Verify(), extract = ExtractVerdict();
    const std::string all = what + "\n  engine  " + Describe(engine) + "\n  verify  " + Describe(verify) +
                            "\n  extract " + Describe(extract);
    ASSERT_NE(engine.kind, Verdict::kOther) << all;
    EXPECT_EQ(verify.kind, extract.kind) << all;
    EXPECT_EQ(verify.disc, extract.disc) << all;
    EXPECT_EQ(verify.offset, extract.offset) << all;
    EXPECT_EQ(verify.reason, extract.reason) << all;
    if (engine.kind == verify.kind && engine.kind != Verdict::kDamage) {
      ++(engine.kind == Verdict::kRead ? read_ : unreadable_);
      return;
    }
    if (engine.kind == Verdict::kDamage && verify.kind == Verdict::kDamage && engine.disc == verify.disc &&
        (engine.offset < 0 || engine.offset == verify.offset) && verify.reason.rfind(engine.reason, 0) == 0) {
      ++damaged_;
      return;
    }
    // Setup reads on where the tool stops, never the other way round.
    EXPECT_EQ(verify.kind, Verdict::kDamage) << all;
    EXPECT_TRUE(SetupReadsPast(verify.reason)) << all;
    // At the record setup finds damaged at the latest (without an offset:
    // at the end of its disc).
    if (engine.kind == Verdict::kDamage) {
      EXPECT_TRUE(verify.disc < engine.disc ||
                  (verify.disc == engine.disc && (engine.offset < 0 || verify.offset <= engine.offset)))
          << all;
    }
    ++readPast_;
  }

  void Report(const std::string& what) {
    std::printf("[ agree ] %s: %d read by all, %d damage told by all at one place, %d read on by setup past what "
                "the tool stops at, %d unreadable to all\n",
                what.c_str(), read_, damaged_, readPast_, unreadable_);
    read_ = damaged_ = readPast_ = unreadable_ = 0;
  }

  std::vector<GameFile> files_;
  std::vector<std::string> discs_;
  int read_ = 0, damaged_ = 0, readPast_ = 0, unreadable_ = 0;
  testsupport::FilesInMemory inMemory_{true, true};
};

// Every cut and every flipped bit of the records of each disc (the setup
// header has checks of its own, which the walk does not make).
TEST_F(WalkAgreementTest, EveryCutAndFlipOfTheRecordsGetsOneVerdict) {
  ASSERT_EQ(discs_.size(), 2u);
  for (size_t which = 0; which < discs_.size(); ++which) {
    const std::string& disc = discs_[which];
    const size_t first = which == 0 ? disc::kSetupHeaderBytes : 0;
    std::vector<std::string> damaged = discs_;
    const std::string name = "cd" + std::to_string(which + 1);
    for (size_t cut = first; cut < disc.size(); ++cut) {
      damaged[which] = disc.substr(0, cut);
      Lay(damaged);
      Compare(name + " cut at " + std::to_string(cut));
    }
    for (size_t bit = first * 8; bit < disc.size() * 8; ++bit) {
      damaged[which] = disc;
      damaged[which][bit / 8] = static_cast<char>(disc[bit / 8] ^ (1 << (bit % 8)));
      Lay(damaged);
      Compare(name + " bit " + std::to_string(bit));
    }
    Report(name);
  }
  Lay(discs_);
  Compare("intact");
  EXPECT_EQ(read_, 1);
}

// A read that fails, at each read each reader makes: told as a disc that
// cannot be read (setup's Retry answered Cancel), never as damage or as a
// disc read whole.
TEST_F(WalkAgreementTest, AFailingReadIsUnreadableToAll) {
  Lay(discs_);
  struct Reader {
    const char* name;
    std::function<Verdict()> run;
  };
  const Reader readers[] = {{"engine", [&] { return Engine(); }},
                            {"verify", [&] { return Verify(); }},
                            {"extract", [&] { return ExtractVerdict(); }}};
  for (const Reader& reader : readers) {
    plat::host::ResetFaults();
    ASSERT_EQ(reader.run().kind, Verdict::kRead) << reader.name;
    const int reads = plat::host::CallCount(FaultKind::kFaultRead);
    int unreadable = 0;
    for (int n = 1; n <= reads; ++n) {
      plat::host::ResetFaults();
      plat::host::FailCall(FaultKind::kFaultRead, n);
      const Verdict v = reader.run();
      EXPECT_NE(v.kind, Verdict::kRead) << reader.name << " read " << n;
      // The setup header is read before the walk: the engine tells it as
      // damage, "the disc cannot be read here".
      if (v.kind == Verdict::kDamage) {
        EXPECT_NE(v.reason.find("cannot be read"), std::string::npos) << reader.name << " read " << n << ": " << v.reason;
        continue;
      }
      EXPECT_EQ(v.kind, Verdict::kUnreadable) << reader.name << " read " << n << ": " << Describe(v);
      ++unreadable;
    }
    plat::host::ResetFaults();
    std::printf("[ agree ] %s: %d reads, %d told as a disc that cannot be read\n", reader.name, reads, unreadable);
    EXPECT_GT(unreadable, 0) << reader.name;
  }
}

}  // namespace
