#include "cli.h"

#include <cstdio>
#include <cstdlib>

#include "build.h"
#include "code_pages.h"
#include "discset.h"
#include "extract.h"
#include "manual.h"
#include "output_tree.h"
#include "pack.h"
#include "tool_files.h"
#include "tool_os.h"

namespace gamedisc {

namespace {

const char kUsage[] =
    "gamedisc: builds, lists and checks the setup discs of a game, and gets the\n"
    "game off them on any system.\n"
    "\n"
    "usage:\n"
    "  gamedisc build --project FILE --game FOLDER --out FOLDER [--setup SETUP.EXE]\n"
    "                 [--uninstall FILE] [--capacity cd650|cd700|BYTES]\n"
    "                 [--jobs N] [--iso] [--quiet]\n"
    "                 [--sign CERT.pfx [--sign-password-file FILE] [--sign-timestamp URL]]\n"
    "  gamedisc list DISCS...\n"
    "  gamedisc verify [--quiet] DISCS...\n"
    "  gamedisc extract [--list | --test] [--json] [--names CODEPAGE] [--force] [--quiet]\n"
    "                   DISCS... --out FOLDER\n"
    "  gamedisc pack FOLDER --out FILE.apkg\n"
    "  gamedisc unpack FILE.apkg --out FOLDER\n"
    "  gamedisc help [COMMAND | manual]\n"
    "\n"
    "DISCS is the folder a build wrote (holding disc1, disc2, ...) or the disc\n"
    "folders themselves, disc 1 first.\n";

const char kBuildHelp[] =
    "gamedisc build --project FILE --game FOLDER --out FOLDER [options]\n"
    "\n"
    "Writes OUT/disc1 (setup.exe, data\\, setupdata\\ and cd1) and OUT/disc2... (cd2...)\n"
    "from the game folder and the project file. The output folder must be missing\n"
    "or empty. Every file of the game folder is packed into the archives, except\n"
    "the project's data entries and kelvora.exe, which go to disc 1's data folder.\n"
    "Disc 1 carries the list of files, setupdata\\manifest.ini: every packed file\n"
    "with the disc it starts on, every data file, each with its size and CRC-32;\n"
    "setup checks each file it installs against it.\n"
    "\n"
    "  --setup FILE      the installer to put on disc 1 as setup.exe\n"
    "  --uninstall FILE  the uninstaller, installed as uninstall.exe at the top of\n"
    "                    the install folder (the first file of the archives):\n"
    "                    setup registers it as the uninstall command and makes\n"
    "                    the Uninstall shortcut to it. Without this option, the\n"
    "                    uninstall.exe in the folder of the --setup file. A game\n"
    "                    folder with an uninstall.exe of its own at its top keeps\n"
    "                    that one and nothing is added. With none of these the\n"
    "                    build fails.\n"
    "  --capacity SIZE   bytes per disc: cd650, cd700 or a byte count (overrides\n"
    "                    the project's capacity)\n"
    "  --jobs N          pack on N threads (1 to 64; default: one per core). The\n"
    "                    discs come out the same, byte for byte, for any N.\n"
    "  --iso             also write OUT/discN.iso (needs xorriso or genisoimage)\n"
    "  --quiet           print only warnings and errors\n"
    "  --sign CERT.pfx   sign setup.exe and the uninstaller the build adds with\n"
    "                    Authenticode (SHA-256) before they go onto the discs,\n"
    "                    with osslsigncode (Linux build only). A game's own\n"
    "                    uninstall.exe is packed as the game gives it.\n"
    "  --sign-password-file FILE\n"
    "                    the certificate's password: the file's bytes, less a\n"
    "                    trailing line break. Without it, the environment\n"
    "                    variable GAMEDISC_SIGN_PASSWORD; without either, the\n"
    "                    certificate must have no password. The password is\n"
    "                    never taken from the command line, and reaches\n"
    "                    osslsigncode through a pipe.\n"
    "  --sign-timestamp URL\n"
    "                    have the signatures time-stamped by this RFC 3161\n"
    "                    service, so that they stay valid after the\n"
    "                    certificate expires (needs the network)\n";

const char kListHelp[] =
    "gamedisc list DISCS...\n"
    "\n"
    "Shows the setup header, every folder and file the archives install (with\n"
    "size and discs), and every plain file of each disc. Exits with 1 and the\n"
    "disc, offset and reason when the archives cannot be read to the end.\n";

const char kVerifyHelp[] =
    "gamedisc verify [--quiet] DISCS...\n"
    "\n"
    "Reads every record of every disc as setup.exe will: each must unpack, each\n"
    "stored name must be safe on systems of code page 1252, 950 or 936, a file\n"
    "that goes on to the next disc must go on there and end; then checks the\n"
    "probe file, the setup texts and pictures, the web link, the list of files\n"
    "(each packed file's disc, size and CRC-32, each data file's size and CRC-32,\n"
    "no row left over), the executable and the install size. Tag bytes of no\n"
    "record, names that some of those code pages refuse and a set without a list\n"
    "of files are taken, as setup takes them, and told in note: lines. Exits with\n"
    "1 and the disc, offset and reason of the first fault.\n";

const char kExtractHelp[] =
    "gamedisc extract DISCS... --out FOLDER [options]\n"
    "\n"
    "Writes the game as setup.exe installs it (the archives' folders and files,\n"
    "then disc 1's data folder over them) into FOLDER, and nothing else: no\n"
    "registry, shortcuts or uninstall record. Each disc may be its folder, a\n"
    "folder holding disc1, disc2, ..., or (Linux build) an ISO 9660 image (.iso)\n"
    "or a BIN/CUE image (.cue, or its .bin); the discs of a set may come in any\n"
    "order, each known by its archive cdN. The Windows build reads disc folders\n"
    "and drives only: Windows mounts an ISO image as a drive itself.\n"
    "\n"
    "Every record is checked as setup checks it, and every file against the\n"
    "set's list of files (size and CRC-32) where the set has one. FOLDER must be\n"
    "new or empty; nothing is written outside it and no link found there is\n"
    "followed.\n"
    "\n"
    "  --list            show what would be written, with sizes; write nothing\n"
    "  --test            read and check everything; write nothing\n"
    "  --json            with --list or --test: one JSON object a line, each file's\n"
    "                    {\"file\", \"size\", \"disc\", \"crc32\"}, then the\n"
    "                    {\"verdict\", \"exit\", ...}; notes and faults on stderr\n"
    "  --names CODEPAGE  the code page the discs' names are read in: 950 (big5),\n"
    "                    936 (gbk) or 1252; names are written in Unicode. Without\n"
    "                    it the tool guesses from the names and says so.\n"
    "  --force           write into a folder that holds files, overwriting them\n"
    "  --quiet           print only notes, faults and the closing line\n"
    "\n"
    "Exit codes: 0 extracted exactly; 1 a disc is damaged or incomplete, or a file\n"
    "cannot be written (the files written before are named); 2 wrong command\n"
    "line.\n";

const char kPackHelp[] =
    "gamedisc pack FOLDER --out FILE.apkg\n"
    "gamedisc unpack FILE.apkg --out FOLDER\n"
    "\n"
    "pack writes the files of FOLDER as a package (a subfolder becomes a package\n"
    "inside it); unpack writes a package's entries into FOLDER.\n";

// Where build --sign takes the certificate's password from, without
// --sign-password-file.
constexpr char kPasswordVariable[] = "GAMEDISC_SIGN_PASSWORD";

void Say(const std::string& line) { std::printf("%s\n", line.c_str()); }
void Quiet(const std::string&) {}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "gamedisc: %s\n(gamedisc help shows the commands)\n", problem.c_str());
  return kExitUsage;
}

int Error(const std::string& problem) {
  std::fprintf(stderr, "gamedisc: %s\n", problem.c_str());
  return kExitFault;
}

// Splits the arguments into "--name value" options, flags and the rest.
struct Arguments {
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> flags;
  std::vector<std::string> rest;

  bool Parse(const std::vector<std::string>& args, const std::vector<std::string>& valued,
             const std::vector<std::string>& allowedFlags, std::string* problem) {
    for (size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (a.size() < 2 || a.compare(0, 2, "--") != 0) {
        rest.push_back(a);
        continue;
      }
      bool takesValue = false;
      for (const std::string& v : valued) takesValue = takesValue || v == a;
      bool isFlag = false;
      for (const std::string& f : allowedFlags) isFlag = isFlag || f == a;
      if (takesValue) {
        if (i + 1 >= args.size()) {
          *problem = a + " needs a value";
          return false;
        }
        options.push_back({a, args[++i]});
      } else if (isFlag) {
        flags.push_back(a);
      } else {
        *problem = "unknown option " + a;
        return false;
      }
    }
    return true;
  }
  std::string Value(const std::string& name) const {
    std::string value;
    for (const auto& o : options) {
      if (o.first == name) value = o.second;
    }
    return value;
  }
  bool Has(const std::string& flag) const {
    for (const std::string& f : flags) {
      if (f == flag) return true;
    }
    return false;
  }
};

int Build(const std::vector<std::string>& args) {
  Arguments a;
  std::string problem;
  for (const std::string& arg : args) {
    if (arg == "--sign-password") {
      return Usage("the password is never taken from the command line, where every user of the machine sees it: "
                   "give --sign-password-file FILE or set " + std::string(kPasswordVariable));
    }
  }
  if (!a.Parse(args,
               {"--project", "--game", "--out", "--setup", "--uninstall", "--capacity", "--jobs", "--sign",
                "--sign-password-file", "--sign-timestamp"},
               {"--iso", "--quiet"}, &problem)) {
    return Usage(problem);
  }
  if (!a.rest.empty()) return Usage("build takes no argument " + a.rest[0]);
  BuildOptions o;
  o.project = a.Value("--project");
  o.game = a.Value("--game");
  o.out = a.Value("--out");
  if (o.project.empty() || o.game.empty() || o.out.empty()) return Usage("build needs --project, --game and --out");
  o.project = PathArgument(o.project);
  o.game = PathArgument(o.game);
  o.out = PathArgument(o.out);
  if (!a.Value("--setup").empty()) o.setupExe = PathArgument(a.Value("--setup"));
  if (!a.Value("--uninstall").empty()) o.uninstallExe = PathArgument(a.Value("--uninstall"));
  o.capacity = a.Value("--capacity");
  if (!a.Value("--sign").empty()) {
    o.signing.certificate = PathArgument(a.Value("--sign"));
    if (!a.Value("--sign-password-file").empty()) {
      o.signingPasswordFile = PathArgument(a.Value("--sign-password-file"));
    } else if (const char* password = std::getenv(kPasswordVariable)) {
      o.signing.password = password;
    }
    o.signing.timestampUrl = a.Value("--sign-timestamp");
  } else if (!a.Value("--sign-password-file").empty() || !a.Value("--sign-timestamp").empty()) {
    return Usage("--sign-password-file and --sign-timestamp go with --sign CERT.pfx");
  }
  o.iso = a.Has("--iso");
  for (const auto& option : a.options) {
    if (option.first != "--jobs") continue;
    const std::string& jobs = option.second;
    const bool digits = !jobs.empty() && jobs.size() <= 2 && jobs.find_first_not_of("0123456789") == std::string::npos;
    o.jobs = digits ? std::stoi(jobs) : 0;
    if (o.jobs < 1 || o.jobs > kMaxJobs) {
      return Usage("--jobs takes a number from 1 to " + std::to_string(kMaxJobs) + ", not \"" + jobs + "\"");
    }
  }
  BuildResult result;
  std::string error;
  bool ok = BuildDiscSet(o, a.Has("--quiet") ? Quiet : Say, &result, &error);
  for (const std::string& w : result.warnings) std::fprintf(stderr, "gamedisc: warning: %s\n", w.c_str());
  return ok ? kExitOk : Error(error);
}

bool Locate(const std::vector<std::string>& paths, DiscSet* set, std::string* problem) {
  std::vector<std::string> converted;
  for (const std::string& p : paths) converted.push_back(PathArgument(p));
  return LocateDiscs(converted, set, problem);
}

int List(const std::vector<std::string>& args) {
  Arguments a;
  std::string problem;
  if (!a.Parse(args, {}, {}, &problem)) return Usage(problem);
  DiscSet set;
  if (!Locate(a.rest, &set, &problem)) return Usage(problem);
  DiscContents contents;
  Fault fault;
  bool ok = ReadDiscSet(set, &contents, &fault);
  std::fputs(FormatListing(contents).c_str(), stdout);
  return ok ? kExitOk : Error(DescribeFault(fault));
}

int Verify(const std::vector<std::string>& args) {
  Arguments a;
  std::string problem;
  if (!a.Parse(args, {}, {"--quiet"}, &problem)) return Usage(problem);
  DiscSet set;
  if (!Locate(a.rest, &set, &problem)) return Usage(problem);
  const bool quiet = a.Has("--quiet");
  DiscContents contents;
  Fault fault;
  bool ok = VerifyDiscSet(set, &contents, &fault, [&](const ArchivedFile& f) {
    if (!quiet) std::printf("    testing: %-50s OK\n", f.path.c_str());
  });
  for (const std::string& n : contents.notes) std::printf("note: %s\n", n.c_str());
  if (!ok) return Error(DescribeFault(fault));
  uint64_t bytes = 0;
  for (const ArchivedFile& f : contents.files) bytes += f.size;
  std::printf("No errors detected in %d disc%s: %zu files and %zu folders in the archives (%llu bytes).\n",
              contents.discCount, contents.discCount == 1 ? "" : "s", contents.files.size(), contents.folders.size(),
              static_cast<unsigned long long>(bytes));
  return kExitOk;
}

void ShowProgress(const std::string& line) {
  // Drawn over itself; cleared with blanks as wide as the last line.
  static size_t width = 0;
  std::fprintf(stderr, "\r%s%s\r", line.c_str(), line.size() < width ? std::string(width - line.size(), ' ').c_str() : "");
  if (line.empty()) std::fprintf(stderr, "\r");
  width = line.size();
  std::fflush(stderr);
}

int Extract(const std::vector<std::string>& args) {
  Arguments a;
  std::string problem;
  if (!a.Parse(args, {"--out", "--names"}, {"--list", "--test", "--json", "--force", "--quiet"}, &problem)) {
    return Usage(problem);
  }
  ExtractOptions o;
  for (const std::string& d : a.rest) o.discs.push_back(PathArgument(d));
  if (a.Has("--list") && a.Has("--test")) return Usage("--list and --test do not go together");
  o.mode = a.Has("--list") ? ExtractMode::kList : a.Has("--test") ? ExtractMode::kTest : ExtractMode::kWrite;
  if (o.mode != ExtractMode::kWrite && !a.Value("--out").empty()) return Usage("--list and --test write nothing: no --out");
  o.json = a.Has("--json");
  if (o.json && o.mode == ExtractMode::kWrite) return Usage("--json goes with --list or --test");
  if (!a.Value("--out").empty()) o.out = PathArgument(a.Value("--out"));
  const std::string names = a.Value("--names");
  if (const disc::DiscCodePage* page = disc::DiscCodePageNamed(names)) {
    o.codePage = page->number;
  } else if (!names.empty()) {
    return Usage("--names takes 950 (big5), 936 (gbk) or 1252, not " + names);
  }
  o.force = a.Has("--force");
  o.quiet = a.Has("--quiet");
  o.progress = !o.quiet && !o.json && ErrorIsTerminal();
  ExtractOutput out;
  out.say = Say;
  out.warn = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  out.progress = ShowProgress;
  return gamedisc::Extract(o, out).exitCode;
}

int Pack(const std::vector<std::string>& args) {
  Arguments a;
  std::string problem;
  if (!a.Parse(args, {"--out"}, {}, &problem)) return Usage(problem);
  if (a.rest.size() != 1 || a.Value("--out").empty()) return Usage("pack needs one FOLDER and --out FILE");
  const std::string folder = PathArgument(a.rest[0]);
  if (!IsFolder(folder)) return Error(DisplayPath(folder) + " is no folder");
  std::string package, error;
  if (!PackFolder(folder, &package, &error)) return Error(error);
  const std::string out = PathArgument(a.Value("--out"));
  if (!WriteDiskFile(out, package)) return Error("cannot write " + DisplayPath(out));
  std::printf("%s: %zu bytes\n", DisplayPath(out).c_str(), package.size());
  return kExitOk;
}

int Unpack(const std::vector<std::string>& args) {
  Arguments a;
  std::string problem;
  if (!a.Parse(args, {"--out"}, {}, &problem)) return Usage(problem);
  if (a.rest.size() != 1 || a.Value("--out").empty()) return Usage("unpack needs one FILE.apkg and --out FOLDER");
  std::string error;
  if (!UnpackPackage(PathArgument(a.rest[0]), PathArgument(a.Value("--out")), Say, &error)) return Error(error);
  return kExitOk;
}

int Help(const std::vector<std::string>& args) {
  const std::string topic = args.empty() ? "" : args[0];
  if (topic == "build") {
    std::fputs(kBuildHelp, stdout);
  } else if (topic == "list") {
    std::fputs(kListHelp, stdout);
  } else if (topic == "verify") {
    std::fputs(kVerifyHelp, stdout);
  } else if (topic == "extract") {
    std::fputs(kExtractHelp, stdout);
  } else if (topic == "pack" || topic == "unpack") {
    std::fputs(kPackHelp, stdout);
  } else if (topic == "manual") {
    std::fputs(kManual, stdout);
  } else if (topic.empty()) {
    std::fputs(kUsage, stdout);
  } else {
    return Usage("no command " + topic);
  }
  return kExitOk;
}

}  // namespace

int RunTool(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::string command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const std::string& a : rest) {
    if (a == "--help" || a == "-h") return Help({command});
  }
  if (command == "build") return Build(rest);
  if (command == "list") return List(rest);
  if (command == "verify") return Verify(rest);
  if (command == "extract") return Extract(rest);
  if (command == "pack") return Pack(rest);
  if (command == "unpack") return Unpack(rest);
  if (command == "help" || command == "--help" || command == "-h") return Help(rest);
  return Usage("unknown command " + command);
}

}  // namespace gamedisc
