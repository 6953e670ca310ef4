#include "ui/HtmlView.h"

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include <string>

namespace ui {

namespace {

// A move-only owner of one COM reference, released with the owner.
template <class T>
class tComRef {
public:
  tComRef() = default;
  ~tComRef() { Reset(); }
  tComRef(const tComRef&) = delete;
  tComRef& operator=(const tComRef&) = delete;

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  // The slot a creating call fills; whatever was held is released first.
  T** Put() {
    Reset();
    return &m_p;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (m_p) m_p->Release();
    m_p = nullptr;
  }

private:
  T* m_p = nullptr;
};

// Text of a wide string in the ANSI code page.
std::string Narrow(const wchar_t* text) {
  if (!text || !*text) return std::string();
  int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string result(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], size, nullptr, nullptr);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

// A BSTR of ANSI text; null when it cannot be made (the caller frees it).
BSTR WideString(const char* text) {
  int size = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (size <= 0) return nullptr;
  BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(size - 1));
  if (result) ::MultiByteToWideChar(CP_ACP, 0, text, -1, result, size);
  return result;
}

// The event argument at index (counted from the first declared one), looking
// through one VT_BYREF | VT_VARIANT level; null when there is no such argument.
const VARIANT* EventArg(const DISPPARAMS* params, UINT index) {
  if (!params || index >= params->cArgs) return nullptr;
  const VARIANT* arg = &params->rgvarg[params->cArgs - 1 - index];
  if (V_VT(arg) == (VT_BYREF | VT_VARIANT)) arg = V_VARIANTREF(arg);
  return arg;
}

std::string EventUrl(const DISPPARAMS* params, UINT index) {
  const VARIANT* arg = EventArg(params, index);
  if (!arg) return std::string();
  if (V_VT(arg) == VT_BSTR) return Narrow(V_BSTR(arg));
  if (V_VT(arg) == (VT_BYREF | VT_BSTR) && V_BSTRREF(arg)) return Narrow(*V_BSTRREF(arg));
  return std::string();
}

long EventLong(const DISPPARAMS* params, UINT index) {
  const VARIANT* arg = EventArg(params, index);
  if (!arg) return 0;
  if (V_VT(arg) == VT_I4) return V_I4(arg);
  if (V_VT(arg) == (VT_BYREF | VT_I4) && V_I4REF(arg)) return *V_I4REF(arg);
  return 0;
}

// The cancel flag of an event: the VARIANT_BOOL the control reads back, or null.
VARIANT_BOOL* EventCancel(const DISPPARAMS* params, UINT index) {
  const VARIANT* arg = EventArg(params, index);
  return arg && V_VT(arg) == (VT_BYREF | VT_BOOL) ? V_BOOLREF(arg) : nullptr;
}

// The event arguments' places, in their declared order.
const UINT kBeforeNavigateUrl = 1;
const UINT kBeforeNavigateCancel = 6;
const UINT kCompleteUrl = 1;
const UINT kNavigateErrorUrl = 1;
const UINT kNavigateErrorStatus = 3;
const UINT kNavigateErrorCancel = 4;

}  // namespace

// The container's side of the browser control: client site, in-place site and
// frame, document host UI handler, and event sink. Reference-counted; the view holds
// one reference and the control holds others, so the site may outlive the view
// briefly: Detach cuts the link back to the view before the view goes.
class CHtmlView::CSite final : public IOleClientSite,
                               public IOleInPlaceSite,
                               public IOleInPlaceFrame,
                               public IDocHostUIHandler,
                               public IDispatch {
public:
  explicit CSite(CHtmlView* view) : m_refs(1), m_view(view), m_cookie(0), m_keyAsked(false) {}

  // Creates the control, activates it in place over the view's client area and
  // connects the event sink. False (nothing kept) when any step fails.
  bool Start(HWND hwnd);
  // Disconnects, deactivates and releases the control; the view is forgotten.
  void Stop();

  IWebBrowser2* Browser() const { return m_browser.Get(); }
  void Resize(int cx, int cy);
  // Hands a key message to the control, then to the view's filter when the control
  // did not ask it; true when one of them handled the key.
  bool TranslateKey(MSG* msg);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override { return Nothing(out, E_NOTIMPL); }
  STDMETHODIMP GetContainer(IOleContainer** out) override { return Nothing(out, E_NOINTERFACE); }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (of the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* out) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos, RECT* clip,
                                OLEINPLACEFRAMEINFO* info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(const RECT*) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, tools or status line.
  STDMETHODIMP GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(const BORDERWIDTHS*) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(const BORDERWIDTHS*) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD commandId) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override { return Nothing(key, E_NOTIMPL); }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override { return Nothing(out, E_NOTIMPL); }
  STDMETHODIMP GetExternal(IDispatch** out) override { return Nothing(out, S_FALSE); }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override { return Nothing(out, S_FALSE); }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override { return Nothing(out, S_FALSE); }

  // IDispatch: the DWebBrowserEvents2 sink
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override { return Nothing(out, E_NOTIMPL); }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

private:
  ~CSite() = default;

  template <class T>
  static HRESULT Nothing(T** out, HRESULT result) {
    if (out) *out = nullptr;
    return result;
  }
  HWND ViewWindow() const { return m_view ? m_view->m_hWnd : nullptr; }
  void Dispatch(DISPID id, DISPPARAMS* params);
  void BeforeNavigate(DISPPARAMS* params);
  void NavigateError(DISPPARAMS* params);

  LONG m_refs;
  CHtmlView* m_view;
  tComRef<IOleObject> m_object;
  tComRef<IWebBrowser2> m_browser;
  tComRef<IConnectionPoint> m_events;
  DWORD m_cookie;
  // Set when the control asks the UI handler about a key during TranslateKey.
  bool m_keyAsked;
};

bool CHtmlView::CSite::Start(HWND hwnd) {
  if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, m_object.PutVoid())))
    return false;
  RECT client;
  ::GetClientRect(hwnd, &client);
  bool started = SUCCEEDED(m_object->SetClientSite(this)) &&
                 SUCCEEDED(m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, hwnd, &client)) &&
                 SUCCEEDED(m_object->QueryInterface(IID_IWebBrowser2, m_browser.PutVoid()));
  tComRef<IConnectionPointContainer> points;
  started = started && SUCCEEDED(m_object->QueryInterface(IID_IConnectionPointContainer, points.PutVoid())) &&
            SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, m_events.Put())) &&
            SUCCEEDED(m_events->Advise(static_cast<IDispatch*>(this), &m_cookie));
  if (!started) Stop();
  return started;
}

void CHtmlView::CSite::Stop() {
  if (m_events && m_cookie) m_events->Unadvise(m_cookie);
  m_cookie = 0;
  m_events.Reset();
  m_browser.Reset();
  if (m_object) {
    tComRef<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.PutVoid()))) inPlace->InPlaceDeactivate();
    m_object->Close(OLECLOSE_NOSAVE);
    m_object->SetClientSite(nullptr);
  }
  m_object.Reset();
  m_view = nullptr;
}

void CHtmlView::CSite::Resize(int cx, int cy) {
  tComRef<IOleInPlaceObject> inPlace;
  if (!m_object || FAILED(m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.PutVoid()))) return;
  RECT area = {0, 0, cx, cy};
  inPlace->SetObjectRects(&area, &area);
}

STDMETHODIMP CHtmlView::CSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite)
    *out = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
    *out = static_cast<IOleInPlaceSite*>(this);
  else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
    *out = static_cast<IOleInPlaceFrame*>(this);
  else if (iid == IID_IDocHostUIHandler)
    *out = static_cast<IDocHostUIHandler*>(this);
  else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
    *out = static_cast<IDispatch*>(this);
  if (!*out) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP CHtmlView::CSite::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = ViewWindow();
  return *out ? S_OK : E_FAIL;
}

STDMETHODIMP CHtmlView::CSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos,
                                                RECT* clip, OLEINPLACEFRAMEINFO* info) {
  if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *doc = nullptr;
  HWND hwnd = ViewWindow();
  RECT client = {0, 0, 0, 0};
  if (hwnd) ::GetClientRect(hwnd, &client);
  *pos = client;
  *clip = client;
  info->fMDIApp = FALSE;
  info->hwndFrame = hwnd;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP CHtmlView::CSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  return m_view ? m_view->OnGetHostInfo(info) : E_NOTIMPL;
}

STDMETHODIMP CHtmlView::CSite::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD commandId) {
  m_keyAsked = true;
  return m_view ? m_view->OnTranslateAccelerator(msg, group, commandId) : S_FALSE;
}

// The site keeps itself for the call: the control or the filter may end the view.
bool CHtmlView::CSite::TranslateKey(MSG* msg) {
  AddRef();
  m_keyAsked = false;
  HRESULT result = S_FALSE;
  tComRef<IOleInPlaceActiveObject> active;
  if (m_object && SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceActiveObject, active.PutVoid())) && active)
    result = active->TranslateAccelerator(msg);
  bool handled = result == S_OK;
  if (!handled && !m_keyAsked && m_view) handled = m_view->OnTranslateAccelerator(msg, nullptr, 0) == S_OK;
  Release();
  return handled;
}

STDMETHODIMP CHtmlView::CSite::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

// A handler may destroy the view's window (and so the view): the site keeps itself
// alive for the call and reads nothing of the view after the handler returns.
STDMETHODIMP CHtmlView::CSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                      UINT*) {
  AddRef();
  if (m_view) Dispatch(id, params);
  Release();
  return S_OK;
}

void CHtmlView::CSite::Dispatch(DISPID id, DISPPARAMS* params) {
  switch (id) {
    case DISPID_BEFORENAVIGATE2: BeforeNavigate(params); break;
    case DISPID_NAVIGATEERROR: NavigateError(params); break;
    case DISPID_NAVIGATECOMPLETE2: m_view->OnNavigateComplete2(EventUrl(params, kCompleteUrl).c_str()); break;
    case DISPID_DOCUMENTCOMPLETE: m_view->OnDocumentComplete(EventUrl(params, kCompleteUrl).c_str()); break;
    case DISPID_DOWNLOADBEGIN: m_view->OnDownloadBegin(); break;
    case DISPID_DOWNLOADCOMPLETE: m_view->OnDownloadComplete(); break;
    default: break;
  }
}

void CHtmlView::CSite::BeforeNavigate(DISPPARAMS* params) {
  VARIANT_BOOL* cancelArg = EventCancel(params, kBeforeNavigateCancel);
  bool cancel = cancelArg && *cancelArg != VARIANT_FALSE;
  m_view->OnBeforeNavigate2(EventUrl(params, kBeforeNavigateUrl).c_str(), &cancel);
  if (cancelArg) *cancelArg = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

void CHtmlView::CSite::NavigateError(DISPPARAMS* params) {
  VARIANT_BOOL* cancelArg = EventCancel(params, kNavigateErrorCancel);
  bool cancel = cancelArg && *cancelArg != VARIANT_FALSE;
  m_view->OnNavigateError(EventUrl(params, kNavigateErrorUrl).c_str(), EventLong(params, kNavigateErrorStatus),
                          &cancel);
  if (cancelArg) *cancelArg = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

// --- The view ---------------------------------------------------------------------

CHtmlView::CHtmlView() : m_pSite(nullptr) {}

// Deleted by PostNcDestroy after the window is gone, or by the caller whose Create
// made no window; the browser is released either way.
CHtmlView::~CHtmlView() { DestroyBrowser(); }

BOOL CHtmlView::Create(const char*, const char*, DWORD style, const RECT& rect, CWnd* pParent, UINT id) {
  if (!pParent || !pParent->GetSafeHwnd() || m_hWnd) return FALSE;
  if (!CreateEx(0, nullptr, nullptr, style | WS_CLIPCHILDREN, rect, pParent->GetSafeHwnd(), id)) return FALSE;
  CreateBrowser();
  return TRUE;
}

bool CHtmlView::CreateBrowser() {
  CSite* site = new CSite(this);
  if (!site->Start(m_hWnd)) {
    site->Release();
    return false;
  }
  m_pSite = site;
  return true;
}

void CHtmlView::DestroyBrowser() {
  CSite* site = m_pSite;
  m_pSite = nullptr;
  if (!site) return;
  site->Stop();
  site->Release();
}

bool CHtmlView::HasBrowser() const { return m_pSite && m_pSite->Browser(); }

bool CHtmlView::SetSilent(bool silent) {
  if (!HasBrowser()) return false;
  return SUCCEEDED(m_pSite->Browser()->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE));
}

bool CHtmlView::Navigate2(const char* url, DWORD flags) {
  if (!HasBrowser() || !url) return false;
  VARIANT target;
  ::VariantInit(&target);
  V_VT(&target) = VT_BSTR;
  V_BSTR(&target) = WideString(url);
  if (!V_BSTR(&target)) return false;
  VARIANT flagArg;
  ::VariantInit(&flagArg);
  V_VT(&flagArg) = VT_I4;
  V_I4(&flagArg) = static_cast<LONG>(flags);
  VARIANT empty;
  ::VariantInit(&empty);
  // The browser is held for the call: a navigation event may destroy the view.
  IWebBrowser2* browser = m_pSite->Browser();
  browser->AddRef();
  HRESULT result = browser->Navigate2(&target, &flagArg, &empty, &empty, &empty);
  browser->Release();
  ::VariantClear(&target);
  return SUCCEEDED(result);
}

IDispatch* CHtmlView::GetHtmlDocument() const {
  if (!HasBrowser()) return nullptr;
  IDispatch* document = nullptr;
  if (FAILED(m_pSite->Browser()->get_Document(&document))) return nullptr;
  return document;
}

BOOL CHtmlView::PreTranslateMessage(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_pSite) return FALSE;
  return m_pSite->TranslateKey(msg) ? TRUE : FALSE;
}

HRESULT CHtmlView::OnGetHostInfo(DOCHOSTUIINFO*) { return E_NOTIMPL; }
HRESULT CHtmlView::OnTranslateAccelerator(const MSG*, const GUID*, DWORD) { return S_FALSE; }
void CHtmlView::OnNavigateComplete2(const char*) {}
void CHtmlView::OnBeforeNavigate2(const char*, bool*) {}
void CHtmlView::OnNavigateError(const char*, long, bool*) {}
void CHtmlView::OnDownloadBegin() {}
void CHtmlView::OnDownloadComplete() {}
void CHtmlView::OnDocumentComplete(const char*) {}

void CHtmlView::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  if (m_pSite) m_pSite->Resize(cx, cy);
}

void CHtmlView::OnDestroy() {
  DestroyBrowser();
  CWnd::OnDestroy();
}

void CHtmlView::PostNcDestroy() { delete this; }

}  // namespace ui
