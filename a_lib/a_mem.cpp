#include "a_mem.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "a_inflate.h"
#include "a_log.h"
#include "platform.h"

int32_t liveBlockCount = 0;
int32_t alloc_count = 0;
int32_t free_count = 0;
int32_t alloc_size = 0;
int32_t free_size = 0;
int32_t traceAllocations = 0;
int32_t a_alloc_fail_after = -1;

namespace {

constexpr uint32_t kLiveTag = 0xAAAA;
constexpr size_t kHeaderSize = 8;

struct BlockHeader {
  uint32_t tag;
  int32_t size;
};
static_assert(sizeof(BlockHeader) == kHeaderSize, "the block header is 8 bytes");

// The counters wrap like the 32-bit integers they are, without signed
// overflow.
void Add(int32_t* counter, uint32_t amount) {
  *counter = static_cast<int32_t>(static_cast<uint32_t>(*counter) + amount);
}

// One caller at a time inside a_alloc and inside Unpack; a second one sleeps
// a millisecond and tries again.
class EntryGuard {
 public:
  explicit EntryGuard(std::atomic<int>* busy) : busy_(busy) {
    while (busy_->fetch_add(1) != 0) {
      busy_->fetch_sub(1);
      plat::Sleep(1);
    }
  }
  ~EntryGuard() { busy_->fetch_sub(1); }
  EntryGuard(const EntryGuard&) = delete;
  EntryGuard& operator=(const EntryGuard&) = delete;

 private:
  std::atomic<int>* busy_;
};

std::atomic<int> allocBusy{0};
std::atomic<int> unpackBusy{0};
bool reportRegistered = false;

// The addresses of the live blocks. a_free1 looks a pointer up here before it
// reads the header in front of it, so a foreign or already released pointer
// is recognised without touching memory that is not ours. Open addressing
// over the heap directly (it cannot come from a_alloc itself).
class LiveSet {
 public:
  bool Insert(uintptr_t key) {
    if ((used_ + 1) * 2 > capacity_ && !Grow()) return false;
    size_t i = Slot(key);
    while (table_[i] != kEmpty && table_[i] != kGone) i = (i + 1) & (capacity_ - 1);
    if (table_[i] == kEmpty) ++used_;
    table_[i] = key;
    return true;
  }

  bool Contains(uintptr_t key) const { return Find(key) != kNone; }

  void Erase(uintptr_t key) {
    size_t i = Find(key);
    if (i != kNone) table_[i] = kGone;
  }

 private:
  static constexpr uintptr_t kEmpty = 0;
  static constexpr uintptr_t kGone = 1;  // no block lives at address 1
  static constexpr size_t kNone = ~static_cast<size_t>(0);

  size_t Slot(uintptr_t key) const {
    uint64_t h = static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h >> 20) & (capacity_ - 1);
  }

  size_t Find(uintptr_t key) const {
    if (capacity_ == 0) return kNone;
    size_t i = Slot(key);
    while (table_[i] != kEmpty) {
      if (table_[i] == key) return i;
      i = (i + 1) & (capacity_ - 1);
    }
    return kNone;
  }

  bool Grow() {
    size_t live = 0;
    for (size_t i = 0; i < capacity_; ++i) live += table_[i] > kGone;
    size_t capacity = capacity_ ? capacity_ : 64;
    while ((live + 1) * 4 > capacity) capacity *= 2;
    auto* table = static_cast<uintptr_t*>(std::calloc(capacity, sizeof(uintptr_t)));
    if (table == nullptr) return false;
    uintptr_t* old = table_;
    size_t oldCapacity = capacity_;
    table_ = table;
    capacity_ = capacity;
    used_ = 0;
    for (size_t i = 0; i < oldCapacity; ++i) {
      if (old[i] > kGone) Insert(old[i]);
    }
    std::free(old);
    return true;
  }

  uintptr_t* table_ = nullptr;
  size_t capacity_ = 0;
  size_t used_ = 0;  // slots that are not empty, tombstones included
};

LiveSet& liveSet() {
  static LiveSet* set = new LiveSet;  // used from at-exit clean-ups: never destroyed
  return *set;
}

void* AllocGuarded(int size) {
  EntryGuard guard(&allocBusy);
  bool refused = size < 0;
  if (!refused && a_alloc_fail_after >= 0) {
    refused = a_alloc_fail_after == 0;
    --a_alloc_fail_after;
  }
  void* raw = refused ? nullptr : std::malloc(static_cast<size_t>(size) + kHeaderSize);
  if (raw != nullptr && !liveSet().Insert(reinterpret_cast<uintptr_t>(raw) + kHeaderSize)) {
    std::free(raw);
    raw = nullptr;
  }
  if (raw == nullptr) {
    char text[100];
    std::snprintf(text, sizeof text, "size=%d an=%d as=%d", size, liveBlockCount, alloc_count);
    plat::MessageBox(nullptr, text, "alloc failure", plat::kBoxOk);
    return nullptr;
  }
  Add(&liveBlockCount, 1);
  Add(&alloc_count, 1);
  auto* header = static_cast<BlockHeader*>(raw);
  header->tag = kLiveTag;
  header->size = size;
  Add(&alloc_size, static_cast<uint32_t>(size) + kHeaderSize);
  if (!reportRegistered) {
    std::atexit(a_mem_report);
    reportRegistered = true;
  }
  return static_cast<char*>(raw) + kHeaderSize;
}

}  // namespace

void* a_alloc(int size, const char* file, int line) {
  void* result = AllocGuarded(size);
  if (result == nullptr) {
    std::printf("alloc fail in %s %d\n", file, line);
    WriteLog("error!! a_alloc(%d,%s,%d)", size, file, line);
  }
  if (traceAllocations) WriteLog("%" PRIxPTR "=a_alloc(%d,%s,%d)", reinterpret_cast<uintptr_t>(result), size, file, line);
  return result;
}

void a_free1(void* pointer, const char* file, int line) {
  uintptr_t address = reinterpret_cast<uintptr_t>(pointer);
  bool known = liveBlockCount > 0 && pointer != nullptr && liveSet().Contains(address);
  if (known) {
    auto* header = reinterpret_cast<BlockHeader*>(static_cast<char*>(pointer) - kHeaderSize);
    known = header->tag == kLiveTag;
    if (known) {
      Add(&free_size, static_cast<uint32_t>(header->size) + kHeaderSize);
      Add(&free_count, 1);
      Add(&liveBlockCount, static_cast<uint32_t>(-1));
      header->tag = 0;
      liveSet().Erase(address);
      std::free(header);
    }
  }
  if (!known) {
    char text[100];
    std::snprintf(text, sizeof text, "ptr:%" PRIxPTR, address);
    plat::MessageBox(nullptr, text, "free unknown memory", plat::kBoxOk);
    std::printf("free fail in %s %d\n", file, line);
    WriteLog("error!! a_free1(%" PRIxPTR ",%s,%d)", address, file, line);
  }
  if (traceAllocations) WriteLog("a_free1(%" PRIxPTR ",%s,%d)", address, file, line);
}

int Unpack(unsigned char* destination, unsigned long* destinationLength,
           const unsigned char* source, unsigned long sourceLength) {
  EntryGuard guard(&unpackBusy);
  return InflateWhole(destination, destinationLength, source, sourceLength);
}

void a_mem_report() {
  char text[256];
  if (alloc_count != free_count) {
    std::snprintf(text, sizeof text, "alloc_count=%d\nfree_count=%d", alloc_count, free_count);
    plat::MessageBox(nullptr, text, "alloc_sum != free_sum", plat::kBoxOk);
  }
  if (alloc_size != free_size) {
    std::snprintf(text, sizeof text, "alloc_size=%d\nfree_size=%d", alloc_size, free_size);
    plat::MessageBox(nullptr, text, "alloc_size != free_size", plat::kBoxOk);
  }
}
