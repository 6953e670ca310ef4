// The base of every resource of the skin tree: a component's main image, its
// rectangle in the parent's client coordinates and its size. Each kind reads its
// own block of the skin script through Parse; the keys it accepts are its ParseKey.
// Images are loaded once, at reading time, from the process-wide skin folder.
#pragma once

#include "common/WinTypes.h"
#include "skin/SkinBitmap.h"

#include <string>

class cSkinParser;

class cSkinComponentResource {
public:
  // kind names the block in messages and summaries ("button", "dialog", ...).
  explicit cSkinComponentResource(const char* kind);
  virtual ~cSkinComponentResource();
  cSkinComponentResource(const cSkinComponentResource&) = delete;
  cSkinComponentResource& operator=(const cSkinComponentResource&) = delete;

  // Reads the block that follows the component's name: "{", keys in any order,
  // "}". False on the first failure, recorded in the parser.
  virtual bool Parse(cSkinParser& parser);

  // Loads the skin folder joined with fileName (appended as written) into target
  // and stores the image's size through the pointers that are given. False when
  // the file cannot be read as a TGA image: target is left as it was and the
  // reason is stored through pReason when given. True also when the bitmap
  // storage cannot be made; target is then empty.
  bool LoadImage(const char* fileName, cSkinBitmap& target, int* pWidth, int* pHeight,
                 std::string* pReason = nullptr);

  // The folder that every image name is appended to (ends in "/").
  static void SetSkinFolder(const std::string& folder);
  static const std::string& GetSkinFolder();

  const char* GetKind() const { return m_kind; }
  // The main image; empty when the block names none.
  const cSkinBitmap& GetBitmap() const { return m_bitmap; }
  // left, top, right, bottom in the parent's client coordinates.
  const RECT& GetRect() const { return m_rect; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }

protected:
  enum eKeyResult { SKIN_KEY_READ, SKIN_KEY_FAILED, SKIN_KEY_UNKNOWN };
  // Reads the arguments of one key of this kind's block. The base knows no key.
  virtual eKeyResult ParseKey(const std::string& key, cSkinParser& parser);

  // "image" file: the main image; width and height become its size.
  eKeyResult ReadImageKey(cSkinParser& parser);
  // An image key into another bitmap and size (the combo box's scroll image).
  eKeyResult ReadImageInto(cSkinParser& parser, cSkinBitmap& target, int* pWidth, int* pHeight);
  // "pos" x y: moves rect to x, y with the current width and height.
  void ReadPos(cSkinParser& parser);
  // "size" w h: sets width and height and the rect's right and bottom.
  void ReadSize(cSkinParser& parser);
  // The placement keys every control reads, "pos" and "size"; SKIN_KEY_UNKNOWN for others.
  eKeyResult ParsePlacementKey(const std::string& key, cSkinParser& parser);
  // Three integers r g b, each cut to its low 8 bits, as a COLORREF.
  static COLORREF ReadColor(cSkinParser& parser);

  cSkinBitmap m_bitmap;
  RECT m_rect;
  int m_width;
  int m_height;

private:
  const char* m_kind;
};
