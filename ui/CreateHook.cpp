#include "ui/CreateHook.h"

#include "ui/Wnd.h"

namespace ui {

namespace {
// The innermost open scope of this thread; each scope remembers the one outside it.
thread_local CCreateHook* t_current = nullptr;
}  // namespace

CCreateHook::CCreateHook(CWnd* wnd, HWND expectedParent)
    : m_wnd(wnd), m_parent(expectedParent), m_hook(nullptr), m_outer(t_current) {
  t_current = this;
  m_hook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
}

CCreateHook::~CCreateHook() {
  if (m_hook) ::UnhookWindowsHookEx(m_hook);
  t_current = m_outer;
}

// Attaches the scope's object to the first window created with the expected parent.
// The system's input-method window, made during a thread's first top-level creation,
// is passed over.
bool CCreateHook::TakeWindow(HWND hwnd, const CREATESTRUCTA* cs) {
  if (!m_wnd || !cs || cs->hwndParent != m_parent) return false;
  if (::GetClassLongPtrA(hwnd, GCL_STYLE) & CS_IME) return false;
  CWnd* wnd = m_wnd;
  m_wnd = nullptr;
  return wnd->Attach(hwnd);
}

LRESULT CALLBACK CCreateHook::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_current) {
    const CBT_CREATEWNDA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    t_current->TakeWindow(reinterpret_cast<HWND>(wParam), create ? create->lpcs : nullptr);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace ui
