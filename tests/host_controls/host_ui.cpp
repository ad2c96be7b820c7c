// The test controls: dialogs, controls, the message queue and drawing,
// modelled closely enough for the program's dialog procedures to run
// unchanged, and recorded for tests.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host_control.h"

namespace plat {

struct DrawContext {
  host::HostWindow* window;
};

namespace host {
namespace {

struct Click {
  int templateId;
  int controlId;
  int afterPumps;
  bool done;
};

struct UiState {
  std::vector<std::unique_ptr<HostWindow>> windows;
  std::vector<DialogTemplate> templates;
  std::vector<Click> clicks;
  std::vector<std::pair<HostWindow*, int>> idleCounts;  // per dialog
  HostWindow desktop{};
  HostWindow* focus = nullptr;
  bool quitPending = false;
  bool builtIns = false;
};

// The program's two dialogs, as its resource script lays them out.
void AddBuiltInTemplates(UiState* ui) {
  ui->templates.push_back(DialogTemplate{101, "", 227, 93,
      {{1010, "Button", "Cancel", {90, 70, 50, 14}},
       {1009, "msctls_progress32", "Progress1", {5, 10, 215, 30}},
       {1011, "Static", "Static", {5, 45, 215, 10}}}});
  ui->templates.push_back(DialogTemplate{106, "Property Page", 237, 143,
      {{1000, "Button", "Button1", {140, 120, 50, 14}},
       {-1, "Button", "", {5, 10, 225, 95}},
       {1001, "Static", "Static", {90, 20, 75, 8}},
       {1002, "Static", "Static", {15, 55, 80, 10}},
       {1003, "Static", "Static", {15, 75, 85, 15}},
       {1004, "Button", "Button2", {55, 120, 50, 14}},
       {1005, "Button", "Button3", {180, 30, 40, 14}},
       {1007, "Static", "Static", {115, 55, 55, 15}},
       {1008, "Static", "Static", {115, 75, 55, 20}},
       {1006, "Edit", "", {10, 30, 165, 14}},
       {1018, "Button", "", {10, 45, 165, 55}}}});
}

UiState& ui() {
  static UiState* s = nullptr;
  if (s == nullptr) {
    s = new UiState;
    s->desktop.controlId = -1;
    s->desktop.rect = Rect{0, 0, 1024, 768};
    AddBuiltInTemplates(s);
  }
  return *s;
}

// Dialog units of an 8-point dialog font, in pixels: 6 x 13 base units.
int UnitsToX(int units) { return units * 6 / 4; }
int UnitsToY(int units) { return units * 13 / 8; }

const DialogTemplate* FindTemplate(int id) {
  const DialogTemplate* found = nullptr;
  for (const DialogTemplate& t : ui().templates) {
    if (t.id == id) found = &t;  // the newest registration wins
  }
  return found;
}

int& IdleCount(HostWindow* dialog) {
  for (auto& entry : ui().idleCounts) {
    if (entry.first == dialog) return entry.second;
  }
  ui().idleCounts.emplace_back(dialog, 0);
  return ui().idleCounts.back().second;
}

HostWindow* NewWindow() {
  ui().windows.push_back(std::make_unique<HostWindow>());
  HostWindow* w = ui().windows.back().get();
  w->templateId = 0;
  w->controlId = -1;
  w->rect = Rect{0, 0, 0, 0};
  w->enabled = true;
  w->destroyed = false;
  w->parent = nullptr;
  w->proc = nullptr;
  w->context = nullptr;
  w->invalid = false;
  w->focusCount = 0;
  w->position = 0;
  w->barColour = 0xFF000000u;  // CLR_DEFAULT
  w->paintCount = 0;
  w->textSets = 0;
  return w;
}

bool Live(HostWindow* w) { return w != nullptr && !w->destroyed; }

void Paint(HostWindow* w) {
  w->invalid = false;
  if (w->proc != nullptr) {
    w->proc(w->context, w, kMsgPaint, 0, 0);
  } else {
    ++w->paintCount;  // a control paints itself
  }
}

}  // namespace

HostWindow* AsHostWindow(Window window) { return static_cast<HostWindow*>(window); }

HostWindow* FindDialog(int templateId) {
  HostWindow* found = nullptr;
  for (auto& w : ui().windows) {
    if (w->controlId == -1 && w->parent == nullptr && w->templateId == templateId) found = w.get();
  }
  return found;
}

HostWindow* FindControl(HostWindow* dialog, int controlId) {
  if (dialog == nullptr) return nullptr;
  for (HostWindow* c : dialog->children) {
    if (c->controlId == controlId) return c;
  }
  return nullptr;
}

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate) {
  ui().templates.push_back(dialogTemplate);
}

void ScriptClick(int templateId, int controlId, int afterPumps) {
  ui().clicks.push_back(Click{templateId, controlId, afterPumps, false});
}

int PumpCount(int templateId) {
  HostWindow* d = FindDialog(templateId);
  return d ? IdleCount(d) : 0;
}

void ResetUi() {
  UiState& s = ui();
  s.windows.clear();
  s.clicks.clear();
  s.idleCounts.clear();
  s.templates.clear();
  AddBuiltInTemplates(&s);
  s.focus = nullptr;
  s.quitPending = false;
}

}  // namespace host

using host::HostWindow;

Window CreateDialogFromTemplate(Instance, int templateId, Window owner, DialogProc proc, void* context) {
  const host::DialogTemplate* t = host::FindTemplate(templateId);
  if (t == nullptr || proc == nullptr) return nullptr;
  HostWindow* dialog = host::NewWindow();
  dialog->templateId = templateId;
  dialog->className = "#32770";
  dialog->text = t->title;
  dialog->parent = nullptr;
  (void)owner;
  // Frame and caption add to the client area.
  dialog->rect =
      Rect{0, 0, host::UnitsToX(t->width) + host::kFrameWidth, host::UnitsToY(t->height) + host::kFrameHeight};
  for (const host::ControlTemplate& c : t->controls) {
    HostWindow* control = host::NewWindow();
    control->controlId = c.id;
    control->className = c.className;
    control->text = c.text;
    control->parent = dialog;
    int x = 3 + host::UnitsToX(c.unitsRect.left);
    int y = 22 + host::UnitsToY(c.unitsRect.top);
    control->rect = Rect{x, y, x + host::UnitsToX(c.unitsRect.right), y + host::UnitsToY(c.unitsRect.bottom)};
    dialog->children.push_back(control);
  }
  dialog->proc = proc;
  dialog->context = context;
  dialog->invalid = true;
  HostWindow* firstControl = dialog->children.empty() ? nullptr : dialog->children.front();
  if (proc(context, dialog, kMsgInitDialog, reinterpret_cast<uintptr_t>(firstControl), 0) != 0 && firstControl) {
    SetFocus(firstControl);
  }
  return dialog;
}

bool DestroyWindow(Window window) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  w->destroyed = true;
  for (HostWindow* c : w->children) c->destroyed = true;
  return true;
}

Window GetDialogItem(Window dialog, int controlId) {
  HostWindow* d = host::AsHostWindow(dialog);
  if (!host::Live(d)) return nullptr;
  return host::FindControl(d, controlId);
}

int GetControlId(Window control) {
  HostWindow* c = host::AsHostWindow(control);
  return host::Live(c) && c->parent != nullptr ? c->controlId : 0;
}

bool SetWindowText(Window window, const char* text) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  w->text = text ? text : "";
  ++w->textSets;
  return true;
}

bool EnableWindow(Window window, bool enable) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  bool wasDisabled = !w->enabled;
  w->enabled = enable;
  return wasDisabled;
}

intptr_t SendMessage(Window window, unsigned message, uintptr_t wParam, intptr_t lParam) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return 0;
  if (w->proc != nullptr) return w->proc(w->context, w, message, wParam, lParam);
  if (w->className == "msctls_progress32") {
    if (message == kPbmSetPos) {
      int previous = w->position;
      w->position = static_cast<int>(wParam);
      w->positions.push_back(w->position);
      return previous;
    }
    if (message == kPbmSetBarColor) {
      uint32_t previous = w->barColour;
      w->barColour = static_cast<uint32_t>(lParam);
      return previous;
    }
  }
  return 0;
}

bool InvalidateWindow(Window window, bool) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  w->invalid = true;
  return true;
}

bool RedrawWindow(Window window, unsigned flags) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  if (flags & kRdwInvalidate) w->invalid = true;
  if ((flags & kRdwUpdateNow) && w->invalid) host::Paint(w);
  return true;
}

Window SetFocus(Window window) {
  HostWindow* previous = host::ui().focus;
  HostWindow* w = host::AsHostWindow(window);
  if (host::Live(w)) {
    ++w->focusCount;
    host::ui().focus = w;
  }
  return previous;
}

bool GetWindowRect(Window window, Rect* rect) {
  HostWindow* w = host::AsHostWindow(window);
  if (w == &host::ui().desktop) {
    *rect = w->rect;
    return true;
  }
  if (!host::Live(w)) return false;
  *rect = w->rect;
  return true;
}

Window GetDesktopWindow() { return &host::ui().desktop; }

bool MoveWindowTo(Window window, int x, int y) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  int dx = x - w->rect.left, dy = y - w->rect.top;
  auto shift = [dx, dy](Rect* r) {
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
  };
  shift(&w->rect);
  for (HostWindow* c : w->children) shift(&c->rect);
  return true;
}

bool GetClientSize(Window window, int* width, int* height) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  const bool dialog = w->parent == nullptr;
  *width = w->rect.right - w->rect.left - (dialog ? host::kFrameWidth : 0);
  *height = w->rect.bottom - w->rect.top - (dialog ? host::kFrameHeight : 0);
  return true;
}

bool ResizeWindow(Window window, int width, int height) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return false;
  w->rect.right = w->rect.left + width;
  w->rect.bottom = w->rect.top + height;
  return true;
}

void OffsetChildren(Window parent, int dx, int dy) {
  HostWindow* w = host::AsHostWindow(parent);
  if (!host::Live(w)) return;
  for (HostWindow* c : w->children) {
    c->rect.left += dx;
    c->rect.right += dx;
    c->rect.top += dy;
    c->rect.bottom += dy;
  }
}

uint32_t FaceColour() { return host::kFaceColour; }

void PostQuit(int) { host::ui().quitPending = true; }

PumpResult PumpOne() {
  host::UiState& s = host::ui();
  if (s.quitPending) {
    s.quitPending = false;
    return kPumpQuit;
  }
  // Paint messages come when nothing else waits; a scripted click is the
  // user acting while the dialog waits for input.
  for (auto& w : s.windows) {
    if (host::Live(w.get()) && w->proc != nullptr && w->invalid) {
      host::Paint(w.get());
      return kPumpDispatched;
    }
  }
  for (size_t i = 0; i < s.windows.size(); ++i) {
    HostWindow* w = s.windows[i].get();
    if (!host::Live(w) || w->proc == nullptr) continue;
    int& idleCount = host::IdleCount(w);
    for (host::Click& click : s.clicks) {
      if (!click.done && click.templateId == w->templateId && click.afterPumps == idleCount) {
        click.done = true;
        // A disabled button cannot be clicked: the click is lost.
        HostWindow* control = FindControl(w, click.controlId);
        if (control != nullptr && !control->enabled) continue;
        w->proc(w->context, w, kMsgCommand, static_cast<uintptr_t>(click.controlId), 0);
        return kPumpDispatched;
      }
    }
    ++idleCount;
  }
  return kPumpEmpty;
}

DrawContext* BeginPaint(Window window) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return nullptr;
  w->invalid = false;
  ++w->paintCount;
  return new DrawContext{w};
}

void EndPaint(Window, DrawContext* context) { delete context; }

DrawContext* GetWindowContext(Window window) {
  HostWindow* w = host::AsHostWindow(window);
  if (!host::Live(w)) return nullptr;
  return new DrawContext{w};
}

void ReleaseWindowContext(Window, DrawContext* context) { delete context; }

void DrawTextAt(DrawContext* context, const TextDrawing& d) {
  if (context == nullptr) return;
  host::DrawnText t;
  t.text = d.text ? d.text : "";
  t.font = d.font;
  t.face = d.font.face ? d.font.face : "";
  t.font.face = nullptr;  // the caller's string does not outlive the call
  t.colour = d.colour;
  t.alignRight = d.alignRight;
  t.clipped = d.clipped;
  t.clip = d.clip;
  t.x = d.x;
  t.y = d.y;
  context->window->drawn.push_back(t);
}

void DrawPixels(DrawContext* target, int x, int y, const PixelBlock& block) {
  const int bits = block.bitsPerPixel;
  if (target == nullptr || block.pixels == nullptr || block.width < 1 || block.height < 1 ||
      (bits != 16 && bits != 24 && bits != 32)) {
    return;
  }
  host::DrawnPixels drawn{x, y, block.width, block.height, bits, std::string()};
  const size_t rowBytes = static_cast<size_t>(block.width) * (bits / 8);
  for (int row = 0; row < block.height; ++row) {
    drawn.bytes.append(reinterpret_cast<const char*>(block.pixels) + static_cast<size_t>(block.pitch) * row, rowBytes);
  }
  target->window->pixelDraws.push_back(std::move(drawn));
}

namespace host {

uint32_t DrawnPixels::ColourAt(int px, int py) const {
  if (px < 0 || py < 0 || px >= width || py >= height) return 0xFF000000u;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) +
                  (static_cast<size_t>(py) * width + px) * static_cast<size_t>(bitsPerPixel / 8);
  if (bitsPerPixel == 16) {
    const unsigned word = p[0] | p[1] << 8;
    const unsigned r = word >> 11, g = (word >> 5) & 63, b = word & 31;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
  }
  return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

}  // namespace host

void BitBlt(DrawContext* target, int x, int y, int width, int height, DrawContext* source,
            int sourceX, int sourceY) {
  if (target == nullptr || source == nullptr) return;
  target->window->copies.push_back(host::CopiedRect{source->window, x, y, width, height, sourceX, sourceY});
}

}  // namespace plat
