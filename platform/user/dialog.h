// The dialog manager's internals shared by the dialog, message-box and MFC paths.
#pragma once

#include <windows.h>

#include <cstddef>

namespace platform {

// Creates a dialog from template bytes. A modal dialog disables its owner until EndDialog.
HWND create_dialog(HINSTANCE instance, const BYTE* bytes, size_t size, HWND parent, DLGPROC proc,
                   LPARAM param, bool modal);

// Runs the dialog manager's modal loop until EndDialog; returns the dialog's result.
INT_PTR run_modal_loop(HWND dlg);

// The modal loop, then the dialog's destruction: what DialogBox does after creating.
INT_PTR run_dialog_box(HWND dlg);

// Gives a dialog-class window created by hand (a message box) the dialog manager's state.
void make_dialog(HWND dlg);

// The base units the dialog was laid out with.
SIZE dialog_units_of(HWND dlg);

} // namespace platform
