// Helpers of the window tests of the skin toolkit: pictures written as TGA files, a
// skin loaded from a scratch folder the way the launcher loads one, a memory canvas
// whose pixels a test reads, and a plain parent window for controls.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "files/FileSystem.h"
#include "skin/SkinManager.h"
#include "tests/skin/SkinTestFiles.h"
#include "ui/Dc.h"
#include "ui/Wnd.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace skintest {

// Colours by the letters that draw a picture; 'K' is always the key colour.
typedef std::map<char, COLORREF> tPalette;

// An uncompressed 24-bit TGA of a picture given as rows of letters, top row first;
// the rows are stored bottom-up, the TGA default.
std::string PictureTga(const std::vector<std::string>& rows, const tPalette& palette);
// A width x height picture of one letter with a border of another, as rows.
std::vector<std::string> Framed(int width, int height, char inside, char border);

// A skin in its own scratch folder, loaded through cSkinManager.
class cTestSkin {
public:
  explicit cTestSkin(const std::string& folderName);

  void AddImage(const std::string& fileName, const std::string& tga);
  // Writes script as "skin.txt" and loads it; the failure text when it fails.
  ::testing::AssertionResult Load(const std::string& script);
  // The dialog and its component of that name and kind, or null.
  const cSkinDialogResource* Dialog(const char* name) const;
  template <class T>
  const T* Component(const char* dialog, const char* name) const {
    const cSkinDialogResource* found = Dialog(dialog);
    return found != nullptr ? found->FindComponentAs<T>(name) : nullptr;
  }

private:
  ScratchDir m_scratch;
  cFileSystem m_fileSystem;
  std::unique_ptr<cSkinManager> m_skin;
};

// A 32-bit DIB section selected into a memory DC, filled with one colour.
class cCanvas {
public:
  cCanvas(int width, int height, COLORREF fill);
  ~cCanvas();
  cCanvas(const cCanvas&) = delete;
  cCanvas& operator=(const cCanvas&) = delete;

  HDC Dc() const { return m_dc; }
  // The pixel as drawn so far (pending GDI work is flushed first).
  COLORREF At(int x, int y) const;

private:
  ui::CDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_previous;
};

// A visible pop-up window that parents controls and counts the BN_CLICKED
// notifications that reach its own handler.
class cParentWindow : public ui::CWnd {
public:
  cParentWindow(int width, int height);
  int Clicks(int id) const;

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
  std::map<int, int> m_clicks;
};

}  // namespace skintest
