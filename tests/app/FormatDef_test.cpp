#include "app/FormatDef.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include "app/Einheiten.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/Settings.h"
#include "formats/office/NewFormat.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/ConvertRun.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

const std::string kCorpus = VELTRO_TEST_DATA "/template/";
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

class FormatDefTest : public ::testing::Test {
 protected:
  FormatDefTest() {
    QtTestApp();
    SetTextProvider([](int n) { return "T" + std::to_string(n) + (n == 811 || n == 940 || n == 70 ? " %s" : ""); });
    WriteRegString(kUser, ConfigPath(kSettingFormatPath), tmp.path() + "/", true);
  }
  ~FormatDefTest() override {
    SetTextProvider(nullptr);
    ActivateNiederlassung(2055);  // Schweiz
  }

  void Open(const std::string& name = "") {
    window = std::make_unique<TfrmFormatDef>(nf, name);
    window->chooseFormatFile = [this](std::string& path) {
      path = formatFile;
      return !path.empty();
    };
    window->show();
  }
  template <class W>
  W* Child(const QString& name) const {
    W* w = window->findChild<W*>(name);
    EXPECT_TRUE(w) << name.toStdString();
    return w;
  }
  QPlainTextEdit* Editor(const char* key) const { return Child<QPlainTextEdit>(QString("me") + key); }
  std::string Text(const char* key) const { return ToAnsi(Editor(key)->toPlainText()); }
  void Click(int section, int field) { window->FieldButton(section, field)->trigger(); }
  void Trigger(const char* action) { Child<QAction>(action)->trigger(); }
  void SetName(const std::string& name) { Child<QComboBox>("cbFormatname")->setEditText(FromAnsi(name)); }
  std::string FormatList() const { return ReadRegString(kUser, ConfigPath("NewFormat\\Format list"), ""); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& m : box.Messages()) t.push_back(m.text);
    return t;
  }

  TempSettings settings;
  TempDir tmp;
  TransferModules modules{tmp.path() + "/"};
  TdmNewFormat& nf = *modules.newFormat;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  std::unique_ptr<TfrmFormatDef> window;
  std::string formatFile;
};

TEST_F(FormatDefTest, FieldButtonsInsertDefaultRunsWithTheAlignmentMarkers) {
  Open();
  EXPECT_EQ(window->CurrentSection(), tsInformationen);
  ASSERT_TRUE(window->ShowSection(tsKoordinaten));
  EXPECT_TRUE(window->FieldToolbar(tsKoordinaten)->isVisible());
  EXPECT_FALSE(window->FieldToolbar(tsInformationen)->isVisible());
  EXPECT_EQ(window->FieldButton(tsKoordinaten, 0)->toolTip(), "(P)unktnummer");
  Click(tsKoordinaten, 2);  // Y
  EXPECT_EQ(Text("Koordinaten"), "[YYYYY.YY]");
  Editor("Koordinaten")->clear();
  Child<QAction>("ActionLinks")->setChecked(true);
  Click(tsKoordinaten, 2);
  Child<QAction>("ActionRechts")->setChecked(true);
  Click(tsKoordinaten, 0);
  Trigger("ActionFolgecode");
  EXPECT_EQ(Text("Koordinaten"), "<YYYYY.YY]<PPPPPPPP>\xBB");
  EXPECT_TRUE(window->Changed());
  Child<QAction>("ActionLinks")->setChecked(false);
  Child<QAction>("ActionRechts")->setChecked(false);

  // Angles 3.4, entities 3 positions; Azimut only on the Anschlusspunkt page.
  ASSERT_TRUE(window->ShowSection(tsAnschlusspunkt));
  Click(tsAnschlusspunkt, 1);
  EXPECT_EQ(Text("Anschlusspunkt"), "[AA.AAA]");
  EXPECT_TRUE(window->FieldButton(tsAnschlusspunkt, 1)->isVisible());
  ASSERT_TRUE(window->ShowSection(tsDetailpunkt));
  EXPECT_FALSE(window->FieldButton(tsAnschlusspunkt, 1)->isVisible());
  EXPECT_EQ(window->FieldButton(tsDetailpunkt, 1), window->FieldButton(tsAnschlusspunkt, 2));  // shared Code 1
  ASSERT_TRUE(window->ShowSection(tsPunktcodes));
  Click(tsPunktcodes, 1);
  EXPECT_EQ(Text("Punktcodes"), "[E]");
  EXPECT_EQ(nf.Letters, FieldLetters::Default());

  // Where the axes are named the other way round, Y and X change captions
  // and letters, and the templates follow.
  ASSERT_TRUE(window->ShowSection(tsKoordinaten));
  Editor("Koordinaten")->setPlainText("[YYYYY.YY] [XX]");
  ActivateNiederlassung(1036);  // Frankreich
  window->Translate();
  window->RebuildLetters();
  EXPECT_EQ(window->FieldButton(tsKoordinaten, 2)->text(), "&X-Koordinate");
  EXPECT_EQ(nf.Letters.Letters(tsKoordinaten), "PCXYHK");
  EXPECT_EQ(Text("Koordinaten"), "[XXXXX.XX] [YY]");
  Editor("Koordinaten")->clear();
  Click(tsKoordinaten, 2);
  EXPECT_EQ(Text("Koordinaten"), "[XXXXX.XX]");

  // The alignment states are kept on closing.
  Child<QAction>("ActionLinks")->setChecked(true);
  window->CancelClick();
  EXPECT_TRUE(ReadRegBool(kUser, ConfigPath("NewFormat\\Alignment left"), false));
  EXPECT_FALSE(ReadRegBool(kUser, ConfigPath("NewFormat\\Alignment right"), true));
}

TEST_F(FormatDefTest, SavingNamesAndDeletingDefinitions) {
  TemplateDefinition other;
  other.Sections[tsKoordinaten].Template = "[PP]";
  ASSERT_TRUE(WriteStoredTemplate("Alt", other, FieldLetters::Default()));
  Open();
  EXPECT_EQ(Child<QComboBox>("cbFormatname")->count(), 1);

  // Delete without a name is refused: the other definitions stay.
  Trigger("ActionDelete");
  EXPECT_EQ(Texts(), std::vector<std::string>{"T213"});
  EXPECT_EQ(FormatList(), "Alt;");
  EXPECT_TRUE(RegKeyExists(kUser, ConfigPath("NewFormat\\Alt")));

  // Names that would split the list, nest keys or leave the format folder.
  ASSERT_TRUE(window->ShowSection(tsKoordinaten));
  Editor("Koordinaten")->setPlainText("[PPPPPPPP]");
  for (const char* bad : {"a;b", "a\\b", "a/b", ".."}) {
    SetName(bad);
    EXPECT_FALSE(window->SaveClick()) << bad;
    EXPECT_FALSE(window->SaveToFileClick()) << bad;
  }
  EXPECT_EQ(box.Messages().size(), 9u);
  EXPECT_EQ(box.Messages()[1].text, "T811 a;b");
  EXPECT_EQ(FormatList(), "Alt;");
  EXPECT_FALSE(FileExists(tmp / "a;b.Format"));

  SetName("Test");
  EXPECT_TRUE(window->SaveClick());
  EXPECT_FALSE(window->Changed());
  EXPECT_FALSE(Child<QAction>("ActionSave")->isEnabled());
  EXPECT_EQ(FormatList(), "Alt;Test;");
  // Another case of the same name is the same definition.
  Editor("Koordinaten")->setPlainText("[PPPP]");
  SetName("TEST");
  EXPECT_TRUE(window->SaveClick());
  EXPECT_EQ(FormatList(), "Alt;Test;");
  EXPECT_EQ(ToAnsi(Child<QComboBox>("cbFormatname")->currentText()), "Test");
  EXPECT_EQ(ReadStoredTemplate("Test", FieldLetters::Default()).Sections[tsKoordinaten].Template, "[PPPP]");

  box.Answer(kAnsYes);
  Trigger("ActionDelete");
  EXPECT_EQ(box.Messages().back().text, "T601");
  EXPECT_EQ(FormatList(), "Alt;");
  EXPECT_FALSE(RegKeyExists(kUser, ConfigPath("NewFormat\\Test")));
  EXPECT_TRUE(window->Name().empty());
  EXPECT_EQ(Text("Koordinaten"), "");
  EXPECT_EQ(Child<QComboBox>("cbFormatname")->count(), 1);
}

TEST_F(FormatDefTest, TitleLineCountsAndPageChangesKeepTheText) {
  Open();
  ASSERT_TRUE(window->ShowSection(tsKoordinaten));
  auto* titles = Child<QLineEdit>("edTitelKoordinaten");
  auto* pages = Child<QTabWidget>("pcPunkt");
  Editor("Koordinaten")->setPlainText("Titel\n[PPPPPPPP]\n");
  for (const char* bad : {"-1", "zwei"}) {
    titles->setText(bad);
    pages->setCurrentIndex(0);  // the user picks another tab
    EXPECT_EQ(window->CurrentSection(), tsKoordinaten) << bad;
    EXPECT_EQ(pages->currentIndex(), 4) << bad;
  }
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T940 Koordinaten", "T940 Koordinaten"}));
  titles->setText("");
  EXPECT_TRUE(window->ShowSection(tsPunktcodes));
  const TemplateSection& k = nf.Definition.Sections[tsKoordinaten];
  EXPECT_EQ(k.TitleLines, 0);
  EXPECT_EQ(k.Template, "Titel\r\n[PPPPPPPP]");  // one trailing line break removed

  // Switching page sets stores the page and shows it again on the way back.
  Editor("Punktcodes")->setPlainText("[CCCCCCCC]");
  Child<QCheckBox>("cbPositionPunktcodes")->setChecked(false);
  ASSERT_TRUE(window->SwitchPageSet());
  EXPECT_TRUE(window->LevellingShown());
  EXPECT_TRUE(Child<QTabWidget>("pcNivellement")->isVisible());
  EXPECT_FALSE(pages->isVisible());
  EXPECT_EQ(window->CurrentSection(), tsStartdaten);
  EXPECT_FALSE(window->ShowSection(tsKoordinaten));  // not in the levelling set
  ASSERT_TRUE(window->SwitchPageSet());
  EXPECT_EQ(window->CurrentSection(), tsPunktcodes);
  EXPECT_EQ(Text("Punktcodes"), "[CCCCCCCC]");
  EXPECT_FALSE(Child<QCheckBox>("cbPositionPunktcodes")->isChecked());

  // A levelling instrument opens the window on the levelling sections.
  window->CancelClick();
  window->levellingInstrument = [] { return true; };
  window->show();
  EXPECT_EQ(window->CurrentSection(), tsStartdaten);
  EXPECT_TRUE(window->FieldToolbar(tsStartdaten)->isVisible());
}

TEST_F(FormatDefTest, SampleViewShowsTwentyLinesUnderTheRuler) {
  Open();
  TextLines lines;
  for (int i = 1; i <= 50; ++i) lines.push_back("Zeile " + std::to_string(i) + " \xE4");
  ASSERT_TRUE(SaveTextFile(tmp / "muster.txt", lines));
  ASSERT_TRUE(window->LoadSample(tmp / "muster.txt"));
  auto* sample = Child<QTextEdit>("reMuster");
  const QStringList shown = sample->toPlainText().split('\n');
  ASSERT_EQ(shown.size(), 20);
  EXPECT_EQ(ToAnsi(shown.back()), "Zeile 20 \xE4");
  EXPECT_FALSE(window->LoadSample(tmp / "fehlt.txt"));
  EXPECT_EQ(sample->toPlainText().split('\n').size(), 20);
  EXPECT_EQ(Texts(), std::vector<std::string>{"T70 " + tmp / "fehlt.txt"});
  EXPECT_EQ(Child<QLabel>("lbLineal1")->text().left(12), "123456789012");
  EXPECT_EQ(Child<QWidget>("pnMuster")->minimumHeight(), 40);
  EXPECT_EQ(Child<QWidget>("pnEditor")->minimumHeight(), 70);

  // The column line snaps to whole characters of the editor font.
  auto* line = Child<QWidget>("ColumnLine");
  EXPECT_FALSE(line->isVisible());
  Trigger("ActionSpaltenlinie");
  EXPECT_TRUE(line->isVisible());
  const int x0 = line->x();
  const int width = QFontMetrics(Editor("Informationen")->font()).horizontalAdvance('0');
  QMouseEvent drag(QEvent::MouseMove, QPointF(3 * width + width / 3, 5), QPointF(), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(line, &drag);
  EXPECT_EQ(line->x(), x0 + 3 * width);
}

TEST_F(FormatDefTest, QuestionsGuardUnsavedEditsAndActivationKeepsThem) {
  TemplateDefinition stored;
  stored.Sections[tsInformationen].Template = "[PPPPPPPP]";
  ASSERT_TRUE(WriteStoredTemplate("Alt", stored, FieldLetters::Default()));
  ASSERT_TRUE(WriteStoredTemplate("Neu", TemplateDefinition{}, FieldLetters::Default()));
  Open("Alt");
  EXPECT_EQ(Text("Informationen"), "[PPPPPPPP]");
  Editor("Informationen")->setPlainText("[PPPPPPPP] [BBBBBBBB]");

  // The units dialog: the point lists only; closing it keeps the edits.
  QTimer::singleShot(0, [] {
    auto* units = qobject_cast<TfrmEinheiten*>(QApplication::activeModalWidget());
    ASSERT_TRUE(units);
    EXPECT_TRUE(units->findChild<QComboBox*>("cbRichtungen")->isEnabled());
    EXPECT_FALSE(units->findChild<QComboBox*>("cbMessungen")->isEnabled());
    units->findChild<QComboBox*>("cbKoordinaten")->setCurrentIndex(3);
    units->OkClick();
  });
  window->UnitsClick();
  EXPECT_EQ(nf.Definition.CoordinateUnit, 3);
  QEvent activation(QEvent::ActivationChange);
  QApplication::sendEvent(window.get(), &activation);
  EXPECT_EQ(Text("Informationen"), "[PPPPPPPP] [BBBBBBBB]");
  EXPECT_TRUE(window->Changed());

  // Another name from the list: 208 first; No drops the edits.
  box.Answer(kAnsNo);
  auto* names = Child<QComboBox>("cbFormatname");
  emit names->activated(names->findText("Neu"));
  EXPECT_EQ(Texts(), std::vector<std::string>{"T208"});
  EXPECT_EQ(Text("Informationen"), "");
  EXPECT_EQ(window->Name(), "Neu");

  // New and load-from-file ask too; Yes saves under the shown name first.
  Editor("Informationen")->setPlainText("[ZZZZZZZZ]");
  formatFile = kCorpus + "koordinaten.Format";
  box.Answer(kAnsYes);
  Trigger("ActionLoadFromFile");
  EXPECT_EQ(box.Messages().size(), 2u);
  EXPECT_EQ(ReadStoredTemplate("Neu", FieldLetters::Default()).Sections[tsInformationen].Template, "[ZZZZZZZZ]");
  EXPECT_EQ(window->Name(), "Koordinaten fest");
  EXPECT_EQ(FormatList(), "Alt;Neu;Koordinaten fest;");
  Editor("Informationen")->setPlainText("x");
  box.Answer(kAnsNo);
  Trigger("ActionNew");
  EXPECT_EQ(box.Messages().size(), 3u);
  EXPECT_TRUE(window->Name().empty());
  EXPECT_EQ(Text("Informationen"), "");
  EXPECT_TRUE(Child<QCheckBox>("cbPositionInformationen")->isChecked());

  // "&Ok" with changes and no name: Yes is refused with 213 and the window stays.
  Editor("Informationen")->setPlainText("y");
  box.Answer(kAnsYes);
  window->OkClick();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(box.Messages().back().text, "T213");
  box.Answer(kAnsNo);
  window->OkClick();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(FormatList(), "Alt;Neu;Koordinaten fest;");
}

// The reference definition drawn with the window's buttons and typed text:
// saved to the settings and to a .Format file byte for byte, loaded again
// and used by a transfer.
TEST_F(FormatDefTest, ADrawnDefinitionIsStoredAndWrittenByteExact) {
  Open();
  ASSERT_TRUE(window->ShowSection(tsKoordinaten));
  QPlainTextEdit* editor = Editor("Koordinaten");
  editor->setFocus();
  editor->insertPlainText(
      "Punkt      Code         Ost (Y)       Nord (X)      Hoehe\n"
      "---------- ---------- ------------- ------------- ---------\n");
  Click(tsKoordinaten, 0);
  QTest::keyClick(editor, ' ');
  Child<QAction>("ActionLinks")->setChecked(true);
  Click(tsKoordinaten, 1);
  Child<QAction>("ActionLinks")->setChecked(false);
  QTest::keyClicks(editor, " [YYYYYYYY.YY] [XXXXXXXX.XX] [HHHH.HH]");
  Child<QLineEdit>("edTitelKoordinaten")->setText("2");
  Child<QPlainTextEdit>("meKommentare")->setPlainText("#\n//\n");
  SetName("Koordinaten fest");
  window->grab().save(VELTRO_BUILD_DIR "/tests/window-formatdef.png");
  ASSERT_TRUE(window->SaveToFileClick());
  EXPECT_EQ(Texts(), std::vector<std::string>{"T33"});
  const std::string file = tmp / "Koordinaten fest.Format";
  EXPECT_TRUE(SameBytes(ReadFile(kCorpus + "koordinaten.Format"), ReadFile(file)));
  ASSERT_TRUE(window->SaveClick());
  window->OkClick();
  EXPECT_FALSE(window->isVisible());

  // Loaded from the settings by a new window; and used by a transfer.
  nf.Definition.Clear();
  Open("koordinaten FEST");
  ASSERT_TRUE(window->ShowSection(tsKoordinaten));
  EXPECT_EQ(ToAnsi(Editor("Koordinaten")->toPlainText()) + "\n",
            "Punkt      Code         Ost (Y)       Nord (X)      Hoehe\n"
            "---------- ---------- ------------- ------------- ---------\n"
            "[PPPPPPPP] <CCCCCCCC] [YYYYYYYY.YY] [XXXXXXXX.XX] [HHHH.HH]\n");
  EXPECT_EQ(Child<QLineEdit>("edTitelKoordinaten")->text(), "2");
  EXPECT_EQ(ToAnsi(Child<QPlainTextEdit>("meKommentare")->toPlainText()), "#\n//");
  const ConvertRun run = RunConverter(tmp, "--from GSI16 --to NewFormat --template " + ShellQuote(file) + " " +
                                               ShellQuote(kCorpus + "lv95.gsi") + " " + ShellQuote(tmp / "k.dat"));
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_TRUE(SameBytes(ReadFile(kCorpus + "lv95-koordinaten.dat"), ReadFile(tmp / "k.dat")));
}

TEST_F(FormatDefTest, ToolbarPlacesArePaddedRestoredOrDocked) {
  // tbPunkt: left 5, top 6, then nothing usable; tbInformationen floats again
  // where it was; tbStationspunkt short and malformed; tbKoordinaten would
  // float off every screen; the rest is missing.
  std::vector<std::string> v(45, "0");
  for (auto [at, text] : std::vector<std::pair<int, const char*>>{
           {0, "5"}, {1, "6"}, {2, "x"}, {3, ""}, {5, "20"}, {6, "30"}, {7, "200"}, {8, "40"}, {9, "1"},
           {10, "1"}, {11, "2"}, {12, "3"}, {13, "+-"}, {14, ""}, {40, "-90000"}, {41, "-90000"}, {42, "200"},
           {43, "40"}, {44, "1"}})
    v[static_cast<size_t>(at)] = text;
  std::string posi = v[0];
  for (size_t i = 1; i < v.size(); ++i) posi += ";" + v[i];
  WriteRegString(kUser, ConfigPath("tbPosi"), posi, true);
  Open();
  EXPECT_TRUE(window->FieldToolbar(tsInformationen)->isFloating());
  ASSERT_TRUE(window->ShowSection(tsKoordinaten));
  EXPECT_FALSE(window->FieldToolbar(tsKoordinaten)->isFloating());
  window->CancelClick();
  const std::string written = ReadRegString(kUser, ConfigPath("tbPosi"), "");
  std::vector<std::string> values;
  for (size_t start = 0;;) {
    const size_t end = written.find(';', start);
    values.push_back(written.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  ASSERT_EQ(values.size(), 55u);
  EXPECT_EQ(std::vector<std::string>(values.begin(), values.begin() + 5),
            (std::vector<std::string>{"5", "6", "0", "0", "0"}));
  EXPECT_EQ(values[5 + 4], "1");   // tbInformationen: floating, shown floating next time
  EXPECT_EQ(values[10], "1");       // tbStationspunkt: the values it had, padded
  EXPECT_EQ(values[14], "0");
  EXPECT_EQ(values[8 * 5 + 4], "0");  // tbKoordinaten: docked
}

}  // namespace
}  // namespace veltro::test
