// Message maps: the entry record, the handler signatures and the entry macros.
//
// A map is written as in MFC:
//     BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//         ON_WM_TIMER()
//         ON_BN_CLICKED(IDC_APPLY, OnApply)
//     END_MESSAGE_MAP()
// Each entry names its handler through the class (ThisClass::OnApply), which standard C++
// requires; the map itself is built on first use, so no static initialisation order matters.
// DECLARE_MESSAGE_MAP marks GetMessageMap `override`, so a class with a map marks its other
// overrides too (clang insists on consistency).
#pragma once

#include <cstring>

class CCmdTarget;
class CWnd;
class CDC;

typedef void (CCmdTarget::*AFX_PMSG)();
typedef void (CWnd::*AFX_PMSGW)();

// The handler signatures that the dispatcher knows.
enum AfxSig {
    AfxSig_end = 0,
    AfxSig_vv,     // void ()
    AfxSig_bv,     // BOOL ()
    AfxSig_vw,     // void (UINT)
    AfxSig_vb,     // void (BOOL)
    AfxSig_hv,     // HCURSOR ()
    AfxSig_vwp,    // void (UINT, CPoint)
    AfxSig_vW,     // void (CWnd*), the window in wParam
    AfxSig_vW2,    // void (CWnd*), the window in lParam
    AfxSig_bWww,   // BOOL (CWnd*, UINT, UINT)
    AfxSig_vwWb,   // void (UINT, CWnd*, BOOL)
    AfxSig_vPOS,   // void (WINDOWPOS*)
    AfxSig_hDw,    // HBRUSH (CDC*, UINT): reflected WM_CTLCOLOR
    AfxSig_hDWw,   // HBRUSH (CDC*, CWnd*, UINT)
    AfxSig_vOWNER, // void (int, LPDRAWITEMSTRUCT)
    AfxSig_lwl,    // LRESULT (WPARAM, LPARAM)
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, or WM_COMMAND for commands and notifications
    UINT nCode;    // control notification code, 0 for messages
    UINT nID;      // first control or command id
    UINT nLastID;  // last id of a range
    UINT nSig;     // AfxSig
    AFX_PMSG pfn;  // the handler, stored in the type of its signature
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Stores a typed member function pointer in an entry and reads it back. Pointers to members
// of any one hierarchy share one representation; a handler is always read back with the
// type it was stored with.
template <class F> inline AFX_PMSG AfxMsgFunc(F pfn) {
    static_assert(sizeof(F) == sizeof(AFX_PMSG));
    AFX_PMSG result;
    std::memcpy(static_cast<void*>(&result), static_cast<const void*>(&pfn), sizeof result);
    return result;
}
template <class F> inline F AfxMsgFuncAs(AFX_PMSG pfn) {
    static_assert(sizeof(F) == sizeof(AFX_PMSG));
    F result;
    std::memcpy(static_cast<void*>(&result), static_cast<const void*>(&pfn), sizeof result);
    return result;
}

#define afx_msg

// Messages that only the framework uses.
#define WM_CTLCOLOR 0x0019
#define WM_KICKIDLE 0x036A
#define WM_REFLECT_BASE 0xBC00
#define CN_COMMAND 0

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        static_assert(sizeof(ThisClass) > 0 && sizeof(TheBaseClass) > 0);                          \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, AfxSig_end, nullptr }                                                            \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {TheBaseClass::GetThisMessageMap(), &_messageEntries[0]}; \
    return &messageMap;                                                                            \
    }

// Commands and control notifications.
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, CN_COMMAND, (WORD)(id),                                                           \
     (WORD)(id), AfxSig_vv,  static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                     \
    {WM_COMMAND, (WORD)(wNotifyCode), (WORD)(id),                                                  \
     (WORD)(id), AfxSig_vv,           static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                 \
    {WM_COMMAND + WM_REFLECT_BASE,                                                                 \
     (WORD)(wNotifyCode),                                                                          \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_vv,                                                                                    \
     static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
// The handler returns TRUE to stop the notification, FALSE to let the parent handle it too.
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                              \
    {WM_COMMAND + WM_REFLECT_BASE,                                                                 \
     (WORD)(wNotifyCode),                                                                          \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_bv,                                                                                    \
     AfxMsgFunc(static_cast<BOOL (CCmdTarget::*)()>(&ThisClass::memberFxn))},

// User-defined and other messages without their own macro.
#define ON_MESSAGE(message, memberFxn)                                                             \
    {                                                                                              \
        (message),                                                                                 \
        0,                                                                                         \
        0,                                                                                         \
        0,                                                                                         \
        AfxSig_lwl,                                                                                \
        AfxMsgFunc(static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(&ThisClass::memberFxn))},

// Window messages.
#define ON_AFX_WM(message, sig, type, memberFxn)                                                   \
    {(message), 0, 0, 0, (sig), AfxMsgFunc(static_cast<type>(&ThisClass::memberFxn))},
#define ON_WM_TIMER() ON_AFX_WM(WM_TIMER, AfxSig_vw, void (CWnd::*)(UINT), OnTimer)
#define ON_WM_WINDOWPOSCHANGING()                                                                  \
    ON_AFX_WM(WM_WINDOWPOSCHANGING, AfxSig_vPOS, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanging)
#define ON_WM_PAINT() ON_AFX_WM(WM_PAINT, AfxSig_vv, void (CWnd::*)(), OnPaint)
#define ON_WM_QUERYDRAGICON()                                                                      \
    ON_AFX_WM(WM_QUERYDRAGICON, AfxSig_hv, HCURSOR (CWnd::*)(), OnQueryDragIcon)
#define ON_WM_LBUTTONDOWN()                                                                        \
    ON_AFX_WM(WM_LBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP()                                                                          \
    ON_AFX_WM(WM_LBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_MOUSEMOVE()                                                                          \
    ON_AFX_WM(WM_MOUSEMOVE, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_CAPTURECHANGED()                                                                     \
    ON_AFX_WM(WM_CAPTURECHANGED, AfxSig_vW2, void (CWnd::*)(CWnd*), OnCaptureChanged)
#define ON_WM_SETCURSOR()                                                                          \
    ON_AFX_WM(WM_SETCURSOR, AfxSig_bWww, BOOL (CWnd::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_KILLFOCUS() ON_AFX_WM(WM_KILLFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_SYSCOLORCHANGE()                                                                     \
    ON_AFX_WM(WM_SYSCOLORCHANGE, AfxSig_vv, void (CWnd::*)(), OnSysColorChange)
#define ON_WM_ACTIVATE()                                                                           \
    ON_AFX_WM(WM_ACTIVATE, AfxSig_vwWb, void (CWnd::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_ENABLE() ON_AFX_WM(WM_ENABLE, AfxSig_vb, void (CWnd::*)(BOOL), OnEnable)
#define ON_WM_CANCELMODE() ON_AFX_WM(WM_CANCELMODE, AfxSig_vv, void (CWnd::*)(), OnCancelMode)
#define ON_WM_NCDESTROY() ON_AFX_WM(WM_NCDESTROY, AfxSig_vv, void (CWnd::*)(), OnNcDestroy)
#define ON_WM_DRAWITEM()                                                                           \
    ON_AFX_WM(WM_DRAWITEM, AfxSig_vOWNER, void (CWnd::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_CTLCOLOR()                                                                           \
    ON_AFX_WM(WM_CTLCOLOR, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    ON_AFX_WM(WM_CTLCOLOR + WM_REFLECT_BASE, AfxSig_hDw, HBRUSH(CWnd::*)(CDC*, UINT), CtlColor)
