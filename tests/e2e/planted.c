/* A DLL planted where a program without rights can write (beside setup.exe
 * on a copied disc, in the user's temporary folder), named as a DLL that is
 * not one of the system's KnownDLLs. Loaded into a process, it leaves a
 * line in C:\planted.log naming itself and the process. It exports what
 * the programs look up in the DLLs it stands for, so that a process that
 * takes it still starts. */
#include <windows.h>

static void Mark(HINSTANCE self) {
  char me[MAX_PATH], exe[MAX_PATH], line[2 * MAX_PATH + 8];
  GetModuleFileNameA(self, me, sizeof me);
  GetModuleFileNameA(NULL, exe, sizeof exe);
  wsprintfA(line, "%s in %s\r\n", me, exe);
  HANDLE log = CreateFileA("C:\\planted.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, 0, NULL);
  if (log != INVALID_HANDLE_VALUE) {
    DWORD written;
    WriteFile(log, line, (DWORD)lstrlenA(line), &written, NULL);
    CloseHandle(log);
  }
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) Mark(self);
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void* classes) {
  (void)classes;
  return TRUE;
}

__declspec(dllexport) HRESULT WINAPI SetWindowTheme(HWND window, LPCWSTR app, LPCWSTR list) {
  (void)window;
  (void)app;
  (void)list;
  return S_OK;
}
