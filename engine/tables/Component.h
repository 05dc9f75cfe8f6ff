// A minimal component tree: every component has a name and at most one
// owner; an owner keeps the components it owns in creation order and frees
// them when it dies. Sessions, databases and cursors use the tree to find
// their siblings (the other components of their common owner).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Codepage.h"

namespace tinydb {


class TComponent {
 public:
  // Joins |owner|'s components (at the end) when |owner| is not null.
  explicit TComponent(TComponent* owner = nullptr);
  // Frees every owned component, the last created first, then leaves the
  // owner's list.
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  // Renames the component; subclasses may react to their new name.
  virtual void SetName(const std::string& name) { name_ = name; }

  // The owner, or null.
  TComponent* Owner() const { return owner_; }
  // The owned components in creation order.
  const std::vector<TComponent*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }

  // True from the start of the destructor on.
  bool Destroying() const { return destroying_; }

 protected:
  // Marks the component as being destroyed; subclass destructors call it
  // first so that the objects they notify can tell.
  void BeginDestroy() { destroying_ = true; }
  // Frees every owned component, the last created first. Subclass
  // destructors call it while their own state is still whole.
  void DestroyComponents();

 private:
  void RemoveComponent(TComponent* component);

  std::string name_;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  bool destroying_ = false;
};

}  // namespace tinydb
