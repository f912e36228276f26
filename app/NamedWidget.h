// A control of the instrument dialogs: its component name as objectName,
// its design caption (code page 1252) and the text number that translates it.
#pragma once

#include <QString>
#include <QWidget>

#include "app/TranslateForm.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {

template <class W>
W* MakeNamed(QWidget* parent, const char* name, int textNumber, const char* caption) {
  auto* widget = new W(FromAnsi(caption), parent);
  widget->setObjectName(QString::fromLatin1(name));
  SetTextNumber(widget, textNumber);
  return widget;
}

}  // namespace veltro
