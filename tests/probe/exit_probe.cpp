// A program that ends with a given imbalance, so that the at-exit checks can
// be watched from outside: every box is echoed to standard error.
//   exit_probe leak      one block of 100 bytes is never released
//   exit_probe open      one file is never closed
//   exit_probe picture   one picture that owns its pixels is never freed
//   exit_probe balanced  everything is given back; no box may appear
#include <cstring>

#include "a_file.h"
#include "a_mem.h"
#include "a_pic.h"
#include "box_script.h"
#include "pic_writer.h"
#include "scratch.h"

int main(int argc, char** argv) {
  plat::box_script::Activate(true);
  const char* what = argc > 1 ? argv[1] : "";
  testsupport::Scratch dir = testsupport::NewScratch();
  testsupport::WriteNative(testsupport::NativePath(dir, "f"), "x");
  FileHandle f;
  if (!f.OpenRead(testsupport::WinPath(dir, "f").c_str())) return 2;
  void* block = A_ALLOC(100);
  if (block == nullptr) return 2;
  if (std::strcmp(what, "leak") != 0) A_FREE(block);
  if (std::strcmp(what, "open") != 0) f.Close();

  const testsupport::PictureSet set = testsupport::BuildPictureSet(testsupport::SamplePictures(1));
  testsupport::WritePictureSet(testsupport::NativePath(dir, "p"), set);
  Picture picture;
  picture.Init();
  if (!picture.Load(testsupport::WinPath(dir, "p").c_str(), 0, nullptr)) return 2;
  if (std::strcmp(what, "picture") != 0) picture.Free();
  return 0;
}
