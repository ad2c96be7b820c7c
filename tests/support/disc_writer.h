// Game discs for tests: the tool's record writers, the setup header with
// chosen bytes after the uninstall key's terminator, and whole disc sets in
// memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive_writer.h"
#include "manifest.h"
#include "records.h"

namespace testsupport {

using disc::AddFile;
using disc::Deflate;
using disc::RecordStream;

struct SetupHeaderFields : disc::HeaderTexts {
  // Bytes after the uninstall key's terminator, to see that they are carried
  // over.
  std::string uninstallKeyTail;
};

// The 168-byte header.
std::string SetupHeaderBytes(const SetupHeaderFields& fields);

// `size` bytes of noise that hardly compresses, the same for the same seed.
std::string Pattern(size_t size, unsigned seed);

struct GameFile {
  std::string path;  // "\dir\name", as stored
  std::string content;
};

// Lays a whole game onto discs whose archives hold at most `discCapacity`
// bytes each (cd1's header included; 0: all on one disc), with the tool's
// archive writer: folders first, then the files in pieces of at most `piece`
// bytes, a file going on to the next disc where the capacity runs out.
// Returns each disc's archive bytes; the header's disc count is the number
// of discs.
std::vector<std::string> BuildDiscs(SetupHeaderFields header, const std::vector<std::string>& folders,
                                    const std::vector<GameFile>& files, size_t discCapacity = 0,
                                    size_t piece = disc::kMaxPieceBytes);

// The disc's list of files for a set laid by BuildDiscs (each file's disc
// found where its FileStart record is) and the data folder's `data` (paths
// below the folder, "\..."). Disc 1's setup header starts the first disc.
std::string ManifestFor(const std::vector<std::string>& discs, const std::vector<GameFile>& files,
                        const std::vector<GameFile>& data = {});

}  // namespace testsupport
