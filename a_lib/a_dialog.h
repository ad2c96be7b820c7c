// Modeless dialogs from the program's resources with an object behind them:
// the object is the context of the seam's dialog procedure, so each dialog's
// messages reach its own object, and two dialogs alive at once keep their
// own state.
#pragma once

#include <cstdint>

#include "platform.h"

// Moves `dialog` to the middle of the desktop, keeping its size: left at
// D.left + (D.width - w) / 2, top at D.top + (D.height - h) / 2, with D the
// desktop's rectangle and w x h the dialog's outer size.
void CenterOnDesktop(plat::Window dialog);

// The base of such an object. It owns no resources of its own but the
// window, which it never destroys by itself: the one that made the dialog
// takes it down (Destroy) before the object goes.
class ModelessDialog {
 public:
  ModelessDialog(const ModelessDialog&) = delete;
  ModelessDialog& operator=(const ModelessDialog&) = delete;

  // Makes the dialog from template `templateId` of `instance`, without an
  // owner, and returns it; null when it could not be made. `dialog` holds
  // the result, and holds the window already from WM_INITDIALOG on, so that
  // Handle has it for every message.
  plat::Window Create(plat::Instance instance, int templateId);
  // Destroys the window, if there is one; `dialog` is null afterwards.
  void Destroy();
  // Control `controlId` of the dialog; null without it or without a window.
  plat::Window Item(int controlId) const;

  plat::Window dialog = nullptr;  // the window while it exists

 protected:
  ModelessDialog() = default;
  ~ModelessDialog() = default;

  // Every message of the dialog, WM_INITDIALOG first; returns what the
  // dialog procedure returns.
  virtual intptr_t Handle(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
  // WM_INITDIALOG of a dialog that shows in the middle of the desktop:
  // centres it and returns 1 when `focusControl` (WM_INITDIALOG's wParam)
  // has a nonzero control id, so that the dialog manager focuses it, else 0.
  intptr_t CentreOnInit(uintptr_t focusControl);

 private:
  static intptr_t Dispatch(void* self, plat::Window window, unsigned message, uintptr_t wParam, intptr_t lParam);
};
