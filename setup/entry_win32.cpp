// The Windows entry point of setup.exe.
#include <windows.h>

#include "platform.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  plat::PrepareProcess();
  return setup::WinMain(instance, previous, commandLine, showCommand);
}
