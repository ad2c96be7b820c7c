// The test controls of the Linux build: what a test plays of Windows over
// the Linux port (host_port.h, whose drives and paths it uses).
//
// Linked into tests, fuzz targets and benchmarks only. Linking them puts a
// scripted machine and a file system that can fail on command in place of
// the port's own, from the start of the process. Everything the seam offers
// beyond files is implemented here and recorded for tests to check
// (registry values, links, dialogs and what was drawn in them) and scripted
// by them (the language, free space, special folders, the folder browser,
// clicks in dialogs).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host_port.h"
#include "platform.h"

namespace plat {
namespace host {

// ---------------------------------------------------------------------------
// The machine: held files, language, space, date, clock, processes
// ---------------------------------------------------------------------------

// A file that DeleteFile cannot remove, as one held open by another
// program; ReleaseHeldFiles lets them all go.
void HoldFile(const std::string& windowsPath);
void ReleaseHeldFiles();
// The host paths of the streams open now, oldest first.
std::vector<std::string> OpenStreamPaths();

// GetSystemDefaultLangID's answer (0x0409 by default). It sets the code page
// too, to the one a system of that language runs under (AnsiCodePageOf); a
// later SetCodePage overrides it.
void SetSystemLanguage(uint16_t language);
// 950 for the traditional-Chinese languages (Taiwan, Hong Kong, Macao), 936
// for the simplified ones (PRC, Singapore), 1252 for any other.
unsigned AnsiCodePageOf(uint16_t language);

// The free bytes reported for a mapped drive while it stays mapped onto the
// same folder (by default the real free space of that folder).
void SetFreeBytes(char letter, uint64_t freeBytes);

// GetLocalDate's answer (by default today's date of this machine).
void SetLocalDate(const Date& date);
// With `skip`, Sleep gives up the processor and returns at once: for runs
// that repeat a whole install thousands of times, where only the order of
// events matters, never the time between them.
void SkipSleeps(bool skip);
// Each reading of TickCount comes `ms` milliseconds after the one before
// (50 by default: long enough that every step timed by the clock is due at
// each look, as on a slow machine; a small step is a fast machine).
void SetClockStep(uint32_t ms);
// GetProgramPath's answer, a Windows path (none by default: it fails).
void SetProgramPath(const std::string& windowsPath);
// What StartPrivateCopy was asked to start, in order: the copy's file name
// and arguments, and whether it then left its folder (LeavePrivateFolder
// marks the last one; with none started it fails). Nothing runs. With
// `refuse`, later MakePrivateCopy calls fail.
struct StartedCopy {
  std::string fileName, arguments;
  bool leftFolder = false;
};
const std::vector<StartedCopy>& StartedCopies();
void ResetProcesses(bool refuse = false);
// The paths given to RemoveAtRestart, in order.
const std::vector<std::string>& RemovalsAtRestart();

// ---------------------------------------------------------------------------
// The file system below the drives
// ---------------------------------------------------------------------------

// Linux's own file system by default. With `inMemory`, every drive, stream,
// folder and listing of the stand-in works on a tree held in memory
// instead, which starts empty: no disk is touched, and the host paths of
// the drive mappings are names in that tree. The semantics stay the same
// (the tree is case-sensitive as Linux is; links are followed as symbolic
// links are). Switching back to the disk keeps the tree for a later switch.
void UseMemoryFiles(bool inMemory);
bool UsingMemoryFiles();
// Empties the tree in memory.
void ClearMemoryFiles();
// Keeps a copy of the tree in memory, and puts the tree back as it was
// then (files opened since keep the bytes they had): for runs that each
// start from the same layout.
void SaveMemoryFiles();
void RestoreMemoryFiles();

// Host-side access to whichever file system is in use, for tests and
// fuzz targets to lay out and look at files by their host paths.
// WriteHostFile makes missing parent folders.
bool WriteHostFile(const std::string& hostPath, const std::string& bytes);
bool ReadHostFile(const std::string& hostPath, std::string* bytes);
bool HostExists(const std::string& hostPath);    // links followed
bool HostIsFolder(const std::string& hostPath);  // links followed
bool MakeHostFolders(const std::string& hostPath);
bool MakeHostLink(const std::string& target, const std::string& hostPath);
// Removes a file, link or whole folder; links are removed, not followed.
void RemoveHostTree(const std::string& hostPath);
// Everything below a folder, depth first in name order; a link is listed,
// not followed.
struct HostEntry {
  std::string path;
  bool folder;
  bool link;
};
std::vector<HostEntry> ListHostTree(const std::string& hostFolder);

// ---------------------------------------------------------------------------
// Registry, shell folders, links, folder browser
// ---------------------------------------------------------------------------

// Keys by their path below HKEY_LOCAL_MACHINE, compared without regard to
// case as the registry does; values by name.
struct RegistryKey {
  std::string path;
  std::map<std::string, std::string> values;  // REG_SZ values
  std::map<std::string, uint32_t> valueLengths;  // the lengths passed in
  std::map<std::string, uint32_t> dwords;  // REG_DWORD values
};
const std::vector<RegistryKey>& Registry();
// Null when the key does not exist.
const RegistryKey* FindKey(const std::string& path);
// Forgets every key; with `refuse`, every later RegCreate fails with
// ERROR_ACCESS_DENIED (5), as without administrator rights.
void ResetRegistry(bool refuse = false);

// The folder (a Windows path) a special folder resolves to; unset folders
// cannot be resolved.
void SetSpecialFolder(int folder, const std::string& windowsPath);

// Every link saved, in order, with all its fields. A saved link is also
// written as a small text file at its path, so that it shows in listings.
struct LinkRecord {
  std::string path;
  std::string target;
  bool hasArguments;
  std::string arguments;
  uint16_t hotKey;
  bool hasIcon;
  std::string iconPath;
  int iconIndex;
  bool hasShowCommand;
  int showCommand;
  bool hasWorkingFolder;
  std::string workingFolder;
  bool hasDescription;
  std::string description;
};
const std::vector<LinkRecord>& Links();

// The folder browser's next answer: a folder (Windows path), or a cancel
// when `cancel` is set. Without an answer queued, the browser is cancelled.
void QueueBrowseAnswer(const std::string& folder, bool cancel = false);
// The titles of the browsers shown.
const std::vector<std::string>& BrowseTitles();

// Forgets special folders, links and browser answers; empties the registry.
void ResetShell();

// ---------------------------------------------------------------------------
// Dialogs and the message queue
// ---------------------------------------------------------------------------

// One text drawn into a window.
struct DrawnText {
  std::string text;
  FontSpec font;
  std::string face;  // font.face, kept
  uint32_t colour;
  bool alignRight;
  bool clipped;
  Rect clip;
  int x;
  int y;
};

// One rectangle copied into a window from the window of another context.
struct CopiedRect {
  struct HostWindow* source;
  int x, y, width, height;
  int sourceX, sourceY;
};

// One block of pixels drawn into a window (DrawPixels), its rows kept
// without padding.
struct DrawnPixels {
  int x, y, width, height, bitsPerPixel;
  std::string bytes;
  // The colour of pixel (px, py) of the block as 0xRRGGBB (16-bit colours
  // widened by repeating their high bits); 0xFF000000 outside the block.
  uint32_t ColourAt(int px, int py) const;
};

// The stand-in's model of a window: a dialog made from a template, or one of
// its controls. Windows stay in the model after they are destroyed, so that
// tests can look at them after the run.
struct HostWindow {
  int templateId;  // dialogs only
  int controlId;   // controls only; -1 for dialogs
  std::string className;
  std::string text;
  int textSets;  // SetWindowText calls
  Rect rect;  // screen pixels
  bool enabled;
  bool destroyed;
  HostWindow* parent;
  std::vector<HostWindow*> children;
  DialogProc proc;
  void* context;  // handed to proc with every message
  bool invalid;  // needs painting
  int focusCount;
  // Progress bars: the position and bar colour last set, and every position.
  int position;
  uint32_t barColour;
  std::vector<int> positions;
  std::vector<DrawnText> drawn;
  std::vector<CopiedRect> copies;  // BitBlt calls with this window as target
  std::vector<DrawnPixels> pixelDraws;  // DrawPixels calls, in order
  int paintCount;
};

// The newest dialog made from `templateId`, or null.
HostWindow* FindDialog(int templateId);
// A control of a dialog, or null.
HostWindow* FindControl(HostWindow* dialog, int controlId);
HostWindow* AsHostWindow(Window window);

// Client areas: a dialog's frame and caption take 6 pixels across and 25
// down; a control is all client.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 25;
// FaceColour's answer.
constexpr uint32_t kFaceColour = 0xF0F0F0;

// The dialogs' control layouts, in dialog units, for the templates the
// program ships; the stand-in builds its windows from them.
struct ControlTemplate {
  int id;
  const char* className;
  const char* text;
  Rect unitsRect;  // left, top, width, height in dialog units
};
struct DialogTemplate {
  int id;
  const char* title;
  int width, height;  // dialog units
  std::vector<ControlTemplate> controls;
};
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);

// Scripted clicks: when a dialog made from `templateId` has been pumped
// `afterPumps` times (counted by PumpOne from the dialog's creation), a
// WM_COMMAND for `controlId` is dispatched to it, as if the user had clicked;
// a click on a disabled control is lost.
void ScriptClick(int templateId, int controlId, int afterPumps);
// How often PumpOne ran while the newest dialog of `templateId` existed.
int PumpCount(int templateId);

// Forgets every window, scripted click and pending quit.
void ResetUi();

// ---------------------------------------------------------------------------
// Injected faults
// ---------------------------------------------------------------------------

enum FaultKind {
  kFaultRead,      // StreamRead: delivers less than asked and flags an error
  kFaultWrite,     // StreamWrite: accepts less than given (a full disk)
  kFaultClose,     // StreamClose: closes, but reports that data was lost
  kFaultFolder,    // CreateFolder: makes nothing
  kFaultRegistry,  // RegCreate and RegSetString: refused (access denied)
  kFaultLink,      // SaveShellLink: nothing saved
  kFaultKindCount
};
// The `nth` call of `kind` (1 for the next one) fails; 0 cancels.
void FailCall(FaultKind kind, int nth);
// Calls of `kind` since the last ResetFaults (INT32_MAX when more).
int CallCount(FaultKind kind);
// Clears every planned fault and every count.
void ResetFaults();

// Everything back to the start: drives, code page, language, registry,
// shell, dialogs, faults.
void ResetAll();

}  // namespace host
}  // namespace plat
