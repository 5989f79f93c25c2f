#include "ui/SkinLabel.h"

#include "framework/Gdi.h"

#ifndef DT_NOFULLWIDTHCHARBREAK
#define DT_NOFULLWIDTHCHARBREAK 0x00080000
#endif

CSkinLabel::~CSkinLabel() = default;

void CSkinLabel::SetText(const char* pszText)
{
    {
        CSingleLock lock(&m_lock);
        m_strText = pszText;
    }
    // Without a window an invalidation would repaint the whole desktop.
    if (m_hWnd)
        Invalidate(TRUE);
}

CString CSkinLabel::GetText()
{
    CSingleLock lock(&m_lock);
    return m_strText;
}

void CSkinLabel::SetTextStyle(const char* pszFaceName, int nHeight, COLORREF crText, COLORREF crBack, UINT nStyleFlags)
{
    m_strFaceName = pszFaceName;
    m_nFontHeight = nHeight;
    m_crText = crText;
    m_crBack = crBack;
    SetStyleFlags(nStyleFlags);
}

void CSkinLabel::SetStyleFlags(UINT nFlags)
{
    m_bBold = m_bBold || (nFlags & STYLE_BOLD);
    m_bItalic = m_bItalic || (nFlags & STYLE_ITALIC);
    m_bUnderline = m_bUnderline || (nFlags & STYLE_UNDERLINE);
    m_bStrikeOut = m_bStrikeOut || (nFlags & STYLE_STRIKEOUT);
    m_bAntialias = m_bAntialias || (nFlags & STYLE_ANTIALIAS);
    m_bAlignCenter = (nFlags & STYLE_CENTER) != 0;
    m_bAlignRight = !m_bAlignCenter && (nFlags & STYLE_RIGHT) != 0;
    m_bAlignLeft = !m_bAlignCenter && !m_bAlignRight;
}

void CSkinLabel::PreSubclassWindow()
{
    // Clicks reach the parent as notifications, as for any clickable static.
    ModifyStyle(0, SS_NOTIFY);
    CWnd::PreSubclassWindow();
}

void CSkinLabel::Draw(HDC hdc)
{
    RECT rcWindow;
    GetWindowRect(&rcWindow);
    const int w = rcWindow.right - rcWindow.left;
    const int h = rcWindow.bottom - rcWindow.top;
    if (w <= 0 || h <= 0)
        return;
    RECT rc{0, 0, w, h};

    MemoryDC mem(hdc);
    GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(hdc, w, h));
    SelectGuard selBitmap(mem, bitmap);
    GdiObject<HBRUSH> back(::CreateSolidBrush(m_crBack));
    ::FillRect(mem, &rc, back);
    ::SetTextColor(mem, m_crText);
    ::SetBkMode(mem, TRANSPARENT);

    GdiObject<HFONT> font(::CreateFontA(m_nFontHeight, 0, 0, 0, m_bBold ? FW_HEAVY : FW_NORMAL, m_bItalic,
                                        m_bUnderline, m_bStrikeOut, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                                        CLIP_CHARACTER_PRECIS, m_bAntialias ? ANTIALIASED_QUALITY : DEFAULT_QUALITY,
                                        0, m_strFaceName));
    if (font) {
        SelectGuard selFont(mem, font);
        const CString text = GetText();
        const UINT align = m_bAlignCenter ? DT_CENTER : m_bAlignRight ? DT_RIGHT : DT_LEFT;
        ::DrawTextA(mem, text, text.GetLength(), &rc,
                    align | DT_WORDBREAK | DT_NOPREFIX | DT_NOFULLWIDTHCHARBREAK);
    }
    ::BitBlt(hdc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
}

LRESULT CSkinLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        Draw(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_PAINT: {
        // The erase has drawn everything; the painting only validates.
        PaintDC dc(m_hWnd);
        return 0;
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
