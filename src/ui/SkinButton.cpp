#include "ui/SkinButton.h"

#include <algorithm>
#include <vector>

CSkinButton::CSkinButton() : m_crText(::GetSysColor(COLOR_BTNTEXT)) {}

CSkinButton::~CSkinButton()
{
    if (m_bSharedImages)
        DetachImages();
}

void CSkinButton::DetachImages()
{
    m_bmpNormal.Detach();
    m_bmpPressed.Detach();
    m_bmpDisabled.Detach();
    m_bmpMask.Detach();
    m_bmpHover.Detach();
}

void CSkinButton::SetImages(CBitmap* pNormal, CBitmap* pPressed, CBitmap* pHover, CBitmap* pMask, short nDrawMode,
                            short bDrawBorder, short nFocusInset)
{
    m_bSharedImages = TRUE;
    DetachImages();
    auto handle = [](CBitmap* p) { return p ? p->GetSafeHandle() : nullptr; };
    m_bmpNormal.Attach(handle(pNormal));
    m_bmpDisabled.Attach(handle(pNormal));
    m_bmpPressed.Attach(handle(pPressed));
    m_bmpHover.Attach(handle(pHover));

    m_nDrawMode = static_cast<short>(std::clamp<int>(nDrawMode, DRAW_UNSCALED, DRAW_TILE));
    m_bDrawBorder = bDrawBorder;
    m_nFocusInset = nFocusInset < 0 ? 0 : nFocusInset;

    if (pMask) {
        m_bmpMask.Attach(handle(pMask));
        ClientDC dc(m_hWnd);
        if (HRGN hRgn = RegionFromBitmap(m_bmpMask, RGB(255, 255, 255), dc)) {
            m_hRegion = hRgn;
            SetWindowRgn(hRgn, TRUE); // the window owns it from now on
        }
        BITMAP bm{};
        if (m_nDrawMode == DRAW_UNSCALED && m_bmpMask.GetBitmap(&bm))
            SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER);
    }
    Invalidate(TRUE);
}

void CSkinButton::PreSubclassWindow()
{
    switch (GetStyle() & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        m_nCheckKind = KIND_CHECKBOX;
        break;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        m_nCheckKind = KIND_RADIO;
        break;
    default: // push buttons, and a group box or an owner-drawn button never checks
        m_nCheckKind = KIND_PUSH;
        break;
    }
    ModifyStyle(0, BS_OWNERDRAW);
}

HRGN CSkinButton::RegionFromBitmap(HBITMAP hBitmap, COLORREF crTransparent, HDC hdcLike)
{
    if (!hBitmap)
        return nullptr;
    BITMAP bm{};
    if (!::GetObjectA(hBitmap, sizeof(bm), &bm))
        return nullptr;
    MemoryDC dc(hdcLike);
    SelectGuard sel(dc, hBitmap);

    std::vector<RECT> runs;
    runs.reserve(40);
    for (int y = bm.bmHeight - 1; y >= 0; --y) {
        for (int x = 0; x < bm.bmWidth;) {
            if (::GetPixel(dc, x, y) == crTransparent) {
                ++x;
                continue;
            }
            const int left = x;
            while (x < bm.bmWidth && ::GetPixel(dc, x, y) != crTransparent)
                ++x;
            runs.push_back(RECT{left, y, x, y + 1});
        }
    }

    HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : runs) {
        GdiObject<HRGN> piece(::CreateRectRgnIndirect(&r));
        ::CombineRgn(hRgn, hRgn, piece, RGN_OR);
    }
    return hRgn;
}

void CSkinButton::RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_toolTip.m_hWnd || !::IsWindow(m_toolTip.m_hWnd))
        return;
    MSG msg{m_hWnd, message, wParam, lParam, 0,
            POINT{static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))}};
    m_toolTip.RelayEvent(&msg);
}

bool CSkinButton::IsUnderPoint(LPARAM lParamClient) const
{
    POINT pt{static_cast<short>(LOWORD(lParamClient)), static_cast<short>(HIWORD(lParamClient))};
    ::ClientToScreen(m_hWnd, &pt);
    return ::WindowFromPoint(pt) == m_hWnd;
}

void CSkinButton::ToggleByUser()
{
    if (m_nCheckKind == KIND_CHECKBOX)
        SendMessage(BM_SETCHECK, !m_bChecked);
    else if (m_nCheckKind == KIND_RADIO)
        SendMessage(BM_SETCHECK, 1);
}

BOOL CSkinButton::TrackLeave(bool bCancel)
{
    TRACKMOUSEEVENT tme{sizeof(tme), static_cast<DWORD>(TME_LEAVE | (bCancel ? TME_CANCEL : 0)), m_hWnd, 0};
    return ::TrackMouseEvent(&tme);
}

LRESULT CSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_LBUTTONDOWN: {
        RelayToToolTip(message, wParam, lParam);
        if (m_bMouseOver && TrackLeave(true))
            m_bMouseOver = false;
        const LRESULT r = Default();
        m_bLButtonDown = true;
        return r;
    }
    case WM_LBUTTONUP:
        if (m_nCheckKind != KIND_PUSH && IsUnderPoint(lParam))
            ToggleByUser();
        RelayToToolTip(message, wParam, lParam);
        m_bLButtonDown = false;
        return Default();
    case WM_LBUTTONDBLCLK:
        SendMessage(WM_LBUTTONDOWN, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        RelayToToolTip(message, wParam, lParam);
        if (m_bLButtonDown && ::GetCapture() == m_hWnd) {
            const bool bOver = IsUnderPoint(lParam);
            if (((GetState() & BST_PUSHED) != 0) != bOver) {
                SendMessage(BM_SETSTATE, bOver);
                Invalidate();
            }
        } else if (!m_bMouseOver && TrackLeave(false)) {
            m_bMouseOver = true;
            Invalidate();
        }
        return Default();
    case WM_MOUSELEAVE:
        m_bMouseOver = false;
        Invalidate();
        return 0;
    case WM_KILLFOCUS:
        if (::GetCapture() == m_hWnd) {
            ::ReleaseCapture();
            m_bLButtonDown = false;
        }
        return Default();
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && m_nCheckKind != KIND_PUSH)
            ToggleByUser();
        return Default();
    case WM_SETCURSOR:
        if (m_hCursor) {
            ::SetCursor(m_hCursor);
            return TRUE;
        }
        return FALSE;
    case BM_SETCHECK:
        m_bChecked = wParam != 0 && m_nCheckKind != KIND_PUSH;
        Invalidate();
        return 0;
    case BM_GETCHECK:
        return m_bChecked;
    case SBM_CLEARCHECK:
        if (m_bChecked) {
            m_bChecked = false;
            Invalidate();
        }
        return 0;
    default:
        return CButton::WindowProc(message, wParam, lParam);
    }
}

void CSkinButton::DrawImage(HDC hdc, HBITMAP hBitmap, const RECT& rc, int nMode)
{
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    BITMAP bm{};
    if (nMode == DRAW_TILE) {
        if (!hBitmap || !::GetObjectA(hBitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
            return;
        MemoryDC src(hdc);
        SelectGuard sel(src, hBitmap);
        for (int y = rc.top; y < rc.bottom; y += bm.bmHeight)
            for (int x = rc.left; x < rc.right; x += bm.bmWidth)
                ::BitBlt(hdc, x, y, std::min<int>(bm.bmWidth, rc.right - x), std::min<int>(bm.bmHeight, rc.bottom - y),
                         src, 0, 0, SRCCOPY);
        return;
    }
    if (!hBitmap)
        return;
    ::GetObjectA(hBitmap, sizeof(bm), &bm);
    MemoryDC src(hdc);
    SelectGuard selSrc(src, hBitmap);

    auto copy = [&](HDC target, int x, int y, HDC from, DWORD rop) {
        if (nMode == DRAW_UNSCALED)
            ::BitBlt(target, x, y, cx, cy, from, 0, 0, rop);
        else
            ::StretchBlt(target, x, y, cx, cy, from, 0, 0, bm.bmWidth, bm.bmHeight, rop);
    };

    if (!m_bmpMask.GetSafeHandle()) {
        copy(hdc, rc.left, rc.top, src, SRCCOPY);
        return;
    }
    // Image XOR, mask AND, image XOR over the old background: white mask
    // pixels keep the background, black ones show the image.
    MemoryDC scratch(hdc);
    GdiObject<HBITMAP> scratchBmp(::CreateCompatibleBitmap(hdc, cx, cy));
    SelectGuard selScratch(scratch, scratchBmp);
    ::BitBlt(scratch, 0, 0, cx, cy, hdc, rc.left, rc.top, SRCCOPY);
    MemoryDC mask(hdc);
    SelectGuard selMask(mask, m_bmpMask);
    copy(scratch, 0, 0, src, SRCINVERT);
    copy(scratch, 0, 0, mask, SRCAND);
    copy(scratch, 0, 0, src, SRCINVERT);
    ::BitBlt(hdc, rc.left, rc.top, cx, cy, scratch, 0, 0, SRCCOPY);
}

void CSkinButton::DrawItem(DRAWITEMSTRUCT* pItem)
{
    HDC hdc = pItem->hDC;
    RECT rcItem = pItem->rcItem;

    POINT cursor;
    if (m_bLButtonDown && ::GetCapture() == m_hWnd && ::GetCursorPos(&cursor)) {
        const bool bOver = ::WindowFromPoint(cursor) == m_hWnd;
        const bool bPushed = (GetState() & BST_PUSHED) != 0;
        if (bOver != bPushed) {
            SendMessage(BM_SETSTATE, bOver); // redraws in the corrected state
            return;
        }
    }

    RECT rcText = rcItem;
    rcText.left += m_nFocusInset + 2;
    rcText.right -= m_nFocusInset + 2;
    CString text;
    GetWindowText(text);
    ::SetBkMode(hdc, TRANSPARENT);
    const UINT textFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    auto fillFace = [&] { ::FillRect(hdc, &rcItem, ::GetSysColorBrush(COLOR_BTNFACE)); };

    if (pItem->itemState & ODS_DISABLED) {
        if (m_bmpDisabled.GetSafeHandle())
            DrawImage(hdc, m_bmpDisabled, rcItem, m_nDrawMode);
        else
            fillFace();
        if (m_bDrawBorder)
            ::DrawEdge(hdc, &rcItem, EDGE_RAISED, BF_RECT);
        ::SetTextColor(hdc, ::GetSysColor(COLOR_3DHILIGHT));
        ::DrawTextA(hdc, text, -1, &rcText, textFormat);
        ::OffsetRect(&rcText, -1, -1);
        ::SetTextColor(hdc, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextA(hdc, text, -1, &rcText, textFormat);
        return;
    }

    if ((pItem->itemState & ODS_SELECTED) || m_bChecked) {
        if (m_bmpPressed.GetSafeHandle())
            DrawImage(hdc, m_bmpPressed, rcItem, m_nDrawMode);
        else
            fillFace();
        ::OffsetRect(&rcText, 1, 1);
        if (m_bDrawBorder)
            ::DrawEdge(hdc, &rcItem, EDGE_SUNKEN, BF_RECT);
    } else {
        if (!m_bmpNormal.GetSafeHandle())
            fillFace();
        else
            DrawImage(hdc, m_bMouseOver && m_bmpHover.GetSafeHandle() ? m_bmpHover : m_bmpNormal, rcItem,
                      m_nDrawMode);
        if (m_bDrawBorder)
            ::DrawEdge(hdc, &rcItem, EDGE_RAISED, BF_RECT);
    }

    if ((pItem->itemState & ODS_FOCUS) && m_nFocusInset > 0) {
        RECT rcFocus = rcItem;
        ::InflateRect(&rcFocus, -m_nFocusInset, -m_nFocusInset);
        ::DrawFocusRect(hdc, &rcFocus);
    }
    ::SetTextColor(hdc, m_crText);
    ::DrawTextA(hdc, text, -1, &rcText, textFormat);
}
