#include "viewer/EditDaten.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/TranslateForm.h"
#include "core/Language.h"
#include "core/Niederlassung.h"
#include "formats/instrument/DL100.h"
#include "formats/instrument/GTS6.h"
#include "formats/instrument/GTS7.h"
#include "formats/instrument/SDR.h"
#include "platform/DynamicLibrary.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/viewer/ViewerFixture.h"

namespace veltro::test {
namespace {

class RecordEditorTest : public ViewerTest {
 protected:
  RecordEditorTest() {
    form = std::make_unique<TfrmEditDaten>(*viewer, editors, *geraete);
    viewer->show();
    form->show();  // not modal: the tests drive it while it is shown
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  ~RecordEditorTest() override {
    form.reset();
    ActivateNiederlassung(2055);
  }

  TFormatEdit* Field(const char* name) {
    auto* f = form->findChild<TFormatEdit*>(name);
    if (!f) ADD_FAILURE() << "no field " << name;
    return f;
  }
  QPushButton* Button(const char* name) { return form->findChild<QPushButton*>(name); }
  std::string Text(const char* name) { return ToAnsi(Field(name)->text()); }
  // The field's text replaced by typing.
  void Type(const char* name, const char* text) {
    TFormatEdit* f = Field(name);
    f->setFocus();
    f->clear();
    QTest::keyClicks(f, QString::fromLatin1(text));
  }
  std::string Shown() { return form->ShownPanel() ? form->ShownPanel()->objectName().toStdString() : ""; }
  std::string Caption() { return ToAnsi(form->windowTitle()); }
  // Opens a file and edits its line `line` as the viewer does.
  void EditLine(int line) {
    Model().SetCurrentLine(line);
    viewer->EditClick();
  }
  void OpenAndEdit(const std::string& path, int line) {
    ASSERT_TRUE(Model().OpenFile(path));
    EditLine(line);
  }
  std::string SaveFile() {
    const std::string path = tmp / "saved.txt";
    viewer->chooseSaveFile = [path](std::string& name) {
      name = path;
      return true;
    };
    EXPECT_TRUE(Model().SaveAs());
    return ReadFile(path);
  }

  // A picture of the window into the build folder, in the German texts
  // where their library is built.
  void Screenshot(const char* name) {
    SetInstallationDirectory(VELTRO_BUILD_DIR "/app/");
    if (LoadLanguage(*FindSprache("Deutsch"))) SetTextProvider(nullptr);
    TranslateForm(form.get());
    form->layout()->activate();  // the longer captions widen the window
    const QString path = QString::fromLatin1(VELTRO_BUILD_DIR "/") + QString::fromLatin1(name);
    EXPECT_TRUE(form->grab().save(path)) << name;
    UnloadLanguage();
    SetInstallationDirectory("");
    InstallTestTexts();
    TranslateForm(form.get());
  }

  TdmEditDaten editors;
  std::unique_ptr<TfrmEditDaten> form;
};

// A picture with the sign "\xB1" before the digits.
std::string Signed(const char* digits) { return "\xB1" + std::string(digits); }

std::vector<std::string> Names(const QWidget* panel) {
  std::vector<std::string> names;
  for (const QLabel* label : panel->findChildren<QLabel*>()) {
    if (!label->buddy()) continue;
    names.push_back(label->buddy()->objectName().toStdString());
  }
  return names;
}

// The window's parts: ten panels with their fields in label order, each
// field the buddy of its label, the memo and the buttons; the fourteen
// editors bind kinds to panels and captions; countries that name the
// easting X get the two axis labels exchanged.
TEST_F(RecordEditorTest, RecordEditorWindowHasThePanelsFieldsAndEditorsOfItsKinds) {
  EXPECT_EQ(form->objectName(), "TfrmEditDaten");
  const std::pair<const char*, std::vector<std::string>> panels[] = {
      {"Infos",
       {"EditProjekt", "EditBeobachter", "EditInstrument", "EditDatum", "EditUhrzeit", "EditBeschreibung",
        "EditUmrechnungsfaktor", "EditMassstabsfaktor", "EditMeereshoehe", "EditTemperatur", "EditLuftdruck"}},
      {"Koordinaten",
       {"EditKoPunktnummer", "EditKoVersicherungsart", "EditKoXKoordinate", "EditKoYKoordinate", "EditKoHoehe",
        "EditKoKommentar"}},
      {"Punktcodes", {"EditPCVersicherungsart", "EditPCEntity", "EditPCLayer"}},
      {"Beschreibung", {"EditDescription"}},
  };
  for (const auto& [name, fields] : panels) {
    const QWidget* panel = form->findChild<QWidget*>(name);
    ASSERT_TRUE(panel) << name;
    EXPECT_EQ(Names(panel), fields) << name;
  }
  const std::pair<const char*, size_t> counts[] = {{"Stationen", 8},   {"Punkte", 20},    {"Querprofile", 4},
                                                   {"Startdaten", 11}, {"Messdaten", 13}, {"Enddaten", 13}};
  for (const auto& [name, n] : counts) EXPECT_EQ(Names(form->findChild<QWidget*>(name)).size(), n) << name;
  EXPECT_EQ(Names(form->findChild<QWidget*>("Punkte")).back(), "EditNPHoehe");
  EXPECT_EQ(Names(form->findChild<QWidget*>("Messdaten"))[9], "EditMDInstHoehe");
  EXPECT_TRUE(form->findChild<QPlainTextEdit*>("Bemerkungen"));
  for (const char* b :
       {"Previous", "Next", "StartFile", "EndFile", "PreviousStation", "NextStation", "Speichern", "Beenden"})
    EXPECT_TRUE(Button(b)) << b;
  EXPECT_EQ(TextNumber(form->findChild<QLabel*>("LabelKoXKoordinate")), 237);

  std::vector<std::string> bound;
  for (const auto& c : editors.Components()) {
    auto& e = dynamic_cast<TEditor&>(*c);
    std::string panel, caption = "unchanged";
    e.OnShowEdit(e, panel, caption);
    bound.push_back(e.Name + ":" + panel + ":" + caption + (e.OnLoad && e.OnSave ? "" : ":-"));
  }
  EXPECT_EQ(bound, (std::vector<std::string>{
                       "Informationen:Infos:T94", "Station:Stationen:T95", "Anschlusspunkte:Punkte:T76",
                       "Neupunkte:Punkte:T77", "Querprofile:Querprofile:T74", "Punktcodes:Punktcodes:T75",
                       "Koordinaten:Koordinaten:T73", "NivKoordinaten:Koordinaten:T73", "Startdaten:Startdaten:T445",
                       "Enddaten:Enddaten:T446", "Messdaten:Messdaten:unchanged", "Kommentar:Beschreibung:T448",
                       "NivKommentar:Beschreibung:T448", "None::T302:-"}));
  // SetTDA binds a format's Edit by kind.
  edit.format->OnSetTDA(tdaNivKoordinate);
  EXPECT_EQ(edit.format->Edit, editors.NivKoordinaten);

  form.reset();
  ActivateNiederlassung(1036);  // France
  TfrmEditDaten french(*viewer, editors, *geraete);
  EXPECT_EQ(TextNumber(french.findChild<QLabel*>("LabelKoXKoordinate")), 238);
  EXPECT_EQ(TextNumber(french.findChild<QLabel*>("LabelNPYKoordinate")), 237);
  EXPECT_EQ(TextNumber(french.findChild<QLabel*>("LabelSTYKoordinate")), 237);
}

// The panel set-up operations on rows of the per-format tables.
TEST_F(RecordEditorTest, RecordEditorPanelSetUpFollowsTheTableRows) {
  EXPECT_EQ(PictureFromDateFormat("DD/MM/YY"), "99/99/99");
  EXPECT_EQ(PictureFromDateFormat("dd-MMM-yyyy hh:nn"), "99X999X9999 99:nn");

  // GTS-6 observation points, file tag dFC5: the slope distance unsigned.
  TGeraeteFormat& fc5 = *geraete->Format("FC5");
  for (const EditorPanelSpec& spec : Gts6EditorPanels("dFC5", fc5))
    form->ConfigurePanel(spec.panel, spec.enabled, spec.pictures, spec.required);
  EXPECT_EQ(Field("EditNPPunktnummer")->Format(), "AAAAAAAAAA");
  EXPECT_EQ(Field("EditNPVersicherungsart1")->Format(), "AAAA\xE4\xF6\xFC\xC4\xD6\xDC");
  EXPECT_FALSE(Field("EditNPVersicherungsart2")->isEnabled());
  EXPECT_EQ(Field("EditNPSchraegdistanz")->Format(), "99999.999");
  EXPECT_EQ(Field("EditNPHorizontaldistanz")->Format(), Signed("99999.999"));
  EXPECT_EQ(Field("EditNPVertikalwinkel")->Format(), "999.9999");
  EXPECT_FALSE(Field("EditNPAzimut")->isEnabled());
  EXPECT_EQ(Field("EditNPHoehe")->Format(), Signed("99999.999"));
  EXPECT_TRUE(Field("EditNPHoehe")->NeedValue);
  EXPECT_FALSE(Field("EditNPSchraegdistanz")->NeedValue);
  EXPECT_TRUE(Field("EditNPHorizontaldistanz")->NeedValue);
  EXPECT_EQ(Field("EditDatum")->Format(), "99X99X99");  // FC-5 dates are MM-DD-YY
  EXPECT_EQ(Field("EditProjekt")->Format(), "AAAAAAAAA:\\");
  EXPECT_EQ(Field("EditLuftdruck")->Format(), Signed("9999"));
  EXPECT_FALSE(Field("EditUhrzeit")->isEnabled());
  EXPECT_FALSE(form->findChild<QLabel*>("LabelUhrzeit")->isEnabled());
  EXPECT_EQ(Gts6EditorPanels("kGTS6x", fc5)[0].pictures,
            PictureItems({"AAAAAAAAAA", "", Signed("99999999.999"), Signed("99999999.999"), Signed("99999999.999")}));

  // The DL-100 reading "m": "0" leaves a field, "F" disables it.
  form->ConfigurePanel(kPanelMessdaten, "TFFFFTTTFFFFT", "", "FFFFFTTFTTTFF");
  form->EnablePanel(kPanelMessdaten, "0FFFF000FFFF0");
  EXPECT_TRUE(Field("EditMDAnzMess")->isEnabled());
  EXPECT_FALSE(Field("EditMDPunktnummer")->isEnabled());
  EXPECT_TRUE(Field("EditMDAblesung")->isEnabled());
  EXPECT_TRUE(Field("EditMDUhrzeit")->isEnabled());
  form->EnablePanel(kPanelMessdaten, "0T");
  EXPECT_TRUE(Field("EditMDPunktnummer")->isEnabled());

  // One step per call towards the digits asked for.
  form->ConfigurePanel(kPanelKoordinaten, "TTTTTF", PictureItems({"", "", Signed("999.999"), Signed("999.99"), "99"}),
                       "");
  form->SetDecimals(kPanelKoordinaten, "00241");
  EXPECT_EQ(Field("EditKoXKoordinate")->Format(), Signed("999.99"));
  EXPECT_EQ(Field("EditKoYKoordinate")->Format(), Signed("999.999"));
  EXPECT_EQ(Field("EditKoHoehe")->Format(), "999");
  form->SetDecimals(kPanelKoordinaten, "00200");
  EXPECT_EQ(Field("EditKoXKoordinate")->Format(), Signed("999.99"));
}

// Showing records of the test format: the panel and caption of the kind,
// no panel for a kind without one, a value too long for its picture
// (message 114 once per field, its value kept by a save), coordinates
// without the instrument offsets, a date picture with two points.
TEST_F(RecordEditorTest, RecordEditorShowsAndSavesRecordsUnchangedUnderOffsets) {
  ASSERT_TRUE(Leica().SetOffsetX("600000") && Leica().SetOffsetY("200000"));
  const std::string path = Write("edit.txt",
                                 "ST 100\r\n"
                                 "PT 1 2600010.123 1200020.456 450.10\r\n"
                                 "PT 2 2600030.5 1200040.75 451.25\r\n"
                                 "IN BAU7 08.12.26 14:30\r\n"
                                 "LP 9\r\n"
                                 "QP 0.500 RAND 12.345678 450.1\r\n");
  OpenAndEdit(path, 1);
  EXPECT_EQ(Shown(), "Koordinaten");
  EXPECT_EQ(Caption(), "T73");
  EXPECT_EQ(Text("EditKoXKoordinate"), "2000010.123");  // 2600010.123 less OffsetX
  EXPECT_EQ(Text("EditKoYKoordinate"), "1000020.456");
  EXPECT_FALSE(form->Modified());
  ASSERT_TRUE(form->SaveClick());  // unchanged: the same text
  EXPECT_EQ(Line(1), "PT 1 2600010.123 1200020.456 450.10");
  Type("EditKoHoehe", "450.2");
  Type("EditKoXKoordinate", "10.5");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Line(1), "PT 1 600010.5 1200020.456 450.2");
  EXPECT_TRUE(Model().Unsaved());
  EXPECT_TRUE(Model().Modified());  // the received lines are replaced by the viewer's

  // Y and X emptied stay empty: no offset is added (this writer refuses).
  form->NextClick();
  EXPECT_EQ(Text("EditKoPunktnummer"), "2");
  Type("EditKoXKoordinate", "");
  Type("EditKoYKoordinate", "");
  box.Clear();
  EXPECT_FALSE(form->SaveClick());
  EXPECT_TRUE(Model().Record().Punkt.Y.empty() && Model().Record().Punkt.X.empty());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T820"});
  EXPECT_EQ(Line(2), "PT 2 2600030.5 1200040.75 451.25");

  // A date format with two points reads and writes through its fields.
  box.Answer(kAnsNo);  // the changed point is dropped
  form->NextClick();
  EXPECT_EQ(Shown(), "Infos");
  EXPECT_EQ(Text("EditDatum"), "08.12.26");
  EXPECT_EQ(Text("EditUhrzeit"), "14:30");
  EXPECT_EQ(Field("EditDatum")->toolTip(), "DD.MM.YY");
  EXPECT_EQ(Field("EditUhrzeit")->toolTip(), "HH:MM");
  form->ConfigurePanel(kPanelInfos, "TTTTTTTTTTT", PictureItems({"", "", "", PictureFromDateFormat("DD.MM.YY")}), "");
  Type("EditDatum", "09.12.26");
  EXPECT_EQ(Text("EditDatum"), "09.12.26");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Line(3), "IN BAU7 09.12.26 14:30");

  // A kind without a panel, then a value too long for its picture.
  form->NextClick();
  EXPECT_EQ(Shown(), "");
  EXPECT_EQ(Caption(), "T302");
  EXPECT_FALSE(Button("Speichern")->isEnabled());
  form->ConfigurePanel(kPanelQuerprofile, "TTTT", PictureItems({Signed("99.999"), "AAAA", Signed("99.9999"), ""}), "");
  box.Clear();
  form->NextClick();
  EXPECT_EQ(Shown(), "Querprofile");
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"T114"}));  // the offset, 9 characters for 8
  EXPECT_EQ(Text("EditQPSeitenabstand"), "");
  EXPECT_EQ(Text("EditQPVersicherungsart"), "RAND");
  Type("EditQPHoehe", "450.2");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Line(5), "QP 0.500 RAND 12.345678 450.2");
  EXPECT_EQ(SaveFile(),
            "ST 100\r\nPT 1 600010.5 1200020.456 450.2\r\nPT 2 2600030.5 1200040.75 451.25\r\n"
            "IN BAU7 09.12.26 14:30\r\nLP 9\r\nQP 0.500 RAND 12.345678 450.2\r\n");
}

// Navigation asks question 32 only for a changed record, once; Yes saves,
// No drops the change; the keys and Enter; Escape asks like "&Beenden".
TEST_F(RecordEditorTest, RecordEditorAsksOnceBeforeLeavingAChangedRecord) {
  OpenAndEdit(Data("viewer/edit-crlf.txt"), 1);
  EXPECT_EQ(Shown(), "Stationen");
  QTest::keyClick(Field("EditSTPunktnummer"), Qt::Key_Down);  // unchanged: no question
  EXPECT_EQ(Model().CurrentLine(), 2);
  EXPECT_TRUE(MessageTexts().empty());

  Type("EditKoHoehe", "451.5");
  box.Answer(kAnsYes);
  QTest::keyClick(Field("EditKoHoehe"), Qt::Key_Down);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T32"});
  EXPECT_EQ(Line(2), "PT 1 2600010.123 1200020.456 451.5");
  EXPECT_EQ(Model().CurrentLine(), 3);
  EXPECT_EQ(Shown(), "Punkte");

  QTest::keyClick(Field("EditNPPunktnummer"), Qt::Key_Up);
  Type("EditKoPunktnummer", "7");
  box.Clear();
  box.Answer(kAnsNo);
  QTest::keyClick(Field("EditKoPunktnummer"), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T32"});
  EXPECT_EQ(Line(2), "PT 1 2600010.123 1200020.456 451.5");
  EXPECT_EQ(Model().CurrentLine(), 8);
  QTest::keyClick(Field("EditKoPunktnummer"), Qt::Key_PageUp);
  EXPECT_EQ(Model().CurrentLine(), 7);
  QTest::keyClick(Field("EditSTPunktnummer"), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(Model().CurrentLine(), 1);

  // Enter goes to the next field; key strokes on a button do nothing.
  QTest::keyClick(Field("EditSTPunktnummer"), Qt::Key_Down);
  Field("EditKoPunktnummer")->setFocus();
  QTest::keyClick(Field("EditKoPunktnummer"), Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), Field("EditKoVersicherungsart"));
  QTest::keyClick(Button("Next"), Qt::Key_Space);
  EXPECT_EQ(Model().CurrentLine(), 2);

  Type("EditKoHoehe", "1");
  box.Clear();
  box.Answer(kAnsYes);
  QTest::keyClick(Field("EditKoHoehe"), Qt::Key_Escape);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T32"});
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(Line(2), "PT 1 2600010.123 1200020.456 1");
}

// A viewer brings its own editor, created once and shown modally on the
// selected line; closing it by the title bar asks question 32.
TEST_F(RecordEditorTest, RecordEditorIsTheViewersOwnModalWindow) {
  form.reset();
  TfrmViewer second(*geraete);
  second.show();
  auto* own = second.findChild<TfrmEditDaten*>();
  ASSERT_TRUE(own);
  EXPECT_EQ(second.Model().Editor(), own);
  const std::string path = Data("gsi/editor-koordinaten-gsi16.gsi");
  ASSERT_TRUE(second.Model().OpenFile(path));
  second.Model().SetCurrentLine(2);
  int shown = 0;
  QTimer::singleShot(0, own, [&] {
    ++shown;
    EXPECT_TRUE(own->isModal() && own->isVisible());
    ASSERT_TRUE(own->ShownPanel());
    EXPECT_EQ(own->ShownPanel()->objectName(), "Koordinaten");
    auto* height = own->findChild<TFormatEdit*>("EditKoHoehe");
    EXPECT_EQ(ToAnsi(height->text()), "456.7890");
    height->setFocus();
    height->clear();
    QTest::keyClicks(height, "457");
    box.Answer(kAnsNo);
    own->close();
  });
  second.EditClick();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T32"});
  EXPECT_FALSE(own->isVisible());
  EXPECT_EQ(JoinLines(second.Model().Lines()), ReadFile(path));

  QTimer::singleShot(0, own, [&] {
    ++shown;
    own->reject();
  });
  second.EditClick();
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(second.findChildren<TfrmEditDaten*>().size(), 1);
}

// Saving checks every enabled field first; nothing is written while one
// fails and the focus goes to the first failing one. The instrument height
// of a reading stands for the ground height only where it is enabled.
TEST_F(RecordEditorTest, RecordEditorSavesNothingWhileAFieldFails) {
  const std::string path = Write("edit.txt",
                                 "PT 1 2600010.123 1200020.456 450.10\r\nIN BAU7 08.12.26 14:30\r\n"
                                 "MD 5 1.2345 451.20\r\n");
  OpenAndEdit(path, 0);
  form->ConfigurePanel(kPanelKoordinaten, "TTTTTF", "", "TFTTTF");
  EditLine(0);
  Type("EditKoPunktnummer", "");
  Type("EditKoHoehe", "");
  box.Clear();
  EXPECT_FALSE(form->SaveClick());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T616"});
  EXPECT_EQ(QApplication::focusWidget(), Field("EditKoPunktnummer"));
  EXPECT_EQ(Line(0), "PT 1 2600010.123 1200020.456 450.10");
  Type("EditKoPunktnummer", "1");
  box.Clear();
  EXPECT_FALSE(form->SaveClick());
  EXPECT_EQ(QApplication::focusWidget(), Field("EditKoHoehe"));
  // Yes to question 32 with a failing field stays on the record.
  box.Answer(kAnsYes);
  form->NextClick();
  EXPECT_EQ(Model().CurrentLine(), 0);
  EXPECT_EQ(Text("EditKoPunktnummer"), "1");
  // Activation (every closing message box activates the window) keeps
  // what was typed.
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(form.get(), &activate);
  EXPECT_EQ(Text("EditKoPunktnummer"), "1");

  // A date that does not read in the format's Datumsformat.
  box.Answer(kAnsNo);
  form->NextClick();
  Type("EditDatum", "31.02.26");
  box.Clear();
  EXPECT_FALSE(form->SaveClick());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{DateTimeErrorText()});  // the program's own text
  EXPECT_EQ(Line(1), "IN BAU7 08.12.26 14:30");
  Type("EditDatum", "");
  Type("EditUhrzeit", "00:00");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Line(1), "IN BAU7 ");  // midnight without a date: no date-time

  // The instrument height stands for the ground height only where enabled.
  form->ConfigurePanel(kPanelMessdaten, "TTTTTTTTTFTTT", "", "");
  form->NextClick();
  EXPECT_EQ(Shown(), "Messdaten");
  EXPECT_EQ(Text("EditMDInstHoehe"), "451.20");
  Type("EditMDBodenhoehe", "451.35");
  Type("EditMDAblesung", "1.3");
  Field("EditMDInstHoehe")->setText("999");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Line(2), "MD 5 1.3 451.35");
  form->EnablePanel(kPanelMessdaten, "000000000T");
  Type("EditMDInstHoehe", "452");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Line(2), "MD 5 1.3 452");
}

// The remark memo of a reading; a record the format cannot write opens with
// saving disabled and a note and never replaces its line.
TEST_F(RecordEditorTest, RecordEditorShowsRemarksAndRecordsItCannotWrite) {
  const std::string path = Write("edit.txt", "ST 1\r\nMD 5 1.2345 451.20\r\nREM Nachmessung\r\n");
  ASSERT_TRUE(Model().OpenFile(path));
  Model().SetCurrentLine(1);
  ASSERT_TRUE(Model().PrepareEdit());
  form->SetRemark("Latte schief");
  form->EditRecord();
  auto* memo = form->findChild<QPlainTextEdit*>("Bemerkungen");
  EXPECT_TRUE(memo->isVisible());
  EXPECT_EQ(memo->toPlainText().toStdString(), "T486\n\n");
  EXPECT_EQ(Caption(), "Koordinaten Editieren");  // a reading keeps the caption it had
  form->NextClick();
  EXPECT_FALSE(memo->isVisible());
  EXPECT_EQ(Shown(), "Beschreibung");
  EXPECT_EQ(Text("EditDescription"), "Nachmessung");
  EXPECT_FALSE(Button("Speichern")->isEnabled());
  EXPECT_TRUE(form->findChild<QLabel*>("Hinweis")->isVisible());
  EXPECT_TRUE(Field("EditDescription")->isReadOnly());
  EXPECT_FALSE(form->SaveClick());
  EXPECT_EQ(Line(2), "REM Nachmessung");
}

// Replaces the first occurrence of `from` in text by `to` (which must exist).
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// A GSI 8 measurement file: a reflector height, a height and a point number
// changed; the file differs from the original only in those words. Fields
// without a word are disabled, pictures follow the word's units digit, a
// value too wide for its word is refused, code blocks open read-only.
TEST_F(RecordEditorTest, RecordEditorGsi8MeasurementsChangeOnlyTheEditedWords) {
  const std::string original = ReadFile(Data("gsi/editor-messung-gsi8.gsi"));
  OpenAndEdit(Data("gsi/editor-messung-gsi8.gsi"), 3);
  EXPECT_EQ(CurrentTransfer().FormatTag, "dGSI8");
  EXPECT_EQ(Shown(), "Punkte");
  EXPECT_EQ(Caption(), "T77");
  EXPECT_EQ(Text("EditNPPunktnummer"), "1001");
  EXPECT_EQ(Field("EditNPPunktnummer")->Format(), "XXXXXXXX");
  EXPECT_EQ(Text("EditNPVertikalwinkel"), "98.56780");
  EXPECT_EQ(Field("EditNPVertikalwinkel")->Format(),
            Signed("999.99999"));  // units digit 4
  EXPECT_EQ(Field("EditNPReflektorhoehe")->Format(), Signed("99999.999"));
  for (const char* absent : {"EditNPVersicherungsart1", "EditNPHorizontaldistanz", "EditNPXKoordinate", "EditNPHoehe",
                             "EditNPKommentar", "EditNPAzimut"})
    EXPECT_FALSE(Field(absent)->isEnabled()) << absent;
  EXPECT_TRUE(Button("Speichern")->isEnabled());
  Type("EditNPReflektorhoehe", "1.75");
  Screenshot("editor-Punkte.png");
  ASSERT_TRUE(form->SaveClick());

  form->NextClick();  // the code block before the next point: shown only
  EXPECT_EQ(Model().CurrentLine(), 4);
  EXPECT_EQ(Shown(), "Infos");
  EXPECT_FALSE(Button("Speichern")->isEnabled());
  EXPECT_TRUE(form->findChild<QLabel*>("Hinweis")->isVisible());
  form->NextClick();
  EXPECT_TRUE(Field("EditNPHoehe")->isEnabled());
  EXPECT_FALSE(Field("EditNPXKoordinate")->isEnabled());
  Type("EditNPHoehe", "45.3");
  ASSERT_TRUE(form->SaveClick());
  form->NextClick();
  EXPECT_EQ(Text("EditNPHoehe"), "-0.457");
  Type("EditNPPunktnummer", "A104");
  ASSERT_TRUE(form->SaveClick());
  Type("EditNPHoehe", "123456");  // nine digits for a word of eight
  box.Clear();
  EXPECT_FALSE(form->SaveClick());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T830"});
  EXPECT_NE(Line(6).find("83..10-00000457 "), std::string::npos);

  // The station: shown with its code block's values, never written.
  box.Answer(kAnsNo);
  form->StartFileClick();
  EditLine(1);
  EXPECT_EQ(Shown(), "Stationen");
  EXPECT_EQ(Text("EditSTPunktnummer"), "100");
  EXPECT_EQ(Text("EditSTInstrumentenhoehe"), "1.567");
  EXPECT_FALSE(Button("Speichern")->isEnabled());

  std::string expected = Replaced(original, "87..10+00001600 \r\n410004", "87..10+00001750 \r\n410004");
  expected = Replaced(expected, "83..10+00045234", "83..10+00045300");
  expected = Replaced(expected, "110006+0000A103", "110006+0000A104");
  EXPECT_EQ(SaveFile(), expected);
}

// A GSI 16 coordinate file under non-zero offsets: an unchanged record is
// written back unchanged; a point number, a height, a code with blank fill
// and an emptied easting change only their words; a code block before a
// point is edited with it.
TEST_F(RecordEditorTest, RecordEditorGsi16CoordinatesKeepTheLinesOwnWords) {
  ASSERT_TRUE(Leica().SetOffsetX("100000") && Leica().SetOffsetY("-50000.5"));
  const std::string original = ReadFile(Data("gsi/editor-koordinaten-gsi16.gsi"));
  OpenAndEdit(Data("gsi/editor-koordinaten-gsi16.gsi"), 0);
  EXPECT_EQ(CurrentTransfer().FormatTag, "kGSI16");
  EXPECT_EQ(Shown(), "Koordinaten");
  EXPECT_EQ(Model().Record().Punkt.Y, "2700123.456");  // the reader adds the offsets
  EXPECT_EQ(Text("EditKoXKoordinate"), "2600123.456");
  EXPECT_EQ(Text("EditKoYKoordinate"), "1200654.321");
  EXPECT_EQ(Field("EditKoXKoordinate")->Format(), Signed("9999999999999.999"));
  EXPECT_FALSE(Field("EditKoVersicherungsart")->isEnabled());
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(JoinLines(Model().Lines()), original);

  Type("EditKoPunktnummer", "101A");
  Type("EditKoHoehe", "456.8");
  ASSERT_TRUE(form->SaveClick());
  form->NextClick();  // point lines only
  EXPECT_EQ(Model().CurrentLine(), 2);
  EXPECT_EQ(Text("EditKoVersicherungsart"), "MAUER NORD");
  EXPECT_EQ(Field("EditKoHoehe")->Format(),
            Signed("999999999999.9999"));  // units digit 6
  Type("EditKoVersicherungsart", "MAUER SUED");
  Screenshot("editor-Koordinaten.png");
  ASSERT_TRUE(form->SaveClick());
  form->NextClick();
  Type("EditKoXKoordinate", "");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_TRUE(Model().Record().Punkt.Y.empty());

  EditLine(1);  // the code block reads the point after it
  EXPECT_EQ(Model().RecordLastLine(), 2);
  EXPECT_EQ(Text("EditKoPunktnummer"), "102");
  Type("EditKoHoehe", "456.7891");
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Model().LineCount(), 4);

  std::string expected = Replaced(original, "*110001+0000000000000101", "*110001+000000000000101A");
  expected = Replaced(expected, "83..10+0000000000456789", "83..10+0000000000456800");
  expected = Replaced(expected, "71....+      MAUER NORD", "71....+      MAUER SUED");
  expected = Replaced(expected, "83...6+0000000004567890", "83...6+0000000004567891");
  expected = Replaced(expected, "81..10+0000002600200000", "81..10+----------------");
  EXPECT_EQ(SaveFile(), expected);
}

// The editor set-up bound for SDR 33, GTS-6 and GTS-7: the panels after
// OnInitEditor, the fields of an SDR atmosphere record, and a GTS-7 record
// edited from one of its continuation lines (written back once, from its
// head on).
TEST_F(RecordEditorTest, RecordEditorFormatSetUpOfSdrAndGts) {
  TdmGTS6 gts6(*geraete);
  TdmGTS7 gts7(*geraete);
  TdmSDR sdr(*geraete);

  OpenAndEdit(Data("sdr/job-sdr33.sdr"), 5);  // 05: pressure and temperature
  ASSERT_EQ(Model().Format(), geraete->Format("SDR33"));
  EXPECT_EQ(Shown(), "Stationen");
  EXPECT_TRUE(Field("EditSTTemperatur")->isEnabled());
  EXPECT_TRUE(Field("EditSTLuftdruck")->isEnabled());
  EXPECT_FALSE(Field("EditSTPunktnummer")->isEnabled());
  EXPECT_FALSE(Field("EditSTXKoordinate")->isEnabled());
  EXPECT_EQ(Field("EditSTLuftdruck")->Format(), Signed("999999999999999"));
  EXPECT_EQ(Text("EditSTLuftdruck"), "1013.25");
  EXPECT_EQ(Field("EditKoHoehe")->Format(), Signed("9999999999.9999"));
  EXPECT_EQ(Field("EditDatum")->Format(), "99X999X99");
  form->PreviousClick();  // 02: the station itself
  EXPECT_TRUE(Field("EditSTPunktnummer")->isEnabled());
  EXPECT_FALSE(Field("EditSTTemperatur")->isEnabled());

  ASSERT_TRUE(Model().OpenFile(Data("gts6/messung-gts6x.gt6")));
  EXPECT_EQ(Field("EditNPHoehe")->Format(), Signed("9999999.999"));
  ASSERT_TRUE(Model().OpenFile(Data("gts6/messung-gts6.gt6")));
  EXPECT_EQ(Field("EditNPHoehe")->Format(), Signed("99999.999"));

  ASSERT_TRUE(Model().OpenFile(Data("gts7/messung-gts7.gt7")));
  EXPECT_EQ(Field("EditUhrzeit")->Format(), "99:99:99");
  EXPECT_EQ(Field("EditNPVersicherungsart2")->Format(), "AAAAAAAAAA\xE4\xF6\xFC\xC4\xD6\xDC");
  const int lines = Model().LineCount();
  EditLine(9);  // "XYZ" of the station S1
  EXPECT_EQ(Shown(), "Stationen");
  EXPECT_EQ(Text("EditSTPunktnummer"), "S1");
  EXPECT_EQ(Model().RecordFirstLine(), 7);  // the weather line before it belongs to it
  EXPECT_EQ(Model().RecordLastLine(), 9);
  ASSERT_TRUE(form->SaveClick());
  EXPECT_EQ(Model().LineCount(), lines);
  int heads = 0;
  for (std::string_view line : Model().Lines()) heads += line.starts_with("STN     S1,");
  EXPECT_EQ(heads, 1);
  EXPECT_EQ(Line(7).substr(0, 8), "TEMP    ");
  EXPECT_EQ(Line(8).substr(0, 11), "STN     S1,");
}

// The DL-100 editor: panels after OnInitEditor, fields and caption per
// record letter, and an edited reading written back with a new check
// character.
TEST_F(RecordEditorTest, RecordEditorDl100FieldsPerLetter) {
  TdmDL100 dl(*geraete);
  OpenAndEdit(Data("dl100/nivellement-rvvr.l"), 0);  // c: start with limit
  ASSERT_EQ(Model().Format(), geraete->Format("DL100"));
  EXPECT_EQ(Shown(), "Startdaten");
  EXPECT_EQ(Caption(), GetText(445));
  EXPECT_EQ(Field("EditSDDatum")->Format(), "999999");
  EXPECT_EQ(Field("EditSDUhrzeit")->Format(), "9999");
  EXPECT_EQ(Field("EditSDBodenhoehe")->Format(), "\xB1" "999999999");
  EXPECT_TRUE(Field("EditSDLimite")->isEnabled());
  EXPECT_TRUE(Field("EditSDAnzNiv")->isEnabled());
  EXPECT_FALSE(Field("EditSDMessnummer")->isEnabled());
  EXPECT_EQ(Text("EditSDBodenhoehe"), "1234567");

  form->NextClick();  // g: backsight
  EXPECT_EQ(Shown(), "Messdaten");
  EXPECT_EQ(Caption(), GetText(512));
  EXPECT_TRUE(Field("EditMDPunktnummer")->isEnabled());
  EXPECT_TRUE(Field("EditMDInstHoehe")->isEnabled());
  EXPECT_FALSE(Field("EditMDMessnummer")->isEnabled());
  EXPECT_FALSE(Field("EditMDBodenhoehe")->isEnabled());
  EXPECT_EQ(Field("EditMDAblesung")->Format(), "\xB1" "999999");
  Type("EditMDPunktnummer", "4711");
  box.Clear();
  EXPECT_FALSE(form->SaveClick());  // the ground height is required
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T616"});
  Type("EditMDInstHoehe", "1234567");
  ASSERT_TRUE(form->SaveClick());
  std::string line = "g,831,152301,2345,1234567,2,1,4711,,1001,";
  unsigned sum = 0;
  for (unsigned char c : line) sum += c;
  line += static_cast<char>((sum & 0x3F) + 32);
  EXPECT_EQ(Line(1), line + ",");

  EditLine(9);  // f: a reading with a sequence number
  EXPECT_EQ(Caption(), GetText(447));
  EXPECT_TRUE(Field("EditMDMessnummer")->isEnabled());
  EXPECT_EQ(Text("EditMDPunktnummer"), "KONTR");
  EditLine(10);  // w: end of the line
  EXPECT_EQ(Shown(), "Enddaten");
  EXPECT_EQ(Caption(), GetText(446));
  EXPECT_TRUE(Field("EditEDBodenhoehe")->isEnabled());
  EXPECT_FALSE(Field("EditEDWechselpunkt")->isEnabled());

  OpenAndEdit(Data("dl100/koordinaten.l"), 1);  // z with unit code 3
  EXPECT_EQ(Shown(), "Koordinaten");
  EXPECT_EQ(Text("EditKoXKoordinate"), "123.45678");
  EXPECT_EQ(Field("EditKoHoehe")->Format(), "\xB1" "999999.999");
  EXPECT_FALSE(Field("EditKoKommentar")->isEnabled());
}

}  // namespace
}  // namespace veltro::test
