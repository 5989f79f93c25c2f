// Owners for COM interface pointers and BSTRs, so an early return in a chain
// of QueryInterface calls releases everything taken so far.
#pragma once

#include "framework/Ole.h"

#include <cstddef>
#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own.
    explicit ComPtr(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void reset()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // The address for an out parameter; whatever was held is released first.
    T** put()
    {
        reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* detach() { return std::exchange(m_p, nullptr); }

    // QueryInterface into another owner; the owner stays empty on failure.
    template <class U>
    HRESULT As(REFIID riid, ComPtr<U>& out) const
    {
        out.reset();
        return m_p ? m_p->QueryInterface(riid, out.put_void()) : E_POINTER;
    }

private:
    T* m_p = nullptr;
};

// A BSTR freed with its owner.
class CComBSTR {
public:
    explicit CComBSTR(const wchar_t* psz) : m_bstr(OleAut32().SysAllocString(psz)) {}
    // From a string in the ANSI code page.
    explicit CComBSTR(const char* psz)
    {
        const int n = ::MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
        if (n > 0 && (m_bstr = OleAut32().SysAllocStringLen(nullptr, static_cast<UINT>(n - 1))) != nullptr)
            ::MultiByteToWideChar(CP_ACP, 0, psz, -1, m_bstr, n);
    }
    CComBSTR(const CComBSTR&) = delete;
    CComBSTR& operator=(const CComBSTR&) = delete;
    ~CComBSTR() { OleAut32().SysFreeString(m_bstr); }
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr = nullptr;
};
