// Packing folders into packages and unpacking them: what the installer's
// own package reader makes of them, and damaged or hostile packages.
#include <string>

#include "a_file.h"
#include "apkg_writer.h"
#include "lib_test.h"
#include "pack.h"

namespace {

using testsupport::LibTest;

class PackageToolTest : public LibTest {
 protected:
  std::string ReadThroughInstaller(const std::string& path) {
    FileHandle f;
    if (!f.OpenRead(Win(path).c_str())) return "<cannot open>";
    std::string bytes(static_cast<size_t>(f.Size()), '\0');
    if (!bytes.empty()) f.Read(&bytes[0], static_cast<int>(bytes.size()));
    f.Close();
    return bytes;
  }
};

TEST_F(PackageToolTest, APackedFolderReadsAsTheFolderDid) {
  Put("art\\title.pic1", "title pixels");
  Put("art\\Empty.bin", "");
  Put("art\\fonts\\big.fnt", std::string(70000, 'f'));
  std::string package, error;
  ASSERT_TRUE(gamedisc::PackFolder(Win("art"), &package, &error)) << error;
  Put("disc\\art.apkg", package);
  // Through the file access of the installer: the folder is missing, the
  // package stands in, and the subfolder is a package inside it.
  EXPECT_EQ(ReadThroughInstaller("disc\\art\\TITLE.PIC1"), "title pixels");
  EXPECT_EQ(ReadThroughInstaller("disc\\art\\empty.bin"), "");
  EXPECT_EQ(ReadThroughInstaller("disc\\art\\fonts\\big.fnt"), std::string(70000, 'f'));

  std::vector<std::string> said;
  ASSERT_TRUE(gamedisc::UnpackPackage(Win("disc\\art.apkg"), Win("unpacked"),
                                      [&](const std::string& s) { said.push_back(s); }, &error))
      << error;
  EXPECT_EQ(Get("unpacked\\title.pic1"), "title pixels");
  EXPECT_EQ(Get("unpacked\\Empty.bin"), "");
  std::string inner;
  ASSERT_TRUE(gamedisc::PackFolder(Win("art\\fonts"), &inner, &error));
  EXPECT_EQ(Get("unpacked\\fonts.apkg"), inner);
  EXPECT_EQ(said.size(), 3u);
  // Unpacking again would overwrite: refused.
  EXPECT_FALSE(gamedisc::UnpackPackage(Win("disc\\art.apkg"), Win("unpacked"), [](const std::string&) {}, &error));
  EXPECT_NE(error.find("exists already"), std::string::npos) << error;
}

TEST_F(PackageToolTest, NamesAPackageCannotHoldAreRefused) {
  Put("long\\" + std::string(32, 'n'), "x");
  Put("case\\a.txt", "1");
  Put("case\\A.TXT", "2");
  std::string package, error;
  EXPECT_FALSE(gamedisc::PackFolder(Win("long"), &package, &error));
  EXPECT_NE(error.find("31 bytes"), std::string::npos) << error;
  // Only a file system that tells case apart holds both.
  if (testsupport::ExistsNative(Native("case\\a.txt")) && Get("case\\a.txt") == "1" && Get("case\\A.TXT") == "2") {
    EXPECT_FALSE(gamedisc::PackFolder(Win("case"), &package, &error));
    EXPECT_NE(error.find("case"), std::string::npos) << error;
  }
}

TEST_F(PackageToolTest, DamagedAndHostilePackagesAreRefusedWhole) {
  using testsupport::BuildPackage;
  std::vector<disc::PackageEntry> entries;
  std::string error;
  std::string good = BuildPackage({{"a.txt", "abc"}, {"b.txt", "de"}});

  std::string directoryOutside = good;
  testsupport::PutLe32(&directoryOutside, 4, static_cast<uint32_t>(good.size()));
  EXPECT_FALSE(gamedisc::ReadPackage(directoryOutside, &entries, &error));
  EXPECT_NE(error.find("directory"), std::string::npos) << error;

  std::string entryOutside = good;
  testsupport::PutLe32(&entryOutside, good.size() - 4, 0x7FFFFFF0u);  // b.txt's size
  EXPECT_FALSE(gamedisc::ReadPackage(entryOutside, &entries, &error));
  EXPECT_NE(error.find("b.txt"), std::string::npos) << error;

  EXPECT_FALSE(gamedisc::ReadPackage("APK", &entries, &error));
  EXPECT_FALSE(gamedisc::ReadPackage("NOPE" + good.substr(4), &entries, &error));
  std::string negative = good;
  testsupport::PutLe32(&negative, 8, 0xFFFFFFFFu);
  ASSERT_TRUE(gamedisc::ReadPackage(negative, &entries, &error));
  EXPECT_TRUE(entries.empty()) << "a count below 1 is an empty package";

  for (const char* name : {"..", "..\\escape.txt", "a/b", "c:x"}) {
    Put("hostile.apkg", BuildPackage({{name, "x"}}));
    EXPECT_FALSE(gamedisc::UnpackPackage(Win("hostile.apkg"), Win("h"), [](const std::string&) {}, &error)) << name;
  }
  EXPECT_FALSE(testsupport::ExistsNative(Native("escape.txt")));

  // The reader only ever finds the first of two equal names: the second is
  // left out.
  Put("twice.apkg", BuildPackage({{"same.txt", "first"}, {"SAME.TXT", "second"}}));
  std::vector<std::string> said;
  ASSERT_TRUE(gamedisc::UnpackPackage(Win("twice.apkg"), Win("t"), [&](const std::string& s) { said.push_back(s); },
                                      &error));
  EXPECT_EQ(Get("t\\same.txt"), "first");
  ASSERT_EQ(said.size(), 2u);
  EXPECT_NE(said[1].find("left out: SAME.TXT"), std::string::npos) << said[1];
}

}  // namespace
