#include "platform/qt/QtMessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "platform/CodePage1252.h"
#include "platform/MessagePump.h"

namespace veltro {
QString FromAnsi(const std::string& text) { return QString::fromStdString(AnsiToUtf8(text)); }

std::string ToAnsi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

int QtMessageBox::Show(const std::string& title, const std::string& text, int /*kind*/, int buttons) {
  QString body = FromAnsi(text);
  body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  QMessageBox box(QMessageBox::NoIcon, FromAnsi(title), body, QMessageBox::NoButton, parent_);
  struct Map { int flag; QMessageBox::StandardButton button; int answer; };
  static const Map kMap[] = {
      {kBtnYes, QMessageBox::Yes, kAnsYes},       {kBtnNo, QMessageBox::No, kAnsNo},
      {kBtnOk, QMessageBox::Ok, kAnsOk},          {kBtnCancel, QMessageBox::Cancel, kAnsCancel},
      {kBtnAbort, QMessageBox::Abort, kAnsAbort}, {kBtnRetry, QMessageBox::Retry, kAnsRetry},
      {kBtnIgnore, QMessageBox::Ignore, kAnsIgnore}, {kBtnHelp, QMessageBox::Help, kAnsNone},
  };
  bool any = false;
  for (const Map& m : kMap)
    if (buttons & m.flag) {
      box.addButton(m.button);
      any = true;
    }
  if (!any) box.addButton(QMessageBox::Ok);
  int result = box.exec();
  for (const Map& m : kMap)
    if (result == m.button) return m.answer;
  return kAnsCancel;
}

void InstallQtMessagePump() {
  SetMessagePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); });
}

}  // namespace veltro
