// System metrics: the screen's size comes from the display driver.
#include "platform/drivers/display.h"

#include <windows.h>

int WINAPI GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return platform::display_driver().screen_size().cx;
    case SM_CYSCREEN:
        return platform::display_driver().screen_size().cy;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;
    }
}

// The colours of the standard Windows scheme, as the classic controls paint them.
DWORD WINAPI GetSysColor(int index) {
    static const COLORREF colours[] = {
        0xC8D0D4, 0x985800, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
        0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
        0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF,
    };
    if (index < 0 || index >= static_cast<int>(sizeof colours / sizeof colours[0]))
        return 0;
    return colours[index];
}
