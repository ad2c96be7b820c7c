// The project file: settings, texts, quoting, capacities and the faults a
// project can have.
#include <gtest/gtest.h>

#include <string>

#include "platform.h"
#include "project.h"
#include "setup_state.h"

namespace {

using gamedisc::ParseCapacity;
using gamedisc::ParseProject;
using gamedisc::Project;

const char kBasics[] = "company = Maker\ngame = Game\nuninstall_key = Key\nexe = bin/game.exe\n";

TEST(Project, SettingsTextsAndLinks) {
  Project p;
  std::string error;
  const std::string text = std::string("\xEF\xBB\xBF# made by hand\r\n") + kBasics +
                           "names = big5\r\n"
                           "capacity = cd700\n"
                           "setupdata = package\n"
                           "data = manual\n"
                           "data = movies/intro.avi\n"
                           "  web_link =   http://example.com/  \n"
                           "link = Read Me | readme.txt\n"
                           "setup_pictures = a.bmp, b.bmp\n"
                           "NextCD_EN = \"Insert disc \"\n"
                           "ProgramName_TW = \xE5\xAE\x89\n";
  ASSERT_TRUE(ParseProject(text, "p", &p, &error)) << error;
  EXPECT_EQ(p.company, "Maker");
  EXPECT_EQ(p.exe, "bin/game.exe");
  EXPECT_EQ(p.namesCodePage, plat::kCodePageBig5);
  EXPECT_EQ(p.capacity, gamedisc::kCd700);
  EXPECT_TRUE(p.packageSetupdata);
  EXPECT_EQ(p.data, (std::vector<std::string>{"manual", "movies/intro.avi"}));
  EXPECT_EQ(p.webLink, "http://example.com/");
  ASSERT_EQ(p.links.size(), 1u);
  EXPECT_EQ(p.links[0].name, "Read Me");
  EXPECT_EQ(p.links[0].file, "readme.txt");
  EXPECT_EQ(p.setupPictures, (std::vector<std::string>{"a.bmp", "b.bmp"}));
  ASSERT_EQ(p.texts.size(), 2u);
  EXPECT_EQ(p.texts[0].key, kNextCd);
  EXPECT_EQ(p.texts[0].language, kLanguageEn);
  EXPECT_EQ(p.texts[0].text, "Insert disc ") << "quotes keep the trailing space";
  EXPECT_EQ(p.texts[1].key, kProgramName);
  EXPECT_EQ(p.texts[1].language, kLanguageTw);
  EXPECT_EQ(p.texts[1].line, 15);
}

TEST(Project, FaultsNameTheirLine) {
  struct Case {
    std::string text;
    const char* expected;
  };
  const Case cases[] = {
      {std::string(kBasics) + "colour = blue\n", "p:5: unknown setting \"colour\""},
      {std::string(kBasics) + "just words\n", "p:5: expected \"name = value\""},
      {std::string(kBasics) + "ProgramName_EN = a\nProgramName_EN = b\n", "p:6: ProgramName_EN is already set on line 5"},
      {std::string(kBasics) + "ProgramName_en = a\n", "p:5: unknown setting"},
      {std::string(kBasics) + "URL_FILENAME_EN = x.url\n", "web_link instead"},
      {std::string(kBasics) + "link = no bar\n", "p:5: link must be"},
      {std::string(kBasics) + "setupdata = zip\n", "setupdata must be"},
      {std::string(kBasics) + "names = klingon\n", "names must be"},
      {"company = Maker\ngame = Game\nexe = a.exe\n", "p: uninstall_key is not set"},
  };
  for (const Case& c : cases) {
    Project p;
    std::string error;
    EXPECT_FALSE(ParseProject(c.text, "p", &p, &error)) << c.text;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

TEST(Project, Capacities) {
  uint64_t bytes = 0;
  std::string error;
  ASSERT_TRUE(ParseCapacity("cd650", &bytes, &error));
  EXPECT_EQ(bytes, 333000u * 2048 - 1048576);
  ASSERT_TRUE(ParseCapacity("cd700", &bytes, &error));
  EXPECT_EQ(bytes, 360000u * 2048 - 1048576);
  ASSERT_TRUE(ParseCapacity("4_700_000_000", &bytes, &error));
  EXPECT_EQ(bytes, 4700000000u);
  ASSERT_TRUE(ParseCapacity("1,474,560", &bytes, &error));
  EXPECT_EQ(bytes, 1474560u);
  for (const char* bad : {"", "cd800", "12MB", "-5", "32767", "99999999999999999999999"}) {
    EXPECT_FALSE(ParseCapacity(bad, &bytes, &error)) << bad;
  }
}

}  // namespace
