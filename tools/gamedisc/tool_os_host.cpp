#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host_control.h"
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

// Runs `args` with its output going to the file `log`; returns its exit code.
int Run(const std::vector<std::string>& args, const std::string& log) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
  std::string output;
  if (FILE* f = std::fopen(log.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && output.size() < 16384) output.append(buffer, n);
    std::fclose(f);
  }
  std::remove(log.c_str());
  if (rc != 0) {
    *message = args[0] + " failed (exit code " + std::to_string(rc) + ")" + (output.empty() ? "" : ":\n" + output);
    return false;
  }
  return true;
}

}  // namespace gamedisc
