// CSkinButton: an owner-drawn button that shows bitmaps for its normal, hover,
// pressed and disabled looks, optionally shaped by a mask, and that can act
// as a check box or a radio button.
#pragma once

#include "framework/Controls.h"
#include "framework/Gdi.h"

class CSkinButton : public CButton {
public:
    CSkinButton();
    ~CSkinButton() override;

    enum CheckKind { KIND_PUSH = 0, KIND_CHECKBOX = 2, KIND_RADIO = 4 };
    // Clears the check state of a check box or radio button.
    static const UINT SBM_CLEARCHECK = WM_USER + 0x100;
    enum DrawMode { DRAW_UNSCALED = 0, DRAW_STRETCH = 1, DRAW_TILE = 2 };

    // The images belong to the caller (the skin table) and outlive the button.
    void SetImages(CBitmap* pNormal, CBitmap* pPressed, CBitmap* pHover, CBitmap* pMask, short nDrawMode,
                   short bDrawBorder, short nFocusInset);

    void SetCursor(HCURSOR hCursor) { m_hCursor = hCursor; }
    CToolTipCtrl& GetToolTip() { return m_toolTip; }

    // The union of one-pixel-high runs of pixels that are not crTransparent;
    // null for a null bitmap, an empty region when nothing is opaque.
    static HRGN RegionFromBitmap(HBITMAP hBitmap, COLORREF crTransparent, HDC hdcLike);

    HCURSOR m_hCursor = nullptr;
    BOOL m_bSharedImages = FALSE;
    bool m_bChecked = false;
    int m_nCheckKind = KIND_PUSH;
    bool m_bMouseOver = false;
    bool m_bLButtonDown = false;
    CToolTipCtrl m_toolTip;
    CBitmap m_bmpNormal;
    CBitmap m_bmpPressed;
    CBitmap m_bmpDisabled;
    CBitmap m_bmpMask;
    CBitmap m_bmpHover;
    short m_nFocusInset = 0;
    COLORREF m_crText;
    HRGN m_hRegion = nullptr;
    BOOL m_bDrawBorder = FALSE;
    short m_nDrawMode = DRAW_STRETCH;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    void DrawItem(DRAWITEMSTRUCT* pItem) override;

private:
    void DrawImage(HDC hdc, HBITMAP hBitmap, const RECT& rc, int nMode);
    void RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsUnderPoint(LPARAM lParamClient) const;
    void ToggleByUser();
    BOOL TrackLeave(bool bCancel);
    void DetachImages();
};
