#include "app/TranslateForm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <map>
#include <memory>

#include "app/RadioGroup.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "platform/DynamicLibrary.h"

namespace veltro::test {
namespace {

// One QApplication for the whole test program, whichever test needs it
// first; it is destroyed at exit so that Qt releases its font caches.
void EnsureApplication() {
  if (QApplication::instance()) return;
  static int argc = 1;
  static char name[] = "tests_app";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> app = std::make_unique<QApplication>(argc, argv);
}

// Texts in code page 1252; 0xA6 separates items, 0xA7 starts the hint.
const std::map<int, std::string> kTexts = {
    {900, "&Testfenster"},
    {901, "Neu"},
    {902, "Neu:"},
    {903, "Neu"},
    {904, "Parit\xE4t\xA6Keine\xA6Gerade\xA7Parit\xE4tsbit"},
    {135,
     "&Ok\xA7\xDC"
     "bernehmen"},
    {905, "egal\xA6Zeile #65\xA6Zeile #50"},
    {906, "&Attributierung\xA7Stellung\xA6&vor Messung\xA6&nach Messung"},
    {907, "&Seite\xA7Tipp"},
    {908, "&Speichern\xA7Speichert die Datei"},
    {909, "egal\xA7Hinweis"},
    {910, "Men\xFC"},
};

class TranslateFormTest : public ::testing::Test {
 protected:
  TranslateFormTest() {
    EnsureApplication();
    SetTextProvider([](int n) {
      auto it = kTexts.find(n);
      return it == kTexts.end() ? std::string() : it->second;
    });
    BuildWindow();
  }
  ~TranslateFormTest() override {
    SetTextProvider(nullptr);
    SetShowTextNumbers(false);
    UnloadLanguage();
    SetInstallationDirectory("");
  }

  template <class W>
  W* Add(W* widget, const char* name, int number) {
    widget->setObjectName(name);
    SetTextNumber(widget, number);
    window->layout()->addWidget(widget);
    return widget;
  }

  void BuildWindow() {
    window = std::make_unique<QWidget>();
    window->setObjectName("frmTest");
    window->setWindowTitle("Design");
    SetTextNumber(window.get(), 900);
    new QVBoxLayout(window.get());
    Add(new QLabel("Alt:"), "lblColon", 901);
    Add(new QLabel("Alt:"), "lblHasColon", 902);
    Add(new QLabel("Alt"), "lblNoColon", 903);
    Add(new QLabel("Bleibt:"), "lblUntranslated", 0);
    Add(new QLabel("Entwurf:"), "lblUnknown", 999);
    auto* combo = Add(new QComboBox, "cbParity", 904);
    combo->addItems({"None", "Odd", "Even"});
    combo->setCurrentIndex(1);
    Add(new QPushButton("Ok"), "btOk", 135);
    Add(new QPlainTextEdit("alt"), "mmLines", 905);
    auto* group = Add(new RadioGroup("Attribute", {"before", "after", "third"}), "rgAttribute", 906);
    group->SetItemIndex(1);
    auto* tabs = Add(new QTabWidget, "pcPages", 0);
    auto* page = new QWidget;
    page->setObjectName("tsPage");
    SetTextNumber(page, 907);
    tabs->addTab(page, "Page");
    auto* action = new QAction("Save", window.get());
    action->setObjectName("acSave");
    SetTextNumber(action, 908);
    Add(new QLineEdit("Eingabe"), "edValue", 909);
    auto* menu = new QMenu("Menu", window.get());
    menu->setObjectName("mnMain");
    SetTextNumber(menu, 910);
  }

  template <class W>
  W* Find(const char* name) {
    W* w = window->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  std::unique_ptr<QWidget> window;
};

TEST_F(TranslateFormTest, WindowCaptionLosesItsFirstAmpersand) {
  TranslateForm(window.get());
  EXPECT_EQ(window->windowTitle(), "Testfenster");
}

TEST_F(TranslateFormTest, LabelColonRule) {
  TranslateForm(window.get());
  EXPECT_EQ(Find<QLabel>("lblColon")->text(), "Neu:");
  EXPECT_EQ(Find<QLabel>("lblHasColon")->text(), "Neu:");
  EXPECT_EQ(Find<QLabel>("lblNoColon")->text(), "Neu");
  EXPECT_EQ(Find<QLabel>("lblUntranslated")->text(), "Bleibt:");
  // A number the language does not hold keeps the design text.
  EXPECT_EQ(Find<QLabel>("lblUnknown")->text(), "Entwurf:");
  // Translating twice changes nothing.
  TranslateForm(window.get());
  EXPECT_EQ(Find<QLabel>("lblColon")->text(), "Neu:");
}

TEST_F(TranslateFormTest, ComboBoxGetsExactlyTheItemsAndTheHint) {
  TranslateForm(window.get());
  auto* combo = Find<QComboBox>("cbParity");
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), "Keine");
  EXPECT_EQ(combo->itemText(1), "Gerade");
  EXPECT_EQ(combo->toolTip(), QString::fromUtf8("Paritätsbit"));
  EXPECT_EQ(combo->currentIndex(), 1);
}

TEST_F(TranslateFormTest, ButtonsMemosGroupsTabsActionsAndEdits) {
  TranslateForm(window.get());
  auto* button = Find<QPushButton>("btOk");
  EXPECT_EQ(button->text(), "&Ok");
  EXPECT_EQ(button->toolTip(), QString::fromUtf8("Übernehmen"));

  EXPECT_EQ(Find<QPlainTextEdit>("mmLines")->toPlainText(), "Zeile A\nZeile 2");

  auto* group = Find<RadioGroup>("rgAttribute");
  EXPECT_EQ(group->title(), "&Attributierung");
  EXPECT_EQ(group->toolTip(), "Stellung");
  EXPECT_EQ(group->Items(), (QStringList{"&vor Messung", "&nach Messung"}));
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(group->findChildren<QRadioButton*>().size(), 2);

  auto* tabs = Find<QTabWidget>("pcPages");
  EXPECT_EQ(tabs->tabText(0), "Seite");
  EXPECT_EQ(tabs->tabToolTip(0), "Tipp");

  auto* action = window->findChild<QAction*>("acSave");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), "&Speichern");
  EXPECT_EQ(action->toolTip(), "Speichert die Datei");

  auto* edit = Find<QLineEdit>("edValue");
  EXPECT_EQ(edit->text(), "Eingabe");
  EXPECT_EQ(edit->toolTip(), "Hinweis");

  EXPECT_EQ(Find<QMenu>("mnMain")->title(), QString::fromUtf8("Menü"));
}

TEST_F(TranslateFormTest, HintArgumentShowsTextNumbersAsHints) {
  SetShowTextNumbers(IsHintArgument("hint"));
  TranslateForm(window.get());
  EXPECT_EQ(Find<QPushButton>("btOk")->toolTip(), "135");
  EXPECT_EQ(Find<QComboBox>("cbParity")->toolTip(), "904");
  EXPECT_EQ(Find<QLabel>("lblColon")->toolTip(), "901");
  EXPECT_EQ(Find<QTabWidget>("pcPages")->tabToolTip(0), "907");
  // Even a control whose text is unknown shows its number.
  EXPECT_EQ(Find<QLabel>("lblUnknown")->toolTip(), "999");
  EXPECT_EQ(Find<QLabel>("lblUnknown")->text(), "Entwurf:");
  EXPECT_EQ(Find<QLabel>("lblUntranslated")->toolTip(), "");
}

TEST_F(TranslateFormTest, TranslatesWithTheRealGermanLibrary) {
  SetTextProvider(nullptr);
  SetInstallationDirectory(VELTRO_BUILD_DIR "/app");
  ASSERT_TRUE(LoadLanguage(*FindSprache("Deutsch")));
  SetTextNumber(window.get(), 132);
  auto* combo = Find<QComboBox>("cbParity");
  SetTextNumber(combo, 140);
  TranslateForm(window.get());
  EXPECT_EQ(window->windowTitle(), "Instrumente");
  ASSERT_EQ(combo->count(), 5);
  EXPECT_EQ(combo->itemText(4), "Leerzeichen");
  EXPECT_EQ(combo->toolTip(), QString::fromUtf8("Paritätsbit jedes Zeichens"));

  // Switching to English retranslates; a failed switch changes nothing.
  ASSERT_TRUE(LoadLanguage(*FindSprache("Englisch")));
  EXPECT_FALSE(LoadLanguage(*FindSprache("Spanisch")));
  TranslateForm(window.get());
  EXPECT_EQ(window->windowTitle(), "Instruments");
  EXPECT_EQ(combo->itemText(1), "Odd");
}

TEST_F(TranslateFormTest, NoActiveWindowIsHarmless) {
  TranslateActiveForm();
  TranslateForm(nullptr);
  EXPECT_EQ(window->windowTitle(), "Design");
}

}  // namespace
}  // namespace veltro::test
