// cSkinProgressBar: a static control that paints itself completely and shows a
// fraction as a horizontal bar. The done part, from the left, is filled with the
// skin image as a pattern tiled from the control's top-left corner and outlined in
// the resource's color; the rest is filled with its backColor.
#pragma once

#include "skin/SkinProgressBarResource.h"
#include "ui/Static.h"

#include <atomic>

class cSkinProgressBar : public ui::CStatic {
public:
  cSkinProgressBar();
  ~cSkinProgressBar() override;

  // Creates the bar (no text, WS_CHILD | WS_VISIBLE | SS_SIMPLE) at the resource's
  // rect in parent with that control id. The resource is not owned and must outlive
  // the window. FALSE without a resource or parent, when the window exists already
  // or cannot be created.
  BOOL Create(const cSkinProgressBarResource* pResource, ui::CWnd* pParent, UINT id);
  // Stores the fraction done; does not repaint (the caller invalidates). May be
  // called from any thread.
  void SetPos(float pos) { m_pos.store(pos, std::memory_order_relaxed); }
  float GetPos() const { return m_pos.load(std::memory_order_relaxed); }
  // Paints the bar into dc over the client rectangle client: the done part ends at
  // trunc(client.left + width x pos), with the resource's width and pos limited to
  // 0 .. 1 (a value that is not a number counts as 0). Without an image the done
  // part is filled with color.
  void Draw(HDC dc, const RECT& client) const;

protected:
  void OnPaint() override;

private:
  int GetSplitX(const RECT& client) const;
  void FillPart(HDC dc, const RECT& part, HBRUSH fill, COLORREF outline) const;

  const cSkinProgressBarResource* m_pResource;
  int m_width;
  int m_height;
  COLORREF m_color;
  COLORREF m_backColor;
  std::atomic<float> m_pos;
};
