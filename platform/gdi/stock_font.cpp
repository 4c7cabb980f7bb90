#include "stock_font.h"

#include <windows.h>

namespace platform::gdi {

std::shared_ptr<Object> make_stock_font(int index) {
    switch (index) {
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT:
        return std::make_shared<StockPlaceholder>(Kind::font);
    default:
        return nullptr;
    }
}

} // namespace platform::gdi
