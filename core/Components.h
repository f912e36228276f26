// Non-visual components on data modules. A data module owns its components
// and keeps them in creation order; the kind-selection rule and every scan
// of a module depend on that order.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <typeindex>
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
    byType_.clear();
    return ref;
  }

  const std::vector<std::unique_ptr<TComponent>>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }

  // First component with that name (exact), or nullptr.
  TComponent* FindComponent(const std::string& name) const;

  // Calls fn for every component of type T in creation order. The engine
  // selects kinds for every line, so the components of each type are
  // looked up once and kept.
  template <class T, class Fn>
  void ForEach(Fn&& fn) const {
    for (TComponent* c : OfType(typeid(T), [](TComponent* x) { return dynamic_cast<T*>(x) != nullptr; }))
      fn(*static_cast<T*>(c));
  }

 private:
  const std::vector<TComponent*>& OfType(const std::type_info& type, bool (*isA)(TComponent*)) const;

  std::vector<std::unique_ptr<TComponent>> components_;
  // A deque keeps the lists in place while a nested ForEach adds another type.
  mutable std::deque<std::pair<std::type_index, std::vector<TComponent*>>> byType_;
};

}  // namespace veltro
