// GDI objects with owners: every handle, memory context and selection taken
// in a drawing call is given back when the call's scope ends.
#pragma once

#include "framework/WinTypes.h"

#include <utility>

// CBitmap: a bitmap handle, deleted with the object unless detached.
class CBitmap {
public:
    CBitmap() = default;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    ~CBitmap() { DeleteObject(); }

    operator HBITMAP() const { return m_hBitmap; }
    HBITMAP GetSafeHandle() const { return m_hBitmap; }
    BOOL Attach(HBITMAP hBitmap)
    {
        if (m_hBitmap || !hBitmap)
            return FALSE;
        m_hBitmap = hBitmap;
        return TRUE;
    }
    HBITMAP Detach() { return std::exchange(m_hBitmap, nullptr); }
    BOOL DeleteObject() { return m_hBitmap && ::DeleteObject(Detach()); }
    int GetBitmap(BITMAP* pBitmap) const
    {
        return m_hBitmap ? ::GetObjectA(m_hBitmap, sizeof(BITMAP), pBitmap) : 0;
    }

private:
    HBITMAP m_hBitmap = nullptr;
};

// Owns any GDI object (brush, pen, font, region, bitmap).
template <class H>
class GdiObject {
public:
    explicit GdiObject(H h = nullptr) : m_h(h) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }
    void reset(H h = nullptr)
    {
        if (m_h)
            ::DeleteObject(m_h);
        m_h = h;
    }
    H release() { return std::exchange(m_h, nullptr); }
    H get() const { return m_h; }
    operator H() const { return m_h; }

private:
    H m_h;
};

// A memory device context compatible with another one.
class MemoryDC {
public:
    explicit MemoryDC(HDC hdcLike) : m_hdc(::CreateCompatibleDC(hdcLike)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC()
    {
        if (m_hdc)
            ::DeleteDC(m_hdc);
    }
    operator HDC() const { return m_hdc; }

private:
    HDC m_hdc;
};

// Selects an object into a context and restores the previous one.
class SelectGuard {
public:
    SelectGuard(HDC hdc, HGDIOBJ hObject) : m_hdc(hdc), m_hOld(hObject ? ::SelectObject(hdc, hObject) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (m_hOld)
            ::SelectObject(m_hdc, m_hOld);
    }

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// GetDC/ReleaseDC and BeginPaint/EndPaint pairs.
class ClientDC {
public:
    explicit ClientDC(HWND hWnd) : m_hWnd(hWnd), m_hdc(::GetDC(hWnd)) {}
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    ~ClientDC()
    {
        if (m_hdc)
            ::ReleaseDC(m_hWnd, m_hdc);
    }
    operator HDC() const { return m_hdc; }

private:
    HWND m_hWnd;
    HDC m_hdc;
};

class PaintDC {
public:
    explicit PaintDC(HWND hWnd) : m_hWnd(hWnd), m_hdc(::BeginPaint(hWnd, &m_ps)) {}
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    operator HDC() const { return m_hdc; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hdc;
};

// Copies cx x cy pixels of a bitmap from (xSrc, ySrc) to (x, y) of a context
// through a temporary memory context; a null bitmap copies nothing.
inline void BlitBitmap(HDC hdc, int x, int y, int cx, int cy, HBITMAP hBitmap, int xSrc = 0, int ySrc = 0)
{
    if (!hBitmap)
        return;
    MemoryDC src(hdc);
    SelectGuard sel(src, hBitmap);
    ::BitBlt(hdc, x, y, cx, cy, src, xSrc, ySrc, SRCCOPY);
}
