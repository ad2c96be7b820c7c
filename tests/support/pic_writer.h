// Writes picture sets for tests: the ".pic1" records with zlib-packed pixel
// data and the ".idx1" index of their offsets. The raw builders make
// damaged sets (wrong counts, sizes that lie, cut records).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct TestPicture {
  std::string attributes;  // at most 14 bytes, zero-padded
  std::string pixels;      // plain bytes; empty gives a record without data
};

struct PictureSet {
  std::string pic1;
  std::string idx1;
  std::vector<uint32_t> offsets;  // where each record starts in pic1
};

// A record with the sizes given, whatever `packed` really holds.
std::string PictureRecord(const std::string& attributes, uint32_t unpackedSize,
                          uint32_t packedSize, const std::string& packed);
// A well-formed record of `picture`.
std::string PictureRecord(const TestPicture& picture);
// An index with the count field `count` followed by `offsets`.
std::string PictureIndex(int32_t count, const std::vector<uint32_t>& offsets);
// A well-formed set: a few lead-in bytes (so that no offset is 0), the
// records back to back, and their index.
PictureSet BuildPictureSet(const std::vector<TestPicture>& pictures);
// Writes set.pic1 and set.idx1 beside each other as NATIVEBASE.pic1 and
// NATIVEBASE.idx1 (missing folders are made).
void WritePictureSet(const std::string& nativeBase, const PictureSet& set);
// `n` pictures with distinct attributes and pixels ("pixels of N" repeated).
std::vector<TestPicture> SamplePictures(int n);

}  // namespace testsupport
