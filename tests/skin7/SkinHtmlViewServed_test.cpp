// The skinned HTML view against the loopback nginx under Wine, whose browser control
// has no HTML engine: whether the home page is there or not, the control asks the
// server for it, the view never shows, no external browser starts, and the view
// frees itself when its parent goes.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinHtmlView.h"
#include "tests/net/TestServers.h"
#include "tests/skin/SkinWindowTest.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

class cServedView : public cSkinHtmlView {
public:
  static int s_live;
  static int s_opened;
  static std::vector<std::string> s_events;
  cServedView() { ++s_live; }
  ~cServedView() override { --s_live; }

  void OnNavigateError(const char* url, long status, bool* cancel) override {
    s_events.push_back("error:" + std::to_string(status));
    cSkinHtmlView::OnNavigateError(url, status, cancel);
  }
  void OnDocumentComplete(const char* url) override {
    s_events.push_back(std::string("complete:") + url);
    cSkinHtmlView::OnDocumentComplete(url);
  }

protected:
  void OpenExternal(const char*, const char*) override { ++s_opened; }
};
int cServedView::s_live = 0;
int cServedView::s_opened = 0;
std::vector<std::string> cServedView::s_events;

// Handles every message that arrives until done() or ms milliseconds have passed.
template <class Done>
void PumpUntil(Done done, DWORD ms) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    DWORD passed = ::GetTickCount() - start;
    if (done() || passed >= ms) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed > 50 ? 50 : ms - passed, QS_ALLINPUT);
  }
}

const char kPage[] =
    "<html><body style=\"background:#203040\">\n"
    "<p>Board</p><a id=\"link\" href=\"http://127.0.0.1:9/elsewhere.html\">elsewhere</a>\n"
    "</body></html>\n";

TEST(SkinHtmlViewServed, TheViewStaysHiddenWhateverTheServerAnswers) {
  struct Case {
    const char* name;
    const char* path;
  };
  const Case cases[] = {{"the page is there", "skin7/board.html"}, {"the page is missing", "skin7/missing.html"}};
  ServeFile("skin7/board.html", kPage);
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string home = "http://127.0.0.1:" + std::to_string(Servers().nginxPort) + "/" + c.path;
    skintest::cTestSkin skin("skin7_served");
    ASSERT_TRUE(skin.Load("dialog main { htmlview board { url \"" + home + "\" size 200 120 pos 10 20 } }\n"));
    const cSkinHtmlViewResource* board = skin.Component<cSkinHtmlViewResource>("main", "board");
    ASSERT_NE(board, nullptr);
    skintest::cParentWindow parent(300, 200);
    cServedView::s_events.clear();
    size_t logStart = NginxLogLines();

    cServedView* view = new cServedView;
    ASSERT_TRUE(view->Create(board, &parent, 1003, 0));
    HWND hwnd = view->GetSafeHwnd();
    view->NavigateHome();
    PumpUntil([&] { return !NginxRequests(c.path, logStart).empty() && !cServedView::s_events.empty(); }, 5000);
    PumpUntil([] { return false; }, 500);
    std::printf("browser control: %d, events:", view->HasBrowser() ? 1 : 0);
    for (const std::string& event : cServedView::s_events) std::printf(" %s", event.c_str());
    std::printf("\n");

    if (view->HasBrowser()) {
      EXPECT_FALSE(NginxRequests(c.path, logStart).empty()) << "the control asked for the page";
    }
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_EQ(cServedView::s_opened, 0);
    parent.DestroyWindow();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(cServedView::s_live, 0);
  }
  ::CoUninitialize();
}

}  // namespace
