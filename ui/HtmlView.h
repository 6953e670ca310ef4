// CHtmlView: a child window that hosts the system's web browser control.
//
// Why it is built this way: there is no ATL or MFC here, so the view is the
// control's container itself. One site object (CSite, defined in the .cpp) gives
// the control what an OLE container gives: the client site, the in-place site and
// frame, the document host's UI handler (IDocHostUIHandler), and the event sink of
// the control's DWebBrowserEvents2 connection point. Host questions and events come
// back to the virtual handlers below, on the window's thread.
//
// Lifetime: like a framework view, the object deletes itself once its window is
// gone (PostNcDestroy), so it is allocated with new and its owner never deletes it
// after Create has made the window; the owner ends it by destroying the window (or
// its parent). Only when Create made no window does the object stay the caller's.
//
// The control is optional: when it cannot be created (COM not initialised, the
// control not registered or failing, as under Wine without its HTML engine), Create
// still makes the window and returns TRUE; HasBrowser() is false and the browser
// calls do nothing. What the window shows then is the derived view's decision.
#pragma once

#include <ole2.h>

#include <mshtmhst.h>

#include "ui/Wnd.h"

namespace ui {

class CHtmlView : public CWnd {
public:
  CHtmlView();
  ~CHtmlView() override;

  // Creates the view window (className and windowName are not used) at rect in
  // pParent with style and id, then the browser control filling it. FALSE only
  // when no window was made: no parent, a window already exists, or the system
  // refused it. TRUE with or without the browser control.
  BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* pParent,
              UINT id);

  // True while the browser control is hosted.
  bool HasBrowser() const;
  // Silent mode: no script-error or other dialogs from the page. False without a
  // browser or when the control refuses.
  bool SetSilent(bool silent);
  // Starts a navigation to url (ANSI) with the navigation flags; false without a
  // browser or when the control refuses it at once.
  bool Navigate2(const char* url, DWORD flags = 0);
  // The current document with one reference for the caller, or null (no browser,
  // no document yet).
  IDispatch* GetHtmlDocument() const;

  // Key messages for the view's windows go to the control first, the way the control
  // expects of its container (IOleInPlaceActiveObject::TranslateAccelerator): the
  // control lets its document ask the host's UI handler, which is
  // OnTranslateAccelerator. When the control asked nobody (it has no document: no
  // HTML engine, or no page yet), the view asks OnTranslateAccelerator itself, so
  // the view's filter holds either way. TRUE when the key was handled and must not
  // be dispatched.
  BOOL PreTranslateMessage(MSG* msg) override;

  // Host questions and control events; the defaults change nothing.
  // The document host's look; E_NOTIMPL keeps the control's defaults.
  virtual HRESULT OnGetHostInfo(DOCHOSTUIINFO* info);
  // A key message before the page sees it: S_OK when handled (the page does not get
  // it), S_FALSE to let the page have it.
  virtual HRESULT OnTranslateAccelerator(const MSG* msg, const GUID* group, DWORD commandId);
  virtual void OnNavigateComplete2(const char* url);
  // Before every navigation (the page's and its frames'); setting *cancel stops it.
  virtual void OnBeforeNavigate2(const char* url, bool* cancel);
  // A navigation failed with the status (an HTTP status or an error code); setting
  // *cancel keeps the control from showing its own error page.
  virtual void OnNavigateError(const char* url, long status, bool* cancel);
  virtual void OnDownloadBegin();
  virtual void OnDownloadComplete();
  virtual void OnDocumentComplete(const char* url);

protected:
  // Keeps the control covering the client area.
  void OnSize(UINT type, int cx, int cy) override;
  // Lets the control go before the window goes.
  void OnDestroy() override;
  // Deletes the view: its window is gone.
  void PostNcDestroy() override;

private:
  class CSite;
  friend class CSite;

  bool CreateBrowser();
  void DestroyBrowser();

  // The site, with the one reference the view holds; null without a browser.
  CSite* m_pSite;
};

}  // namespace ui
