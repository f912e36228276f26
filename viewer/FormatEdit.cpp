#include "viewer/FormatEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <memory>

#include "platform/CodePage1252.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

constexpr unsigned char kPlusMinus = 0xB1;  // "±" in code page 1252
constexpr unsigned char kBackspace = 8;

// While an error is reported, or the focus is put back into a field that
// reported one, no field checks its value on leaving: two failing fields
// would otherwise pull the focus from each other.
int g_checksSuspended = 0;

class SuspendChecks {
 public:
  SuspendChecks() { ++g_checksSuspended; }
  ~SuspendChecks() { --g_checksSuspended; }
  SuspendChecks(const SuspendChecks&) = delete;
  SuspendChecks& operator=(const SuspendChecks&) = delete;
};

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The code page byte of a character; -1 when the code page has none.
int ByteOf(QChar ch) {
  if (ch.unicode() == 0) return 0;
  if (ch.isSurrogate()) return -1;
  const int b = UnicodeToCp1252(ch.unicode());
  return b == 0 ? -1 : b;
}

bool IsControl(int b) { return b < 0x20 || b == 0x7F; }

}  // namespace

bool IsDecimalNumber(const std::string& text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digit = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsDigit(c)) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

int CompareDecimal(const std::string& number, std::int64_t value) {
  size_t i = 0;
  bool negative = false;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
  while (i < number.size() && number[i] == '0') ++i;
  // Integer part up to 18 digits exactly; longer ones exceed every value.
  std::int64_t whole = 0;
  int digits = 0;
  for (; i < number.size() && number[i] != '.'; ++i, ++digits)
    if (digits < 18) whole = whole * 10 + (number[i] - '0');
  bool fraction = false;
  for (; i < number.size(); ++i) fraction = fraction || (number[i] >= '1' && number[i] <= '9');
  if (whole == 0 && digits == 0 && !fraction) negative = false;  // -0 is 0
  if (digits > 18) return negative ? -1 : 1;
  if (!negative) {
    if (whole != value) return whole > value ? 1 : -1;
    return fraction ? 1 : 0;
  }
  // -(whole + fraction) against value, i.e. whole + fraction against -value.
  const std::int64_t mirrored = -value;
  if (whole != mirrored) return whole > mirrored ? -1 : 1;
  return fraction ? -1 : 0;
}

TFormatEdit::TFormatEdit(QWidget* parent) : QLineEdit(parent) {
  BuildAllowedSet();
  connect(this, &QLineEdit::textChanged, this, [this] { ApplyDecimalRule(); });
}

void TFormatEdit::SetFormat(const std::string& picture) {
  format_ = picture;
  BuildAllowedSet();
  ApplySignRule();
  ApplyDecimalRule();
}

bool TFormatEdit::IsNumeric() const {
  return !TextPicture && format_.find('A') == std::string::npos && format_.find('X') == std::string::npos;
}

void TFormatEdit::BuildAllowedSet() {
  allowed_.reset();
  allowed_.set(0);
  allowed_.set(kBackspace);
  maxLength_ = static_cast<int>(format_.size());
  if (format_.empty()) {
    allowed_.set();
    return;
  }
  for (char p : format_) {
    const unsigned char c = static_cast<unsigned char>(p);
    if (c == '9') {
      for (unsigned char d = '0'; d <= '9'; ++d) allowed_.set(d);
    } else if (c == 'A') {
      for (int b = 0; b < 256; ++b)
        if (IsAsciiLetter(static_cast<unsigned char>(b)) || IsDigit(static_cast<unsigned char>(b))) allowed_.set(b);
    } else if (c == 'X') {
      allowed_.set();
    } else {
      allowed_.set(c);
    }
  }
  // In a numeric picture "±" marks the place of the sign ("+" or "-"); it is
  // no character of the value.
  if (IsNumeric()) allowed_.reset(kPlusMinus);
}

void TFormatEdit::ApplySignRule() {
  if (!IsNumeric() || format_.empty()) return;
  const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
  const QString t = text();
  const bool haveSign = t.contains('+') || t.contains('-');
  if (caret != 0 || (!hasSelectedText() && haveSign)) {
    allowed_.reset('+');
    allowed_.reset('-');
    return;
  }
  const bool plusMinus = format_.find(static_cast<char>(kPlusMinus)) != std::string::npos;
  if (plusMinus || format_.find('+') != std::string::npos) allowed_.set('+');
  if (plusMinus || format_.find('-') != std::string::npos) allowed_.set('-');
}

void TFormatEdit::ApplyDecimalRule() {
  if (!IsNumeric() || format_.empty()) return;
  const size_t point = format_.find('.');
  const bool textHasPoint = text().contains('.');
  if (textHasPoint)
    allowed_.reset('.');
  else if (point != std::string::npos)
    allowed_.set('.');
  maxLength_ = static_cast<int>(format_.size());
  if (!textHasPoint && point != std::string::npos) maxLength_ = static_cast<int>(point);
}

bool TFormatEdit::FitsPicture(const QString& inserted, int position, int replaced) const {
  if (inserted.isEmpty()) return true;
  const bool numeric = IsNumeric();
  for (QChar ch : inserted) {
    const int b = ByteOf(ch);
    if (b < 0 || IsControl(b)) return false;  // a line break would split a record's line
    const unsigned char c = static_cast<unsigned char>(b);
    if (format_.empty() || (numeric && (c == '+' || c == '-' || c == '.'))) continue;  // checked below
    if (!allowed_[c]) return false;
  }
  if (format_.empty()) return true;
  QString result = text();
  result.replace(position, replaced, inserted);
  const int length = static_cast<int>(result.size());
  if (length > static_cast<int>(format_.size())) return false;
  if (!numeric) return true;
  const bool plusMinus = format_.find(static_cast<char>(kPlusMinus)) != std::string::npos;
  const size_t picturePoint = format_.find('.');
  int points = 0;
  for (int i = 0; i < length; ++i) {
    const QChar ch = result.at(i);
    if (ch == '+' || ch == '-') {
      const bool signAllowed = plusMinus || format_.find(static_cast<char>(ch.unicode())) != std::string::npos;
      if (i != 0 || !signAllowed) return false;
    } else if (ch == '.') {
      if (picturePoint == std::string::npos || ++points > 1) return false;
    }
  }
  // Without its point only the integer part fits.
  return points > 0 || picturePoint == std::string::npos || length <= static_cast<int>(picturePoint);
}

bool TFormatEdit::InsertChecked(const QString& inserted) {
  const int position = hasSelectedText() ? selectionStart() : cursorPosition();
  const int replaced = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
  if (!FitsPicture(inserted, position, replaced)) {
    RaiseError(msgInvalidKey);
    return false;
  }
  insert(inserted);
  return true;
}

void TFormatEdit::RaiseError(TErrorMsg msg) {
  SuspendChecks suspended;
  if (OnErrorMsg) OnErrorMsg(*this, msg);
}

void TFormatEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    InsertChecked(QApplication::clipboard()->text());
    return;
  }
  const QString typed = event->text();
  if (typed.isEmpty() || typed.front().unicode() < 0x20 || typed.front().unicode() == 0x7F) {
    // Editing and moving keys, shortcuts.
    QLineEdit::keyPressEvent(event);
    return;
  }
  ApplySignRule();
  for (QChar ch : typed) {
    const int b = ByteOf(ch);
    if (b < 0 || !allowed_[static_cast<unsigned char>(b)]) {
      RaiseError(msgInvalidKey);
      event->accept();
      return;
    }
  }
  if (IsNumeric() && typed == "." && format_.find('.') != std::string::npos) ++maxLength_;
  const int length = static_cast<int>(text().size() - selectedText().size() + typed.size());
  if (maxLength_ > 0 && length > maxLength_) {
    event->accept();  // refused by length
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TFormatEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty()) {
    const int position = hasSelectedText() ? selectionStart() : cursorPosition();
    const int replaced = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
    if (!FitsPicture(commit, position, replaced)) {
      RaiseError(msgInvalidKey);
      QInputMethodEvent refused(event->preeditString(), event->attributes());
      QLineEdit::inputMethodEvent(&refused);
      return;
    }
  }
  QLineEdit::inputMethodEvent(event);
}

void TFormatEdit::dropEvent(QDropEvent* event) {
  if (event->mimeData() && event->mimeData()->hasText()) {
    const int position = cursorPositionAt(event->position().toPoint());
    if (!FitsPicture(event->mimeData()->text(), position, 0)) {
      RaiseError(msgInvalidKey);
      event->ignore();
      return;
    }
  }
  QLineEdit::dropEvent(event);
}

void TFormatEdit::mouseReleaseEvent(QMouseEvent* event) {
  QClipboard* clipboard = QApplication::clipboard();
  if (event->button() == Qt::MiddleButton && clipboard->supportsSelection() && !isReadOnly()) {
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    InsertChecked(clipboard->text(QClipboard::Selection));
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void TFormatEdit::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  if (QAction* paste = menu->findChild<QAction*>("edit-paste")) {
    paste->disconnect();
    connect(paste, &QAction::triggered, this, [this] { InsertChecked(QApplication::clipboard()->text()); });
  }
  menu->exec(event->globalPos());
}

void TFormatEdit::focusInEvent(QFocusEvent* event) {
  BuildAllowedSet();
  ApplySignRule();
  ApplyDecimalRule();
  QLineEdit::focusInEvent(event);
}

bool TFormatEdit::CheckExit() {
  const std::string value = ToAnsi(text());
  if (value.empty()) {
    if (!NeedValue) return true;
    RaiseError(msgNotNul);
    return false;
  }
  if (CheckValue && IsDecimalNumber(value)) {
    if (CompareDecimal(value, MinValue) < 0) {
      RaiseError(msgLessValue);
      return false;
    }
    if (CompareDecimal(value, MaxValue) > 0) {
      RaiseError(msgMoreValue);
      return false;
    }
  }
  if (!OnExitCheck) return true;
  SuspendChecks suspended;
  return OnExitCheck(*this);
}

void TFormatEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (g_checksSuspended > 0) return;
  // The focus goes to a message box, a menu or another window, or the
  // window closes: the value is checked when the user really leaves it.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason)
    return;
  if (!isVisible() || !window()->isVisible()) return;
  if (CheckExit()) return;
  SuspendChecks suspended;
  setFocus(Qt::OtherFocusReason);
}

}  // namespace veltro
