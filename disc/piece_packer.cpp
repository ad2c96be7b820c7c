#include "piece_packer.h"

#include <algorithm>
#include <system_error>

#include "records.h"

namespace disc {

class PiecePacker::Piece {
 public:
  explicit Piece(std::string bytes) : plain(std::move(bytes)) {}
  enum State { kQueued, kPacking, kPacked };
  const std::string plain;
  // Written by the thread that packs it, before the state turns kPacked
  // under the packer's mutex; read only after that.
  std::string record;
  State state = kQueued;
};

PiecePacker::PiecePacker(int jobs) {
  for (int t = 1; t < jobs; ++t) {
    try {
      threads_.emplace_back(&PiecePacker::Work, this);
    } catch (const std::system_error&) {
      break;  // the threads started, and the caller's, pack it all the same
    }
  }
}

PiecePacker::~PiecePacker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
    queue_.clear();
  }
  queued_.notify_all();
  for (std::thread& t : threads_) t.join();
}

PiecePacker::Handle PiecePacker::Add(std::string plain) {
  Handle piece = std::make_shared<Piece>(std::move(plain));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(piece);
  }
  queued_.notify_one();
  return piece;
}

const std::string& PiecePacker::Plain(const Handle& piece) { return piece->plain; }

void PiecePacker::Pack(const Handle& piece, std::unique_lock<std::mutex>* lock) {
  piece->state = Piece::kPacking;
  lock->unlock();
  std::string record = PieceRecord(piece->plain);
  lock->lock();
  piece->record.swap(record);
  piece->state = Piece::kPacked;
  packed_.notify_all();
}

void PiecePacker::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return ending_ || !queue_.empty(); });
    if (ending_) return;
    Handle piece = queue_.front();
    queue_.pop_front();
    Pack(piece, &lock);
  }
}

const std::string& PiecePacker::Record(const Handle& piece) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (piece->state != Piece::kPacked) {
    Handle next;
    if (piece->state == Piece::kQueued) {
      next = piece;
      auto at = std::find(queue_.begin(), queue_.end(), piece);
      if (at != queue_.end()) queue_.erase(at);
    } else if (!queue_.empty()) {
      next = queue_.front();
      queue_.pop_front();
    }
    if (next) {
      Pack(next, &lock);
    } else {
      packed_.wait(lock);
    }
  }
  return piece->record;
}

void PiecePacker::Drop(const Handle& piece) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (piece->state != Piece::kQueued) return;
  auto at = std::find(queue_.begin(), queue_.end(), piece);
  if (at != queue_.end()) queue_.erase(at);
}

}  // namespace disc
