#include "archive_writer.h"

#include <algorithm>
#include <vector>

namespace discformat {

bool MemorySink::Begin(int) {
  discs.emplace_back();
  return true;
}

bool MemorySink::Append(const std::string& bytes) {
  discs.back() += bytes;
  return true;
}

bool MemorySink::PutHeader(const std::string& header) {
  if (discs.empty() || discs[0].size() < header.size()) return false;
  discs[0].replace(0, header.size(), header);
  return true;
}

namespace {

// A FileData record of `length` bytes at `data`, stored in as few blocks as
// possible.
std::string StoredRecord(const char* data, size_t length, size_t blocks) {
  return Record(kTagFileData, StoredZlib(data, length, blocks));
}

constexpr uint64_t kRecordHead = 5;  // tag and length

}  // namespace

ArchiveWriter::ArchiveWriter(ArchiveSink* sink, std::function<uint64_t(int)> budget, size_t piece)
    : sink_(sink), budget_(std::move(budget)), piece_(std::min(std::max<size_t>(piece, 1), kMaxPieceBytes)) {
  if (!sink_->Begin(0)) {
    Fail(sink_->Error());
    return;
  }
  // The header's place; its counts are known only at the end.
  if (!sink_->Append(std::string(kSetupHeaderBytes, '\0'))) Fail(sink_->Error());
  used_ = kSetupHeaderBytes;
  uint64_t first = budget_(0);
  if (first != 0 && first < kSetupHeaderBytes) {
    Fail("disc 1 has no room for the " + std::to_string(kSetupHeaderBytes) + "-byte setup header of cd1");
  }
}

bool ArchiveWriter::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

uint64_t ArchiveWriter::Left() const {
  uint64_t budget = budget_(disc_);
  if (budget == 0) return UINT64_MAX;
  return budget > used_ ? budget - used_ : 0;
}

bool ArchiveWriter::NextDisc() {
  if (Left() >= 1 && !sink_->Append(std::string(1, static_cast<char>(kTagDiscEnd)))) return Fail(sink_->Error());
  if (!sink_->End()) return Fail(sink_->Error());
  ++disc_;
  used_ = 0;
  if (!sink_->Begin(disc_)) return Fail(sink_->Error());
  if (onDisc) onDisc(disc_);
  return true;
}

bool ArchiveWriter::Put(const std::string& record) {
  if (!error_.empty()) return false;
  if (record.size() > Left()) {
    if (!NextDisc()) return false;
    if (record.size() > Left()) {
      return Fail("a disc of " + std::to_string(budget_(disc_)) + " bytes for its archive cannot hold a record of " +
                  std::to_string(record.size()) + " bytes");
    }
  }
  if (!sink_->Append(record)) return Fail(sink_->Error());
  used_ += record.size();
  return true;
}

bool ArchiveWriter::Folder(const std::string& path) {
  return Put(Record(kTagFolder, Deflate(path + std::string(1, '\0'))));
}

size_t ArchiveWriter::CutPiece(const std::string& piece, uint64_t room, std::string* record) const {
  size_t bestBytes = 0;
  // Uncompressed: the size is known, so the record can end on the disc's
  // last byte (no DiscEnd needed after it: the end of the file ends the disc).
  for (size_t blocks = 1;; ++blocks) {
    uint64_t overhead = kRecordHead + StoredZlibSize(0, blocks);
    if (overhead >= room) break;
    size_t length = static_cast<size_t>(std::min<uint64_t>(room - overhead, piece.size()));
    if (MinStoredBlocks(length) <= blocks) {
      if (length > 0) {
        bestBytes = length;
        *record = StoredRecord(piece.data(), length, blocks);
      }
      break;
    }
  }
  // Compressed: the longest head of the piece whose record leaves a byte for
  // DiscEnd. Packed sizes grow with the head almost always; the result is
  // checked whatever the search found.
  if (room > kRecordHead + 1) {
    size_t lo = 0, hi = piece.size() - 1;
    std::string found;
    size_t foundBytes = 0;
    while (lo < hi) {
      size_t mid = lo + (hi - lo + 1) / 2;
      std::string candidate = Record(kTagFileData, Deflate(piece.substr(0, mid)));
      if (candidate.size() + 1 <= room) {
        lo = mid;
        found.swap(candidate);
        foundBytes = mid;
      } else {
        hi = mid - 1;
      }
    }
    if (foundBytes > bestBytes) {
      bestBytes = foundBytes;
      record->swap(found);
    }
  }
  return bestBytes;
}

bool ArchiveWriter::File(const std::string& path, uint64_t size,
                         const std::function<size_t(char* buffer, size_t length)>& read) {
  if (!Put(Record(kTagFileStart, Deflate(path + std::string(1, '\0'))))) return false;
  fileDisc_ = discCount();
  std::string pending;  // read, not yet put
  uint64_t unread = size;
  std::vector<char> buffer(piece_);
  while (unread > 0 || !pending.empty()) {
    while (pending.size() < piece_ && unread > 0) {
      size_t want = static_cast<size_t>(std::min<uint64_t>(unread, piece_ - pending.size()));
      size_t got = read(buffer.data(), want);
      if (got == 0) return Fail("cannot read " + path + " (it ended early or changed while read)");
      pending.append(buffer.data(), got);
      unread -= got;
    }
    std::string piece = pending.substr(0, piece_);
    std::string record = Record(kTagFileData, Deflate(piece));
    // Data that does not compress is smaller stored in whole blocks.
    const size_t blocks = MinStoredBlocks(piece.size());
    if (kRecordHead + StoredZlibSize(piece.size(), blocks) < record.size()) {
      record = StoredRecord(piece.data(), piece.size(), blocks);
    }
    size_t taken = piece.size();
    if (record.size() > Left()) {
      taken = CutPiece(piece, Left(), &record);
      if (taken == 0) {
        if (used_ == (disc_ == 0 ? kSetupHeaderBytes : 0)) {
          return Fail("a disc of " + std::to_string(budget_(disc_)) +
                      " bytes for its archive cannot hold any part of " + path);
        }
        if (!NextDisc()) return false;
        continue;
      }
    }
    if (!Put(record)) return false;
    pending.erase(0, taken);
    content_ += taken;
    if (onProgress) onProgress(content_);
    if (taken < piece.size() && !NextDisc()) return false;
  }
  return Put(Record(kTagFileEnd, ""));
}

bool ArchiveWriter::File(const std::string& path, const std::string& content) {
  size_t at = 0;
  return File(path, content.size(), [&](char* buffer, size_t length) {
    size_t n = std::min(length, content.size() - at);
    std::copy(content.data() + at, content.data() + at + n, buffer);
    at += n;
    return n;
  });
}

bool ArchiveWriter::Finish(SetupHeader header) {
  if (!error_.empty()) return false;
  if (Left() >= 1 && !sink_->Append(std::string(1, static_cast<char>(kTagDiscEnd)))) return Fail(sink_->Error());
  if (!sink_->End()) return Fail(sink_->Error());
  header.discCount = discCount();
  if (!sink_->PutHeader(SetupHeaderBytes(header))) return Fail(sink_->Error());
  return true;
}

}  // namespace discformat
