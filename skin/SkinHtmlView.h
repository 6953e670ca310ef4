// cSkinHtmlView: the skin's web page view (the launcher's "board"), a display and not
// a browser. It shows only its home address, at the place and size the skin gives,
// with no 3-D border, no scroll bars and no keys reaching the page. A link the user
// follows is cancelled and, when it is a web address ("http://" or "https://"),
// opened in the user's own web browser (the program registered for ".htm" files,
// else "Iexplore.exe"); any other address is dropped.
//
// The view starts hidden and shows itself only when its home page has loaded, so
// a browser control that cannot be created, a page that cannot be loaded (the
// control reports a navigation error for the home address) or a home address on the
// browser's own "res" protocol leave the skin's board as it is: no prompt, no error
// page, and the window around it keeps working.
//
// Like every view it deletes itself when its window is destroyed: allocate it with
// new; after a successful Create never delete it.
#pragma once

#include "skin/SkinHtmlViewResource.h"
#include "ui/HtmlView.h"

#include <string>

class cSkinHtmlView : public ui::CHtmlView {
public:
  // WS_CHILD; WS_VISIBLE comes with the home page.
  static const DWORD kStyle = WS_CHILD;
  // DOCHOSTUIFLAG_NO3DBORDER.
  static const DWORD kHostFlags = 0x4;

  cSkinHtmlView();
  ~cSkinHtmlView() override;

  // Stores the resource (not owned; it must outlive the view), takes its "urlMirror"
  // as the home address when homeChoice is nonzero, else its "url", finds the
  // browser program and creates the hidden view at the resource's rect in pParent.
  // FALSE only when no window was made (no resource, no parent, or the system
  // refused): the object is then the caller's to delete. TRUE also when the browser
  // control could not be created; the view then stays hidden.
  BOOL Create(const cSkinHtmlViewResource* pResource, ui::CWnd* pParent, UINT id, int homeChoice);
  // Silent mode, then a navigation to the home address. False when there is no
  // browser control or it refused the navigation.
  bool NavigateHome();

  const std::string& GetHomeUrl() const { return m_home; }
  const std::string& GetBrowserPath() const { return m_browserPath; }
  // False once the view has hidden itself for good.
  bool IsShowable() const { return m_bVisible; }

  HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) override;
  HRESULT OnTranslateAccelerator(const MSG* msg, const GUID* group, DWORD commandId) override;
  void OnNavigateComplete2(const char* url) override;
  void OnBeforeNavigate2(const char* url, bool* cancel) override;
  void OnNavigateError(const char* url, long status, bool* cancel) override;
  void OnDownloadBegin() override;
  void OnDownloadComplete() override;
  void OnDocumentComplete(const char* url) override;

protected:
  int OnCreate(CREATESTRUCTA* cs) override;
  // The browser control covers the view: nothing to paint.
  void OnPaint() override;
  // Starts program with url as its one argument; the view's way out to the user's
  // browser.
  virtual void OpenExternal(const char* program, const char* url);

private:
  void HideForGood();
  void HidePageScrollBars();

  const cSkinHtmlViewResource* m_pResource;
  std::string m_home;
  bool m_bVisible;
  std::string m_browserPath;
};
