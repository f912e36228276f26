#include "platform/MessageBox.h"

namespace veltro {

int ScriptedMessageBox::DefaultAnswer(int buttons) {
  if (buttons & kBtnNo) return kAnsNo;
  if (buttons & kBtnCancel) return kAnsCancel;
  if (buttons & kBtnOk) return kAnsOk;
  if (buttons & kBtnAbort) return kAnsAbort;
  if (buttons & kBtnIgnore) return kAnsIgnore;
  if (buttons & kBtnYes) return kAnsYes;
  return kAnsOk;
}

int ScriptedMessageBox::Show(const std::string& title, const std::string& text, int kind, int buttons) {
  RecordedMessage m{title, text, kind, buttons, 0};
  if (!script_.empty()) {
    m.answer = script_.front();
    script_.pop_front();
  } else {
    m.answer = DefaultAnswer(buttons);
  }
  messages_.push_back(m);
  if (echo) echo(m);
  return m.answer;
}

namespace {
ScriptedMessageBox& HeadlessDefault() {
  static ScriptedMessageBox box;
  return box;
}
MessageBoxBackend* g_backend = nullptr;
}  // namespace

MessageBoxBackend& CurrentMessageBox() { return g_backend ? *g_backend : HeadlessDefault(); }

void SetMessageBoxBackend(MessageBoxBackend* backend) { g_backend = backend; }

ScopedMessageBox::ScopedMessageBox(MessageBoxBackend* backend) : previous_(g_backend) { g_backend = backend; }
ScopedMessageBox::~ScopedMessageBox() { g_backend = previous_; }

}  // namespace veltro
