// Non-visual components on data modules. A data module owns its components
// and keeps them in creation order; the kind-selection rule and every scan
// of a module depend on that order.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace veltro {

class TDataModule;

class TComponent {
 public:
  virtual ~TComponent() = default;
  std::string Name;
  int Tag = 0;
  TDataModule* Owner = nullptr;
};

class TDataModule : public TComponent {
 public:
  TDataModule() = default;
  explicit TDataModule(std::string name) { Name = std::move(name); }
  TDataModule(const TDataModule&) = delete;
  TDataModule& operator=(const TDataModule&) = delete;

  // Creates a component of type T named name as the module's last component.
  template <class T>
  T& Add(std::string name) {
    auto c = std::make_unique<T>();
    c->Name = std::move(name);
    c->Owner = this;
    T& ref = *c;
    components_.push_back(std::move(c));
    return ref;
  }

  const std::vector<std::unique_ptr<TComponent>>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }

  // First component with that name (exact), or nullptr.
  TComponent* FindComponent(const std::string& name) const;

  // Calls fn for every component of type T in creation order.
  template <class T, class Fn>
  void ForEach(Fn&& fn) const {
    for (const auto& c : components_)
      if (auto* t = dynamic_cast<T*>(c.get())) fn(*t);
  }

 private:
  std::vector<std::unique_ptr<TComponent>> components_;
};

}  // namespace veltro
