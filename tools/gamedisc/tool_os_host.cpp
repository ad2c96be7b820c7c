#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "host_port.h"
#include "tool_os.h"

extern char** environ;

namespace gamedisc {

namespace {

constexpr char kRootDrive = 'Z';

bool Which(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Runs `args` with its output going to the file `log`, and `input` (when
// given) as its standard input; returns its exit code, -1 when it could not
// be started or did not end by itself.
int Run(const std::vector<std::string>& args, const std::string& log, const std::string* input = nullptr) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // The input is small (a password): it is all in the pipe before the
  // program starts, and the program reads it to its end.
  int pipeEnds[2] = {-1, -1};
  if (input != nullptr) {
    if (input->size() > 65536 || pipe2(pipeEnds, O_CLOEXEC) != 0) return -1;
    const bool written = write(pipeEnds[1], input->data(), input->size()) == static_cast<ssize_t>(input->size());
    close(pipeEnds[1]);
    if (!written) {
      close(pipeEnds[0]);
      return -1;
    }
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input != nullptr) posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (input != nullptr) close(pipeEnds[0]);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first 16 KiB of a program's log, and the log removed.
std::string TakeLog(const std::string& log) {
  std::string output;
  if (FILE* f = std::fopen(log.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && output.size() < 16384) output.append(buffer, n);
    std::fclose(f);
  }
  std::remove(log.c_str());
  return output;
}

}  // namespace

void PrepareToolProcess() {
  plat::host::MapDrive(kRootDrive, "/", plat::kDriveFixed);
  std::vector<char> cwd(4096);
  if (getcwd(cwd.data(), cwd.size()) != nullptr) plat::SetCurrentFolder(PathArgument(cwd.data()).c_str());
}

bool FolderNamesMayBeUtf8() { return true; }

std::string PathArgument(const std::string& argument) {
  std::string path = argument;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (!argument.empty() && argument[0] == '/') path = std::string(1, kRootDrive) + ":" + path;
  return path;
}

std::string DisplayPath(const std::string& path) {
  std::string shown = path;
  if (shown.size() >= 2 && (shown[0] == kRootDrive || shown[0] == kRootDrive + 32) && shown[1] == ':') {
    shown.erase(0, 2);
  }
  for (char& c : shown) {
    if (c == '\\') c = '/';
  }
  return shown;
}

bool MakeIsoImage(const std::string& discFolder, const std::string& isoPath, const std::string& label,
                  std::string* message) {
  std::string folder, iso;
  if (!plat::host::ToHostPath(discFolder.c_str(), &folder) || !plat::host::ToHostPath(isoPath.c_str(), &iso)) {
    *message = "the disc folder is on no mapped drive";
    return false;
  }
  // Every date of the image is the same fixed moment (2000-01-01), so that a
  // build repeats byte for byte.
  setenv("SOURCE_DATE_EPOCH", "946684800", 1);
  std::vector<std::string> args;
  if (Which("xorriso")) {
    args = {"xorriso", "-abort_on", "FAILURE", "-report_about", "FAILURE", "-as", "mkisofs", "-r", "-J",
            "-V", label, "--set_all_file_dates", "2000010100000000", "-o", iso, folder};
  } else if (Which("genisoimage")) {
    // genisoimage keeps the files' own dates: its images do not repeat.
    args = {"genisoimage", "-quiet", "-r", "-J", "-V", label, "-o", iso, folder};
  } else {
    *message = "neither xorriso nor genisoimage is installed (Debian: apt-get install xorriso)";
    return false;
  }
  const std::string log = iso + ".log";
  int rc = Run(args, log);
  const std::string output = TakeLog(log);
  if (rc != 0) {
    *message = args[0] + " failed (exit code " + std::to_string(rc) + ")" + (output.empty() ? "" : ":\n" + output);
    return false;
  }
  return true;
}

ProgramSigner::~ProgramSigner() {
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool ProgramSigner::Sign(const std::string& program, const std::string& name, const std::string& description,
                         const std::string& url, std::string* signedCopy, std::string* message) {
  if (!Which("osslsigncode")) {
    *message = "signing needs osslsigncode, which is not installed (Debian: apt-get install osslsigncode)";
    return false;
  }
  std::string in, certificate;
  if (!plat::host::ToHostPath(program.c_str(), &in) || !plat::host::ToHostPath(key_.certificate.c_str(), &certificate)) {
    *message = "the program or the certificate is on no mapped drive";
    return false;
  }
  // As the user wrote them, in osslsigncode's messages: "Z:\\x" maps to "//x".
  in = std::filesystem::path(in).lexically_normal().string();
  certificate = std::filesystem::path(certificate).lexically_normal().string();
  if (folder_.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/gamedisc-sign-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
      *message = "cannot make a folder for the signed copies below " + pattern.substr(0, pattern.rfind('/'));
      return false;
    }
    folder_ = pattern;
  }
  const std::string out = folder_ + "/" + name;
  std::vector<std::string> args = {"osslsigncode", "sign", "-pkcs12", certificate};
  // An empty password file is refused by osslsigncode: a certificate
  // without a password is opened without -readpass.
  if (!key_.password.empty()) args.insert(args.end(), {"-readpass", "-"});
  args.insert(args.end(), {"-h", "sha256", "-n", description});
  if (!url.empty()) args.insert(args.end(), {"-i", url});
  if (!key_.timestampUrl.empty()) args.insert(args.end(), {"-ts", key_.timestampUrl});
  args.insert(args.end(), {"-in", in, "-out", out});
  const std::string log = out + ".log";
  const int rc = Run(args, log, &key_.password);
  const std::string output = TakeLog(log);
  struct stat made;
  if (rc != 0 || stat(out.c_str(), &made) != 0) {
    std::remove(out.c_str());
    *message = "osslsigncode could not sign " + name + " (exit code " + std::to_string(rc) + ")" +
               (output.empty() ? "" : ":\n" + output);
    while (!message->empty() && message->back() == '\n') message->pop_back();
    return false;
  }
  *signedCopy = PathArgument(out);
  return true;
}

}  // namespace gamedisc
