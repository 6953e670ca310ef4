#include "skin/SkinContainerResource.h"

cSkinContainerResource::cSkinContainerResource(const char* kind) : cSkinComponentResource(kind) {}

cSkinContainerResource::~cSkinContainerResource() = default;

cSkinComponentResource* cSkinContainerResource::FindComponent(const char* name) const {
  if (name == nullptr) {
    return nullptr;
  }
  auto found = m_children.find(name);
  return found != m_children.end() ? found->second.get() : nullptr;
}

void cSkinContainerResource::AddComponent(const std::string& name, std::unique_ptr<cSkinComponentResource> resource) {
  if (resource) {
    m_children.try_emplace(name, std::move(resource));
  }
}
