#include "script.h"

#include <cstdlib>
#include <sstream>

#include "line_format.h"

namespace robot {

std::string Action::describe() const {
  std::string line;
  switch (kind) {
    case ActionKind::Click:
      line = "click";
      for (unsigned id : ids) line += " " + std::to_string(id);
      return line;
    case ActionKind::Type:
      return "type " + std::to_string(ids.at(0)) + " " + robotfmt::quote(text);
    case ActionKind::Pick:
      return "pick " + std::to_string(ids.at(0)) + " " + std::to_string(number);
    case ActionKind::Check:
      return "check " + std::to_string(ids.at(0)) + " " + std::to_string(number);
    case ActionKind::Ignore:
      return "ignore";
  }
  return line;
}

bool Rule::matches(const DialogView& dialog) const {
  if (hasCaption && dialog.caption.find(caption) == std::string::npos) return false;
  if (!hasText) return true;
  for (const ControlView& c : dialog.controls)
    if (c.text.find(text) != std::string::npos) return true;
  return false;
}

Script::Script() {
  Action cancelElseOk;
  cancelElseOk.kind = ActionKind::Click;
  cancelElseOk.ids = {2, 1};
  fallback.actions.push_back(cancelElseOk);
}

const Rule& Script::answerFor(const DialogView& dialog) {
  for (Rule& rule : rules) {
    if ((rule.once && rule.used) || !rule.matches(dialog)) continue;
    rule.used = true;
    return rule;
  }
  return fallback;
}

namespace {

bool fail(std::string& error, const std::string& what) {
  error = what;
  return false;
}

// Reads a whole decimal number; false for anything else.
bool readNumber(const std::string& field, long& value) {
  if (field.empty()) return false;
  char* end = nullptr;
  value = std::strtol(field.c_str(), &end, 10);
  return *end == '\0' && value >= 0;
}

// Parses an action line's fields into action; error says what is wrong.
bool parseAction(const std::vector<std::string>& f, Action& action, std::string& error) {
  const std::string& verb = f[0];
  long n = 0;
  if (verb == "ignore" && f.size() == 1) {
    action.kind = ActionKind::Ignore;
    return true;
  }
  if (verb == "click" && f.size() >= 2) {
    action.kind = ActionKind::Click;
    for (size_t i = 1; i < f.size(); ++i) {
      if (!readNumber(f[i], n)) return fail(error, "bad control id");
      action.ids.push_back(static_cast<unsigned>(n));
    }
    return true;
  }
  bool typed = verb == "type", picked = verb == "pick", checked = verb == "check";
  if ((typed || picked || checked) && f.size() == 3) {
    if (!readNumber(f[1], n)) return fail(error, "bad control id");
    action.ids.push_back(static_cast<unsigned>(n));
    action.kind = typed ? ActionKind::Type : picked ? ActionKind::Pick : ActionKind::Check;
    if (typed) {
      action.text = f[2];
    } else {
      if (!readNumber(f[2], n)) return fail(error, "bad number");
      action.number = static_cast<int>(n);
    }
    return true;
  }
  error = "unknown action or wrong number of fields: " + verb;
  return false;
}

// Parses a rule header ("on"/"once" followed by caption/text pairs).
bool parseHeader(const std::vector<std::string>& f, Rule& rule, std::string& error) {
  rule.once = f[0] == "once";
  for (size_t i = 1; i < f.size(); i += 2) {
    if (i + 1 >= f.size()) return fail(error, "missing text after " + f[i]);
    if (f[i] == "caption") {
      rule.hasCaption = true;
      rule.caption = f[i + 1];
    } else if (f[i] == "text") {
      rule.hasText = true;
      rule.text = f[i + 1];
    } else {
      return fail(error, "expected caption or text, got " + f[i]);
    }
  }
  return true;
}

}  // namespace

bool parseScript(const std::string& text, Script& script, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  Rule* current = nullptr;
  bool fallbackGiven = false;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::vector<std::string> f;
    std::string what;
    bool ok = robotfmt::splitFields(line, f);
    if (ok && f.empty()) continue;
    if (!ok) {
      what = "malformed quoted text";
    } else if (f[0] == "on" || f[0] == "once") {
      script.rules.emplace_back();
      current = &script.rules.back();
      ok = parseHeader(f, *current, what);
    } else if (f[0] == "default") {
      ok = f.size() == 1 && !fallbackGiven;
      what = "default takes no fields and comes once";
      fallbackGiven = true;
      script.fallback.actions.clear();
      current = &script.fallback;
    } else if (!current) {
      ok = false;
      what = "action before any rule";
    } else {
      Action action;
      ok = parseAction(f, action, what);
      current->actions.push_back(action);
    }
    if (!ok) {
      error = "line " + std::to_string(number) + ": " + what;
      return false;
    }
  }
  for (const Rule& rule : script.rules)
    if (rule.actions.empty()) return fail(error, "a rule without actions");
  if (script.fallback.actions.empty()) return fail(error, "default without actions");
  return true;
}

}  // namespace robot
