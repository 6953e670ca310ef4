// CWnd: a window handle with an object behind it.
//
// One static window procedure (WndProc) finds the object through a window property
// and calls its virtual WindowProc; the switch there calls the named handlers, whose
// default is Default(), the window's original procedure. GWLP_USERDATA is never
// touched: other code owns it.
//
// Reflection, the child answering first (the parent's table is ReflectToChild):
//   WM_DRAWITEM, WM_MEASUREITEM  to the child found by control id (wParam)
//   WM_CTLCOLOR*                 to the child found by handle (lParam)
//   WM_COMMAND from a control    to the child found by handle (lParam)
// The child answers in OnChildNotify: CtlColor returns a brush, OnControlReflect
// takes a notification code, the control classes add DrawItem and MeasureItem.
// When the child does not answer, the parent's own handler runs.
//
// Lifetime: a window can be destroyed while one of its own handlers (or a call that
// a CKeepAlive covers) is still running, for example when a handler sends a message
// that ends in DestroyWindow. PostNcDestroy, where a heap object deletes itself,
// then waits until the outermost of those calls has returned.
#pragma once

#include <windows.h>

namespace ui {

class CWnd {
public:
  CWnd();
  // Detaches from the window; destroys it too when this object created it.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  // The object linked to hwnd, or null when no object is attached.
  static CWnd* FromHandle(HWND hwnd);

  // Registers a window class whose windows CreateEx can attach to (class style,
  // cursor, brush as given, no icon). Registering a name twice succeeds.
  static bool RegisterWindowClass(const char* className, UINT classStyle, HCURSOR cursor, HBRUSH background);
  // Creates the window and attaches before its first message (WM_NCCREATE), so
  // OnCreate sees WM_CREATE. A null class name uses the framework's plain class.
  // The id is used for child windows only. False when the window was not created.
  BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                HWND parent, UINT id);
  BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, HWND parent, UINT id);
  // Attaches to an existing window by replacing its procedure; false when this
  // object or the window is already attached.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, HWND parent);
  // Gives the window its own procedure back; returns the handle.
  HWND UnsubclassWindow();
  BOOL DestroyWindow();

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL SetWindowText(const char* text);
  int GetWindowText(char* buffer, int size) const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  BOOL IsIconic() const;
  void Invalidate(BOOL erase = TRUE);
  void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
  void UpdateWindow();
  void GetClientRect(RECT* rect) const;
  void GetWindowRect(RECT* rect) const;
  void ScreenToClient(RECT* rect) const;
  void ClientToScreen(POINT* point) const;
  BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE);
  BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
  // Centres a top-level window on its owner, or on the work area without one; a
  // child window in its parent's client area.
  void CenterWindow();
  int SetWindowRgn(HRGN region, BOOL redraw);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
  BOOL KillTimer(UINT_PTR id);
  HWND SetCapture();
  HWND GetParent() const;
  HWND GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  void SetFont(HFONT font, BOOL redraw = TRUE);
  HFONT GetFont() const;
  HICON SetIcon(HICON icon, BOOL big);
  DWORD GetStyle() const;
  DWORD GetExStyle() const;

  // Entry point of every message; the default routes to the handlers below.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // A queued message for this window or one of its children, before it is
  // translated and dispatched (a dialog's modal loop asks each window object from
  // the message's window up). TRUE when handled: the message goes no further. The
  // default handles nothing.
  virtual BOOL PreTranslateMessage(MSG* msg);

protected:
  // Holds off PostNcDestroy while it lives: code that makes a call which may destroy
  // the window (and so delete an object that frees itself) keeps the object for
  // the rest of its work; the object may be gone once the last hold has ended.
  class CKeepAlive {
  public:
    explicit CKeepAlive(CWnd& wnd);
    ~CKeepAlive();
    CKeepAlive(const CKeepAlive&) = delete;
    CKeepAlive& operator=(const CKeepAlive&) = delete;

  private:
    CWnd& m_wnd;
  };

  // The message being handled, passed to the window's original procedure.
  LRESULT Default();
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Called after the window is gone (WM_NCDESTROY) and the object detached, once no
  // handler of the object is running any more; an object that lives on the heap
  // for its window's life may delete itself here.
  virtual void PostNcDestroy();

  // Child side of reflection: true when this child answered, with the result.
  virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Reflected WM_CTLCOLOR*: a brush answers, null leaves it to the parent.
  virtual HBRUSH CtlColor(HDC dc, UINT ctlType);
  // Reflected WM_COMMAND notification: true answers, false leaves it to the parent.
  virtual bool OnControlReflect(UINT notifyCode);

  virtual int OnCreate(CREATESTRUCTA* cs);
  virtual void OnDestroy();
  virtual void OnPaint();
  virtual BOOL OnEraseBkgnd(HDC dc);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnSize(UINT type, int cx, int cy);
  virtual void OnLButtonDown(UINT flags, POINT point);
  virtual void OnLButtonUp(UINT flags, POINT point);
  virtual void OnMouseMove(UINT flags, POINT point);
  virtual void OnMouseLeave();
  virtual LRESULT OnNcHitTest(POINT screenPoint);
  virtual void OnHScroll(UINT code, UINT pos, HWND scrollBar);
  virtual void OnVScroll(UINT code, UINT pos, HWND scrollBar);
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType);
  virtual void OnDrawItem(int id, DRAWITEMSTRUCT* item);
  virtual void OnMeasureItem(int id, MEASUREITEMSTRUCT* item);
  // True when handled; false lets the original procedure have it.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual HCURSOR OnQueryDragIcon();

private:
  friend class CCreateHook;
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool Attach(HWND hwnd);
  void OnWindowGone();

  WNDPROC m_pfnSuper;
  bool m_bCreatedHere;
  // Handlers and CKeepAlive holds running now; PostNcDestroy waits for 0.
  int m_nKeepAlive;
  bool m_bPostNcDestroyDue;
  UINT m_curMessage;
  WPARAM m_curWParam;
  LPARAM m_curLParam;
};

}  // namespace ui
