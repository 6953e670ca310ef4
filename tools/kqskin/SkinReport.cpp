#include "tools/kqskin/SkinReport.h"

#include "launcher/MainComponents.h"
#include "skin/SkinButtonResource.h"
#include "skin/SkinComboBoxResource.h"
#include "skin/SkinHtmlViewResource.h"
#include "skin/SkinManager.h"
#include "skin/SkinProgressBarResource.h"

#include <cstring>

namespace {

// The dialog that the launcher's main window is made from.
const char* const kMainDialog = MAIN_DIALOG_NAME;
// Faces a button strip needs: normal, hovered, pressed; a toggle uses two.
const int kPushFaces = 3;
const int kToggleFaces = 2;
const int kScrollColumns = 9;
const int kScrollRows = 3;

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
      char escaped[8];
      snprintf(escaped, sizeof(escaped), "\\x%02X", c);
      out += escaped;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

std::string Format(const char* format, long a, long b) {
  char buffer[64];
  snprintf(buffer, sizeof(buffer), format, a, b);
  return buffer;
}

std::string DescribeImage(const cSkinBitmap& bitmap) {
  if (bitmap.IsEmpty()) {
    return "no image";
  }
  return Format("image %ld x %ld", bitmap.GetWidth(), bitmap.GetHeight()) + " (" +
         std::to_string(bitmap.GetBitCount()) + " bits)";
}

std::string DescribeRect(const cSkinComponentResource& resource) {
  const RECT& r = resource.GetRect();
  return Format("rect (%ld, %ld)", r.left, r.top) + Format("-(%ld, %ld)", r.right, r.bottom) +
         Format(", size %ld x %ld", resource.GetWidth(), resource.GetHeight());
}

std::string DescribeColor(COLORREF color) {
  return std::to_string(GetRValue(color)) + " " + std::to_string(GetGValue(color)) + " " +
         std::to_string(GetBValue(color));
}

std::string DescribeSlice(const char* name, const SkinSlice& s) {
  return std::string(name) + Format(" (%ld, %ld, ", s.x, s.y) + Format("%ld, %ld)", s.width, s.height);
}

// The kind-specific part of a component's summary line.
std::string DescribeDetails(const cSkinComponentResource& resource) {
  if (auto button = dynamic_cast<const cSkinButtonResource*>(&resource)) {
    return DescribeImage(button->GetBitmap()) + ", " +
           (button->IsToggle() ? "toggle (style " + std::to_string(button->GetStyle()) + ")" : std::string("push"));
  }
  if (auto bar = dynamic_cast<const cSkinProgressBarResource*>(&resource)) {
    return DescribeImage(bar->GetBitmap()) + ", color " + DescribeColor(bar->GetColor()) + ", backcolor " +
           DescribeColor(bar->GetBackColor());
  }
  if (auto view = dynamic_cast<const cSkinHtmlViewResource*>(&resource)) {
    return "url " + Quote(view->GetUrl()) + ", urlMirror " + Quote(view->GetUrlMirror());
  }
  if (auto combo = dynamic_cast<const cSkinComboBoxResource*>(&resource)) {
    std::string scroll = combo->GetScrollBitmap().IsEmpty()
                             ? std::string("no scroll image")
                             : "scroll " + DescribeImage(combo->GetScrollBitmap()) + " tile " +
                                   std::to_string(combo->GetScrollWidth() / kScrollColumns);
    return DescribeImage(combo->GetBitmap()) + ", " + DescribeSlice("left", combo->GetLeft()) + " " +
           DescribeSlice("center", combo->GetCenter()) + " " + DescribeSlice("right", combo->GetRight()) + ", " +
           scroll;
  }
  return std::string();
}

bool SliceFits(const SkinSlice& s, const cSkinBitmap& bitmap) {
  return s.x >= 0 && s.y >= 0 && s.width >= 0 && s.height >= 0 && (long)s.x + s.width <= bitmap.GetWidth() &&
         (long)s.y + s.height <= bitmap.GetHeight();
}

void WarnAboutButton(const std::string& label, const cSkinButtonResource& button, std::vector<std::string>& out) {
  int faces = button.IsToggle() ? kToggleFaces : kPushFaces;
  const cSkinBitmap& bitmap = button.GetBitmap();
  if ((long)bitmap.GetWidth() < (long)faces * button.GetWidth() || bitmap.GetHeight() < button.GetHeight()) {
    out.push_back(label + ": " + DescribeImage(bitmap) + " holds fewer than " + std::to_string(faces) +
                  Format(" faces of %ld x %ld", button.GetWidth(), button.GetHeight()));
  }
}

void WarnAboutComboBox(const std::string& label, const cSkinComboBoxResource& combo, std::vector<std::string>& out) {
  const cSkinBitmap& face = combo.GetBitmap();
  if (!SliceFits(combo.GetLeft(), face) || !SliceFits(combo.GetCenter(), face) ||
      !SliceFits(combo.GetRight(), face)) {
    out.push_back(label + ": a slice lies outside the " + DescribeImage(face));
  }
  const cSkinBitmap& scroll = combo.GetScrollBitmap();
  int tile = scroll.GetWidth() / kScrollColumns;
  bool tiled = tile > 0 && scroll.GetWidth() == tile * kScrollColumns && scroll.GetHeight() >= tile * kScrollRows;
  if (!scroll.IsEmpty() && !tiled) {
    out.push_back(label + ": the scroll " + DescribeImage(scroll) + " is not 9 x 3 square tiles");
  }
}

void WarnAboutComponent(const std::string& label, const cSkinComponentResource& resource,
                        std::vector<std::string>& out) {
  bool drawsImage = dynamic_cast<const cSkinHtmlViewResource*>(&resource) == nullptr;
  if (drawsImage && resource.GetBitmap().IsEmpty()) {
    out.push_back(label + ": no \"image\"; the control draws nothing");
  }
  if (resource.GetWidth() <= 0 || resource.GetHeight() <= 0) {
    out.push_back(label + Format(": size %ld x %ld; the control is not visible", resource.GetWidth(), resource.GetHeight()));
  }
  if (auto button = dynamic_cast<const cSkinButtonResource*>(&resource)) {
    WarnAboutButton(label, *button, out);
  }
  if (auto combo = dynamic_cast<const cSkinComboBoxResource*>(&resource)) {
    WarnAboutComboBox(label, *combo, out);
  }
}

}  // namespace

void PrintSkinSummary(const cSkinManager& skin, FILE* out) {
  for (const auto& dialogEntry : skin.GetDialogs()) {
    const cSkinDialogResource& dialog = *dialogEntry.second;
    const LOGFONTA& font = dialog.GetFont();
    fprintf(out, "dialog %s: %s, font %s height %ld weight %ld, %zu texts, %zu components\n",
            Quote(dialogEntry.first).c_str(), DescribeImage(dialog.GetBitmap()).c_str(),
            Quote(font.lfFaceName).c_str(), (long)font.lfHeight, (long)font.lfWeight, dialog.GetTexts().size(),
            dialog.GetComponents().size());
    for (const auto& entry : dialog.GetComponents()) {
      const cSkinComponentResource& component = *entry.second;
      fprintf(out, "  %s %s: %s, %s\n", component.GetKind(), Quote(entry.first).c_str(),
              DescribeRect(component).c_str(), DescribeDetails(component).c_str());
    }
  }
}

std::string FindLauncherGap(const cSkinManager& skin) {
  const cSkinDialogResource* dialog = skin.FindDialog(kMainDialog);
  if (dialog == nullptr) {
    return "no dialog \"main\"; the launcher's window is made from it";
  }
  const tMainComponent* needed = FindMissingMainComponent(*dialog);
  if (needed == nullptr) {
    return std::string();
  }
  const cSkinComponentResource* component = dialog->FindComponent(needed->name);
  if (component == nullptr) {
    return std::string("dialog \"main\" has no ") + needed->kind + " \"" + needed->name + "\"; the launcher needs it";
  }
  return std::string("\"") + needed->name + "\" in dialog \"main\" is a " + component->GetKind() +
         "; the launcher needs a " + needed->kind;
}

std::vector<std::string> CollectSkinWarnings(const cSkinManager& skin) {
  std::vector<std::string> warnings;
  for (const auto& dialogEntry : skin.GetDialogs()) {
    const cSkinDialogResource& dialog = *dialogEntry.second;
    std::string dialogLabel = "dialog " + Quote(dialogEntry.first);
    if (dialog.GetBitmap().IsEmpty()) {
      warnings.push_back(dialogLabel + ": no \"image\"; the window has no size");
    }
    for (const auto& entry : dialog.GetComponents()) {
      WarnAboutComponent(dialogLabel + ", " + entry.second->GetKind() + " " + Quote(entry.first), *entry.second,
                         warnings);
    }
  }
  const cSkinDialogResource* main = skin.FindDialog(kMainDialog);
  const cSkinButtonResource* full = main != nullptr ? main->FindComponentAs<cSkinButtonResource>("full") : nullptr;
  if (full != nullptr && !full->IsToggle()) {
    warnings.push_back("button \"full\" has style 0; the launcher uses it as a toggle");
  }
  return warnings;
}
