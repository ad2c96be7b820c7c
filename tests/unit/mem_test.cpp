// Tracked memory: counters, the two failure boxes, the end-of-run report and
// Unpack.
#include <zlib.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "a_mem.h"
#include "lib_test.h"

namespace {

using testsupport::LibTest;

std::string Hex(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "ptr:%" PRIxPTR, reinterpret_cast<uintptr_t>(p));
  return text;
}

class MemTest : public LibTest {};

TEST_F(MemTest, SizeZeroGivesDistinctBlocksCountedWithTheirHeaders) {
  int32_t count = alloc_count, size = alloc_size, freed = free_size;
  void* a = A_ALLOC(0);
  void* b = A_ALLOC(0);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(alloc_count, count + 2);
  EXPECT_EQ(alloc_size, size + 16);
  A_FREE(a);
  A_FREE(b);
  EXPECT_EQ(free_size, freed + 16);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MemTest, CountersFollowAllocationAndRelease) {
  int32_t live = liveBlockCount, count = alloc_count, size = alloc_size;
  int32_t freedCount = free_count, freed = free_size;
  void* p = A_ALLOC(1000);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(liveBlockCount, live + 1);
  EXPECT_EQ(alloc_count, count + 1);
  EXPECT_EQ(alloc_size, size + 1008);
  A_FREE(p);
  EXPECT_EQ(liveBlockCount, live);
  EXPECT_EQ(free_count, freedCount + 1);
  EXPECT_EQ(free_size, freed + 1008);
}

// Every kind of pointer that is not a live block of ours is refused with the
// same box, without touching the memory it points to and without changing a
// counter.
TEST_F(MemTest, UnknownPointersAreRefusedWithoutTouchingThem) {
  void* held = A_ALLOC(64);  // keeps liveBlockCount above 0
  void* released = A_ALLOC(32);
  A_FREE(released);
  int onStack = 0;
  void* foreignHeap = std::malloc(64);
  struct Case {
    const char* what;
    void* pointer;
  } cases[] = {
      {"released twice", released},
      {"null", nullptr},
      {"stack", &onStack},
      {"another heap's block", foreignHeap},
      {"inside a live block", static_cast<char*>(held) + 8},
  };
  for (const Case& c : cases) {
    plat::box_script::Clear();
    int32_t live = liveBlockCount, freed = free_count, freedSize = free_size;
    A_FREE(c.pointer);
    ASSERT_EQ(Boxes().size(), 1u) << c.what;
    EXPECT_EQ(Boxes()[0].caption, "free unknown memory") << c.what;
    EXPECT_EQ(Boxes()[0].text, Hex(c.pointer)) << c.what;
    EXPECT_EQ(Boxes()[0].owner, nullptr);
    EXPECT_EQ(Boxes()[0].type, plat::kBoxOk);
    EXPECT_EQ(liveBlockCount, live) << c.what;
    EXPECT_EQ(free_count, freed) << c.what;
    EXPECT_EQ(free_size, freedSize) << c.what;
  }
  std::free(foreignHeap);
  A_FREE(held);
}

TEST_F(MemTest, ReleaseWithNoLiveBlockIsRefused) {
  ASSERT_EQ(liveBlockCount, 0) << "the suite holds no block between tests";
  int x = 0;
  A_FREE(&x);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "free unknown memory");
}

TEST_F(MemTest, RefusedReleaseIsPrintedAndLogged) {
  int x = 0;
  testing::internal::CaptureStdout();
  a_free1(&x, "caller.cpp", 77);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "free fail in caller.cpp 77\n");
  char line[128];
  std::snprintf(line, sizeof line, "error!! a_free1(%" PRIxPTR ",caller.cpp,77)\r\n",
                reinterpret_cast<uintptr_t>(&x));
  EXPECT_EQ(Get("log.txt"), line);
}

TEST_F(MemTest, HeapRefusalShowsTheBoxPrintsAndLogsAndChangesNoCounter) {
  void* held[3] = {A_ALLOC(1), A_ALLOC(2), A_ALLOC(3)};
  int32_t live = liveBlockCount, count = alloc_count, size = alloc_size;
  a_alloc_fail_after = 0;
  testing::internal::CaptureStdout();
  void* p = a_alloc(4096, "bank.cpp", 12);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(a_alloc_fail_after, -1) << "the hook refuses once";
  EXPECT_EQ(liveBlockCount, live);
  EXPECT_EQ(alloc_count, count);
  EXPECT_EQ(alloc_size, size);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "alloc failure");
  EXPECT_EQ(Boxes()[0].text,
            "size=4096 an=" + std::to_string(live) + " as=" + std::to_string(count));
  EXPECT_EQ(out, "alloc fail in bank.cpp 12\n");
  EXPECT_EQ(Get("log.txt"), "error!! a_alloc(4096,bank.cpp,12)\r\n");
  for (void* h : held) A_FREE(h);
}

TEST_F(MemTest, FailAfterCountsSuccessfulAllocations) {
  a_alloc_fail_after = 2;
  void* a = A_ALLOC(8);
  void* b = A_ALLOC(8);
  void* c = A_ALLOC(8);
  void* d = A_ALLOC(8);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);
  A_FREE(a);
  A_FREE(b);
  A_FREE(d);
}

TEST_F(MemTest, NegativeSizeIsRefused) {
  int32_t count = alloc_count;
  EXPECT_EQ(A_ALLOC(-1), nullptr);
  EXPECT_EQ(alloc_count, count);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "alloc failure");
}

TEST_F(MemTest, ReportShowsBothBoxesForALeakAndNothingWhenBalanced) {
  void* leak = A_ALLOC(100);
  a_mem_report();
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].caption, "alloc_sum != free_sum");
  EXPECT_EQ(Boxes()[0].text, "alloc_count=" + std::to_string(alloc_count) +
                                 "\nfree_count=" + std::to_string(alloc_count - 1));
  EXPECT_EQ(Boxes()[1].caption, "alloc_size != free_size");
  EXPECT_EQ(Boxes()[1].text, "alloc_size=" + std::to_string(alloc_size) +
                                 "\nfree_size=" + std::to_string(alloc_size - 108));
  A_FREE(leak);
  plat::box_script::Clear();
  a_mem_report();
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MemTest, TraceLinesOnlyWhileTracing) {
  A_FREE(A_ALLOC(5));
  EXPECT_FALSE(testsupport::ExistsNative(Native("log.txt")));

  traceAllocations = 1;
  void* p = a_alloc(5, "t.cpp", 3);
  a_free1(p, "t.cpp", 4);
  traceAllocations = 0;
  char expected[160];
  std::snprintf(expected, sizeof expected, "%" PRIxPTR "=a_alloc(5,t.cpp,3)\r\na_free1(%" PRIxPTR ",t.cpp,4)\r\n",
                reinterpret_cast<uintptr_t>(p), reinterpret_cast<uintptr_t>(p));
  EXPECT_EQ(Get("log.txt"), expected);
}

std::string Compress(const std::string& plain) {
  uLongf room = compressBound(plain.size());
  std::string out(room, '\0');
  compress(reinterpret_cast<Bytef*>(&out[0]), &room, reinterpret_cast<const Bytef*>(plain.data()),
           plain.size());
  out.resize(room);
  return out;
}

TEST_F(MemTest, UnpackReturnsZlibsCodeAndTheLengthProduced) {
  std::string plain(70000, 'x');
  for (size_t i = 0; i < plain.size(); i += 7) plain[i] = static_cast<char>(i);
  std::string packed = Compress(plain);
  auto src = reinterpret_cast<const unsigned char*>(packed.data());

  std::string out(80000, '\0');
  unsigned long length = out.size();
  EXPECT_EQ(Unpack(reinterpret_cast<unsigned char*>(&out[0]), &length, src, packed.size()), Z_OK);
  ASSERT_EQ(length, plain.size());
  EXPECT_EQ(out.substr(0, length), plain);

  length = 1000;
  EXPECT_EQ(Unpack(reinterpret_cast<unsigned char*>(&out[0]), &length, src, packed.size()), Z_BUF_ERROR);

  std::string damaged = packed;
  damaged[damaged.size() / 2] ^= 0x55;
  damaged[damaged.size() - 1] ^= 0x01;  // the Adler-32 check at least
  length = out.size();
  EXPECT_EQ(Unpack(reinterpret_cast<unsigned char*>(&out[0]), &length,
                   reinterpret_cast<const unsigned char*>(damaged.data()), damaged.size()),
            Z_DATA_ERROR);

  length = out.size();
  EXPECT_NE(Unpack(reinterpret_cast<unsigned char*>(&out[0]), &length, src, packed.size() - 5), Z_OK)
      << "a cut stream";
}

// Both decompressors (libdeflate where the build has it, zlib's inflate
// otherwise) must refuse the same streams: a record is one whole zlib stream
// with a 32 KB window and no preset dictionary.
TEST_F(MemTest, UnpackRefusesEveryStreamTheFormatDoesNotAllow) {
  const std::string plain = "a record of a disc archive, a record of a disc archive";
  const std::string packed = Compress(plain);
  // A header byte pair with its check bits made right again.
  auto header = [&](unsigned char cmf, unsigned char flags) {
    std::string s = packed;
    s[0] = static_cast<char>(cmf);
    flags = static_cast<unsigned char>(flags & 0xE0);
    flags = static_cast<unsigned char>(flags + (31 - (cmf * 256 + flags) % 31) % 31);
    s[1] = static_cast<char>(flags);
    return s;
  };
  struct Case {
    const char* what;
    std::string stream;
  };
  std::string broken = packed;
  broken[1] ^= 0x01;
  std::string wrongSum = packed;
  wrongSum.back() ^= 0x01;
  const Case cases[] = {
      {"a byte after the stream", packed + "x"},
      {"header check bits wrong", broken},
      {"a window over 32 KB", header(0x88, 0x00)},
      {"a preset dictionary", header(0x78, 0x20)},
      {"not deflate", header(0x77, 0x00)},
      {"Adler-32 wrong", wrongSum},
      {"nothing", ""},
  };
  std::string out(1000, '\0');
  unsigned long length = 0;
  auto unpack = [&](const std::string& stream) {
    length = out.size();
    return Unpack(reinterpret_cast<unsigned char*>(&out[0]), &length,
                  reinterpret_cast<const unsigned char*>(stream.data()), stream.size());
  };
  // The header remade as it was is taken: the cases above fail for what
  // they change, not for check bits made wrong.
  const std::string remade = header(static_cast<unsigned char>(packed[0]), static_cast<unsigned char>(packed[1]));
  ASSERT_EQ(remade, packed);
  ASSERT_EQ(unpack(remade), Z_OK);
  for (const Case& c : cases) EXPECT_NE(unpack(c.stream), Z_OK) << c.what;
  for (size_t cut = 0; cut < packed.size(); ++cut) {
    EXPECT_NE(unpack(packed.substr(0, cut)), Z_OK) << "cut to " << cut << " bytes";
  }
  // An empty payload is a stream too.
  EXPECT_EQ(unpack(Compress("")), Z_OK);
  EXPECT_EQ(length, 0u);
}

}  // namespace
