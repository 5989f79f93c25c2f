#include "app/WebBrowser2.h"

#include "framework/App.h"
#include "framework/Ole.h"

#include <ocidl.h>

namespace {

const char kHostClass[] = "CWebBrowser2";

// The top-level window a child sits in, found by walking up the child chain
// (GetAncestor is newer than Windows 95 and NT 4.0).
HWND TopLevelWindow(HWND hWnd)
{
    while (hWnd && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
        const HWND parent = ::GetParent(hWnd);
        if (!parent)
            break;
        hWnd = parent;
    }
    return hWnd;
}

// Reference counting of the two small COM objects below. They start unowned:
// the first ComPtr takes the first reference. Used on the UI thread only.
class RefCount {
protected:
    ULONG AddRefImpl() { return ++m_cRef; }
    template <class T>
    ULONG ReleaseImpl(T* self)
    {
        const ULONG n = --m_cRef;
        if (n == 0)
            delete self;
        return n;
    }

private:
    ULONG m_cRef = 0;
};

} // namespace

// What the control knows of its container: the window it lives in. The
// in-place frame is needed by real Windows even though it offers nothing.
class CBrowserSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, RefCount {
public:
    explicit CBrowserSite(HWND hWnd) : m_hWnd(hWnd) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(this); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override
    {
        *ppmk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override
    {
        *ppContainer = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, for both the site and the frame
    STDMETHODIMP GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hWnd;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override
    {
        *ppFrame = this;
        AddRef();
        *ppDoc = nullptr;
        ::GetClientRect(m_hWnd, lprcPosRect);
        *lprcClipRect = *lprcPosRect;
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = TopLevelWindow(m_hWnd);
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no toolbars, menus or status line
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND m_hWnd;
};

// The DWebBrowserEvents2 sink advised on the control. It outlives its
// receiver when the control still holds it, so the receiver is cut off
// before the window goes.
class CBrowserEventSink final : public IDispatch, RefCount {
public:
    explicit CBrowserEventSink(CBrowserEvents* pEvents) : m_pEvents(pEvents) {}
    void Disconnect() { m_pEvents = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID_DWebBrowserEvents2) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(this); }

    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        if (pctinfo)
            *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return m_pEvents ? m_pEvents->OnBrowserEvent(dispid, pParams) : S_OK;
    }

private:
    CBrowserEvents* m_pEvents;
};

CWebBrowser2::CWebBrowser2() = default;

CWebBrowser2::~CWebBrowser2()
{
    // Here, while WindowProc is still ours and can close the control.
    DestroyWindow();
}

BOOL CWebBrowser2::Create(LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                          CBrowserEvents* pEvents)
{
    if (m_hWnd || !pParentWnd || !pParentWnd->m_hWnd)
        return FALSE;
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kHostClass;
        return ::RegisterClassA(&wc) != 0;
    }();
    if (!registered)
        return FALSE;
    if (!CreateEx(0, kHostClass, lpszWindowName, dwStyle | WS_CHILD | WS_CLIPCHILDREN, rect, pParentWnd, nID))
        return FALSE;
    if (!CreateControl(pEvents)) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

BOOL CWebBrowser2::CreateControl(CBrowserEvents* pEvents)
{
    if (FAILED(Ole32().CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                        m_pObject.put_void())))
        return FALSE;
    ComPtr<CBrowserSite> site(new CBrowserSite(m_hWnd));
    if (FAILED(m_pObject->SetClientSite(site.get())))
        return FALSE;
    RECT rc;
    GetClientRect(&rc);
    if (FAILED(m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, m_hWnd, &rc)))
        return FALSE;
    m_pObject.As(IID_IOleInPlaceObject, m_pInPlace);
    if (FAILED(m_pObject.As(IID_IWebBrowser2, m_pBrowser)))
        return FALSE;

    // Before any navigation: the first events arrive inside Navigate itself.
    ComPtr<IConnectionPointContainer> points;
    if (pEvents && SUCCEEDED(m_pObject.As(IID_IConnectionPointContainer, points)) &&
        SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, m_pEventPoint.put()))) {
        m_pSink = ComPtr<CBrowserEventSink>(new CBrowserEventSink(pEvents));
        if (FAILED(m_pEventPoint->Advise(m_pSink.get(), &m_dwEventCookie))) {
            m_pEventPoint.reset();
            m_pSink.reset();
        }
    }
    return TRUE;
}

void CWebBrowser2::DestroyControl()
{
    if (m_pSink)
        m_pSink->Disconnect();
    if (m_pEventPoint)
        m_pEventPoint->Unadvise(m_dwEventCookie);
    m_pEventPoint.reset();
    m_pSink.reset();
    if (m_pInPlace)
        m_pInPlace->InPlaceDeactivate();
    m_pInPlace.reset();
    m_pBrowser.reset();
    if (m_pObject) {
        m_pObject->Close(OLECLOSE_NOSAVE);
        m_pObject->SetClientSite(nullptr);
    }
    m_pObject.reset();
}

void CWebBrowser2::Navigate(LPCTSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                            VARIANT* Headers)
{
    if (!m_pBrowser)
        return;
    VARIANT none{}; // VT_EMPTY
    CComBSTR url(URL ? URL : "");
    m_pBrowser->Navigate(url, Flags ? Flags : &none, TargetFrameName ? TargetFrameName : &none,
                         PostData ? PostData : &none, Headers ? Headers : &none);
}

BOOL CWebBrowser2::PreTranslateMessage(MSG* pMsg)
{
    // Keys go to the page before the dialog manager sees them, so Tab, Enter
    // and the editing keys work in its forms.
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_pObject)
        return FALSE;
    ComPtr<IOleInPlaceActiveObject> active;
    return SUCCEEDED(m_pObject.As(IID_IOleInPlaceActiveObject, active)) && active->TranslateAccelerator(pMsg) == S_OK;
}

LRESULT CWebBrowser2::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (m_pInPlace) {
            RECT rc{0, 0, LOWORD(lParam), HIWORD(lParam)};
            m_pInPlace->SetObjectRects(&rc, &rc);
        }
        break;
    case WM_DESTROY:
        DestroyControl();
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
