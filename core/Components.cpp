#include "core/Components.h"

namespace veltro {

TComponent* TDataModule::FindComponent(const std::string& name) const {
  for (const auto& c : components_)
    if (c->Name == name) return c.get();
  return nullptr;
}

}  // namespace veltro
