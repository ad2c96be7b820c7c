// The private copy an elevated program starts in its place
// (plat::MakePrivateCopy), over the real Win32 API: where it goes, who may
// open its folder, that nobody can write it while it is held, that two
// copies never share a folder, and that nothing of one is left afterwards,
// dropped or started. Windows only; run as an administrator (Wine's user is
// one).
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <iterator>
#include <string>

#include "lib_test.h"
#include "platform.h"

namespace {

constexpr char kOnlyAdministratorsAndSystem[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The whole file, opened as the held copy allows.
std::string ReadShared(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "unreadable";
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

// The DACL of a file or folder as SDDL.
std::string DaclOf(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &descriptor) != ERROR_SUCCESS) {
    return "unreadable";
  }
  char* text = nullptr;
  std::string sddl = ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                          DACL_SECURITY_INFORMATION, &text, nullptr)
                         ? text
                         : "unconvertible";
  LocalFree(text);
  LocalFree(descriptor);
  return sddl;
}

// Whether the file system keeps the descriptor a folder is made with.
// Windows does. The Wine here does not: it turns the DACL into Unix mode
// bits and reads back a descriptor made from those (the owner's and
// SYSTEM's full control, and everyone's reading where others may read).
bool KeepsDescriptors(const std::string& where) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kOnlyAdministratorsAndSystem, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return false;
  }
  SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
  const std::string probe = where + "\\probe";
  const bool keeps = CreateDirectoryA(probe.c_str(), &security) && DaclOf(probe) == kOnlyAdministratorsAndSystem;
  RemoveDirectoryA(probe.c_str());
  LocalFree(descriptor);
  return keeps;
}

class PrivateCopyTest : public testsupport::LibTest {};

TEST_F(PrivateCopyTest, ANewFolderInWindowsTempThatOnlyAdministratorsAndSystemMayOpen) {
  plat::PrivateCopy* copy = plat::MakePrivateCopy("probe.exe");
  ASSERT_NE(copy, nullptr);
  const std::string path = plat::PrivateCopyPath(copy), folder = FolderOf(path);
  char windows[MAX_PATH];
  ASSERT_GT(GetSystemWindowsDirectoryA(windows, MAX_PATH), 0u);
  EXPECT_EQ(lstrcmpiA(FolderOf(folder).c_str(), (std::string(windows) + "\\Temp").c_str()), 0) << folder;
  const std::string name = folder.substr(FolderOf(folder).size() + 1);
  EXPECT_EQ(name.rfind("probe-", 0), 0u) << name;
  EXPECT_EQ(name.size(), 6u + 32u) << name;
  EXPECT_EQ(path, folder + "\\probe.exe");

  const std::string dacl = DaclOf(folder);
  if (KeepsDescriptors(dir_.win)) {
    EXPECT_EQ(dacl, kOnlyAdministratorsAndSystem);
  } else {
    EXPECT_EQ(dacl.find(";;;WD)"), std::string::npos) << "everyone may open " << folder << ": " << dacl;
  }

  char self[MAX_PATH];
  ASSERT_TRUE(plat::GetProgramPath(self, sizeof self));
  const std::string bytes = ReadShared(path);
  EXPECT_TRUE(bytes == ReadShared(self)) << "the copy is not the program's file: " << bytes.size() << " bytes";

  plat::DropPrivateCopy(copy);
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(Exists(folder));
}

TEST_F(PrivateCopyTest, AHeldCopyCannotBeWrittenAndTwoCopiesNeverShareAFolder) {
  plat::PrivateCopy* copies[] = {plat::MakePrivateCopy("probe.exe"), plat::MakePrivateCopy("probe.exe")};
  ASSERT_NE(copies[0], nullptr);
  ASSERT_NE(copies[1], nullptr);
  const std::string folders[] = {FolderOf(plat::PrivateCopyPath(copies[0])),
                                 FolderOf(plat::PrivateCopyPath(copies[1]))};
  EXPECT_NE(folders[0], folders[1]);
  for (plat::PrivateCopy* copy : copies) {
    HANDLE file = CreateFileA(plat::PrivateCopyPath(copy), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    const DWORD error = GetLastError();
    EXPECT_EQ(file, INVALID_HANDLE_VALUE) << plat::PrivateCopyPath(copy);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    plat::DropPrivateCopy(copy);
  }
  for (const std::string& folder : folders) EXPECT_FALSE(Exists(folder)) << folder;
}

TEST_F(PrivateCopyTest, AStartedCopyLeavesNothingBehind) {
  EXPECT_FALSE(plat::LeavePrivateFolder()) << "this program was not started as a private copy";
  plat::PrivateCopy* copy = plat::MakePrivateCopy("probe.exe");
  ASSERT_NE(copy, nullptr);
  const std::string folder = FolderOf(plat::PrivateCopyPath(copy));
  ASSERT_TRUE(plat::StartPrivateCopy(
      copy, "--gtest_also_run_disabled_tests --gtest_filter=PrivateCopyTest.DISABLED_StartedCopyLeavesItsFolder"));
  // The copy moves its file out to folder + ".exe" and removes the folder;
  // the file goes as the copy's process ends. Long enough for a program
  // that runs emulated.
  for (int waited = 0; waited < 120000 && (Exists(folder) || Exists(folder + ".exe")); waited += 100) Sleep(100);
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(Exists(folder + ".exe"));
}

// The started copy's part of the test above.
TEST_F(PrivateCopyTest, DISABLED_StartedCopyLeavesItsFolder) { EXPECT_TRUE(plat::LeavePrivateFolder()); }

}  // namespace
