#include "framework/Ole.h"

#include "framework/SystemLibrary.h"

Ole32Api ResolveOle32(HMODULE h)
{
    Ole32Api api;
    ResolveFunction<E_NOTIMPL>(h, "OleInitialize", api.OleInitialize);
    ResolveFunction<E_NOTIMPL>(h, "CoCreateInstance", api.CoCreateInstance);
    ResolveFunction<E_NOTIMPL>(h, "CreateStreamOnHGlobal", api.CreateStreamOnHGlobal);
    return api;
}

OleAut32Api ResolveOleAut32(HMODULE h)
{
    OleAut32Api api;
    ResolveFunction(h, "SysAllocString", api.SysAllocString);
    ResolveFunction(h, "SysAllocStringLen", api.SysAllocStringLen);
    ResolveFunction(h, "SysFreeString", api.SysFreeString);
    ResolveFunction<E_NOTIMPL>(h, "OleLoadPicture", api.OleLoadPicture);
    return api;
}

// Each loaded once for the whole process and never released.
const Ole32Api& Ole32()
{
    static const Ole32Api api = ResolveOle32(LoadSystemLibrary("ole32.dll"));
    return api;
}

const OleAut32Api& OleAut32()
{
    static const OleAut32Api api = ResolveOleAut32(LoadSystemLibrary("oleaut32.dll"));
    return api;
}
