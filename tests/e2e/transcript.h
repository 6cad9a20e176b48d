// The robot's transcript read back into structs (format: tests/robot/robot_main.cpp).
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The static control that holds a message box's text.
const unsigned kMessageTextId = 0xFFFF;

struct Control {
  unsigned id = 0;
  std::string className;
  std::string text;
  std::vector<std::string> items;  // list and combo box entries
};

struct Dialog {
  int number = 0;
  std::string caption;
  std::vector<Control> controls;
  std::vector<std::string> answers;   // actions done, in script words ("click 1")
  std::vector<std::string> failures;  // actions whose control was missing

  // The first control with this id, or null.
  const Control* control(unsigned id) const;
  // The message box text (control 0xFFFF); empty when there is none.
  std::string message() const;
  // The texts of the buttons, in window order.
  std::vector<std::string> buttons() const;
};

struct Transcript {
  std::string command;
  std::vector<Dialog> dialogs;
  bool finished = false;  // the exit line was written
  long exitCode = -1;
  bool timedOut = false;
  std::string error;      // the robot's own failure, if it wrote one
};

// Parses transcript text. Returns false with error set ("line N: ...") when
// a line is malformed; out then holds what came before it.
bool parseTranscript(const std::string& text, Transcript& out, std::string& error);

}  // namespace e2e
