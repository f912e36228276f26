#include "viewer/FormatEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "core/Messages.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"

namespace veltro::test {
namespace {

class FormatEditTest : public ::testing::Test {
 protected:
  FormatEditTest() { new QVBoxLayout(&window); }

  // A field of that picture in the window; its errors are recorded and
  // shown as the record editor shows them.
  TFormatEdit* Field(const std::string& picture) {
    auto* f = new TFormatEdit(&window);
    f->SetFormat(picture);
    f->OnErrorMsg = [this](TFormatEdit& sender, TErrorMsg msg) {
      errors.emplace_back(&sender, msg);
      ShowMessageBox("T" + std::to_string(616 + msg), kMsgInformation, kBtnOk);
    };
    window.layout()->addWidget(f);
    return f;
  }
  // Typed characters, one key press each (any character, as a keyboard or
  // input method delivers it).
  static void Type(TFormatEdit* f, const QString& keys) {
    for (QChar c : keys) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(f, &press);
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(f, &release);
    }
  }
  static std::string Ansi(TFormatEdit* f) { return ToAnsi(f->text()); }
  std::vector<TErrorMsg> Errors() const {
    std::vector<TErrorMsg> out;
    for (const auto& e : errors) out.push_back(e.second);
    return out;
  }
  void ShowActive() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  struct App {
    App() { QtTestApp(); }
  } app;  // before the first widget
  ScriptedMessageBox box;
  ScopedMessageBox boxGuard{&box};
  QWidget window;
  std::vector<std::pair<TFormatEdit*, TErrorMsg>> errors;
};

// "9999.999": the integer part first, then the point raises the length for
// the decimals; a second point is refused.
TEST_F(FormatEditTest, FormatEditDecimalPicture) {
  TFormatEdit* f = Field("9999.999");
  EXPECT_TRUE(f->IsNumeric());
  Type(f, "12345");
  EXPECT_EQ(Ansi(f), "1234");  // the 5 is refused by length, without error
  EXPECT_TRUE(errors.empty());
  Type(f, ".567");
  EXPECT_EQ(Ansi(f), "1234.567");
  Type(f, ".");
  EXPECT_EQ(Errors(), std::vector<TErrorMsg>{msgInvalidKey});
  Type(f, "8");
  EXPECT_EQ(Ansi(f), "1234.567");
  Type(f, "a");
  EXPECT_EQ(Errors(), (std::vector<TErrorMsg>{msgInvalidKey, msgInvalidKey}));
  EXPECT_EQ(Ansi(f), "1234.567");
}

// "±999.99": one sign, only first; "±" itself is the sign's place, not a
// character of the value.
TEST_F(FormatEditTest, FormatEditSignPicture) {
  TFormatEdit* f = Field(
      "\xB1"
      "999.99");
  Type(f, "-");
  Type(f, "-");
  EXPECT_EQ(Ansi(f), "-");
  f->setCursorPosition(0);
  Type(f, "+");  // the text holds a sign already
  EXPECT_EQ(Ansi(f), "-");
  f->selectAll();
  Type(f, "+");  // replacing the whole text
  EXPECT_EQ(Ansi(f), "+");
  f->clear();
  Type(f, QString(QChar(0xB1)));
  EXPECT_EQ(Ansi(f), "");
  EXPECT_EQ(Errors(), (std::vector<TErrorMsg>{msgInvalidKey, msgInvalidKey, msgInvalidKey}));
  Type(f, "-1234");
  EXPECT_EQ(Ansi(f), "-123");  // sign and integer part: the picture before its "."
  Type(f, ".456");
  EXPECT_EQ(Ansi(f), "-123.45");
  f->setCursorPosition(2);
  Type(f, "+");
  EXPECT_EQ(Ansi(f), "-123.45");
  EXPECT_EQ(errors.size(), 4u);
}

// Text pictures: no sign or decimal rule, letters are a-z and A-Z, other
// letters only as written in the picture, typed through code page 1252.
TEST_F(FormatEditTest, FormatEditTextPictures) {
  TFormatEdit* a = Field("AAAA");
  EXPECT_FALSE(a->IsNumeric());
  Type(a, QString::fromUtf8("-.Ab1\xC3\xA4ZQ"));  // "-.Ab1äZQ"
  EXPECT_EQ(Ansi(a), "Ab1Z");
  EXPECT_EQ(Errors(), (std::vector<TErrorMsg>{msgInvalidKey, msgInvalidKey, msgInvalidKey}));

  TFormatEdit* umlaut = Field("AAAA\xE4\xF6\xFC\xC4\xD6\xDC");
  Type(umlaut, QString::fromUtf8("M\xC3\xA4\xC3\x9C"));  // "MäÜ"
  EXPECT_EQ(Ansi(umlaut), "M\xE4\xDC");

  TFormatEdit* any = Field("XXX");
  Type(any, QString::fromUtf8("\xC2\xB1\xE2\x82\xAC\xCE\xA9"));  // "±€Ω": Ω is not in the code page
  EXPECT_EQ(Ansi(any), "\xB1\x80");
  EXPECT_EQ(errors.back(), std::make_pair(any, msgInvalidKey));

  TFormatEdit* free = Field("");
  EXPECT_EQ(free->MaxLength(), 0);
  Type(free, "-.-.abc123456789");
  EXPECT_EQ(Ansi(free), "-.-.abc123456789");
  EXPECT_EQ(errors.size(), 4u);
}

// Leaving the field: the range of CheckValue, a required value, and no
// check of a text that is no number.
TEST_F(FormatEditTest, FormatEditExitChecks) {
  TFormatEdit* f = Field("999.9");
  f->CheckValue = true;
  f->MinValue = 1;
  f->MaxValue = 99;
  const std::vector<std::pair<const char*, bool>> cases = {
      {"0", false},    {"100", false}, {"", true},    {"1", true},    {"99", true},
      {"99.5", false}, {"-0", false},  {"abc", true}, {"0.9", false}, {"1.0", true}};
  for (const auto& [value, passes] : cases) {
    f->setText(value);
    EXPECT_EQ(f->CheckExit(), passes) << value;
  }
  EXPECT_EQ(Errors(), (std::vector<TErrorMsg>{msgLessValue, msgMoreValue, msgMoreValue, msgLessValue, msgLessValue}));
  errors.clear();
  f->NeedValue = true;
  f->setText("");
  EXPECT_FALSE(f->CheckExit());
  EXPECT_EQ(Errors(), std::vector<TErrorMsg>{msgNotNul});

  EXPECT_EQ(CompareDecimal("-2147483648.5", -2147483647LL - 1), -1);
  EXPECT_EQ(CompareDecimal("0002147483647.000", 2147483647LL), 0);
  EXPECT_EQ(CompareDecimal("12345678901234567890", 2147483647LL), 1);
  EXPECT_FALSE(IsDecimalNumber("1E5"));
  EXPECT_FALSE(IsDecimalNumber("-."));
  EXPECT_TRUE(IsDecimalNumber(".5"));
}

// Two required fields left empty side by side: only the field left reports,
// and the focus goes back to it and stays there.
TEST_F(FormatEditTest, FormatEditRequiredNeighboursDoNotBounce) {
  TFormatEdit* a = Field("999");
  TFormatEdit* b = Field("999");
  a->NeedValue = b->NeedValue = true;
  ShowActive();
  a->setFocus();
  ASSERT_TRUE(a->hasFocus());
  QTest::keyClick(a, Qt::Key_Tab);
  EXPECT_EQ(errors, (std::vector<std::pair<TFormatEdit*, TErrorMsg>>{{a, msgNotNul}}));
  EXPECT_TRUE(a->hasFocus());
  EXPECT_EQ(box.Messages().size(), 1u);

  Type(a, "5");
  QTest::keyClick(a, Qt::Key_Tab);
  EXPECT_TRUE(b->hasFocus());
  EXPECT_EQ(errors.size(), 1u);
  QTest::keyClick(b, Qt::Key_Backtab);
  EXPECT_EQ(errors.back(), std::make_pair(b, msgNotNul));
  EXPECT_TRUE(b->hasFocus());
  EXPECT_EQ(errors.size(), 2u);
}

// Pasted, dropped and composed text is checked whole.
TEST_F(FormatEditTest, FormatEditPastedTextCheckedWhole) {
  TFormatEdit* f = Field(
      "\xB1"
      "999.999");
  ShowActive();
  f->setFocus();
  QApplication::clipboard()->setText("12a;4");
  QTest::keySequence(f, QKeySequence::Paste);
  EXPECT_EQ(Ansi(f), "");
  EXPECT_EQ(Errors(), std::vector<TErrorMsg>{msgInvalidKey});
  QApplication::clipboard()->setText("-12.5");
  QTest::keySequence(f, QKeySequence::Paste);
  EXPECT_EQ(Ansi(f), "-12.5");
  QApplication::clipboard()->setText("3");
  f->setCursorPosition(0);
  QTest::keySequence(f, QKeySequence::Paste);  // a digit before the sign
  EXPECT_EQ(Ansi(f), "-12.5");

  f->clear();
  QInputMethodEvent composed;
  composed.setCommitString("12345");  // longer than the picture before its "."
  QApplication::sendEvent(f, &composed);
  EXPECT_EQ(Ansi(f), "");
  QInputMethodEvent fits;
  fits.setCommitString("123");
  QApplication::sendEvent(f, &fits);
  EXPECT_EQ(Ansi(f), "123");

  QMimeData dropped;
  dropped.setText("9x");
  QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  // Straight to the field: the application delivers a drop only after a
  // drag has entered it.
  static_cast<QObject*>(f)->event(&drop);
  EXPECT_EQ(Ansi(f), "123");

  TFormatEdit* text = Field("XXXXXX");
  text->setFocus();
  QApplication::clipboard()->setText("ab\ncd");  // a line break would split a line
  QTest::keySequence(text, QKeySequence::Paste);
  EXPECT_EQ(Ansi(text), "");
  EXPECT_EQ(Errors(),
            (std::vector<TErrorMsg>{msgInvalidKey, msgInvalidKey, msgInvalidKey, msgInvalidKey, msgInvalidKey}));
}

}  // namespace
}  // namespace veltro::test
