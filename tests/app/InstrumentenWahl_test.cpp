#include "app/InstrumentenWahl.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>

#include "app/RadioGroup.h"
#include "core/Settings.h"
#include "core/Niederlassung.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/InstrumentDialogFixture.h"
#include "wgsxyz/CoordinateBlock.h"

namespace veltro::test {
namespace {

class InstrumentenWahlTest : public InstrumentDialogTest {
 protected:
  TfrmTachyWahl& Open(const std::vector<std::string>& instruments) {
    Make(instruments);
    dialog = std::make_unique<TfrmTachyWahl>(*geraete);
    dialog->show();
    return *dialog;
  }
  QRadioButton* Radio(const char* name) { return dialog->findChild<QRadioButton*>(QString::fromLatin1(name)); }
  QGroupBox* Box(const char* name) { return dialog->findChild<QGroupBox*>(QString::fromLatin1(name)); }
  bool TabShown(const char* page) {
    QWidget* sheet = dialog->findChild<QWidget*>(QString::fromLatin1(page));
    return dialog->Hersteller->isTabVisible(dialog->Hersteller->indexOf(sheet));
  }
  // The user leaves an offset field with this text in it.
  void Leave(QLineEdit* edit, const char* text) {
    edit->setText(QString::fromLatin1(text));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
  }

  ~InstrumentenWahlTest() override { dialog.reset(); }
  std::unique_ptr<TfrmTachyWahl> dialog;
};

TEST_F(InstrumentenWahlTest, PagesListsAndSelectionFollowTheCatalogue) {
  SetTextProvider([](int n) -> std::string {
    if (n == 132) return "Instruments";
    if (n == 301) return "&Instrument choice";
    return {};
  });
  Open({"itGTS210", "itGTS700", "itTPS1100"});
  EXPECT_EQ(dialog->windowTitle(), "Instruments");
  EXPECT_EQ(Box("IWTopcon")->title(), "&Instrument choice");
  EXPECT_EQ(Box("DFTopcon")->title(), "Datenformate");

  // Pages without an installed instrument are hidden; the Magellan page
  // holds the lists named after Tavrin.
  EXPECT_TRUE(TabShown("tsTopcon"));
  EXPECT_TRUE(TabShown("tsLeica"));
  for (const char* page : {"tsZeiss", "tsNikon", "tsSokkia", "tsMagellan", "tsFoif", "tsPentax"})
    EXPECT_FALSE(TabShown(page)) << page;
  EXPECT_NE(Box("IWTavrin"), nullptr);
  EXPECT_NE(Box("DFTavrin"), nullptr);

  // Only installed instruments are listed, at the catalogue's positions.
  EXPECT_EQ(Radio("itCR1"), nullptr);
  ASSERT_NE(Radio("itGTS210"), nullptr);
  EXPECT_EQ(Radio("itGTS210")->parentWidget(), Box("IWTopcon"));
  // A caption wider than 200 pixels in this font widens its button, and
  // its box holds it whole.
  EXPECT_EQ(Radio("itGTS210")->geometry().topLeft(), QPoint(17, 20));
  EXPECT_EQ(Radio("itGTS700")->geometry().topLeft(), QPoint(17, 40));
  for (const char* name : {"itGTS210", "itGTS700", "GTS7"}) {
    const QRadioButton* radio = Radio(name);
    EXPECT_EQ(radio->height(), 17) << name;
    EXPECT_GE(radio->width(), std::max(200, radio->sizeHint().width())) << name;
    EXPECT_LE(radio->geometry().right(), radio->parentWidget()->width()) << name;
  }
  EXPECT_EQ(Radio("GTS7")->parentWidget(), Box("DFTopcon"));
  EXPECT_EQ(Radio("GTS7")->geometry().topLeft(), QPoint(17, 20 + 20 * 4));

  // The first installed instrument is current: its page, its button, its
  // format; formats it cannot take are disabled.
  EXPECT_EQ(dialog->Hersteller->currentIndex(), 0);
  EXPECT_TRUE(Radio("itGTS210")->isChecked());
  EXPECT_FALSE(Radio("itGTS700")->isChecked());
  EXPECT_FALSE(Radio("itTPS1100")->isChecked());
  EXPECT_TRUE(Radio("GTS6")->isChecked());
  EXPECT_EQ(dialog->ChosenFormat(), "GTS-6");
  EXPECT_TRUE(Radio("GTS6")->isEnabled());
  EXPECT_TRUE(Radio("GTS6x")->isEnabled());
  EXPECT_FALSE(Radio("FC5")->isEnabled());
  EXPECT_FALSE(Radio("GSI8")->isEnabled());
  EXPECT_FALSE(dialog->DataMerging->isEnabled());

  // Choosing a Leica instrument moves the selection to its page.
  Radio("itTPS1100")->click();
  EXPECT_EQ(&geraete->CurrentInstrument(), &It("itTPS1100"));
  EXPECT_EQ(dialog->Hersteller->currentIndex(), 1);
  EXPECT_FALSE(Radio("itGTS210")->isChecked());
  EXPECT_TRUE(Radio("itTPS1100")->isChecked());
  EXPECT_TRUE(Radio("GSI8")->isChecked());
  EXPECT_FALSE(Radio("GTS6")->isChecked());
  EXPECT_TRUE(Radio("GSI16")->isEnabled());
  EXPECT_FALSE(Radio("GTS6")->isEnabled());
}

TEST_F(InstrumentenWahlTest, AFormatOutsideTheNewInstrumentsListStaysDisabledAndItKeepsItsOwnFormat) {
  Open({"itGTS210", "itGTS700"});
  Radio("itGTS700")->click();
  Radio("GTS7")->click();
  EXPECT_EQ(It("itGTS700").GeraeteFormat, &Fmt("GTS7"));
  EXPECT_TRUE(dialog->DataMerging->isEnabled());

  Radio("itGTS210")->click();
  EXPECT_FALSE(Radio("GTS7")->isEnabled());
  EXPECT_FALSE(Radio("GTS7")->isChecked());
  EXPECT_TRUE(Radio("GTS6")->isChecked());
  EXPECT_FALSE(dialog->DataMerging->isEnabled());
  dialog->Ende->click();
  EXPECT_EQ(It("itGTS210").GeraeteFormat, &Fmt("GTS6"));
  EXPECT_EQ(It("itGTS700").GeraeteFormat, &Fmt("GTS7"));
}

TEST_F(InstrumentenWahlTest, FormatsAreEnabledOnlyForExactMembersOfTheInstrumentsList) {
  // itOTS600 takes "OGTS7"; the Topcon format "GTS7" is a substring of it
  // but not a format of that instrument.
  Open({"itGTS700", "itOTS600"});
  Radio("itOTS600")->click();
  EXPECT_TRUE(Radio("OGTS7")->isEnabled());
  EXPECT_FALSE(Radio("GTS7")->isEnabled());
}

TEST_F(InstrumentenWahlTest, Gts700SendingFc5SwitchesToAckNakAndBack) {
  SetMethode(1);
  Open({"itGTS700"});
  It("itGTS700").EndofLine = teolCR;
  Radio("FC5")->click();
  EXPECT_EQ(It("itGTS700").GeraeteFormat, &Fmt("FC5"));
  EXPECT_EQ(It("itGTS700").FlowControl, tfcACKNAK);
  EXPECT_EQ(It("itGTS700").EndofLine, teolCRLF);
  EXPECT_FALSE(dialog->DataMerging->isEnabled());
  Radio("GTS7")->click();
  EXPECT_EQ(It("itGTS700").FlowControl, tfcXONXOFF);
  EXPECT_TRUE(dialog->DataMerging->isEnabled());
}

TEST_F(InstrumentenWahlTest, OffsetsTakeNumbersOnlyAndAnEmptyOneBecomesZero) {
  Open({"itGTS210"});
  TInstrument& i = It("itGTS210");
  Leave(dialog->EditY, " 600000.5 ");
  EXPECT_EQ(i.OffsetY(), "600000.5");
  for (const char* bad : {"1.2.3", "+", "-", ".", "+-1", "12a"}) {
    Leave(dialog->EditY, bad);
    EXPECT_EQ(i.OffsetY(), "600000.5") << bad;
    EXPECT_EQ(dialog->EditY->text(), "600000.5") << bad;
  }
  Leave(dialog->EditX, "-200000");
  EXPECT_EQ(i.OffsetX(), "-200000");
  dialog->EditX->clear();
  dialog->Ende->click();  // leaving the field by the button
  EXPECT_EQ(i.OffsetX(), "0");
  EXPECT_EQ(i.OffsetY(), "600000.5");
}

TEST_F(InstrumentenWahlTest, CharacterSetAndCodeListOptionsAreTakenOver) {
  CodeLists().AttributePosition = 1;
  CodeLists().UseGsiCodes = false;
  Open({"itGTS210", "itTPS1100"});
  EXPECT_TRUE(dialog->ASCII->isChecked());  // GTS-6 is an OEM format
  dialog->Ansi->click();
  EXPECT_FALSE(Fmt("GTS6").OEMConvert);
  Radio("GTS6x")->click();
  EXPECT_TRUE(dialog->ASCII->isChecked());  // the shown set is the new format's
  EXPECT_EQ(dialog->Attribute->ItemIndex(), 1);
  EXPECT_FALSE(dialog->GSICodierung->isChecked());
  dialog->Attribute->SetItemIndex(0);
  dialog->GSICodierung->setChecked(true);
  dialog->Ende->click();
  EXPECT_EQ(CodeLists().AttributePosition, 0);
  EXPECT_TRUE(CodeLists().UseGsiCodes);
  EXPECT_EQ(It("itGTS210").GeraeteFormat, &Fmt("GTS6x"));
}

TEST_F(InstrumentenWahlTest, EachActivationShowsTheInstrumentCurrentThen) {
  Open({"itGTS210", "itGTS700"});
  dialog->hide();
  // The main window's menu chose another instrument meanwhile.
  ASSERT_TRUE(geraete->SelectInstrument("Topcon GTS-500 / 600 / 700 / 800A"));
  dialog->show();
  EXPECT_TRUE(Radio("itGTS700")->isChecked());
  EXPECT_FALSE(Radio("itGTS210")->isChecked());
  EXPECT_TRUE(Radio("GTS7")->isChecked());
  dialog->Ende->click();
  // The old instrument's format is not forced on the new one.
  EXPECT_EQ(It("itGTS700").GeraeteFormat, &Fmt("GTS7"));
}

TEST_F(InstrumentenWahlTest, TheLeicaButtonsOpenTheCodeListDialogsModally) {
  Open({"itTPS1100"});
  for (QPushButton* button : {dialog->EditCode, dialog->CodeTab}) {
    QString opened;
    QTimer::singleShot(0, [&opened] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        opened = modal->objectName();
        modal->close();
      }
    });
    button->click();
    EXPECT_EQ(opened, button == dialog->EditCode ? "TfrmGSICodeTabelle" : "TfrmCodeTabellen");
  }
}

class SystemwahlTest : public InstrumentenWahlTest {
 protected:
  // Installs the scripted coordinate-system library in the program's folder
  // and keeps it loaded, so its record survives the dialog's free.
  void InstallLibrary() {
    const std::string file = programDir / LibraryFileName(kLibrary);
    std::filesystem::copy_file(VELTRO_TEST_LIBS "/libFakeWgsxyz.so", file);
    ASSERT_TRUE(fake.Load(file)) << fake.Error();
    setAnswer = fake.Export<void (*)(const char*, int)>("FakeSetAnswer");
    record = fake.Export<const char* (*)(int)>("FakeRecord");
    calls = fake.Export<int (*)(int)>("FakeCalls");
    position = fake.Export<int32_t (*)(int)>("FakePosition");
  }
  static constexpr const char* kLibrary = "WGSXYZ.DLL";
  DynamicLibrary fake;
  void (*setAnswer)(const char*, int) = nullptr;
  const char* (*record)(int) = nullptr;
  int (*calls)(int) = nullptr;
  int32_t (*position)(int) = nullptr;
};

TEST_F(SystemwahlTest, WithoutTheLibraryTheButtonIsDisabled) {
  Open({"itTavrin"});
  EXPECT_FALSE(dialog->btSystemwahl->isEnabled());
  EXPECT_EQ(dialog->Hersteller->currentWidget()->objectName(), "tsMagellan");
}

TEST_F(SystemwahlTest, TheChosenSystemIsTakenAndACancelledChoiceKeepsThePreviousOne) {
  InstallLibrary();
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("GPSSystem"), "41;CH95", true);
  SetTextProvider([](int n) -> std::string {
    if (n == 98) return "&Ok";
    if (n == 2211) return "Y";
    if (n == 2212) return "X";
    if (n == 630) return "unusable";
    return {};
  });
  Open({"itTavrin"});
  ASSERT_TRUE(dialog->btSystemwahl->isEnabled());
  EXPECT_EQ(dialog->AktivSystem(), "41;CH95");

  setAnswer("32;UTM32N", 0);
  dialog->btSystemwahl->click();
  EXPECT_EQ(dialog->AktivSystem(), "32;UTM32N");
  EXPECT_EQ(calls(0), 1);
  EXPECT_EQ(std::string(record(1)), "41;CH95");
  EXPECT_EQ(std::string(record(3)), "41;CH95");
  const QRect frame = dialog->frameGeometry();
  EXPECT_EQ(position(0), frame.left() + frame.width() / 2);
  EXPECT_EQ(position(1), frame.top());
  EXPECT_TRUE(box.Messages().empty());
  // One text per line in the library's order, 2211 before 2212.
  const std::string expected =
      wgsxyz::LanguageStrings([](int n) { return GetText(n); }, false);
  EXPECT_EQ(std::string(record(0)), expected);
  EXPECT_EQ(std::string(record(0)).compare(0, 5, "&Ok\r\n"), 0);
  const size_t y = expected.find("\r\nY\r\nX\r\n");
  EXPECT_NE(y, std::string::npos);

  // Nothing or an empty text back: the choice was cancelled.
  setAnswer(nullptr, 0);
  dialog->btSystemwahl->click();
  EXPECT_EQ(calls(2), 1);
  EXPECT_EQ(dialog->AktivSystem(), "32;UTM32N");
  setAnswer("", 0);
  dialog->btSystemwahl->click();
  EXPECT_EQ(dialog->AktivSystem(), "32;UTM32N");

  // With ShowXY the two axis texts change places; an unusable active system
  // is reported before the choice.
  TNiederlassung& branch = ActiveNiederlassung();
  const bool showXY = branch.ShowXY;
  branch.ShowXY = true;
  setAnswer("41;CH03", 1);
  dialog->btSystemwahl->click();
  branch.ShowXY = showXY;
  EXPECT_NE(std::string(record(0)).find("\r\nX\r\nY\r\n"), std::string::npos);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "unusable");
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  EXPECT_EQ(dialog->AktivSystem(), "41;CH03");
}

}  // namespace
}  // namespace veltro::test
