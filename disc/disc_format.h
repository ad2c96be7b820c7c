// The numbers of the disc archives ("cd1", "cd2", ...) that the installer
// reads and the authoring tool writes: one definition for both.
#pragma once

#include <cstdint>

// The file below the disc root by which setup knows the game's first disc.
constexpr char kDiscProbe[] = "data\\kelvora.exe";

// The setup header at the start of "cd1"; the first disc's records follow it.
constexpr int kSetupHeaderSize = 168;
// A record's packed payload, and a FileData record's unpacked piece, at most.
constexpr int kPackedBufferSize = 409600;
constexpr int kUnpackedBufferSize = 204800;

// The record tags; any other value is a byte of no meaning.
enum RecordTag : int8_t {
  kTagFolder = 1,
  kTagFileStart = 2,
  kTagFileData = 3,
  kTagFileEnd = 4,
  kTagDiscEnd = 5,
};
