// Tracked memory: every heap block of the program, with call-site accounting
// and an end-of-run balance check; and Unpack, the one call into zlib.
#pragma once

#include <cstdint>

// Library-wide counters, zero at start and never reset. Sizes count the
// 8-byte block header too. Arithmetic on them wraps at 32 bits.
extern int32_t liveBlockCount;  // blocks currently held
extern int32_t alloc_count;     // blocks ever handed out
extern int32_t free_count;      // blocks ever taken back
extern int32_t alloc_size;      // bytes ever handed out, headers included
extern int32_t free_size;       // bytes ever taken back, headers included
// When non-zero, every a_alloc and a_free1 is written to the log.
extern int32_t traceAllocations;
// Test hook: when >= 0, that many further allocations succeed and the one
// after is refused as if the heap were exhausted (the hook then turns off).
// -1 (the default) turns it off.
extern int32_t a_alloc_fail_after;

// Returns a block of `size` bytes (contents not cleared), or null when the
// heap refuses or `size` is negative. Size 0 gives a valid, distinct block.
// A refusal shows the "alloc failure" box, prints "alloc fail in FILE LINE"
// and logs "error!! a_alloc(...)"; no counter changes. `file` and `line`
// name the caller and appear only in those texts.
void* a_alloc(int size, const char* file, int line);

// Takes back a block that a_alloc returned. A pointer that is not a live
// block of this allocator (null, foreign, or already released) is not
// touched: it shows the "free unknown memory" box, prints "free fail in FILE
// LINE" and logs "error!! a_free1(...)", and no counter changes.
void a_free1(void* pointer, const char* file, int line);

// zlib's uncompress, one caller at a time: decompresses the zlib stream
// `source` into `destination`, whose room is passed in `*destinationLength`;
// the bytes produced are passed back there. Returns zlib's result code
// (0 = Z_OK); a source with bytes after the end of its stream is not one
// whole stream and gives Z_DATA_ERROR.
int Unpack(unsigned char* destination, unsigned long* destinationLength,
           const unsigned char* source, unsigned long sourceLength);

// The end-of-run report: one box when the block counts differ, one when the
// byte counts differ; nothing for a balanced run. The first successful
// a_alloc puts it on the at-exit list.
void a_mem_report();

// The call site of the line it stands on, for a_alloc and a_free1.
constexpr const char* a_site_name(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  return name;
}
#define A_ALLOC(size) a_alloc((size), a_site_name(__FILE__), __LINE__)
#define A_FREE(pointer) a_free1((pointer), a_site_name(__FILE__), __LINE__)
