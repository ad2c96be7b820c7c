// Where the readers of the disc formats take their bytes from: an open file
// (setup and the tool read a disc this way) or a block in memory (tests and
// fuzzing), so that each format has one reader whatever holds it.
#pragma once

#include <cstddef>
#include <cstring>

#include "a_file.h"

namespace disc {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `length` bytes at the current position and moves past them;
  // the count delivered, short at the end or when a read failed.
  virtual int Read(void* buffer, int length) = 0;
  // True when a read failed (a scratched disc, a drive opened) as opposed to
  // reaching the end.
  virtual bool Failed() const = 0;
};

// An open FileHandle, read where it stands. The handle stays the caller's:
// it may be closed, opened again and moved while the source lives.
class FileSource : public ByteSource {
 public:
  explicit FileSource(FileHandle* file) : file_(file) {}
  int Read(void* buffer, int length) override { return file_->Read(buffer, length); }
  bool Failed() const override { return file_->Failed() != 0; }

 private:
  FileHandle* file_;
};

// `size` bytes at `data`, which the caller keeps alive; never fails.
class MemorySource : public ByteSource {
 public:
  MemorySource(const void* data, size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  int Read(void* buffer, int length) override {
    if (length <= 0) return 0;
    size_t n = size_ - at_;
    if (static_cast<size_t>(length) < n) n = static_cast<size_t>(length);
    if (n > 0) std::memcpy(buffer, data_ + at_, n);
    at_ += n;
    return static_cast<int>(n);
  }
  bool Failed() const override { return false; }

 private:
  const unsigned char* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace disc
