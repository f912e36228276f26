// The seam behind which every user message is shown. The GUI installs a
// backend that opens a real dialog; tests and the headless converter install
// a ScriptedMessageBox that records each message and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace veltro {

// Message kinds as the callers pass them.
enum MessageKind : int {
  kMsgWarning = 0,
  kMsgError = 1,
  kMsgInformation = 2,
  kMsgConfirmation = 3,
};

// Button flags (bit set) and answers as the platform message box uses them.
enum MessageButtons : int {
  kBtnYes = 1 << 0,
  kBtnNo = 1 << 1,
  kBtnOk = 1 << 2,
  kBtnCancel = 1 << 3,
  kBtnAbort = 1 << 4,
  kBtnRetry = 1 << 5,
  kBtnIgnore = 1 << 6,
  kBtnHelp = 1 << 10,
  kBtnYesNo = kBtnYes | kBtnNo,
};

enum MessageAnswer : int {
  kAnsNone = 0,
  kAnsOk = 1,
  kAnsCancel = 2,
  kAnsAbort = 3,
  kAnsRetry = 4,
  kAnsIgnore = 5,
  kAnsYes = 6,
  kAnsNo = 7,
};

class MessageBoxBackend {
 public:
  virtual ~MessageBoxBackend() = default;
  // Shows one message and answers which button closed it.
  virtual int Show(const std::string& title, const std::string& text, int kind, int buttons) = 0;
};

struct RecordedMessage {
  std::string title;
  std::string text;
  int kind = 0;
  int buttons = 0;
  int answer = 0;
};

// Records every message. Answers come from the script in order; when the
// script is empty the default answer is used: No for Yes/No questions,
// Cancel when offered, otherwise OK. That default never loses data.
class ScriptedMessageBox : public MessageBoxBackend {
 public:
  int Show(const std::string& title, const std::string& text, int kind, int buttons) override;

  void Answer(int answer) { script_.push_back(answer); }
  const std::vector<RecordedMessage>& Messages() const { return messages_; }
  void Clear() { messages_.clear(); script_.clear(); }
  static int DefaultAnswer(int buttons);

  // Optional mirror of every message, e.g. to standard error.
  void (*echo)(const RecordedMessage&) = nullptr;

 private:
  std::deque<int> script_;
  std::vector<RecordedMessage> messages_;
};

// The process-wide backend. Without one installed, messages go to a
// ScriptedMessageBox owned by this module (headless default).
MessageBoxBackend& CurrentMessageBox();
// Installs a backend (not owned); nullptr restores the headless default.
void SetMessageBoxBackend(MessageBoxBackend* backend);

// Installs a backend for the life of the guard (tests).
class ScopedMessageBox {
 public:
  explicit ScopedMessageBox(MessageBoxBackend* backend);
  ~ScopedMessageBox();
  ScopedMessageBox(const ScopedMessageBox&) = delete;
  ScopedMessageBox& operator=(const ScopedMessageBox&) = delete;

 private:
  MessageBoxBackend* previous_;
};

}  // namespace veltro
