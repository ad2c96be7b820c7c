/* The sample game's executable: a tiny Windows program. Started with "/check"
   it only exits with 0, so that scripts can see that the installed copy runs;
   otherwise it says hello in a box. */
#include <string.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  if (commandLine != NULL && strstr(commandLine, "/check") != NULL) return 0;
  MessageBoxA(NULL, "Star Harbor is installed and runs.", "Star Harbor", MB_OK);
  return 0;
}
