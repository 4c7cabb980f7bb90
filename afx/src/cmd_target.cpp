// Command routing through the message maps.
#include <afxwin.h>

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void*, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The high word of the code names the message (WM_COMMAND when 0), the low word the code.
    UINT message = HIWORD((DWORD)nCode);
    UINT code = LOWORD((DWORD)nCode);
    if (message == 0)
        message = WM_COMMAND;
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != AfxSig_end; ++entry) {
            if (entry->nMessage != message || entry->nCode != code || nID < entry->nID ||
                nID > entry->nLastID)
                continue;
            if (pHandlerInfo != nullptr) {
                pHandlerInfo->pTarget = this;
                pHandlerInfo->pmf = entry->pfn;
                return TRUE;
            }
            if (entry->nSig == AfxSig_bv)
                return (this->*AfxMsgFuncAs<BOOL (CCmdTarget::*)()>(entry->pfn))();
            (this->*entry->pfn)();
            return TRUE;
        }
    }
    return FALSE;
}
