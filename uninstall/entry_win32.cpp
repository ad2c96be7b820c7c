// The Windows entry point of uninstall.exe.
#include <windows.h>

#include "platform.h"
#include "uninstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  plat::PrepareProcess();
  return uninstall::Main(instance, commandLine);
}
