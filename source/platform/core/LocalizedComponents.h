// What the localisation store may put into a component. The component classes implement the
// interfaces that fit them, beside TComponent: an action takes a caption and a hint; buttons,
// check boxes, radio buttons, group boxes, labels, static texts, tab sheets and menu items take
// a caption; a combo box takes its item list; a list view takes its column captions; a form
// takes its caption. The store finds them with dynamic_cast, so a component that implements
// several gets each text.
#pragma once

#include <string>

class TStrings;

/// An action: its caption and its hint.
class ILocalizedAction {
 public:
  virtual ~ILocalizedAction() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetHint(const std::string& hint) = 0;
};

/// A control or menu item that shows a caption.
class ILocalizedCaption {
 public:
  virtual ~ILocalizedCaption() = default;
  virtual void SetCaption(const std::string& caption) = 0;
};

/// A control with an item list (a combo box).
class ILocalizedItems {
 public:
  virtual ~ILocalizedItems() = default;
  virtual TStrings& LocalizedItems() = 0;
};

/// A control with columns (a list view).
class ILocalizedColumns {
 public:
  virtual ~ILocalizedColumns() = default;
  virtual int LocalizedColumnCount() const = 0;
  virtual void SetLocalizedColumnCaption(int index, const std::string& caption) = 0;
};

/// A form: its caption.
class ILocalizedForm {
 public:
  virtual ~ILocalizedForm() = default;
  virtual void SetCaption(const std::string& caption) = 0;
};
