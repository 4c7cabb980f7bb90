// The shell's tray: Shell_NotifyIconA and the first form of NOTIFYICONDATAA.
#pragma once

#include "windef.h"

#include <cstddef>

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002

#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

// The first form of the record (before Internet Explorer 5): a 64-character tooltip.
typedef struct _NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
} NOTIFYICONDATAA, *PNOTIFYICONDATAA;

// As Windows defines it: the end of the first form's tooltip. That is 88 on 32-bit Windows,
// where programs write 88; here the pointer-sized fields make it larger. Both are accepted.
#define NOTIFYICONDATAA_V1_SIZE (offsetof(NOTIFYICONDATAA, szTip) + 64)

BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);
