// What the robot reads from one dialog, as UTF-8 texts: what a user would see,
// kept in a form that can be compared between two looks at the same window.
#pragma once

#include <string>
#include <vector>

namespace robot {

struct ControlView {
  unsigned id = 0;
  std::string className;
  std::string text;
  std::vector<std::string> items;  // entries of a list box or combo box

  bool operator==(const ControlView& other) const {
    return id == other.id && className == other.className && text == other.text &&
           items == other.items;
  }
  bool operator!=(const ControlView& other) const { return !(*this == other); }
};

struct DialogView {
  std::string caption;
  std::vector<ControlView> controls;  // every descendant, in window order

  bool operator==(const DialogView& other) const {
    return caption == other.caption && controls == other.controls;
  }
  bool operator!=(const DialogView& other) const { return !(*this == other); }

  // Returns the first control with this id, or null.
  const ControlView* control(unsigned id) const {
    for (const ControlView& c : controls)
      if (c.id == id) return &c;
    return nullptr;
  }
};

}  // namespace robot
