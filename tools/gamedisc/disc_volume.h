// One disc of a set as extract reads it: a disc folder (as a build writes
// it, or a drive shows it), an ISO 9660 image, or a BIN/CUE image of raw
// 2,352-byte sectors. Every reader of a disc's files goes through this, so
// a folder and an image of the same disc read the same.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "byte_source.h"

namespace gamedisc {

struct VolumeEntry {
  // The name as the disc holds it: the bytes of the code page it was made
  // in, or UTF-8 where `utf8` says so (an image read by its Joliet names,
  // which the image maker already converted).
  std::string name;
  bool folder = false;
  bool utf8 = false;
  uint64_t size = 0;  // of a file; 0 for a folder
};

// A file of a volume, read sequentially from its start. Failed() tells a
// read that failed (an unreadable sector, an image shorter than its
// directory claims) from the end of the file.
class VolumeFile : public disc::ByteSource {
 public:
  virtual int64_t Size() const = 0;
};

class DiscVolume {
 public:
  virtual ~DiscVolume() = default;
  // What the user gave, as they wrote it, for messages.
  virtual std::string Name() const = 0;
  // The file at `path`, "\"-separated and relative to the root, each name
  // matched without regard to ASCII case as a Windows drive matches it.
  // Null when there is no such file or it cannot be opened. Several files
  // may be open at once; none may outlive the volume.
  virtual std::unique_ptr<VolumeFile> Open(const std::string& path) = 0;
  // The entries of the folder `path` ("" for the root; matched as Open
  // matches), without "." and "..", sorted by their bytes. False when
  // there is no such folder or it cannot be read.
  virtual bool List(const std::string& path, std::vector<VolumeEntry>* entries) = 0;
};

// What the user named on the command line (a seam path, PathArgument): a
// disc folder, or an image file (.iso; .cue, or a .bin with its .cue
// beside it). Null with `error` set when it is none of these or cannot be
// read. The Windows build reads folders only, and says so for an image.
std::unique_ptr<DiscVolume> OpenVolume(const std::string& path, std::string* error);

// The image half of OpenVolume, one per build (disc_image_host.cpp with
// libiso9660 and libcdio, disc_image_win32.cpp).
std::unique_ptr<DiscVolume> OpenImageVolume(const std::string& path, std::string* error);

}  // namespace gamedisc
