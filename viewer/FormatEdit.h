// TFormatEdit: the single-line field in which the user types a record value.
// A picture restricts what can be typed:
//   9  a digit             A  a letter (a-z, A-Z) or a digit
//   X  any character       other characters stand for themselves
// e.g. "±999.999" (a signed number with three decimals, "±" being the
// byte 0xB1), "AAAAAAAAAA" (a point number), "99/99/99" (a date). Pictures
// and the field's text are code page 1252; a typed character is matched by
// its code page byte. A picture without A and X is numeric: its sign may
// only be typed first and once, its "." once, and only the integer part can
// be typed until the "." is.
//
// The field never shows a message: every violation is reported through
// OnErrorMsg, and the owner shows the message.
#pragma once

#include <QLineEdit>
#include <bitset>
#include <cstdint>
#include <functional>
#include <string>

namespace veltro {

enum TErrorMsg : int {
  msgNotNul = 0,      // a value is required
  msgLessValue = 1,   // below MinValue
  msgMoreValue = 2,   // above MaxValue
  msgNoNumber = 3,    // declared, never raised
  msgInvalidKey = 4,  // a character the picture does not allow
};

class TFormatEdit;
using TErrorMsgEvent = std::function<void(TFormatEdit& Sender, TErrorMsg Msg)>;

class TFormatEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TFormatEdit(QWidget* parent = nullptr);

  // The picture (code page 1252); its length is the maximum length (an
  // empty picture allows everything at any length).
  const std::string& Format() const { return format_; }
  void SetFormat(const std::string& picture);

  std::int32_t MinValue = 0;
  std::int32_t MaxValue = 0;
  bool CheckValue = false;  // MinValue and MaxValue are checked on leaving
  bool NeedValue = false;   // an empty field is an error on leaving
  // A date or time picture: its "." and signs are separators like any
  // other character, so the number rules do not apply ("99.99.99").
  bool TextPicture = false;
  TErrorMsgEvent OnErrorMsg;
  // A further check of a non-empty text on leaving, after the picture's
  // own; it reports its error itself and answers false to keep the focus.
  std::function<bool(TFormatEdit& Sender)> OnExitCheck;

  bool IsNumeric() const;
  // Maximum length now (0 = unlimited) and whether the next key stroke may
  // be that code page byte.
  int MaxLength() const { return maxLength_; }
  bool Allows(unsigned char c) const { return allowed_[c]; }

  // The checks made on leaving the field; false after reporting an error.
  bool CheckExit();

  // A pasted, dropped or composed text at the caret, checked whole against
  // the picture; refused (msgInvalidKey) when any part does not fit.
  bool InsertChecked(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildAllowedSet();
  void ApplySignRule();
  void ApplyDecimalRule();
  // The text after inserting text at position, replacing replaced characters,
  // fits the picture as a whole.
  bool FitsPicture(const QString& text, int position, int replaced) const;
  void RaiseError(TErrorMsg msg);

  std::string format_;
  std::bitset<256> allowed_;
  int maxLength_ = 0;
};

// The text reads as a decimal number: an optional sign, digits and at most
// one "." with at least one digit.
bool IsDecimalNumber(const std::string& text);

// Exact comparison of a decimal number text with an integer: -1, 0 or 1.
int CompareDecimal(const std::string& number, std::int64_t value);

}  // namespace veltro
