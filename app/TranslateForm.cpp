#include "app/TranslateForm.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QVariant>

#include "app/RadioGroup.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

QStringList ToList(const std::vector<std::string>& items, bool expandEscapes = false) {
  QStringList out;
  for (const std::string& item : items) out << FromAnsi(expandEscapes ? ExpandTextEscapes(item) : item);
  return out;
}

// The tab widget that shows page as one of its tabs, with its index.
QTabWidget* TabOf(QWidget* page, int* index) {
  QWidget* stack = page->parentWidget();
  if (!qobject_cast<QStackedWidget*>(stack)) return nullptr;
  auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
  if (!tabs) return nullptr;
  *index = tabs->indexOf(page);
  return *index >= 0 ? tabs : nullptr;
}

void TranslateObject(QObject* object, int number) {
  const std::string text = GetText(number);
  const bool haveText = !text.empty();
  if (!haveText && !ShowTextNumbers()) return;  // keep the design texts

  TextEntry entry = SplitTextEntry(text);
  const QString caption = FromAnsi(entry.caption);
  const QString hint = ShowTextNumbers() ? QString::number(number) : FromAnsi(entry.hint);

  if (auto* label = qobject_cast<QLabel*>(object)) {
    if (haveText) {
      const bool hadColon = label->text().endsWith(QLatin1Char(':'));
      QString newText = caption;
      if (hadColon && !newText.endsWith(QLatin1Char(':'))) newText += QLatin1Char(':');
      label->setText(newText);
    }
    label->setToolTip(hint);
  } else if (auto* group = qobject_cast<RadioGroup*>(object)) {
    if (haveText) {
      group->setTitle(caption);
      if (entry.hasItems) group->SetItems(ToList(entry.items));
    }
    group->setToolTip(hint);
  } else if (auto* box = qobject_cast<QGroupBox*>(object)) {
    if (haveText) box->setTitle(caption);
    box->setToolTip(hint);
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    if (haveText) button->setText(caption);
    button->setToolTip(hint);
  } else if (auto* bar = qobject_cast<QToolBar*>(object)) {
    if (haveText) bar->setWindowTitle(caption);
    bar->setToolTip(hint);
  } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
    if (haveText) {
      const int index = combo->currentIndex();
      combo->clear();
      combo->addItems(ToList(entry.items));
      combo->setCurrentIndex(index < combo->count() ? index : -1);
    }
    combo->setToolTip(hint);
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(object)) {
    if (haveText) memo->setPlainText(ToList(entry.items, true).join(QLatin1Char('\n')));
  } else if (auto* rich = qobject_cast<QTextEdit*>(object)) {
    if (haveText) rich->setPlainText(ToList(entry.items, true).join(QLatin1Char('\n')));
  } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
    edit->setToolTip(hint);
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(object)) {
    slider->setToolTip(hint);
  } else if (auto* action = qobject_cast<QAction*>(object)) {
    if (haveText) action->setText(caption);
    action->setToolTip(hint);
    action->setStatusTip(hint);
  } else if (auto* menu = qobject_cast<QMenu*>(object)) {
    if (haveText) menu->setTitle(caption);
    menu->setToolTip(hint);
  } else if (auto* widget = qobject_cast<QWidget*>(object)) {
    int index = -1;
    if (QTabWidget* tabs = TabOf(widget, &index)) {
      // A tab sheet drops the first '&' of its whole entry.
      TextEntry sheet = SplitTextEntry(RemoveFirst(text, '&'));
      if (haveText) tabs->setTabText(index, FromAnsi(sheet.caption));
      tabs->setTabToolTip(index, ShowTextNumbers() ? hint : FromAnsi(sheet.hint));
    }
  }
}

}  // namespace

int TextNumber(const QObject* object) {
  if (!object) return 0;
  QVariant v = object->property(kTextNumberProperty);
  bool ok = false;
  int n = v.toInt(&ok);
  return ok ? n : 0;
}

void SetTextNumber(QObject* object, int number) {
  if (object) object->setProperty(kTextNumberProperty, number);
}

void TranslateForm(QWidget* window) {
  if (!window) return;
  if (int number = TextNumber(window)) {
    const std::string caption = SplitTextEntry(GetText(number)).caption;
    if (!caption.empty()) window->setWindowTitle(FromAnsi(RemoveFirst(caption, '&')));
  }
  // findChildren walks depth first in creation order. A radio group that
  // gets new items deletes its old buttons, hence the guarded pointers.
  QList<QPointer<QObject>> owned;
  for (QObject* object : window->findChildren<QObject*>()) owned << object;
  for (const QPointer<QObject>& object : owned)
    if (int number = object ? TextNumber(object) : 0) TranslateObject(object, number);
}

void TranslateActiveForm() { TranslateForm(QApplication::activeWindow()); }

}  // namespace veltro
