// A resource that owns named child components (the dialog). Names compare byte for
// byte; the first child of a name is kept.
#pragma once

#include "skin/SkinComponentResource.h"

#include <map>
#include <memory>
#include <string>

class cSkinContainerResource : public cSkinComponentResource {
public:
  typedef std::map<std::string, std::unique_ptr<cSkinComponentResource>> tComponentMap;

  explicit cSkinContainerResource(const char* kind);
  ~cSkinContainerResource() override;

  // The child of that name, or null (also for a null name). The kind is not
  // checked; FindComponentAs does.
  cSkinComponentResource* FindComponent(const char* name) const;
  // The child of that name when it is of kind T, else null.
  template <class T>
  T* FindComponentAs(const char* name) const {
    return dynamic_cast<T*>(FindComponent(name));
  }
  // Takes ownership; a name already present keeps its first resource and the new
  // one is deleted.
  void AddComponent(const std::string& name, std::unique_ptr<cSkinComponentResource> resource);
  const tComponentMap& GetComponents() const { return m_children; }

private:
  tComponentMap m_children;
};
