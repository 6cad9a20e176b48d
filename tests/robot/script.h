// The robot's answer script: ordered rules, the first that matches a dialog
// answers it; dialogs no rule matches get the default answer.
//
//   # comment
//   default                     (the answer for unmatched dialogs; without
//     click 2 1                  this block: click 2 1, i.e. Cancel, else OK)
//   on caption "FATAL ERROR" text "Illegal"
//     click 1
//   once text "Go on?"           (used for the first matching dialog only)
//     click 6
//   on caption "Form"
//     type 100 "C:\\Dir"         (set the text of control 100)
//     pick 101 2                 (select entry 2 of list or combo box 101)
//     check 102 1                (set check box 102: 1 checked, 0 not)
//     click 1
//   on caption "Progress"
//     ignore                     (record the dialog, answer nothing)
//
// Matching: "caption" is a substring of the dialog's caption, "text" a
// substring of any control's text; a rule with both needs both, a rule with
// neither matches every dialog. "click" takes one or more ids and clicks the
// first one the dialog has as a control (the first id when it has none).
#pragma once

#include <string>
#include <vector>

#include "dialog_view.h"

namespace robot {

enum class ActionKind { Click, Type, Pick, Check, Ignore };

struct Action {
  ActionKind kind = ActionKind::Ignore;
  std::vector<unsigned> ids;  // Click: candidates in order; others: the control
  std::string text;           // Type
  int number = 0;             // Pick: entry index; Check: state

  // One line for the transcript, in the script's own words ("click 1").
  std::string describe() const;
};

struct Rule {
  bool once = false;
  bool used = false;
  bool hasCaption = false;
  bool hasText = false;
  std::string caption;
  std::string text;
  std::vector<Action> actions;

  bool matches(const DialogView& dialog) const;
};

struct Script {
  std::vector<Rule> rules;
  Rule fallback;  // the default block; click 2 1 unless the script sets one

  Script();

  // Returns the rule that answers this dialog (a "once" rule is marked used),
  // or the fallback. The reference stays valid while the script lives.
  const Rule& answerFor(const DialogView& dialog);
};

// Parses script text into script. On failure returns false and sets error to
// "line N: what is wrong".
bool parseScript(const std::string& text, Script& script, std::string& error);

}  // namespace robot
