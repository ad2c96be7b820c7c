// What setup.exe can take, as both the build and verify check it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "default_folder.h"
#include "fold_case.h"
#include "picture_fit.h"
#include "uninstall_registry.h"

namespace gamedisc {

// A stored path within the installer's status text, and the default install
// folder with a path within the system's 260 characters.
constexpr size_t kMaxStoredPath = 242;
constexpr size_t kMaxPath = 259;

// The band of pictures in setup's dialogs is as wide as the dialog's client
// area, at 96 dpi 355 pixels in the install-path dialog (the "setup" set)
// and 340 in the progress dialog ("progress"). A wider picture is scaled
// down to that width, its aspect kept; a band takes at most a third of the
// screen's height (kBandScreenShare), 200 pixels on an 800 x 600 screen, and
// a taller picture is scaled down to fit that too (setup's FitPicture).
constexpr int kSetupBandWidth = 355;
constexpr int kProgressBandWidth = 340;
constexpr int kMaxBandHeight = 600 / kBandScreenShare;
// The progress dialog shows picture percent / (100 / count) as the copy
// goes from 0 to 100 percent, so no more than 101 of a set can ever show;
// the build warns above this many.
constexpr int kMaxProgressPictures = 100;

// The folder setup.exe offers first: C:\Program Files\COMPANY\GAME.
using disc::DefaultTargetFolder;

// Names compared as the Windows file systems do for plain ASCII.
inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return alib::SameFolded(a, b, alib::AsciiChars{});
}

}  // namespace gamedisc
