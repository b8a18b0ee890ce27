// The reference count of a small COM object that is deleted with its last
// reference. TBases are the interfaces it implements (or base classes that
// implement them, whose constructors it passes on); the derived class supplies
// QueryInterface. The count starts at 1, the creator's reference, and is
// atomic: any thread may add or drop a reference.
#pragma once
#include "platform/com/ComPtr.h"
#include <atomic>
#include <type_traits>
#include <utility>

template <class... TBases> class CRefCounted : public TBases... {
public:
    using RefCountedBase = CRefCounted;
    using TBases::TBases...;
    CRefCounted() = default;

    ULONG AddRef() override { return ++m_cRef; }
    ULONG Release() override {
        const ULONG n = --m_cRef;
        if (n == 0) delete this;
        return n;
    }

protected:
    virtual ~CRefCounted() = default;

private:
    std::atomic<ULONG> m_cRef{1};
};

// A new T (a CRefCounted object), owned by the pointer returned.
template <class T, class... TArgs> ComPtr<T> MakeCom(TArgs&&... args) {
    static_assert(std::is_base_of_v<typename T::RefCountedBase, T>,
                  "the creator's reference is the count's first");
    ComPtr<T> p;
    p.Attach(new T(std::forward<TArgs>(args)...));
    return p;
}
