// An owning interface pointer: holds one reference and releases it when it is
// reset, reassigned or destroyed, so an early return leaks nothing. For the
// instrument's and the hosts' own code; the published interfaces keep taking
// and handing out plain pointers.
#pragma once
#include "platform/com/Unknown.h"
#include <cstddef>
#include <type_traits>
#include <utility>

template <class T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a reference of its own to p (null is fine).
    explicit ComPtr(T* p) noexcept : m_p(p) { AddRefHeld(); }
    ComPtr(const ComPtr& other) noexcept : m_p(other.m_p) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : m_p(other.Detach()) {}
    // From a pointer to a derived class or interface.
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) noexcept : m_p(other.Get()) {
        AddRefHeld();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(ComPtr<U>&& other) noexcept : m_p(other.Detach()) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) noexcept { return *this = other.m_p; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Attach(other.Detach());
        return *this;
    }
    // Takes a reference to p before dropping the one held, so p may be what is held.
    ComPtr& operator=(T* p) noexcept {
        if (p != nullptr) p->AddRef();
        Attach(p);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept {
        Reset();
        return *this;
    }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Takes over the caller's reference to p; the one held is released.
    void Attach(T* p) noexcept {
        T* pOld = m_p;
        m_p = p;
        if (pOld != nullptr) pOld->Release();
    }
    // Hands the reference held to the caller and holds nothing.
    T* Detach() noexcept { return std::exchange(m_p, nullptr); }
    void Reset() noexcept { Attach(nullptr); }
    // Releases what is held and gives the slot to an operation that fills it
    // with a new reference (an out parameter).
    T** ReleaseAndGetAddressOf() noexcept {
        Reset();
        return &m_p;
    }
    // A new reference for the caller in *pp (E_POINTER for a null pp).
    HRESULT CopyTo(T** pp) const noexcept {
        if (pp == nullptr) return E_POINTER;
        AddRefHeld();
        *pp = m_p;
        return S_OK;
    }
    void Swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

private:
    void AddRefHeld() const noexcept {
        if (m_p != nullptr) m_p->AddRef();
    }

    T* m_p = nullptr;
};

template <class T, class U> bool operator==(const ComPtr<T>& a, const ComPtr<U>& b) noexcept {
    return a.Get() == b.Get();
}
template <class T> bool operator==(const ComPtr<T>& a, std::nullptr_t) noexcept {
    return a.Get() == nullptr;
}

// The interface riid of p, with a reference of its own; empty when p is null
// or does not have it.
template <class I, class T> ComPtr<I> Query(T* p, REFIID riid) {
    ComPtr<I> result;
    void* pv = nullptr;
    if (p != nullptr && SUCCEEDED(p->QueryInterface(riid, &pv))) result.Attach(static_cast<I*>(pv));
    return result;
}
template <class I, class T> ComPtr<I> Query(const ComPtr<T>& p, REFIID riid) {
    return Query<I>(p.Get(), riid);
}
