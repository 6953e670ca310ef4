// The skin components that the launcher's main window is made of: the dialog "main"
// and, in it, each control the window creates, by name and kind. One list for the
// launcher, which refuses a skin that lacks one, and for kqskin, which names the
// first one missing. Portable.
#pragma once

#include <cstddef>

class cSkinDialogResource;

// The dialog of the skin that the main window is made from.
extern const char MAIN_DIALOG_NAME[];

struct tMainComponent {
  const char* name;
  const char* kind;  // the resource kind, as cSkinComponentResource::GetKind gives it
};

// The components, in the order the window creates them; count gets their number.
const tMainComponent* MainWindowComponents(size_t* count);

// The first component of the list that dialog lacks, or holds as another kind; null
// when every one is there.
const tMainComponent* FindMissingMainComponent(const cSkinDialogResource& dialog);
