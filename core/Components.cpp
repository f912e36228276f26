#include "core/Components.h"

namespace veltro {

TComponent* TDataModule::FindComponent(const std::string& name) const {
  for (const auto& c : components_)
    if (c->Name == name) return c.get();
  return nullptr;
}

const std::vector<TComponent*>& TDataModule::OfType(const void* key, bool (*isA)(TComponent*)) const {
  for (const auto& entry : byType_)
    if (entry.first == key) return entry.second;
  std::vector<TComponent*> list;
  for (const auto& c : components_)
    if (isA(c.get())) list.push_back(c.get());
  byType_.emplace_back(key, std::move(list));
  return byType_.back().second;
}

}  // namespace veltro
