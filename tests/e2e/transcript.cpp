#include "transcript.h"

#include <sstream>

#include "tests/robot/line_format.h"

namespace e2e {

const Control* Dialog::control(unsigned id) const {
  for (const Control& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

std::string Dialog::message() const {
  const Control* text = control(kMessageTextId);
  return text ? text->text : std::string();
}

std::vector<std::string> Dialog::buttons() const {
  std::vector<std::string> texts;
  for (const Control& c : controls)
    if (c.className == "Button") texts.push_back(c.text);
  return texts;
}

namespace {

bool readNumber(const std::string& field, long& value) {
  std::istringstream in(field);
  return (in >> value) && in.peek() == EOF;
}

// The text of a line after its first word, as written ("click 2 1").
std::string restOfLine(const std::string& line, const std::string& word) {
  size_t at = line.find(word) + word.size();
  while (at < line.size() && line[at] == ' ') ++at;
  return line.substr(at);
}

// Reads one line that belongs inside a dialog block.
bool readDialogLine(const std::vector<std::string>& f, const std::string& line, Dialog& dialog) {
  long id = 0;
  const std::string& word = f[0];
  if (word == "caption" && f.size() == 2) {
    dialog.caption = f[1];
  } else if (word == "control" && f.size() == 4 && readNumber(f[1], id)) {
    dialog.controls.push_back({static_cast<unsigned>(id), f[2], f[3], {}});
  } else if (word == "items" && f.size() >= 2 && readNumber(f[1], id) && !dialog.controls.empty() &&
             dialog.controls.back().id == static_cast<unsigned>(id)) {
    dialog.controls.back().items.assign(f.begin() + 2, f.end());
  } else if (word == "answer" || word == "failed") {
    (word == "answer" ? dialog.answers : dialog.failures).push_back(restOfLine(line, word));
  } else {
    return false;
  }
  return true;
}

// Reads one line outside dialog blocks.
bool readRunLine(const std::vector<std::string>& f, Transcript& out, Dialog*& open) {
  long number = 0;
  const std::string& word = f[0];
  if (word == "command" && f.size() == 2) {
    out.command = f[1];
  } else if (word == "dialog" && f.size() == 2 && readNumber(f[1], number)) {
    out.dialogs.emplace_back();
    open = &out.dialogs.back();
    open->number = static_cast<int>(number);
  } else if (word == "timeout" && f.size() == 2) {
    out.timedOut = true;
  } else if (word == "exit" && f.size() == 2 && readNumber(f[1], number)) {
    out.finished = true;
    out.exitCode = number;
  } else if (word == "error" && f.size() == 2) {
    out.error = f[1];
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool parseTranscript(const std::string& text, Transcript& out, std::string& error) {
  out = Transcript();
  std::istringstream lines(text);
  std::string line;
  Dialog* open = nullptr;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::vector<std::string> f;
    bool ok = robotfmt::splitFields(line, f);
    if (ok && f.empty()) continue;
    if (ok && open && f[0] == "end" && f.size() == 1)
      open = nullptr;
    else if (ok)
      ok = open ? readDialogLine(f, line, *open) : readRunLine(f, out, open);
    if (!ok) {
      error = "line " + std::to_string(number) + ": " + line;
      return false;
    }
  }
  return true;
}

}  // namespace e2e
