// gamedisc extract off CloneCD, Alcohol and Nero images of each sector
// layout; a damaged descriptor, or a data file given without it, refused
// with the reason.
#include <functional>
#include <string>
#include <vector>

#include "bincue.h"
#include "cli.h"
#include "extract_test.h"

namespace {

using testsupport::ExtractTest;

TEST_F(ExtractTest, EveryCopiersImageGivesTheGameTree) {
  BuildGame(true);
  // Writes the image of `iso` at `stem` (native paths); the scratch name
  // extract is given is stem + `named`.
  const struct {
    const char* folder;
    const char* named;
    std::function<bool(const std::string&, const std::string&, std::string*)> write;
  } formats[] = {
      {"ccd", ".ccd",
       [](const std::string& iso, const std::string& stem, std::string* e) {
         return testsupport::WriteCloneCd(iso, stem + ".ccd", stem + ".img", stem + ".sub", e);
       }},
      {"img", ".img",
       [](const std::string& iso, const std::string& stem, std::string* e) {
         return testsupport::WriteCloneCd(iso, stem + ".ccd", stem + ".img", stem + ".sub", e);
       }},
      {"mds", ".mds",
       [](const std::string& iso, const std::string& stem, std::string* e) {
         return testsupport::WriteAlcohol(iso, stem + ".mds", stem + ".mdf", e);
       }},
      {"mdf", ".MDF",
       [](const std::string& iso, const std::string& stem, std::string* e) {
         return testsupport::WriteAlcohol(iso, stem + ".MDS", stem + ".MDF", e);
       }},
      {"nrg2048", ".nrg",
       [](const std::string& iso, const std::string& stem, std::string* e) {
         return testsupport::WriteNero(iso, stem + ".nrg", 2048, e);
       }},
      {"nrg2352", ".nrg",
       [](const std::string& iso, const std::string& stem, std::string* e) {
         return testsupport::WriteNero(iso, stem + ".nrg", 2352, e);
       }},
  };
  int n = 0;
  for (const auto& f : formats) {
    SCOPED_TRACE(f.folder);
    testsupport::MakeFolderNative(Native(f.folder));
    for (const char* disc : {"disc1", "disc2"}) {
      std::string error;
      ASSERT_TRUE(f.write(Native(std::string("out\\") + disc + ".iso"),
                          Native(std::string(f.folder) + "\\Game (" + disc + ")"), &error))
          << error;
    }
    for (bool disc2First : {false, true}) {
      const std::string one = std::string(f.folder) + "\\Game (disc1)" + f.named;
      const std::string two = std::string(f.folder) + "\\Game (disc2)" + f.named;
      const std::string out = "x" + std::to_string(n++);
      Outcome o = Extract(disc2First ? std::vector<std::string>{two, one} : std::vector<std::string>{one, two}, out);
      ASSERT_EQ(o.exitCode, gamedisc::kExitOk) << o.warned;
      EXPECT_TRUE(Tree(out) == Expected());
    }
  }
}

// Little-endian and big-endian fields set in a copy of `bytes`.
std::string Le(std::string bytes, size_t at, uint64_t v, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  return bytes;
}
std::string Be(std::string bytes, size_t at, uint64_t v, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<size_t>(width - 1 - i)] = static_cast<char>(v >> (8 * i));
  return bytes;
}
std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST_F(ExtractTest, ADamagedDescriptorOrALoneDataFileIsRefusedWithTheReason) {
  BuildGame(true);
  std::string error;
  ASSERT_TRUE(testsupport::WriteCloneCd(Native("out\\disc1.iso"), Native("c.ccd"), Native("c.img"), Native("c.sub"),
                                        &error))
      << error;
  ASSERT_TRUE(testsupport::WriteAlcohol(Native("out\\disc1.iso"), Native("m.mds"), Native("m.mdf"), &error)) << error;
  ASSERT_TRUE(testsupport::WriteNero(Native("out\\disc1.iso"), Native("n.nrg"), 2352, &error)) << error;
  const std::string ccd = Get("c.ccd"), mds = Get("m.mds"), nrg = Get("n.nrg");
  const size_t daox = nrg.size() - 12 - 8 - 72;  // the DAOX chunk: header, body, END!, footer before it
  const size_t track = 88 + 24;
  const struct {
    const char* name;  // beside c.img, m.mdf or n's data as the name says
    std::string bytes;
    const char* reason;
  } damaged[] = {
      {"c1.ccd", Replace(ccd, "[CloneCD]", "[Other]"), "no [CloneCD] section"},
      {"c2.ccd", Replace(ccd, "PLBA=0\r\n[TRACK", "PLBA=99999999\r\n[TRACK"), "PLBA is missing or out of range"},
      {"c3.ccd", Replace(ccd, "PLBA=0\r\n[TRACK", "PLBA=4000\r\n[TRACK"), "ends before it starts"},
      {"c4.ccd", Replace(ccd, "MODE=1", "MODE=7"), "the mode 7 is not read"},
      {"c5.ccd", Replace(ccd, "Control=0x04\r\nTrackNo=0\r\nALBA=-150\r\nZero=0\r\nPLBA=0",
                         "Control=0x00\r\nTrackNo=0\r\nALBA=-150\r\nZero=0\r\nPLBA=0") + "[TRACK 1]\r\nMODE=0\r\n",
       "audio tracks only"},
      {"c6.ccd", Replace(ccd, "Point=0xa2\r\nADR=0x01\r\nControl=0x04\r\nTrackNo=0\r\nALBA=-150\r\nZero=0\r\nPLBA=",
                         "Point=0xa2\r\nADR=0x01\r\nControl=0x04\r\nTrackNo=0\r\nALBA=-150\r\nZero=0\r\nPLBA=9") ,
       "runs past the end"},
      {"m1.mds", "MEDIA DESCRIPTOX" + mds.substr(16), "does not start with MEDIA DESCRIPTOR"},
      {"m2.mds", Le(mds, 80, 0xFFFFFF00, 4), "session blocks lie past its end"},
      {"m3.mds", Le(mds, 88 + 20, 4096, 4), "track blocks of session 1 lie past its end"},
      {"m4.mds", Le(mds, track + 16, 2340, 2), "2340-byte sectors, which are not read"},
      {"m5.mds", Le(mds, track, 0xAD, 1), "the mode 13, which is not read"},
      {"m6.mds", Le(mds, 88 + 4, 0x7FFFFFFF, 4), "out of range"},
      {"m7.mds", Le(mds, track + 40, 1 << 20, 8), "runs past the end"},
      {"m8.mds", mds.substr(0, 100), "session blocks lie past its end"},
      {"n1.nrg", nrg.substr(0, nrg.size() - 12), "no NER5 or NERO footer"},
      {"n2.nrg", Be(nrg, nrg.size() - 8, nrg.size(), 8), "no NER5 or NERO footer"},
      {"n3.nrg", Be(nrg, daox + 4, 1 << 20, 4), "DAOX chunk runs past its footer"},
      {"n4.nrg", Be(nrg, daox + 8 + 22 + 12, 2336, 2), "2336-byte sectors, which are not read"},
      {"n5.nrg", Be(nrg, daox + 8 + 22 + 14, 3, 1), "the mode 3, which is not read"},
      {"n6.nrg", Be(nrg, daox + 8 + 22 + 34, nrg.size(), 8), "lies past its data"},
      {"n7.nrg", Replace(Replace(nrg, "END!", "ENDX"), "DAOX", "DAOZ"), "without END!"},
      {"lone.img", Get("c.img"), "lone.ccd beside it; the file holds raw 2,352-byte sectors with a Mode 1 sync"},
      {"lone.mdf", Get("m.mdf"), "lone.mds beside it; the file holds raw 2,448-byte sectors"},
      {"iso.img", Get("out\\disc1.iso"), "the file holds 2,048-byte sectors with an ISO 9660 file system"},
  };
  for (const auto& d : damaged) {
    SCOPED_TRACE(d.name);
    Put(d.name, d.bytes);
    const std::string name = d.name;
    // A damaged descriptor is read with the good data file beside it.
    if (name[0] == 'c' && name.size() == 6) Put(name.substr(0, 2) + ".img", Get("c.img"));
    if (name[0] == 'm' && name.size() == 6) Put(name.substr(0, 2) + ".mdf", Get("m.mdf"));
    Outcome o = Extract({d.name}, "y");
    EXPECT_EQ(o.exitCode, gamedisc::kExitFault);
    EXPECT_NE(o.warned.find(d.reason), std::string::npos) << o.warned;
  }
}

}  // namespace
