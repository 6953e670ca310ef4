// CGdiObject<Handle>: a move-only owner of one GDI object, deleted with the owner.
// The typed owners (CBitmap, CFont, CPen, CBrush, CRgn) add their creation calls.
#pragma once

#include <windows.h>

namespace ui {

template <class Handle>
class CGdiObject {
public:
  CGdiObject() = default;
  ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  CGdiObject(CGdiObject&& other) noexcept : m_handle(other.Detach()) {}
  CGdiObject& operator=(CGdiObject&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
  }

  Handle GetSafeHandle() const { return m_handle; }
  operator Handle() const { return m_handle; }
  // Takes ownership of handle; the object owned before is deleted.
  void Attach(Handle handle) {
    DeleteObject();
    m_handle = handle;
  }
  // Gives up ownership, e.g. of a region handed to SetWindowRgn.
  Handle Detach() {
    Handle handle = m_handle;
    m_handle = nullptr;
    return handle;
  }
  // Deletes the object; false when there was none or the system refused.
  BOOL DeleteObject() {
    if (!m_handle) return FALSE;
    BOOL deleted = ::DeleteObject(m_handle);
    m_handle = nullptr;
    return deleted;
  }

protected:
  // Keeps a newly created object; false when creation failed.
  BOOL Own(Handle handle) {
    Attach(handle);
    return handle != nullptr;
  }

private:
  Handle m_handle = nullptr;
};

}  // namespace ui
