// The seam over Win32: dialogs, controls, the message queue, drawing.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "platform.h"
#include "win32_modules.h"

#undef SendMessage
#undef SetWindowText
#undef GetWindowRect
#undef DrawText

namespace plat {

struct DrawContext {
  HDC dc;
  PAINTSTRUCT paint;
};

namespace {

HWND H(Window w) { return static_cast<HWND>(w); }

// What CreateDialogFromTemplate passes as WM_INITDIALOG's parameter: the
// program's portable procedure and its context. It lives only during the
// creation; the thunk keeps both with the window.
struct Binding {
  DialogProc proc;
  void* context;
};

// The real dialog procedure: hands every message from WM_INITDIALOG on to
// the program's portable one, with its context. The procedure is kept in the
// dialog's own slot (DWLP_USER), the context in the window's user data.
// Messages before WM_INITDIALOG (WM_SETFONT) find no procedure yet.
INT_PTR CALLBACK Thunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const Binding* binding = reinterpret_cast<const Binding*>(lParam);
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(binding->proc));
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(binding->context));
    lParam = 0;
  }
  auto proc = reinterpret_cast<DialogProc>(::GetWindowLongPtrA(window, DWLP_USER));
  if (proc == nullptr) return FALSE;
  return proc(reinterpret_cast<void*>(::GetWindowLongPtrA(window, GWLP_USERDATA)), window, message, wParam, lParam);
}

// A themed progress bar is drawn in the theme's colours and ignores
// PBM_SETBARCOLOR (Wine themes its bars whatever the manifest asks for), but
// the installer's bar is blue, with the percentage drawn over it in white
// and blue. Its bars are therefore drawn the classic way: their theme class
// list is set to a name no theme has (a blank, not the usual empty string,
// which Wine does not store and so keeps the theme). uxtheme is looked up at
// run time: where it is missing there are no themes to switch off.
void DrawProgressBarsClassic(HWND dialog) {
  using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  static const SetWindowThemeFn setWindowTheme = win32::SystemProc<SetWindowThemeFn>("uxtheme.dll", "SetWindowTheme");
  if (setWindowTheme == nullptr || dialog == nullptr) return;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char name[32];
    if (::GetClassNameA(child, name, sizeof name) > 0 && ::lstrcmpiA(name, PROGRESS_CLASSA) == 0) {
      setWindowTheme(child, L" ", L" ");
    }
  }
}

}  // namespace

Window CreateDialogFromTemplate(Instance instance, int templateId, Window owner, DialogProc proc, void* context) {
  // The progress bar's window class lives in the common controls library.
  static bool controlsReady = false;
  if (!controlsReady) {
    // Loaded here, not imported: see win32_modules.h.
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const InitFn init = win32::SystemProc<InitFn>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    controlsReady = init != nullptr && init(&classes) != FALSE;
  }
  Binding binding{proc, context};
  HWND dialog = ::CreateDialogParamA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(templateId), H(owner),
                                     Thunk, reinterpret_cast<LPARAM>(&binding));
  DrawProgressBarsClassic(dialog);
  return dialog;
}

bool DestroyWindow(Window window) { return ::DestroyWindow(H(window)) != FALSE; }

Window GetDialogItem(Window dialog, int controlId) { return ::GetDlgItem(H(dialog), controlId); }

int GetControlId(Window control) { return ::GetDlgCtrlID(H(control)); }

bool SetWindowText(Window window, const char* text) { return ::SetWindowTextA(H(window), text) != FALSE; }

bool EnableWindow(Window window, bool enable) { return ::EnableWindow(H(window), enable) != FALSE; }

intptr_t SendMessage(Window window, unsigned message, uintptr_t wParam, intptr_t lParam) {
  return ::SendMessageA(H(window), message, wParam, lParam);
}

bool InvalidateWindow(Window window, bool erase) {
  return ::InvalidateRect(H(window), nullptr, erase) != FALSE;
}

bool RedrawWindow(Window window, unsigned flags) {
  return ::RedrawWindow(H(window), nullptr, nullptr, flags) != FALSE;
}

Window SetFocus(Window window) { return ::SetFocus(H(window)); }

bool GetWindowRect(Window window, Rect* rect) {
  RECT r;
  if (!::GetWindowRect(H(window), &r)) return false;
  *rect = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

Window GetDesktopWindow() { return ::GetDesktopWindow(); }

bool MoveWindowTo(Window window, int x, int y) {
  return ::SetWindowPos(H(window), nullptr, x, y, 0, 0, SWP_NOSIZE) != FALSE;
}

bool GetClientSize(Window window, int* width, int* height) {
  RECT r;
  if (!::GetClientRect(H(window), &r)) return false;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return true;
}

bool ResizeWindow(Window window, int width, int height) {
  return ::SetWindowPos(H(window), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) !=
         FALSE;
}

void OffsetChildren(Window parent, int dx, int dy) {
  for (HWND child = ::GetWindow(H(parent), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    if (!::GetWindowRect(child, &r)) continue;
    ::MapWindowPoints(nullptr, H(parent), reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(child, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

uint32_t FaceColour() {
  const COLORREF c = ::GetSysColor(COLOR_3DFACE);
  return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
}

void PostQuit(int exitCode) { ::PostQuitMessage(exitCode); }

PumpResult PumpOne() {
  MSG message;
  if (!::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return kPumpEmpty;
  BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
  if (got == 0) return kPumpQuit;
  if (got == -1) return kPumpEmpty;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
  return kPumpDispatched;
}

DrawContext* BeginPaint(Window window) {
  auto* context = new DrawContext;
  context->dc = ::BeginPaint(H(window), &context->paint);
  return context;
}

void EndPaint(Window window, DrawContext* context) {
  if (context == nullptr) return;
  ::EndPaint(H(window), &context->paint);
  delete context;
}

DrawContext* GetWindowContext(Window window) {
  HDC dc = ::GetDC(H(window));
  if (dc == nullptr) return nullptr;
  auto* context = new DrawContext;
  context->dc = dc;
  return context;
}

void ReleaseWindowContext(Window window, DrawContext* context) {
  if (context == nullptr) return;
  ::ReleaseDC(H(window), context->dc);
  delete context;
}

void DrawTextAt(DrawContext* context, const TextDrawing& d) {
  if (context == nullptr || context->dc == nullptr) return;
  HDC dc = context->dc;
  const FontSpec& f = d.font;
  HFONT font = ::CreateFontA(f.height, f.width, 0, 0, f.weight, FALSE, FALSE, FALSE, f.charSet,
                             f.outPrecision, f.clipPrecision, f.quality, f.pitchAndFamily, f.face);
  ::SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  ::SetTextColor(dc, d.colour);
  ::SetTextAlign(dc, d.alignRight ? (TA_RIGHT | TA_TOP) : (TA_LEFT | TA_TOP));
  HRGN region = nullptr;
  if (d.clipped) {
    region = ::CreateRectRgn(d.clip.left, d.clip.top, d.clip.right, d.clip.bottom);
    ::SelectClipRgn(dc, region);
  }
  ::TextOutA(dc, d.x, d.y, d.text, static_cast<int>(std::strlen(d.text)));
  if (region != nullptr) {
    ::SelectClipRgn(dc, nullptr);
    ::DeleteObject(region);
  }
  ::SelectObject(dc, oldFont);
  ::DeleteObject(font);
}

void DrawPixels(DrawContext* target, int x, int y, const PixelBlock& block) {
  const int bits = block.bitsPerPixel;
  if (target == nullptr || target->dc == nullptr || block.pixels == nullptr || block.width < 1 ||
      block.height < 1 || (bits != 16 && bits != 24 && bits != 32) ||
      block.pitch != (block.width * bits + 31) / 32 * 4) {
    return;
  }
  // A top-down bitmap (negative height); 16 bits need their masks, since a
  // plain 16-bit bitmap is 5-5-5.
  struct {
    BITMAPINFOHEADER header;
    DWORD masks[3];
  } info = {};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = block.width;
  info.header.biHeight = -block.height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = bits == 16 ? BI_BITFIELDS : BI_RGB;
  info.masks[0] = 0xF800;
  info.masks[1] = 0x07E0;
  info.masks[2] = 0x001F;
  ::SetDIBitsToDevice(target->dc, x, y, static_cast<DWORD>(block.width), static_cast<DWORD>(block.height), 0, 0, 0,
                      static_cast<UINT>(block.height), block.pixels, reinterpret_cast<const BITMAPINFO*>(&info),
                      DIB_RGB_COLORS);
}

void BitBlt(DrawContext* target, int x, int y, int width, int height, DrawContext* source,
            int sourceX, int sourceY) {
  if (target == nullptr || source == nullptr) return;
  ::BitBlt(target->dc, x, y, width, height, source->dc, sourceX, sourceY, SRCCOPY);
}

}  // namespace plat
