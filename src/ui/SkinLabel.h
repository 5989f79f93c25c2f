// CSkinLabel: a label that paints its whole area in its background colour and
// draws its text with a font built from its own settings. The text may be
// replaced from any thread (the download worker writes the percentage); the
// lock guards only the text, and drawing works on a copy of it.
#pragma once

#include "framework/Sync.h"
#include "framework/Wnd.h"

class CSkinLabel : public CWnd {
public:
    enum StyleFlag {
        STYLE_BOLD = 1,
        STYLE_ITALIC = 2,
        STYLE_UNDERLINE = 4,
        STYLE_STRIKEOUT = 8,
        STYLE_ANTIALIAS = 16,
        STYLE_CENTER = 32,
        STYLE_RIGHT = 128,
    };

    CSkinLabel() = default;
    ~CSkinLabel() override;

    // Callable from any thread; a null text shows nothing.
    void SetText(const char* pszText);
    // Does not redraw: the caller sets the text or shows the label next.
    void SetTextStyle(const char* pszFaceName, int nHeight, COLORREF crText, COLORREF crBack, UINT nStyleFlags);
    // Set bits switch their look on and clear bits leave it as it was; the
    // alignment is chosen anew every time.
    void SetStyleFlags(UINT nFlags);
    CString GetText();

    // The whole label as an erase draws it, into hdc at (0, 0).
    void Draw(HDC hdc);

    bool m_bBold = false;
    bool m_bItalic = false;
    bool m_bUnderline = false;
    bool m_bStrikeOut = false;
    bool m_bAntialias = false;
    bool m_bAlignCenter = false;
    bool m_bAlignLeft = true;
    bool m_bAlignRight = false;
    CString m_strFaceName = "MS Sans Serif";
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBack = RGB(255, 255, 255);
    int m_nFontHeight = 8;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;

private:
    CString m_strText;
    CCriticalSection m_lock;
};
