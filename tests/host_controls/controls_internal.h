// What the files of the test controls share.
#pragma once

#include "host_control.h"
#include "host_files.h"

namespace plat {
namespace host {

// The tree in memory (UseMemoryFiles).
FileSystem& MemoryFiles();
// The file system below the injected faults: the disk or the tree in
// memory, whichever is in use. The controls' own reads and writes (host
// files, the text files of links) go here, so that they count no calls and
// meet no faults.
FileSystem& PlainFiles();

// Counts a call of `kind` and tells whether it is the one to fail.
bool FaultHere(FaultKind kind);

}  // namespace host
}  // namespace plat
