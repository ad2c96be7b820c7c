// A package, opened for several entries, directly and nested, and read to
// its end in small and large reads.
#include <vector>

#include "fuzz_env.h"

namespace {

void ReadAll(const char* path) {
  FileHandle f;
  if (!f.OpenRead(path)) return;
  std::vector<char> buffer(4096);
  int size = f.Size();
  (void)size;
  f.Seek(1);
  f.Read(buffer.data(), 3);
  f.Seek(0);
  while (f.Read(buffer.data(), static_cast<int>(buffer.size())) > 0) {
  }
  f.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzenv::Env& env = fuzzenv::Get();
  fuzzenv::WriteFile(env.work + "/p.apkg", data, size);
  ReadAll("T:\\p\\a.txt");
  ReadAll("T:\\p\\title.pic1");
  ReadAll("T:\\p\\inner\\file.dat");  // p.apkg holding INNER.APKG
  fuzzenv::CheckBalance();
  return 0;
}
