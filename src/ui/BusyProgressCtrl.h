// CBusyProgressCtrl: a self-drawn bar of equal blocks. In progress mode a
// position within a range fills the blocks from the left; in busy mode a
// thread of its own moves a highlight along them (bouncing or wrapping) or
// grows a fill, for waits of unknown length. It paints the window it is
// attached to by itself; other threads may write m_nPos and invalidate it.
#pragma once

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "framework/Sync.h"
#include "framework/Thread.h"

#include <atomic>
#include <memory>

// Messages of the control, relative to WM_USER; each handler returns 0. The
// first nine share their numbers with the standard progress bar's messages
// but not their meanings.
enum BusyProgressMessage {
    BPM_SETNUMBLOCKS = WM_USER + 1,
    BPM_SETPOS,
    BPM_SETSPACING,
    BPM_SETINTERVAL,
    BPM_SETRANGE,
    BPM_SETMODE,
    BPM_START,
    BPM_STOP,
    BPM_STEP,
    BPM_SETANIMTYPE,
    BPM_SETBUSYFILL,
    BPM_SETSUBSTEPS,
    BPM_SETBKCOLOR,
    BPM_SETBLOCKCOLOR,
    BPM_SETBLOCKBORDERCOLOR,
    BPM_SETHIGHLIGHTCOLOR,
    BPM_SETHIGHLIGHTBORDERCOLOR,
    BPM_RECALCLAYOUT,
    BPM_RESET,
    BPM_USESYSBKCOLOR,
};

class CBusyProgressCtrl : public CStatic {
public:
    enum Mode { MODE_BUSY = 1, MODE_PROGRESS = 2 };
    enum AnimType { ANIM_BOUNCE = 1, ANIM_WRAP_FORWARD = 2, ANIM_WRAP_BACKWARD = 4 };
    enum BusyFill { FILL_ONE_BLOCK = 1, FILL_GROWING = 2 };

    CBusyProgressCtrl(int nNumBlocks, int nPos);
    ~CBusyProgressCtrl() override;

    // A "STATIC" window with the text "BusyProgressCtrl"; the context is unused.
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
    virtual void DrawBackground(HDC hdc, const RECT& rect);
    // Outline and fill with the pen and brush selected in hdc.
    virtual void DrawBlock(HDC hdc, const RECT& rect);
    virtual void DrawHighlightBlock(HDC hdc, const RECT& rect);
    virtual void DrawPartialBlock(HDC hdc, const RECT& rect, int nWidth);

    void SetNumBlocks(int nCount);
    void SetPos(int nPos);
    void SetSpacing(int nPixels);
    void SetInterval(int nMilliseconds) { m_nInterval = nMilliseconds; }
    void SetRange(int nLower, int nUpper);
    void SetMode(int nMode);
    void Start();
    void Stop();
    void Step();
    void SetAnimType(int nType);
    void SetBusyFill(int nFill);
    void SetSubSteps(int nCount);
    void SetBkColor(COLORREF cr) { SetColor(m_crBack, cr); }
    void SetBlockColor(COLORREF cr) { SetColor(m_crBlock, cr); }
    void SetBlockBorderColor(COLORREF cr) { SetColor(m_crBlockBorder, cr); }
    void SetHighlightColor(COLORREF cr) { SetColor(m_crHighlight, cr); }
    void SetHighlightBorderColor(COLORREF cr) { SetColor(m_crHighlightBorder, cr); }
    void RecalcLayout();
    void Reset();
    void UseSysBkColor(BOOL bUse);

    // Background and blocks as one painting composes them, at m_rcClient in hdc.
    void Draw(HDC hdc);

    // The off-screen buffer every painting composes into; built at the first
    // painting and dropped on every size change.
    struct OffscreenBuffer {
        OffscreenBuffer(HDC hdcLike, int cx, int cy);
        MemoryDC m_memDC;
        GdiObject<HBITMAP> m_bmpMem;
        SelectGuard m_oldBitmap; // declared last: restores the selection first
    };

    // Fields the animation thread reads or writes are atomic; the rest belong
    // to the user-interface thread.
    std::atomic<int> m_nNumBlocks;
    std::atomic<int> m_nDirection{1};
    std::atomic<int> m_nPos;
    RECT m_rcClient{};
    int m_nSpacing = 1;
    double m_dBlockHeight = 0;
    double m_dBlockWidth = 0;
    CWinThread* m_pThread = nullptr;
    std::atomic<bool> m_bRunning{false};
    std::atomic<int> m_nInterval{100};
    std::atomic<int> m_nMode{MODE_BUSY};
    int m_nLower = 0;
    int m_nUpper = 100;
    bool m_bSysBkColor = true;
    std::atomic<int> m_nAnimType{ANIM_BOUNCE};
    std::atomic<int> m_nBusyFill{FILL_ONE_BLOCK};
    std::atomic<int> m_nSubSteps{5};
    std::atomic<int> m_nTotalSteps;
    COLORREF m_crBack;
    COLORREF m_crBlock = RGB(160, 190, 220);
    COLORREF m_crBlockBorder = RGB(50, 90, 135);
    COLORREF m_crHighlight = RGB(190, 220, 255);
    COLORREF m_crHighlightBorder = RGB(50, 90, 135);
    std::unique_ptr<OffscreenBuffer> m_pBuffer;

    // The animation thread's function; the argument is the thread's run ticket.
    static UINT AnimationThreadProc(LPVOID pParam);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;

private:
    struct AnimationRun;
    void Animate(unsigned nRun);
    void SetColor(COLORREF& field, COLORREF cr);
    void OnPaint();
    void OnSize();
    void WaitForAnimationThreads();

    // Each Start numbers its run; a thread whose run is no longer current ends
    // without stepping, so two threads never animate together even when Stop
    // gave up waiting for the older one.
    std::atomic<unsigned> m_nRun{0};
    std::atomic<int> m_nLiveThreads{0};
    CEvent m_wake{FALSE, TRUE};
};
