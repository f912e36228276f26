// Non-visual components on data modules. A data module owns its components
// and keeps them in creation order; the kind-selection rule and every scan
// of a module depend on that order.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace veltro {

namespace detail {
// One address per component type: the type lists below are looked up by it
// with a pointer comparison (comparing type_info may compare names).
template <class T>
const void* ComponentTypeKey() {
  static const char key = 0;
  return &key;
}
}  // namespace detail

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
    for (TComponent* c : OfType<T>()) fn(*static_cast<T*>(c));
  }

  // The last component of type T in creation order for which pred holds, or
  // nullptr: the "last match wins" rule, searched from the end.
  template <class T, class Pred>
  T* FindLast(Pred&& pred) const {
    const std::vector<TComponent*>& list = OfType<T>();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
      if (pred(*static_cast<T*>(*it))) return static_cast<T*>(*it);
    return nullptr;
  }

 private:
  template <class T>
  const std::vector<TComponent*>& OfType() const {
    return OfType(detail::ComponentTypeKey<T>(), [](TComponent* x) { return dynamic_cast<T*>(x) != nullptr; });
  }
  const std::vector<TComponent*>& OfType(const void* type, bool (*isA)(TComponent*)) const;

  std::vector<std::unique_ptr<TComponent>> components_;
  // A deque keeps the lists in place while a nested ForEach adds another type.
  mutable std::deque<std::pair<const void*, std::vector<TComponent*>>> byType_;
};

}  // namespace veltro
