#include "a_dialog.h"

void CenterOnDesktop(plat::Window dialog) {
  plat::Rect desktop{}, own{};
  plat::GetWindowRect(plat::GetDesktopWindow(), &desktop);
  plat::GetWindowRect(dialog, &own);
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  plat::MoveWindowTo(dialog, desktop.left + (desktop.right - desktop.left - width) / 2,
                     desktop.top + (desktop.bottom - desktop.top - height) / 2);
}

plat::Window ModelessDialog::Create(plat::Instance instance, int templateId) {
  dialog = plat::CreateDialogFromTemplate(instance, templateId, nullptr, Dispatch, this);
  return dialog;
}

void ModelessDialog::Destroy() {
  if (dialog == nullptr) return;
  plat::DestroyWindow(dialog);
  dialog = nullptr;
}

plat::Window ModelessDialog::Item(int controlId) const { return plat::GetDialogItem(dialog, controlId); }

intptr_t ModelessDialog::CentreOnInit(uintptr_t focusControl) {
  CenterOnDesktop(dialog);
  return plat::GetControlId(reinterpret_cast<plat::Window>(focusControl)) != 0 ? 1 : 0;
}

intptr_t ModelessDialog::Dispatch(void* self, plat::Window window, unsigned message, uintptr_t wParam,
                                  intptr_t lParam) {
  auto* object = static_cast<ModelessDialog*>(self);
  // The window is known from here on: Create has not returned it yet.
  if (message == plat::kMsgInitDialog) object->dialog = window;
  return object->Handle(message, wParam, lParam);
}
