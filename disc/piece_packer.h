// Packs the pieces of files into FileData records on several threads. A
// piece's record depends on its bytes alone, so it is the same whichever
// thread packs it; the caller takes the records in its own order.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace disc {

class PiecePacker {
 public:
  class Piece;
  using Handle = std::shared_ptr<Piece>;

  // Packs on `jobs` threads, the caller's among them: `jobs` - 1 are
  // started (fewer where the system refuses more, and the caller's thread
  // packs what they leave). With 1 everything is packed on the caller's
  // thread, in Record.
  explicit PiecePacker(int jobs);
  // Waits for the pieces being packed; queued pieces are dropped.
  ~PiecePacker();
  PiecePacker(const PiecePacker&) = delete;
  PiecePacker& operator=(const PiecePacker&) = delete;

  // Queues `plain` (at most kMaxPieceBytes) for packing.
  Handle Add(std::string plain);
  // The bytes of `piece`; they do not change once added.
  static const std::string& Plain(const Handle& piece);
  // The record of `piece` (PieceRecord), packed on the caller's thread when
  // no other has begun it. While another packs it, the caller packs queued
  // pieces rather than wait idle. Valid while `piece` is held.
  const std::string& Record(const Handle& piece);
  // Takes `piece` out of the queue: its record is not wanted. One being
  // packed is finished and thrown away.
  void Drop(const Handle& piece);

 private:
  void Work();
  // Packs `piece`, which the caller has taken off the queue, with `lock`
  // released meanwhile.
  void Pack(const Handle& piece, std::unique_lock<std::mutex>* lock);

  std::mutex mutex_;
  std::condition_variable queued_;  // a piece was queued, or the end came
  std::condition_variable packed_;  // a piece was packed
  std::deque<Handle> queue_;
  bool ending_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace disc
