#include "launcher/MainComponents.h"

#include "skin/SkinDialogResource.h"

#include <cstring>

const char MAIN_DIALOG_NAME[] = "main";

namespace {

const tMainComponent kComponents[] = {
    {"start", "button"},       {"close", "button"},  {"minimize", "button"},       {"probar", "progressbar"},
    {"board", "htmlview"},     {"full", "button"},   {"resolution", "combobox"},
};

}  // namespace

const tMainComponent* MainWindowComponents(size_t* count) {
  *count = sizeof(kComponents) / sizeof(kComponents[0]);
  return kComponents;
}

const tMainComponent* FindMissingMainComponent(const cSkinDialogResource& dialog) {
  for (const tMainComponent& needed : kComponents) {
    const cSkinComponentResource* found = dialog.FindComponent(needed.name);
    if (found == nullptr || std::strcmp(found->GetKind(), needed.kind) != 0) return &needed;
  }
  return nullptr;
}
