#include "archive_writer.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "piece_packer.h"

namespace disc {

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

void MemoryFeed::Add(const std::string& path, const std::string& content) { files_.push_back({path, content}); }

bool MemoryFeed::Open(size_t index, std::string*) {
  open_ = &files_[index].content;
  at_ = 0;
  return true;
}

size_t MemoryFeed::Read(char* buffer, size_t length) {
  const size_t n = std::min(length, open_->size() - at_);
  std::copy(open_->data() + at_, open_->data() + at_ + n, buffer);
  at_ += n;
  return n;
}

// Reads the files of a feed in pieces a window ahead of the records, so
// that the packer has pieces to pack while the writer puts the records of
// the ones before. Pieces are cut where the writer cut them: each file's
// first at its start, each further one where the last ended; the one cut
// at a disc's end takes the rest of its file's pieces with it (see Cut).
class ReadAhead {
 public:
  // What Files has read ahead of the records, in their order.
  struct Step {
    enum Kind {
      kStart,    // a file opened: its FileStart
      kPiece,    // a piece of it, handed to the packer
      kEnd,      // the file read to its end: its FileEnd
      kFailure,  // the reading stopped here, for `why`
    };
    Kind kind;
    size_t file;
    PiecePacker::Handle piece;
    std::string why;
  };

  ReadAhead(FileFeed* feed, PiecePacker* packer, size_t piece, int jobs)
      : feed_(feed), packer_(packer), piece_(piece),
        // A few pieces per job to pack; a game of small files brings a
        // FileStart and a FileEnd with each.
        maxBytes_(4 * static_cast<uint64_t>(jobs) * piece), maxSteps_(16 * static_cast<size_t>(jobs)) {}

  // The next step, read up to the window first; null when all is done.
  Step* Front() {
    while (!stopped_ && Room()) ReadOn();
    return window_.empty() ? nullptr : &window_.front();
  }
  void Pop() { window_.pop_front(); }
  // The front piece went in with its first `taken` bytes alone: the file
  // goes on in pieces from the byte after them, so the pieces read ahead of
  // it are laid anew from there, as the writer would have read them.
  void Cut(size_t taken) {
    const size_t file = window_.front().file;
    std::string rest = PiecePacker::Plain(window_.front().piece).substr(taken);
    window_.pop_front();
    // Up to this file's FileEnd, or the failure reading it, the steps after
    // are its pieces.
    while (!window_.empty() && window_.front().kind == Step::kPiece) {
      rest += PiecePacker::Plain(window_.front().piece);
      packer_->Drop(window_.front().piece);
      window_.pop_front();
    }
    // Where the file has not ended, what was read of it past those pieces
    // waits in carry_: the tail short of a piece goes back there, to be
    // read on from (or, after a failure, never to be put).
    const bool ends = !window_.empty() && window_.front().kind == Step::kEnd;
    if (!ends) {
      rest += carry_;
      carry_.clear();
    }
    std::deque<Step> laid;
    size_t at = 0;
    while (rest.size() - at >= piece_ || (ends && at < rest.size())) {
      laid.push_back({Step::kPiece, file, packer_->Add(rest.substr(at, piece_)), ""});
      at = std::min(at + piece_, rest.size());
    }
    if (!ends) carry_ = rest.substr(at);
    window_.insert(window_.begin(), laid.begin(), laid.end());
  }

 private:
  bool Room() const {
    uint64_t bytes = 0;
    for (const Step& a : window_) {
      if (a.piece) bytes += PiecePacker::Plain(a.piece).size();
    }
    return bytes < maxBytes_ && window_.size() < maxSteps_;
  }
  void Stop(const std::string& why) {
    window_.push_back({Step::kFailure, next_, nullptr, why});
    stopped_ = true;
  }
  void ReadOn() {
    if (!open_) {
      if (next_ == feed_->Count()) {
        stopped_ = true;
        return;
      }
      std::string why;
      if (!feed_->Open(next_, &why)) return Stop(why);
      open_ = true;
      unread_ = feed_->Size(next_);
      window_.push_back({Step::kStart, next_, nullptr, ""});
      return;
    }
    if (unread_ == 0 && carry_.empty()) {
      window_.push_back({Step::kEnd, next_, nullptr, ""});
      open_ = false;
      ++next_;
      return;
    }
    std::string plain;
    plain.swap(carry_);
    while (plain.size() < piece_ && unread_ > 0) {
      const size_t had = plain.size();
      const size_t want = static_cast<size_t>(std::min<uint64_t>(unread_, piece_ - had));
      plain.resize(had + want);
      const size_t got = feed_->Read(&plain[had], want);
      if (got == 0) {
        plain.resize(had);
        carry_.swap(plain);  // for a cut before the failure
        return Stop("cannot read " + feed_->Path(next_) + " (it ended early or changed while read)");
      }
      plain.resize(had + got);
      unread_ -= got;
    }
    window_.push_back({Step::kPiece, next_, packer_->Add(std::move(plain)), ""});
  }

  FileFeed* feed_;
  PiecePacker* packer_;
  const size_t piece_;
  const uint64_t maxBytes_;
  const size_t maxSteps_;
  std::deque<Step> window_;
  size_t next_ = 0;  // the file being read, or the next to open
  bool open_ = false;
  bool stopped_ = false;  // every file read, or a failure
  uint64_t unread_ = 0;   // of the open file
  std::string carry_;     // read of the open file, not yet in a piece
};

ArchiveWriter::ArchiveWriter(ArchiveOutput* sink, std::function<uint64_t(int)> budget, size_t piece)
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
  return Put(RecordBytes(kTagFolder, Deflate(path + std::string(1, '\0'))));
}

size_t ArchiveWriter::CutPiece(const std::string& piece, uint64_t room, std::string* record) const {
  size_t bestBytes = 0;
  // Uncompressed: the size is known, so the record can end on the disc's
  // last byte (no DiscEnd needed after it: the end of the file ends the disc).
  for (size_t blocks = 1;; ++blocks) {
    uint64_t overhead = kRecordHeadBytes + StoredZlibSize(0, blocks);
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
  if (room > kRecordHeadBytes + 1) {
    size_t lo = 0, hi = piece.size() - 1;
    std::string found;
    size_t foundBytes = 0;
    while (lo < hi) {
      size_t mid = lo + (hi - lo + 1) / 2;
      std::string candidate = RecordBytes(kTagFileData, Deflate(piece.substr(0, mid)));
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

bool ArchiveWriter::PutPiece(ReadAhead* ahead, PiecePacker* packer, const std::string& path) {
  const PiecePacker::Handle piece = ahead->Front()->piece;
  const std::string& plain = PiecePacker::Plain(piece);
  std::string record = packer->Record(piece);
  size_t taken = plain.size();
  if (record.size() > Left()) {
    taken = CutPiece(plain, Left(), &record);
    if (taken == 0) {
      if (used_ == (disc_ == 0 ? kSetupHeaderBytes : 0)) {
        return Fail("a disc of " + std::to_string(budget_(disc_)) + " bytes for its archive cannot hold any part of " +
                    path);
      }
      return NextDisc();  // the piece is tried again there
    }
  }
  if (!Put(record)) return false;
  content_ += taken;
  if (onProgress) onProgress(content_);
  if (taken == plain.size()) {
    ahead->Pop();
    return true;
  }
  ahead->Cut(taken);
  return NextDisc();
}

bool ArchiveWriter::Files(FileFeed* feed) {
  if (!error_.empty()) return false;
  PiecePacker packer(jobs);
  ReadAhead ahead(feed, &packer, piece_, std::max(jobs, 1));
  while (ReadAhead::Step* step = ahead.Front()) {
    switch (step->kind) {
      case ReadAhead::Step::kStart:
        if (!Put(RecordBytes(kTagFileStart, Deflate(feed->Path(step->file) + std::string(1, '\0'))))) return false;
        feed->Started(step->file, discCount());
        ahead.Pop();
        break;
      case ReadAhead::Step::kPiece:
        if (!PutPiece(&ahead, &packer, feed->Path(step->file))) return false;
        break;
      case ReadAhead::Step::kEnd:
        if (!Put(RecordBytes(kTagFileEnd, ""))) return false;
        ahead.Pop();
        break;
      case ReadAhead::Step::kFailure:
        return Fail(step->why);
    }
  }
  return true;
}

bool ArchiveWriter::File(const std::string& path, const std::string& content) {
  MemoryFeed feed;
  feed.Add(path, content);
  return Files(&feed);
}

bool ArchiveWriter::Finish(HeaderTexts header) {
  if (!error_.empty()) return false;
  if (Left() >= 1 && !sink_->Append(std::string(1, static_cast<char>(kTagDiscEnd)))) return Fail(sink_->Error());
  if (!sink_->End()) return Fail(sink_->Error());
  header.discCount = discCount();
  if (!sink_->PutHeader(SetupHeaderBytes(header))) return Fail(sink_->Error());
  return true;
}

}  // namespace disc
