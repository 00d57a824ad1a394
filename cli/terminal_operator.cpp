#include "cli/terminal_operator.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "update/messages.h"

bool TerminalOperator::IsPrompt(const char* text) {
  return std::strcmp(text, msg::kReplugPrompt) == 0 || std::strcmp(text, msg::kPowerCyclePrompt) == 0;
}

void TerminalOperator::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  const bool prompt = IsPrompt(text);
  {
    std::lock_guard<std::mutex> hold(display_.OutputLock());
    display_.BreakLine();
    std::FILE* out = icon == MessageIcon::Error ? stderr : stdout;
    std::fprintf(out, "%s: %s\n", caption, text);
    std::fflush(out);
    if (prompt) display_.Pause(true);
  }
  if (!prompt) {
    hasFinal_ = true;
    finalText_ = text;
    finalCaption_ = caption;
    return;
  }
  AnswerPrompt();
  display_.Pause(false);
}

void TerminalOperator::AnswerPrompt() {
  if (assumeYes_) {
    std::fprintf(stdout, "(answered by --yes)\n");
    std::fflush(stdout);
    return;
  }
  if (!stdinIsTerminal_) {
    std::fprintf(stderr, "plcburn: no terminal on standard input; the prompt is taken as answered\n");
    return;
  }
  std::fprintf(stdout, "Press Enter to continue... ");
  std::fflush(stdout);
  int c;
  do {
    c = std::fgetc(stdin);
  } while (c != '\n' && c != EOF);
}

void TerminalOperator::WaitSeconds(unsigned seconds) {
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
}
