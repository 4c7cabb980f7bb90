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
