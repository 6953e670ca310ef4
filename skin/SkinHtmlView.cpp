#include "skin/SkinHtmlView.h"

#include <mshtml.h>
#include <shellapi.h>

#include "skin/SkinBrowserPath.h"
#include "skin/SkinHtmlNavigation.h"
#include "ui/Dc.h"

namespace {

// The browser control's own pages (error and cancel pages) live on its "res"
// protocol.
bool IsControlPage(const char* url) { return url != nullptr && std::string(url).compare(0, 4, "res:") == 0; }

// The body element of an HTML document with one reference for the caller, or null
// when the document is not HTML or has no body yet.
IHTMLBodyElement* BodyOf(IDispatch* document) {
  IHTMLDocument2* html = nullptr;
  if (FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html))) || html == nullptr)
    return nullptr;
  IHTMLElement* element = nullptr;
  HRESULT found = html->get_body(&element);
  html->Release();
  if (FAILED(found) || element == nullptr) return nullptr;
  IHTMLBodyElement* body = nullptr;
  if (FAILED(element->QueryInterface(IID_IHTMLBodyElement, reinterpret_cast<void**>(&body)))) body = nullptr;
  element->Release();
  return body;
}

}  // namespace

cSkinHtmlView::cSkinHtmlView() : m_pResource(nullptr), m_bVisible(true) {}

cSkinHtmlView::~cSkinHtmlView() = default;

BOOL cSkinHtmlView::Create(const cSkinHtmlViewResource* pResource, ui::CWnd* pParent, UINT id, int homeChoice) {
  if (pResource == nullptr) return FALSE;
  m_pResource = pResource;
  m_home = homeChoice != 0 ? pResource->GetUrlMirror() : pResource->GetUrl();
  m_browserPath = FindHtmlBrowser();
  return ui::CHtmlView::Create(nullptr, nullptr, kStyle, pResource->GetRect(), pParent, id);
}

bool cSkinHtmlView::NavigateHome() {
  if (!HasBrowser()) return false;
  SetSilent(true);
  return Navigate2(m_home.c_str(), 0);
}

int cSkinHtmlView::OnCreate(CREATESTRUCTA* cs) { return ui::CHtmlView::OnCreate(cs) == -1 ? -1 : 0; }

void cSkinHtmlView::OnPaint() {
  ui::CDC dc;
  dc.BeginPaint(m_hWnd);
}

HRESULT cSkinHtmlView::OnGetHostInfo(DOCHOSTUIINFO* info) {
  info->dwFlags = kHostFlags;
  info->dwDoubleClick = 0;
  return S_OK;
}

// No key press reaches the page (no reload, no going back).
HRESULT cSkinHtmlView::OnTranslateAccelerator(const MSG* msg, const GUID* group, DWORD commandId) {
  if (msg != nullptr && msg->message == WM_KEYDOWN) return S_OK;
  return ui::CHtmlView::OnTranslateAccelerator(msg, group, commandId);
}

void cSkinHtmlView::OnNavigateComplete2(const char* url) { ui::CHtmlView::OnNavigateComplete2(url); }

// The home address goes on; a web address goes to the user's browser; anything
// else is dropped. A home on the "res" protocol hides the view for good.
void cSkinHtmlView::OnBeforeNavigate2(const char* url, bool* cancel) {
  std::string target = url != nullptr ? url : "";
  switch (DecideHtmlNavigation(target, m_home)) {
    case HTML_NAV_EXTERNAL:
      *cancel = true;
      OpenExternal(ExternalBrowserProgram(m_browserPath).c_str(), target.c_str());
      return;
    case HTML_NAV_DROP:
      *cancel = true;
      return;
    case HTML_NAV_ALLOW_AND_HIDE:
      HideForGood();
      break;
    case HTML_NAV_ALLOW:
      break;
  }
  ui::CHtmlView::OnBeforeNavigate2(url, cancel);
}

// The home page cannot be loaded: the view stays hidden and the control's error
// page is not loaded at all.
void cSkinHtmlView::OnNavigateError(const char* url, long status, bool* cancel) {
  if (url != nullptr && m_home == url) {
    HideForGood();
    *cancel = true;
    return;
  }
  ui::CHtmlView::OnNavigateError(url, status, cancel);
}

void cSkinHtmlView::OnDownloadBegin() { ui::CHtmlView::OnDownloadBegin(); }

void cSkinHtmlView::OnDownloadComplete() { ui::CHtmlView::OnDownloadComplete(); }

// A loaded page shows the view (unless it hid itself for good, or the page is one
// of the control's own) and loses its scroll bars.
void cSkinHtmlView::OnDocumentComplete(const char* url) {
  if (m_bVisible && !IsControlPage(url)) ShowWindow(SW_SHOW);
  HidePageScrollBars();
  ui::CHtmlView::OnDocumentComplete(url);
}

void cSkinHtmlView::HideForGood() {
  m_bVisible = false;
  ShowWindow(SW_HIDE);
}

// body.scroll = "no"; a document without these interfaces stays as it is.
void cSkinHtmlView::HidePageScrollBars() {
  IDispatch* document = GetHtmlDocument();
  if (document == nullptr) return;
  IHTMLBodyElement* body = BodyOf(document);
  document->Release();
  if (body == nullptr) return;
  BSTR no = ::SysAllocString(L"no");
  if (no != nullptr) body->put_scroll(no);
  ::SysFreeString(no);
  body->Release();
}

// Without any error box: a missing program is no reason to stop the launcher. The
// address goes as one quoted argument, whatever spaces or quotes it holds.
void cSkinHtmlView::OpenExternal(const char* program, const char* url) {
  std::string argument = QuoteCommandLineArgument(url != nullptr ? url : "");
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = m_hWnd;
  info.lpVerb = "open";
  info.lpFile = program;
  info.lpParameters = argument.c_str();
  info.nShow = SW_SHOWNORMAL;
  ::ShellExecuteExA(&info);
}
