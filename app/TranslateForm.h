// Translation of a window into the interface language. Every widget or
// action that is to be translated carries its text number in the dynamic
// property "textNumber" (0 or absent = not translated); the window's own
// number gives its caption. The texts come from GetText (core/Messages.h) in
// the entry encoding of core/Language.h.
#pragma once

class QObject;
class QWidget;

namespace veltro {

inline constexpr const char* kTextNumberProperty = "textNumber";

// The text number of a widget or action, 0 when it has none.
int TextNumber(const QObject* object);
void SetTextNumber(QObject* object, int number);

// Translates window and everything it owns, in creation order. An empty
// language text leaves a control as it is. With ShowTextNumbers() on, every
// hint shows the control's text number instead.
void TranslateForm(QWidget* window);

// Translates the application's active window (if any).
void TranslateActiveForm();

}  // namespace veltro
