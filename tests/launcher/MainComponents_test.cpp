// The one list of skin components that the launcher's main window needs, as the
// launcher and kqskin check a skin against it.
#include "launcher/MainComponents.h"
#include "skin/SkinManager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kComplete[] =
    "dialog main {\n"
    "  button start { } button close { } button minimize { } button full { style 1 }\n"
    "  progressbar probar { } htmlview board { } combobox resolution { }\n"
    "}\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(MainComponents, TheFirstMissingOrWrongKindIsNamed) {
  struct Case {
    const char* name;
    std::string script;
    const char* missing;  // null: nothing missing
  };
  const Case cases[] = {
      {"every component", kComplete, nullptr},
      {"no close button", Replaced(kComplete, "button close { }", ""), "close"},
      {"minimize is a progress bar", Replaced(kComplete, "button minimize", "progressbar minimize"), "minimize"},
      {"the board is a button", Replaced(kComplete, "htmlview board", "button board"), "board"},
      {"no resolution list", Replaced(kComplete, "combobox resolution { }", ""), "resolution"},
      {"names compare exactly", Replaced(kComplete, "button start", "button Start"), "start"},
  };
  size_t count = 0;
  const tMainComponent* all = MainWindowComponents(&count);
  ASSERT_EQ(count, 7u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cSkinManager skin("");
    ASSERT_TRUE(skin.LoadText(c.script.data(), (uint32_t)c.script.size(), "skin.txt")) << skin.GetErrorText();
    const cSkinDialogResource* dialog = skin.FindDialog(MAIN_DIALOG_NAME);
    ASSERT_NE(dialog, nullptr);
    const tMainComponent* missing = FindMissingMainComponent(*dialog);
    if (c.missing == nullptr) {
      EXPECT_EQ(missing, nullptr);
      continue;
    }
    ASSERT_NE(missing, nullptr);
    EXPECT_STREQ(missing->name, c.missing);
    EXPECT_GE(missing, all);
    EXPECT_LT(missing, all + count);
  }
}

}  // namespace
