// The stock fonts come from the font code; GetStockObject asks it for them.
#pragma once

#include "objects.h"

namespace platform::gdi {

// The stock font of a GetStockObject index (SYSTEM_FONT, DEFAULT_GUI_FONT, ...); null for
// an index that names no font.
std::shared_ptr<Object> make_stock_font(int index);

} // namespace platform::gdi
