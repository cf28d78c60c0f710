// An owning handle for the library-wide state. It has no destructor on
// purpose: a static object with a destructor is destroyed by the C++ runtime
// at process exit before the module's unload step runs (exit() runs the
// registered destructors first, the shared object's unload function later),
// so an object released there would be used and released again at unload.
// The object behind this handle is released only by reset(), which the
// session calls when it closes; at load the handle is null without any code
// running (constant initialisation).
#pragma once

#include <memory>
#include <type_traits>

namespace vd {

template <typename T>
class CStateHandle {
  public:
    constexpr CStateHandle() noexcept = default;
    CStateHandle(const CStateHandle&) = delete;
    CStateHandle& operator=(const CStateHandle&) = delete;

    // Takes ownership of pObject; an object held before is released first.
    CStateHandle& operator=(std::unique_ptr<T> pObject) noexcept {
        reset();
        m_pObject = pObject.release();
        return *this;
    }
    // Releases the object (if any) and leaves the handle null.
    void reset() noexcept {
        T* pObject = m_pObject;
        m_pObject = nullptr;
        delete pObject;
    }

    T* get() const noexcept { return m_pObject; }
    T& operator*() const noexcept { return *m_pObject; }
    T* operator->() const noexcept { return m_pObject; }
    explicit operator bool() const noexcept { return m_pObject != nullptr; }

  private:
    T* m_pObject = nullptr;
};

static_assert(std::is_trivially_destructible_v<CStateHandle<int>>);

}  // namespace vd
