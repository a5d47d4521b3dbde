// Applies a localisation text to a form: every localisable property of the
// form and of its components whose key the text holds gets the decoded value;
// the others keep their base texts. The form is seen through a small tree
// interface, so that the same code serves Qt forms and tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

enum class ComponentRole { Form, MenuItem, Other };

struct ComponentProperty {
  std::string name;   // as the component publishes it ("Caption", "items", ...)
  bool list = false;  // items, strings, lines, columns: a list of texts
};

class LocalisableComponent {
 public:
  virtual ~LocalisableComponent() = default;
  virtual std::string Name() const = 0;
  virtual ComponentRole Role() const = 0;
  // The text-valued properties it publishes.
  virtual std::vector<ComponentProperty> Properties() const = 0;
  virtual std::vector<std::string> ReadList(std::string_view property) const = 0;
  // False when the value cannot be set.
  virtual bool WriteText(std::string_view property, const std::string& text) = 0;
  virtual bool WriteList(std::string_view property, const std::vector<std::string>& items) = 0;
};

class LocalisableTree {
 public:
  virtual ~LocalisableTree() = default;
  virtual LocalisableComponent& Owner() = 0;
  virtual std::vector<LocalisableComponent*> Components() = 0;
};

class TNyLanguager {
 public:
  explicit TNyLanguager(LocalisableTree& tree) : tree_(tree) {}

  // Applies `text`; stops quietly at the first value a component refuses.
  void SetLocalizationString(std::string_view text);
  // "component.property" in lower case, for the form and its components;
  // built on first use.
  const std::vector<std::string>& PropertiesList();
  // A component being destroyed leaves the list.
  void ComponentRemoved(const LocalisableComponent* component);

 private:
  struct Entry {
    LocalisableComponent* component;
    std::string componentName;
    std::string property;
    bool list;
  };
  void Build();
  LocalisableTree& tree_;
  bool built_ = false;
  std::vector<Entry> entries_;
  std::vector<std::string> paths_;
};

}  // namespace tolvane
