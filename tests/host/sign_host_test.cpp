// build --sign (Linux build only): setup.exe and the added uninstall.exe go
// onto the discs signed, as osslsigncode checks them against the test's own
// certificate; the list of files and the install size are the signed
// files'; a signing that fails writes nothing; the password never reaches a
// command line.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "extract.h"
#include "host_control.h"
#include "pe_writer.h"
#include "tool_test.h"

namespace {

using testsupport::ToolTest;

constexpr char kPassword[] = "disc s3cret";

// Sets an environment variable for the scope; puts back what was there.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_;
  std::string old_;
};

class SignTest : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    // The signed copies' paths come through the drive the tool's process
    // maps onto "/" (PrepareToolProcess).
    plat::host::MapDrive('Z', "/", plat::kDriveFixed);
    testsupport::MakeFolderNative(Native("tmp"));
    tmp_.reset(new ScopedVariable("TMPDIR", Native("tmp").c_str()));
    Put("win\\setup.exe", testsupport::TinyProgram("setup"));
    Put("win\\uninstall.exe", testsupport::TinyProgram("uninstall"));
    setup_ = "win\\setup.exe";
    uninstall_ = "win\\uninstall.exe";
    WriteGame({{"kelvora.exe", "MZ the game"}, {"maps\\world.map", testsupport::Pattern(300000, 1)}});
    WriteProject("web_link = http://example.com/\n", "250000");
  }
  void TearDown() override {
    tmp_.reset();
    ToolTest::TearDown();
  }

  // A self-signed code-signing certificate, as cert.pem and as cert.pfx
  // under `password`.
  void MakeCertificate(const std::string& password) {
    ASSERT_EQ(std::system("command -v openssl >/dev/null && command -v osslsigncode >/dev/null"), 0)
        << "openssl or osslsigncode is not installed (scripts/install-deps.sh)";
    Put("password.txt", password);
    const std::string make =
        "cd '" + Native("") + "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
        "-days 3650 -subj '/CN=Sign Test Publisher' -addext extendedKeyUsage=codeSigning >openssl.log 2>&1 && "
        "openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout file:password.txt >>openssl.log 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << Get("openssl.log");
  }
  // Whether osslsigncode finds `relative` signed by the test's certificate.
  bool SignedByTheTest(const std::string& relative) {
    const std::string check = "osslsigncode verify -CAfile '" + Native("cert.pem") + "' -in '" + Native(relative) +
                              "' >'" + Native("verify.log") + "' 2>&1";
    return std::system(check.c_str()) == 0;
  }
  std::vector<std::string> BuildCommand(const std::string& out) {
    return {"build", "--quiet", "--project", Win("game.project"), "--game", Win("game"), "--out", Win(out),
            "--setup", Win(setup_), "--uninstall", Win(uninstall_), "--sign", Win("cert.pfx")};
  }
  gamedisc::BuildOptions SignedOptions(const std::string& out) {
    gamedisc::BuildOptions o = Options(out);
    o.signing.certificate = Win("cert.pfx");
    o.signingPasswordFile = Win("password.txt");
    return o;
  }
  bool NothingLeftInTmp() { return std::filesystem::is_empty(Native("tmp")); }

  std::unique_ptr<ScopedVariable> tmp_;
};

TEST_F(SignTest, SignedProgramsGoOntoTheDiscsAndVerify) {
  MakeCertificate(kPassword);
  // As an editor saves it: the line break is no part of the password.
  Put("password.line", std::string(kPassword) + "\n");
  struct Case {
    const char* what;
    const char* file;      // --sign-password-file; null: none
    const char* variable;  // GAMEDISC_SIGN_PASSWORD; null: unset
  };
  const Case cases[] = {
      {"password file", "password.line", nullptr},
      {"environment", nullptr, kPassword},
      {"the file before the environment", "password.line", "not the password"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = "out" + std::to_string(++n);
    ScopedVariable variable("GAMEDISC_SIGN_PASSWORD", c.variable);
    std::vector<std::string> command = BuildCommand(out);
    if (c.file != nullptr) command.insert(command.end(), {"--sign-password-file", Win(c.file)});
    ASSERT_EQ(gamedisc::RunTool(command), gamedisc::kExitOk);
    EXPECT_TRUE(SignedByTheTest(out + "\\disc1\\setup.exe")) << Get("verify.log");
    gamedisc::ExtractOptions extract;
    extract.discs = {Win(out)};
    extract.out = Win(out + "-game");
    gamedisc::ExtractOutput quiet;
    quiet.say = quiet.warn = quiet.progress = [](const std::string&) {};
    ASSERT_EQ(gamedisc::Extract(extract, quiet).exitCode, gamedisc::kExitOk);
    EXPECT_TRUE(SignedByTheTest(out + "-game\\uninstall.exe")) << Get("verify.log");
    // The list of files and the install size are the signed copy's.
    EXPECT_EQ(gamedisc::RunTool({"verify", "--quiet", Win(out)}), gamedisc::kExitOk);
    EXPECT_TRUE(NothingLeftInTmp());
  }
  EXPECT_FALSE(SignedByTheTest("win\\setup.exe")) << "the check finds an unsigned program signed";
}

TEST_F(SignTest, AFailedSigningWritesNothing) {
  MakeCertificate(kPassword);
  Put("wrong.txt", "not the password");
  Put("junk.pfx", "no certificate");
  Put("long.txt", std::string(4096, 'p'));
  testsupport::MakeFolderNative(Native("empty-path"));
  struct Case {
    const char* what;
    std::string certificate, passwordFile, path;  // path: PATH; empty: as it is
    const char* expected;
  };
  const Case cases[] = {
      {"wrong password", "cert.pfx", "wrong.txt", "", "(Wrong password?)"},
      {"no password", "cert.pfx", "", "", "(no password was given: --sign-password-file FILE or"},
      {"no certificate", "missing.pfx", "password.txt", "", "cannot read the certificate"},
      {"no certificate in the file", "junk.pfx", "password.txt", "", "osslsigncode could not sign setup.exe"},
      {"no password file", "cert.pfx", "missing.txt", "", "cannot read the password file"},
      {"password too long", "cert.pfx", "long.txt", "", "osslsigncode reads at most 4095"},
      {"no osslsigncode", "cert.pfx", "password.txt", Native("empty-path"), "osslsigncode, which is not installed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedVariable path("PATH", c.path.empty() ? std::getenv("PATH") : c.path.c_str());
    gamedisc::BuildOptions o = SignedOptions("refused");
    o.signing.certificate = Win(c.certificate);
    o.signingPasswordFile = c.passwordFile.empty() ? "" : Win(c.passwordFile);
    std::string error;
    EXPECT_FALSE(gamedisc::BuildDiscSet(o, [](const std::string&) {}, &result_, &error));
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_FALSE(testsupport::ExistsNative(Native("refused"))) << "nothing is written";
    EXPECT_TRUE(NothingLeftInTmp());
  }
  // Never on the command line.
  std::vector<std::string> command = BuildCommand("cli");
  command.insert(command.end(), {"--sign-password", kPassword});
  EXPECT_EQ(gamedisc::RunTool(command), gamedisc::kExitUsage);
  command = BuildCommand("cli");
  command.erase(command.end() - 2, command.end());
  command.insert(command.end(), {"--sign-timestamp", "http://ts.example/"});
  EXPECT_EQ(gamedisc::RunTool(command), gamedisc::kExitUsage) << "--sign-timestamp without --sign";
  EXPECT_FALSE(testsupport::ExistsNative(Native("cli")));
}

// A stand-in osslsigncode on the PATH writes down its arguments and its
// standard input: the time-stamping service is passed on, the password
// comes through the pipe and on no command line, and a game's own
// uninstall.exe is left as it is.
TEST_F(SignTest, TheSignerIsToldTheTimestampAndNeverThePassword) {
  Put("password.txt", kPassword);
  Put("cert.pfx", "the stand-in reads no certificate");
  Put("bin\\osslsigncode",
      "#!/bin/sh\n"
      "printf '%s\\n' \"$@\" '--' >>'" + Native("args.txt") + "'\n"
      "cat >>'" + Native("stdin.txt") + "'\n"
      "while [ $# -gt 1 ]; do\n"
      "  case $1 in -in) in=$2 ;; -out) out=$2 ;; esac\n"
      "  shift\n"
      "done\n"
      "cp \"$in\" \"$out\"\n");
  std::filesystem::permissions(Native("bin\\osslsigncode"), std::filesystem::perms::owner_all);
  const std::string path = Native("bin") + ":" + std::getenv("PATH");
  ScopedVariable searched("PATH", path.c_str());
  Put("game\\uninstall.exe", "MZ the game's own uninstaller");
  gamedisc::BuildOptions o = SignedOptions("out");
  o.signing.timestampUrl = "http://ts.example/";
  said_.clear();
  ASSERT_TRUE(gamedisc::BuildDiscSet(o, [this](const std::string& s) { said_.push_back(s); }, &result_, &error_))
      << error_;
  const std::string said = testing::PrintToString(said_);
  EXPECT_NE(said.find("uninstall.exe: the game's own (" + gamedisc::DisplayPath(Win(uninstall_)) +
                      " is not added), left as the game gives it"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("signed setup.exe with " + gamedisc::DisplayPath(Win("cert.pfx")) +
                      ", time-stamped by http://ts.example/"),
            std::string::npos)
      << said;
  const std::string args = Get("args.txt");
  const std::string expected = "sign\n-pkcs12\n" + Native("cert.pfx") +
                               "\n-readpass\n-\n-h\nsha256\n-n\nGame setup\n-i\nhttp://example.com/\n"
                               "-ts\nhttp://ts.example/\n-in\n" + Native("win/setup.exe") + "\n-out\n";
  EXPECT_EQ(args.substr(0, expected.size()), expected);
  EXPECT_EQ(args.find("--\n"), args.size() - 3) << "signed once: setup.exe only";
  EXPECT_EQ(args.find(kPassword), std::string::npos);
  EXPECT_EQ(Get("stdin.txt"), kPassword);
  EXPECT_TRUE(NothingLeftInTmp());
}

}  // namespace
