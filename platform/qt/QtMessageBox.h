// Message-box backend that shows a real QMessageBox, the message pump on the
// Qt event loop, and the conversion of 8-bit program text at the widget edge.
#pragma once

#include <QString>
#include <string>

#include "platform/MessageBox.h"

class QWidget;

namespace veltro {

class QtMessageBox : public MessageBoxBackend {
 public:
  explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
  int Show(const std::string& title, const std::string& text, int kind, int buttons) override;
  void SetParent(QWidget* parent) { parent_ = parent; }

 private:
  QWidget* parent_;
};

// Program text is code page 1252.
QString FromAnsi(const std::string& text);
std::string ToAnsi(const QString& text);

// Installs QCoreApplication::processEvents as the engine's message pump.
void InstallQtMessagePump();

}  // namespace veltro
