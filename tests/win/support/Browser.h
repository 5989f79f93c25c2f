// The hosted browser's events as a test fires them: through the control's own
// connection point, to the sink the page advised there (Wine fires neither
// FileDownload nor DocumentComplete itself).
#pragma once

#include "app/JoinWebDlg.h"
#include "framework/ComPtr.h"

#include <ocidl.h>

#include <vector>

namespace testsupport {

// The sink advised on the control, found the way the control itself finds
// it; *pConnections is how many there are.
ComPtr<IDispatch> AdvisedSink(IUnknown* pControl, ULONG* pConnections);
// Fires an event with its arguments given in the order the browser passes
// them (last first).
HRESULT Fire(IDispatch* pSink, DISPID dispid, std::vector<VARIANTARG> args);

VARIANTARG Arg(VARTYPE vt);
VARIANTARG BoolArg(VARIANT_BOOL b);
VARIANTARG BoolRefArg(VARIANT_BOOL* p);
VARIANTARG DispatchArg(IDispatch* p);

// Ends the page's watcher, if one runs, the way it ends when no download
// dialog comes (the page's own navigation starts one: its DownloadBegin);
// true once none runs.
bool WatcherEnded(CJoinWebDlg& page);

} // namespace testsupport
