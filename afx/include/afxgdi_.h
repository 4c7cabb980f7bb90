// GDI object wrappers. The wrapper owns its handle: the destructor deletes it.
#pragma once

#include <windows.h>

class CGdiObject {
public:
    HGDIOBJ m_hObject = NULL;

    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // Refuses a null handle, and a second handle while one is held (it would leak).
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
    // Loads from the module that holds the bitmap (AfxFindResourceHandle).
    BOOL LoadBitmap(LPCSTR lpszResourceName);
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitMap) const;
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return (HFONT)m_hObject; }
};

class CBrush : public CGdiObject {
public:
    operator HBRUSH() const { return (HBRUSH)m_hObject; }
};

// A device context wrapper. Drawing members arrive with the drawing work; until then a CDC
// only carries the handle it was given and never releases it.
class CDC {
public:
    HDC m_hDC = NULL;
    HDC m_hAttribDC = NULL;

    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL Attach(HDC hDC) {
        if (hDC == NULL || m_hDC != NULL)
            return FALSE;
        m_hDC = m_hAttribDC = hDC;
        return TRUE;
    }
    HDC Detach() {
        HDC hDC = m_hDC;
        m_hDC = m_hAttribDC = NULL;
        return hDC;
    }
};
