// CWebBrowser2: a child window hosting the WebBrowser ActiveX control. The
// window is ours; the control lives in place-active inside it and follows its
// size, and is closed when the window goes.
#pragma once

#include "framework/ComPtr.h"
#include "framework/Wnd.h"

#include <exdisp.h>

// Receives the browser's DWebBrowserEvents2 by dispatch id, with the
// arguments as the browser passes them (the last argument first).
class CBrowserEvents {
public:
    virtual HRESULT OnBrowserEvent(DISPID dispid, DISPPARAMS* pParams) = 0;

protected:
    ~CBrowserEvents() = default;
};

class CBrowserSite;
class CBrowserEventSink;

class CWebBrowser2 : public CWnd {
public:
    CWebBrowser2();
    ~CWebBrowser2() override;

    // The window and the control in it. pEvents hears the browser from before
    // the first navigation on, until the window is destroyed.
    BOOL Create(LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                CBrowserEvents* pEvents = nullptr);
    // Null arguments stand for "not given".
    void Navigate(LPCTSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData, VARIANT* Headers);
    // The control itself; null when it could not be created.
    IUnknown* GetControlUnknown() const { return m_pObject.get(); }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL CreateControl(CBrowserEvents* pEvents);
    void DestroyControl();

    ComPtr<IOleObject> m_pObject;
    ComPtr<IOleInPlaceObject> m_pInPlace;
    ComPtr<IWebBrowser2> m_pBrowser;
    ComPtr<CBrowserEventSink> m_pSink;
    ComPtr<IConnectionPoint> m_pEventPoint;
    DWORD m_dwEventCookie = 0;
};
