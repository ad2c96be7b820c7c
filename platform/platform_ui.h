// The seam, continued: dialogs from the program's resources, their controls,
// the thread's message queue, and drawing text into windows.
//
// Dialog procedures are the program's own portable code: the Win32 side
// calls them from a real dialog procedure, the host side from its own model
// of the dialog and of the message queue, which a test scripts.
#pragma once

#include <cstdint>

namespace plat {

using Window = void*;
using Instance = void*;  // the module whose resources hold the templates

// Messages and notifications with their Win32 values.
enum : unsigned {
  kMsgPaint = 0x000F,        // WM_PAINT
  kMsgQuit = 0x0012,         // WM_QUIT
  kMsgInitDialog = 0x0110,   // WM_INITDIALOG
  kMsgCommand = 0x0111,      // WM_COMMAND
  kPbmSetPos = 0x0402,       // PBM_SETPOS
  kPbmSetBarColor = 0x0409,  // PBM_SETBARCOLOR
};

// RedrawWindow flags.
enum : unsigned {
  kRdwInvalidate = 0x0001,
  kRdwInternalPaint = 0x0002,
  kRdwErase = 0x0004,
  kRdwUpdateNow = 0x0100,
};

// A dialog procedure: (context, window, message, wParam, lParam) -> result.
// `context` is the one its dialog was created with, from the first message
// (WM_INITDIALOG) on; it lets an object stand behind the procedure.
using DialogProc = intptr_t (*)(void* context, Window, unsigned, uintptr_t, intptr_t);

struct Rect {
  int left, top, right, bottom;
};

// CreateDialogParamA: a modeless dialog from template `templateId` of
// `instance`, with `proc` as its dialog procedure, which is handed `context`
// with every message, WM_INITDIALOG (during the call) included; the caller
// keeps `context` alive while the window exists. Null on failure. The common
// controls the templates use (the progress bar) are made available first.
Window CreateDialogFromTemplate(Instance instance, int templateId, Window owner, DialogProc proc, void* context);
bool DestroyWindow(Window window);
Window GetDialogItem(Window dialog, int controlId);
int GetControlId(Window control);
bool SetWindowText(Window window, const char* text);
bool EnableWindow(Window window, bool enable);
intptr_t SendMessage(Window window, unsigned message, uintptr_t wParam, intptr_t lParam);
// InvalidateRect of the whole client area.
bool InvalidateWindow(Window window, bool erase);
bool RedrawWindow(Window window, unsigned flags);
Window SetFocus(Window window);
bool GetWindowRect(Window window, Rect* rect);
Window GetDesktopWindow();
// SetWindowPos to (x, y), top of the z-order, size kept.
bool MoveWindowTo(Window window, int x, int y);
// The size of the client area (GetClientRect); false for no window.
bool GetClientSize(Window window, int* width, int* height);
// Sets the window's outer size, its position and z-order kept.
bool ResizeWindow(Window window, int width, int height);
// Moves every child window of `parent` by (dx, dy) within it.
void OffsetChildren(Window parent, int dx, int dy);
// The colour dialogs are filled with (COLOR_3DFACE), as 0xRRGGBB.
uint32_t FaceColour();

// PostQuitMessage.
void PostQuit(int exitCode);

enum PumpResult { kPumpEmpty, kPumpDispatched, kPumpQuit };
// One turn of a message loop: if a message is waiting (PeekMessageA without
// removing), fetch it (GetMessageA); a quit message gives kPumpQuit,
// anything else is translated and dispatched (kPumpDispatched). No dialog
// keyboard handling. kPumpEmpty when nothing was waiting.
PumpResult PumpOne();

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

// A device context, owned by whoever obtained it and given back with the
// matching call.
struct DrawContext;

// BeginPaint / EndPaint.
DrawContext* BeginPaint(Window window);
void EndPaint(Window window, DrawContext* context);
// GetDC / ReleaseDC.
DrawContext* GetWindowContext(Window window);
void ReleaseWindowContext(Window window, DrawContext* context);

// CreateFontA's arguments that the program varies.
struct FontSpec {
  const char* face;
  int height;
  int width;
  int weight;
  uint8_t charSet;
  uint8_t outPrecision;
  uint8_t clipPrecision;
  uint8_t quality;
  uint8_t pitchAndFamily;
};

// One text drawn with a font made for it: transparent background, the
// colour (a COLORREF, 0x00BBGGRR), left or right alignment at (x, y), and,
// when `clipped`, only inside `clip`. The font and the clip region are
// released again before the call returns.
struct TextDrawing {
  FontSpec font;
  uint32_t colour;
  bool alignRight;
  bool clipped;
  Rect clip;
  int x;
  int y;
  const char* text;
};
void DrawTextAt(DrawContext* context, const TextDrawing& drawing);

// Pixels in memory, top row first, rows `pitch` bytes apart (a multiple of
// 4): 16 bits RGB 5-6-5 words, 24 bits the bytes B G R, 32 bits B G R and
// one unused byte.
struct PixelBlock {
  int width;
  int height;
  int pitch;
  int bitsPerPixel;
  const unsigned char* pixels;
};
// Draws the block 1:1 with its top left corner at (x, y) of the context, in
// one copy (a device-independent bitmap on Windows). Nothing for a null
// context, a block without pixels or of another depth.
void DrawPixels(DrawContext* target, int x, int y, const PixelBlock& block);

// BitBlt with SRCCOPY: the width x height rectangle at (sourceX, sourceY) of
// `source` is copied to (x, y) of `target`. The outcome is not reported; a
// null context copies nothing.
void BitBlt(DrawContext* target, int x, int y, int width, int height, DrawContext* source,
            int sourceX, int sourceY);

}  // namespace plat
