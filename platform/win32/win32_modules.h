// DLLs loaded at run time, from the system folder only.
//
// setup.exe and uninstall.exe run with administrator rights from a disc, a
// copy of one or a download folder. The loader looks for a DLL that is not
// one of the system's KnownDLLs in the program's own folder first, before
// the program's first line runs; so the programs import at load time only
// KnownDLLs, and everything else (the common controls, the theme library)
// is loaded through here, after PrepareProcess has narrowed the search.
#pragma once

#include <windows.h>

namespace plat::win32 {

// The DLL `name` (such as "comctl32.dll") from the system folder, never
// from the program's folder, the current folder or PATH; its own imports
// come from the system folder too. Null when it cannot be loaded there. The
// module stays loaded for the rest of the process.
HMODULE LoadSystemLibrary(const char* name);

// `proc` of the system DLL `dll` as a function pointer of type F; null
// when the DLL or the function is missing.
template <typename F>
F SystemProc(const char* dll, const char* proc) {
  HMODULE module = LoadSystemLibrary(dll);
  FARPROC address = module != nullptr ? ::GetProcAddress(module, proc) : nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(address));
}

}  // namespace plat::win32
