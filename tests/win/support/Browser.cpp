#include "support/Browser.h"

#include "support/Program.h"

#include <exdisp.h>

namespace testsupport {

ComPtr<IDispatch> AdvisedSink(IUnknown* pControl, ULONG* pConnections)
{
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    ComPtr<IDispatch> sink;
    *pConnections = 0;
    if (FAILED(ComPtr<IUnknown>(pControl).As(IID_IConnectionPointContainer, points)) ||
        FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())) ||
        FAILED(point->EnumConnections(connections.put())))
        return sink;
    CONNECTDATA data;
    // Wine's enumerator hands the sink out without a reference of its own
    // (Windows adds one), so it is not released here.
    while (connections->Next(1, &data, nullptr) == S_OK) {
        ++*pConnections;
        ComPtr<IUnknown>(data.pUnk).As(IID_IDispatch, sink);
    }
    return sink;
}

HRESULT Fire(IDispatch* pSink, DISPID dispid, std::vector<VARIANTARG> args)
{
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    return pSink->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

VARIANTARG Arg(VARTYPE vt)
{
    VARIANTARG v;
    ::VariantInit(&v);
    v.vt = vt;
    return v;
}

VARIANTARG BoolArg(VARIANT_BOOL b)
{
    VARIANTARG v = Arg(VT_BOOL);
    v.boolVal = b;
    return v;
}

VARIANTARG BoolRefArg(VARIANT_BOOL* p)
{
    VARIANTARG v = Arg(VT_BYREF | VT_BOOL);
    v.pboolVal = p;
    return v;
}

VARIANTARG DispatchArg(IDispatch* p)
{
    VARIANTARG v = Arg(VT_DISPATCH);
    v.pdispVal = p;
    return v;
}

bool WatcherEnded(CJoinWebDlg& page)
{
    const DWORD idle = CJoinWebDlg::s_dwWatchIdleMs;
    CJoinWebDlg::s_dwWatchIdleMs = 0;
    const bool ended = PumpUntil([&] { return page.m_pWatchThread.load() == nullptr; }, 2000);
    CJoinWebDlg::s_dwWatchIdleMs = idle;
    return ended;
}

} // namespace testsupport
