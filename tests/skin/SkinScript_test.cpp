// The skin script and its resource tree, loaded from files as the launcher loads
// them, with images built by the test.
#include "files/FileSystem.h"
#include "skin/SkinButtonResource.h"
#include "skin/SkinComboBoxResource.h"
#include "skin/SkinHtmlViewResource.h"
#include "skin/SkinManager.h"
#include "skin/SkinProgressBarResource.h"
#include "tests/skin/SkinTestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

class SkinScriptTest : public ::testing::Test {
protected:
  SkinScriptTest() : m_scratch("skin_script") {
    const std::string pixel = Bytes({1, 2, 3});
    WriteFile(m_scratch.Path() / "strip.tga", MakeTga({2, 240, 30, 24}, Repeat(pixel, 240 * 30)));
    WriteFile(m_scratch.Path() / "sub/tiny.tga", MakeTga({10, 2, 2, 24}, Bytes({0x83}) + pixel));
    WriteFile(m_scratch.Path() / "scroll.tga", MakeTga({2, 108, 36, 32}, std::string(108 * 36 * 4, '\x10')));
    WriteFile(m_scratch.Path() / "bad.tga", MakeTga({9, 1, 1, 8}, Bytes({1})));
    WriteFile(m_scratch.Path() / "short.tga", Bytes({0, 0, 2, 0, 0}));
    m_skin.reset(new cSkinManager(m_scratch.Folder().c_str()));
  }

  // Writes text as the folder's "skin.txt" and loads it the way the launcher does.
  bool Load(const std::string& text) {
    WriteFile(m_scratch.Path() / "skin.txt", text);
    return m_skin->Load(ScriptPath().c_str());
  }
  std::string ScriptPath() const { return m_scratch.Folder() + "skin.txt"; }

  // The component name of dialog "main", or a test failure.
  template <class T>
  T* Main(const char* name) {
    cSkinDialogResource* dialog = m_skin->FindDialog("main");
    EXPECT_NE(dialog, nullptr);
    T* component = dialog != nullptr ? dialog->FindComponentAs<T>(name) : nullptr;
    EXPECT_NE(component, nullptr) << name;
    return component;
  }

  ScratchDir m_scratch;
  cFileSystem m_fileSystem;
  std::unique_ptr<cSkinManager> m_skin;
};

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

TEST_F(SkinScriptTest, ImageSizeAndPosDependOnTheirOrder) {
  struct Case {
    const char* keys;
    int width;
    int height;
    RECT rect;
  };
  const Case cases[] = {
      {"image \"strip.tga\" size 80 30 pos 10 20", 80, 30, {10, 20, 90, 50}},
      {"pos 10 20 image \"strip.tga\"", 240, 30, {10, 20, 10, 20}},
      {"size 80 30 pos 10 20 image \"strip.tga\"", 240, 30, {10, 20, 90, 50}},
      {"pos 10 20 size 80 30", 80, 30, {10, 20, 90, 50}},
      {"size 5 5 pos 1 1 pos 7 8", 5, 5, {7, 8, 12, 13}},
      {"size 80 30 pos -5 -6", 80, 30, {-5, -6, 75, 24}},
      {"size 80 30 pos left 20", 80, 30, {0, 20, 80, 50}},
      {"image \"sub/tiny.tga\"", 2, 2, {0, 0, 0, 0}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.keys);
    ASSERT_TRUE(Load(std::string("dialog main { button b { ") + row.keys + " } }")) << m_skin->GetErrorText();
    const cSkinButtonResource* button = Main<cSkinButtonResource>("b");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetWidth(), row.width);
    EXPECT_EQ(button->GetHeight(), row.height);
    ExpectRect(button->GetRect(), row.rect.left, row.rect.top, row.rect.right, row.rect.bottom);
    m_skin.reset(new cSkinManager(m_scratch.Folder().c_str()));
  }
}

TEST_F(SkinScriptTest, ColoursTakeTheLowEightBitsOfEachValue) {
  struct Case {
    const char* keys;
    COLORREF color;
    COLORREF backColor;
  };
  const Case cases[] = {
      {"", 0x00FFFFFF, 0x00404040},
      {"color 300 0 0", 0x0000002C, 0x00404040},
      {"color 1 2 3 backcolor 255 256 -1", 0x00030201, 0x00FF00FF},
      {"color red 2 3", 0x00030200, 0x00404040},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.keys);
    ASSERT_TRUE(Load(std::string("dialog main { progressbar p { ") + row.keys + " } }")) << m_skin->GetErrorText();
    const cSkinProgressBarResource* bar = Main<cSkinProgressBarResource>("p");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetColor(), row.color);
    EXPECT_EQ(bar->GetBackColor(), row.backColor);
    m_skin.reset(new cSkinManager(m_scratch.Folder().c_str()));
  }
}

TEST_F(SkinScriptTest, RepeatedNamesAndIdsKeepTheFirst) {
  ASSERT_TRUE(Load("dialog main {\n"
                   "  fontsize 1\n"
                   "  button b { size 1 1 }\n"
                   "  progressbar b { size 2 2 }\n"
                   "  dlgtext { txt 5 \"first\" txt 5 \"second\" txt -3 \"minus three\" }\n"
                   "  dlgtext { txt 5 \"third\" }\n"
                   "}\n"
                   "dialog main { fontsize 2 }\n"))
      << m_skin->GetErrorText();
  const cSkinDialogResource* dialog = m_skin->FindDialog("main");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->GetFont().lfHeight, 1);
  EXPECT_EQ(dialog->GetComponents().size(), 1u);
  const cSkinButtonResource* button = Main<cSkinButtonResource>("b");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetWidth(), 1);
  ASSERT_NE(dialog->FindText(5), nullptr);
  EXPECT_STREQ(dialog->FindText(5), "first");
  ASSERT_NE(dialog->FindText(-3), nullptr);
  EXPECT_STREQ(dialog->FindText(-3), "minus three");
  EXPECT_EQ(dialog->FindText(4), nullptr);
}

TEST_F(SkinScriptTest, FailuresNameTheLineAndTheReason) {
  struct Case {
    const char* name;
    const char* script;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"a top-level word in another case", "Dialog main {\n}\n", 1, "expected \"dialog\" at the top level"},
      {"a stray brace at the top level", "dialog a { }\n}\n", 2, "found \"}\""},
      {"a key in another case", "dialog main {\n  Image \"strip.tga\"\n}\n", 2, "unknown key \"Image\" in the dialog"},
      {"a block cut short", "dialog main {\n  button b {\n    size 1 1", 2,
       "the file ends inside the button block opened on this line (missing \"}\")"},
      {"a dialog cut short", "dialog main\n{\n  button b { }\n", 2, "the dialog block opened on this line"},
      {"a dialog without its block", "dialog main\nimage \"strip.tga\"\n", 2, "expected \"{\" to open the dialog"},
      {"a style that is a word", "dialog main {\n  button b {\n    style push\n  }\n}\n", 3,
       "\"style\" needs an integer, found \"push\""},
      {"a missing image", "dialog main {\n\n  image \"missing.tga\"\n}\n", 3, "missing.tga: cannot open the file"},
      {"an image of a refused type", "dialog main {\n  button b { image bad.tga }\n}\n", 2, "image type 9"},
      {"an image shorter than its header", "dialog main {\n  image short.tga\n}\n", 2, "shorter than the 18-byte"},
      {"a missing scroll image", "dialog main {\n  combobox c {\n    imageScroll \"none.tga\"\n  }\n}\n", 3,
       "none.tga: cannot open"},
      {"another word in a text block", "dialog main {\n  dlgtext {\n    txt 1 \"a\"\n    text 2 \"b\"\n  }\n}\n", 4,
       "expected \"txt\" or \"}\" in the dlgtext block, found \"text\""},
      {"a text block without its brace", "dialog main {\n  dlgtext txt 1 \"a\"\n}\n", 2,
       "expected \"{\" after \"dlgtext\""},
      {"an unknown component kind", "dialog main {\n  slider s { }\n}\n", 2, "unknown key \"slider\""},
      {"an image key in an html view", "dialog main {\n  htmlview h {\n    image \"strip.tga\"\n  }\n}\n", 3,
       "unknown key \"image\" in the htmlview block"},
      {"a key of the button in a progress bar", "dialog main {\n  progressbar p { style 1 }\n}\n", 2,
       "unknown key \"style\" in the progressbar block"},
      // A token that the end of the text cuts short is still a token; only a comment
      // may run into the end.
      {"a stray word after the last block", "dialog first { }\nDialog", 2,
       "expected \"dialog\" at the top level, found \"Dialog\""},
      {"a stray letter after the last block", "dialog first { }\n\nx", 3, "found \"x\""},
      {"a stray digit after the last block", "dialog first { }\n7", 2, "found \"7\""},
      {"an unclosed string after the last block", "dialog first { }\n\"abc", 2, "found \"abc\""},
      {"a slash and a letter between blocks", "dialog first { }\n/x\ndialog b { }\n", 2, "found \"/x\""},
      {"a comment at the end of an unclosed block", "dialog main {\nfontsize 3\n// the end", 1,
       "the file ends inside the dialog block opened on this line (missing \"}\")"},
      {"a dashed comment at the end of an unclosed button", "dialog main {\n  button b {\n  -- the end", 2,
       "the file ends inside the button block opened on this line (missing \"}\")"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    m_skin.reset(new cSkinManager(m_scratch.Folder().c_str()));
    EXPECT_FALSE(Load(row.script));
    EXPECT_EQ(m_skin->GetErrorLine(), row.line);
    EXPECT_NE(m_skin->GetErrorReason().find(row.reason), std::string::npos) << m_skin->GetErrorReason();
    EXPECT_EQ(m_skin->GetErrorText().rfind(ScriptPath() + ":" + std::to_string(row.line) + ": ", 0), 0u)
        << m_skin->GetErrorText();
    EXPECT_EQ(m_skin->FindDialog("main"), nullptr);
  }
}

TEST_F(SkinScriptTest, ScriptsWithoutDialogsLoad) {
  const char* const scripts[] = {"", "   \r\n\t", "// only a comment\n-- and another", "// no line end",
                                 "-- a comment with its line end\n"};
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    EXPECT_TRUE(Load(script)) << m_skin->GetErrorText();
    EXPECT_TRUE(m_skin->GetDialogs().empty());
    EXPECT_EQ(m_skin->FindDialog("main"), nullptr);
    EXPECT_EQ(m_skin->GetErrorText(), "");
  }
}

TEST_F(SkinScriptTest, AFailedLoadKeepsTheDialogsReadBeforeIt) {
  EXPECT_FALSE(Load("dialog first { fontsize 3 }\ndialog second { button b { } fontsize x nope }\n"));
  EXPECT_NE(m_skin->FindDialog("first"), nullptr);
  EXPECT_EQ(m_skin->FindDialog("second"), nullptr);
  EXPECT_EQ(m_skin->GetErrorLine(), 2);
}

TEST_F(SkinScriptTest, MissingScriptFails) {
  EXPECT_FALSE(m_skin->Load((m_scratch.Folder() + "nothing.txt").c_str()));
  EXPECT_EQ(m_skin->GetErrorText(), m_scratch.Folder() + "nothing.txt: cannot open the skin script");
  EXPECT_FALSE(m_skin->Load(nullptr));
}

TEST_F(SkinScriptTest, TheDialogFontStartsAsGulimAndTakesTheScriptsValues) {
  ASSERT_TRUE(Load("dialog plain { }\n"
                   "dialog words { fontsize big fontface \"Arial Narrow\" }\n"
                   "dialog long { fontface \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\" fontsize -11 }\n"))
      << m_skin->GetErrorText();
  const LOGFONTA& plain = m_skin->FindDialog("plain")->GetFont();
  EXPECT_EQ(plain.lfHeight, 12);
  EXPECT_EQ(plain.lfWidth, 0);
  EXPECT_EQ(plain.lfWeight, 400);
  EXPECT_EQ(plain.lfItalic, 0);
  EXPECT_EQ(plain.lfCharSet, 1);
  EXPECT_EQ(plain.lfQuality, 0);
  EXPECT_STREQ(plain.lfFaceName, "\xB1\xBC\xB8\xB2");

  const LOGFONTA& words = m_skin->FindDialog("words")->GetFont();
  EXPECT_EQ(words.lfHeight, 0);
  EXPECT_STREQ(words.lfFaceName, "Arial Narrow");

  const LOGFONTA& cut = m_skin->FindDialog("long")->GetFont();
  EXPECT_EQ(cut.lfHeight, -11);
  EXPECT_EQ(strlen(cut.lfFaceName), 31u);
  EXPECT_STREQ(cut.lfFaceName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
}

TEST_F(SkinScriptTest, EveryKindReadsItsKeys) {
  ASSERT_TRUE(Load("// every key of every block\n"
                   "dialog main {\n"
                   "  image strip.tga\n"
                   "  button toggle { image \"strip.tga\" size 80 30 pos 1 2 style 1 }\n"
                   "  button push { style 0 }\n"
                   "  htmlview board {\n"
                   "    url \"http://example.com/a b.html\" urlMirror \"res://mirror\"\n"
                   "    pos 3 4 size 50 60\n"
                   "  }\n"
                   "  combobox resolution {\n"
                   "    image \"sub/tiny.tga\" imageScroll \"scroll.tga\"\n"
                   "    left 0 0 6 22 center 6 0 8 22 right 14 -1 22 x\n"
                   "    size 150 160 pos 5 6\n"
                   "  }\n"
                   "}\n"))
      << m_skin->GetErrorText();
  const cSkinDialogResource* dialog = m_skin->FindDialog("main");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->GetWidth(), 240);
  EXPECT_EQ(dialog->GetHeight(), 30);
  ExpectRect(dialog->GetRect(), 0, 0, 0, 0);
  EXPECT_EQ(dialog->GetBitmap().GetWidth(), 240);

  const cSkinButtonResource* toggle = Main<cSkinButtonResource>("toggle");
  const cSkinButtonResource* push = Main<cSkinButtonResource>("push");
  ASSERT_TRUE(toggle != nullptr && push != nullptr);
  EXPECT_TRUE(toggle->IsToggle());
  EXPECT_FALSE(push->IsToggle());
  EXPECT_TRUE(push->GetBitmap().IsEmpty());

  const cSkinHtmlViewResource* board = Main<cSkinHtmlViewResource>("board");
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->GetUrl(), "http://example.com/a b.html");
  EXPECT_EQ(board->GetUrlMirror(), "res://mirror");
  ExpectRect(board->GetRect(), 3, 4, 53, 64);

  const cSkinComboBoxResource* combo = Main<cSkinComboBoxResource>("resolution");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetBitmap().GetWidth(), 2);
  EXPECT_EQ(combo->GetCenter().x, 6);
  EXPECT_EQ(combo->GetCenter().width, 8);
  EXPECT_EQ(combo->GetRight().y, -1);
  EXPECT_EQ(combo->GetRight().height, 0);
  EXPECT_EQ(combo->GetScrollWidth(), 108);
  EXPECT_EQ(combo->GetScrollHeight(), 36);
  EXPECT_EQ(combo->GetScrollBitmap().GetBitCount(), 32);
  ExpectRect(combo->GetRect(), 5, 6, 155, 166);
}

TEST_F(SkinScriptTest, LookupsOfMissingOrOtherKindsGiveNull) {
  ASSERT_TRUE(Load("dialog main { button start { } progressbar probar { } }")) << m_skin->GetErrorText();
  cSkinDialogResource* dialog = m_skin->FindDialog("main");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(m_skin->FindDialog("Main"), nullptr);
  EXPECT_EQ(m_skin->FindDialog(nullptr), nullptr);
  EXPECT_EQ(dialog->FindComponent("close"), nullptr);
  EXPECT_EQ(dialog->FindComponent(nullptr), nullptr);
  EXPECT_EQ(dialog->FindComponentAs<cSkinButtonResource>("probar"), nullptr);
  EXPECT_EQ(dialog->FindComponentAs<cSkinComboBoxResource>("missing"), nullptr);
  EXPECT_NE(dialog->FindComponentAs<cSkinProgressBarResource>("probar"), nullptr);
  EXPECT_EQ(dialog->FindComponent("start"), dialog->FindComponentAs<cSkinButtonResource>("start"));
}

}  // namespace
