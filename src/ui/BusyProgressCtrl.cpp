#include "ui/BusyProgressCtrl.h"

#include "framework/App.h"
#include "ui/ProgressGeometry.h"

#include <algorithm>

// What a thread is started with: the control, and the run it belongs to.
struct CBusyProgressCtrl::AnimationRun {
    CBusyProgressCtrl* pCtl;
    unsigned nRun;
};

CBusyProgressCtrl::OffscreenBuffer::OffscreenBuffer(HDC hdcLike, int cx, int cy)
    : m_memDC(hdcLike), m_bmpMem(::CreateCompatibleBitmap(hdcLike, cx, cy)), m_oldBitmap(m_memDC, m_bmpMem)
{
}

CBusyProgressCtrl::CBusyProgressCtrl(int nNumBlocks, int nPos)
    : m_nNumBlocks(nNumBlocks), m_nPos(nPos), m_nTotalSteps(progressbar::SaturatedProduct(5, nNumBlocks)),
      m_crBack(::GetSysColor(COLOR_BTNFACE))
{
}

CBusyProgressCtrl::~CBusyProgressCtrl()
{
    Stop();
    // A thread that Stop gave up on still holds this object: let it leave first.
    WaitForAnimationThreads();
    m_pBuffer.reset();
}

BOOL CBusyProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, void*)
{
    if (!CreateEx(0, "STATIC", "BusyProgressCtrl", dwStyle, rect, pParentWnd, nID))
        return FALSE;
    RecalcLayout();
    return TRUE;
}

void CBusyProgressCtrl::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    RecalcLayout();
}

// ---- settings

namespace {

// The window exists: an invalidation without one would repaint the whole desktop.
void Redraw(CWnd& wnd)
{
    if (wnd.m_hWnd)
        wnd.Invalidate();
}

} // namespace

void CBusyProgressCtrl::SetNumBlocks(int nCount)
{
    m_nNumBlocks = nCount;
    RecalcLayout();
    Redraw(*this);
}

void CBusyProgressCtrl::SetPos(int nPos)
{
    m_nPos = nPos;
    Redraw(*this);
}

void CBusyProgressCtrl::SetSpacing(int nPixels)
{
    m_nSpacing = nPixels;
    RecalcLayout();
    Redraw(*this);
}

void CBusyProgressCtrl::SetRange(int nLower, int nUpper)
{
    m_nLower = nLower;
    m_nUpper = nUpper;
}

void CBusyProgressCtrl::SetMode(int nMode)
{
    Stop();
    // Only the two known modes are taken; anything else would leave the bar
    // in a mode no later call could leave.
    if (nMode != MODE_BUSY && nMode != MODE_PROGRESS)
        return;
    m_nMode = nMode;
    if (nMode == MODE_PROGRESS)
        m_nDirection = 1;
}

void CBusyProgressCtrl::SetAnimType(int nType)
{
    m_nAnimType = nType;
    if (m_nMode != MODE_BUSY)
        return;
    if (nType == ANIM_WRAP_FORWARD)
        m_nDirection = 1;
    else if (nType == ANIM_WRAP_BACKWARD)
        m_nDirection = -1;
}

void CBusyProgressCtrl::SetBusyFill(int nFill)
{
    if (m_nMode != MODE_BUSY)
        return;
    m_nBusyFill = nFill;
    Reset();
    if (nFill == FILL_GROWING)
        m_nTotalSteps = progressbar::SaturatedProduct(m_nSubSteps, m_nNumBlocks);
}

void CBusyProgressCtrl::SetSubSteps(int nCount)
{
    m_nSubSteps = nCount;
    SetBusyFill(m_nBusyFill);
}

void CBusyProgressCtrl::SetColor(COLORREF& field, COLORREF cr)
{
    field = cr;
    Redraw(*this);
}

void CBusyProgressCtrl::UseSysBkColor(BOOL bUse)
{
    m_bSysBkColor = bUse != FALSE;
    if (m_bSysBkColor)
        m_crBack = ::GetSysColor(COLOR_BTNFACE);
    Redraw(*this);
}

void CBusyProgressCtrl::RecalcLayout()
{
    if (::IsRectEmpty(&m_rcClient) && m_hWnd)
        GetClientRect(&m_rcClient);
    m_dBlockWidth = progressbar::BlockWidth(m_rcClient.right - m_rcClient.left, m_nNumBlocks, m_nSpacing);
    m_dBlockHeight = m_rcClient.bottom - m_rcClient.top;
}

// ---- motion

namespace {

progressbar::BusySettings SettingsOf(const CBusyProgressCtrl& c)
{
    return progressbar::BusySettings{c.m_nMode, c.m_nAnimType, c.m_nBusyFill,
                                     c.m_nNumBlocks, c.m_nSubSteps, c.m_nTotalSteps};
}

} // namespace

void CBusyProgressCtrl::Reset()
{
    const progressbar::Motion m = progressbar::StartMotion(SettingsOf(*this));
    m_nPos = m.pos;
    m_nDirection = m.direction;
}

void CBusyProgressCtrl::Step()
{
    const progressbar::Motion m = progressbar::NextStep({m_nPos, m_nDirection}, SettingsOf(*this));
    m_nPos = m.pos;
    m_nDirection = m.direction;
    Redraw(*this);
}

void CBusyProgressCtrl::Start()
{
    if (m_nMode != MODE_BUSY)
        return;
    if (m_pThread || m_bRunning)
        Stop();
    // Marked running before the thread exists, so a Stop that comes before the
    // thread is first scheduled still ends it.
    auto run = std::make_unique<AnimationRun>(AnimationRun{this, ++m_nRun});
    m_wake.ResetEvent();
    m_bRunning = true;
    ++m_nLiveThreads;
    // Suspended until it is marked as ours to delete, so it cannot delete
    // itself first.
    m_pThread = AfxBeginThread(&AnimationThreadProc, run.get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!m_pThread) {
        m_bRunning = false;
        --m_nLiveThreads;
        return;
    }
    run.release();
    m_pThread->m_bAutoDelete = FALSE;
    m_pThread->ResumeThread();
}

void CBusyProgressCtrl::Stop()
{
    m_bRunning = false;
    m_wake.SetEvent();
    if (!m_pThread)
        return;
    const long long wait = std::clamp(2LL * m_nInterval, 0LL, static_cast<long long>(INFINITE - 1));
    m_pThread->Join(static_cast<DWORD>(wait));
    delete m_pThread;
    m_pThread = nullptr;
}

UINT CBusyProgressCtrl::AnimationThreadProc(LPVOID pParam)
{
    std::unique_ptr<AnimationRun> run(static_cast<AnimationRun*>(pParam));
    if (!run || !run->pCtl)
        return static_cast<UINT>(-1);
    CBusyProgressCtrl* pCtl = run->pCtl;
    pCtl->Animate(run->nRun);
    --pCtl->m_nLiveThreads; // the last touch of the control
    return 0;
}

void CBusyProgressCtrl::Animate(unsigned nRun)
{
    auto current = [&] { return m_bRunning && m_nRun == nRun; };
    // Stop sets the wake event after clearing m_bRunning, so the thread ends
    // at once rather than after a whole interval.
    while (current()) {
        Step();
        if (current())
            m_wake.Lock(static_cast<DWORD>(std::max(0, static_cast<int>(m_nInterval))));
    }
}

void CBusyProgressCtrl::WaitForAnimationThreads()
{
    while (m_nLiveThreads > 0)
        ::Sleep(1);
}

// ---- drawing

void CBusyProgressCtrl::DrawBackground(HDC hdc, const RECT& rect)
{
    GdiObject<HBRUSH> brush(::CreateSolidBrush(m_crBack));
    ::FillRect(hdc, &rect, brush);
}

void CBusyProgressCtrl::DrawBlock(HDC hdc, const RECT& rect)
{
    ::Rectangle(hdc, rect.left, rect.top, rect.right, rect.bottom);
}

void CBusyProgressCtrl::DrawHighlightBlock(HDC hdc, const RECT& rect)
{
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, m_crHighlightBorder));
    GdiObject<HBRUSH> brush(::CreateSolidBrush(m_crHighlight));
    SelectGuard selPen(hdc, pen);
    SelectGuard selBrush(hdc, brush);
    ::Rectangle(hdc, rect.left, rect.top, rect.right, rect.bottom);
}

void CBusyProgressCtrl::DrawPartialBlock(HDC hdc, const RECT& rect, int nWidth)
{
    const progressbar::PixelRect fill =
        progressbar::PartialFillRect({rect.left, rect.top, rect.right, rect.bottom}, nWidth);
    const RECT rc{fill.left, fill.top, fill.right, fill.bottom};
    GdiObject<HBRUSH> brush(::CreateSolidBrush(m_crHighlight));
    ::FillRect(hdc, &rc, brush);
}

void CBusyProgressCtrl::Draw(HDC hdc)
{
    DrawBackground(hdc, m_rcClient);

    const progressbar::BarState bar{m_rcClient.right - m_rcClient.left, m_nNumBlocks, m_nSpacing, m_dBlockWidth,
                                    m_dBlockHeight, m_nMode, m_nBusyFill, m_nPos, m_nLower, m_nUpper,
                                    m_nTotalSteps};
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 0, m_crBlockBorder));
    GdiObject<HBRUSH> brush(::CreateSolidBrush(m_crBlock));
    SelectGuard selPen(hdc, pen);
    SelectGuard selBrush(hdc, brush);
    for (const progressbar::BlockPlan& block : progressbar::PlanBlocks(bar)) {
        const RECT rc{block.rect.left, block.rect.top, block.rect.right, block.rect.bottom};
        if (block.highlighted) {
            DrawHighlightBlock(hdc, rc);
            continue;
        }
        DrawBlock(hdc, rc);
        if (block.partialWidth > 0)
            DrawPartialBlock(hdc, rc, block.partialWidth);
    }
}

void CBusyProgressCtrl::OnPaint()
{
    PaintDC dc(m_hWnd);
    const int cx = m_rcClient.right - m_rcClient.left;
    const int cy = m_rcClient.bottom - m_rcClient.top;
    if (cx <= 0 || cy <= 0)
        return;
    if (!m_pBuffer)
        m_pBuffer = std::make_unique<OffscreenBuffer>(dc, cx, cy);
    Draw(m_pBuffer->m_memDC);
    ::BitBlt(dc, 0, 0, cx, cy, m_pBuffer->m_memDC, 0, 0, SRCCOPY);
}

void CBusyProgressCtrl::OnSize()
{
    GetClientRect(&m_rcClient);
    // Rebuilt at the new size by the next painting; block sizes wait for RecalcLayout.
    m_pBuffer.reset();
}

LRESULT CBusyProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int n = static_cast<int>(wParam);
    switch (message) {
    case BPM_SETNUMBLOCKS: SetNumBlocks(n); return 0;
    case BPM_SETPOS: SetPos(n); return 0;
    case BPM_SETSPACING: SetSpacing(n); return 0;
    case BPM_SETINTERVAL: SetInterval(n); return 0;
    case BPM_SETRANGE: SetRange(n, static_cast<int>(lParam)); return 0;
    case BPM_SETMODE: SetMode(n); return 0;
    case BPM_START: Start(); return 0;
    case BPM_STOP: Stop(); return 0;
    case BPM_STEP: Step(); return 0;
    case BPM_SETANIMTYPE: SetAnimType(n); return 0;
    case BPM_SETBUSYFILL: SetBusyFill(n); return 0;
    case BPM_SETSUBSTEPS: SetSubSteps(n); return 0;
    case BPM_SETBKCOLOR: SetBkColor(static_cast<COLORREF>(wParam)); return 0;
    case BPM_SETBLOCKCOLOR: SetBlockColor(static_cast<COLORREF>(wParam)); return 0;
    case BPM_SETBLOCKBORDERCOLOR: SetBlockBorderColor(static_cast<COLORREF>(wParam)); return 0;
    case BPM_SETHIGHLIGHTCOLOR: SetHighlightColor(static_cast<COLORREF>(wParam)); return 0;
    case BPM_SETHIGHLIGHTBORDERCOLOR: SetHighlightBorderColor(static_cast<COLORREF>(wParam)); return 0;
    case BPM_RECALCLAYOUT: RecalcLayout(); return 0;
    case BPM_RESET: Reset(); return 0;
    case BPM_USESYSBKCOLOR: UseSysBkColor(n != 0); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 0; // the painting covers every pixel
    case WM_SIZE: {
        const LRESULT result = Default();
        OnSize();
        return result;
    }
    case WM_SYSCOLORCHANGE: {
        const LRESULT result = Default();
        if (m_bSysBkColor) {
            m_crBack = ::GetSysColor(COLOR_BTNFACE);
            Redraw(*this);
        }
        return result;
    }
    default:
        return CStatic::WindowProc(message, wParam, lParam);
    }
}
