#include "platform/qt/QtMessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "platform/MessagePump.h"

namespace veltro {
namespace {
// Code page 1252 positions 0x80-0x9F; the rest of the page equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

QString FromAnsi(const std::string& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (unsigned char c : text) {
    if (c >= 0x80 && c < 0xA0)
      out += QChar(kCp1252High[c - 0x80]);
    else
      out += QChar(static_cast<char16_t>(c));
  }
  return out;
}

std::string ToAnsi(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar qc : text) {
    char16_t u = qc.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out += static_cast<char>(u);
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i)
      if (kCp1252High[i] == u) mapped = static_cast<char>(0x80 + i);
    out += mapped;
  }
  return out;
}

// The title names the kind; the box shows no icon.
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
