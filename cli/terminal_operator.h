#pragma once
// The operator seam on a terminal: the worker's messages as lines of text,
// its prompts answered with Enter (or by --yes, or at once when no terminal
// is there to answer), and the final message kept for the exit status.

#include <cstdio>
#include <string>

#include "cli/progress_display.h"
#include "update/operator.h"

class TerminalOperator final : public Operator {
 public:
  TerminalOperator(ProgressDisplay& display, bool assumeYes, bool stdinIsTerminal)
      : display_(display), assumeYes_(assumeYes), stdinIsTerminal_(stdinIsTerminal) {}

  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;
  void EnableStartControl(bool) override {}
  void StopElapsedTimer() override { display_.StopElapsedTimer(); }
  void WaitSeconds(unsigned seconds) override;

  // The last message that was not a prompt: the run's final message.
  bool hasFinalMessage() const { return hasFinal_; }
  const std::string& finalText() const { return finalText_; }
  const std::string& finalCaption() const { return finalCaption_; }

  // The reconnect prompts are the only messages that wait for the operator
  // to act on the PLC; every other message just reports.
  static bool IsPrompt(const char* text);

 private:
  void AnswerPrompt();

  ProgressDisplay& display_;
  bool assumeYes_;
  bool stdinIsTerminal_;
  bool hasFinal_ = false;
  std::string finalText_;
  std::string finalCaption_;
};
