#include "app/TransModul.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QPointer>

#include "app/StartBild.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

TEST(NameFilters, WindowsFiltersBecomeQtFilters) {
  EXPECT_EQ(NameFilters(kFilterCodeliste),
            (QStringList{"Datendateien (*.lst *.LST)", "Textdateien (*.dat *.DAT)", "Alle Dateien (*)"}));
  EXPECT_EQ(NameFilters(kFilterOpenFile),
            (QStringList{"Datendateien (*.dat *.DAT)", "Textdateien (*.txt *.TXT)", "Alle Dateien (*)"}));
  EXPECT_EQ(NameFilters(kFilterSaveFile), QStringList{"Inroh Dateien (in* IN*)"});
  EXPECT_EQ(NameFilters("Formatdefinitionen|*.format|Alle Dateien|*.*"),
            (QStringList{"Formatdefinitionen (*.format *.FORMAT)", "Alle Dateien (*)"}));
  EXPECT_EQ(NameFilters("GSI (*.gsi;*.gs8)|*.gsi;*.gs8"), QStringList{"GSI (*.gsi *.GSI *.gs8 *.GS8)"});
  EXPECT_EQ(NameFilters("Gr\xF6\xDF"
                        "e|x.*"),
            QStringList{QStringLiteral("Größe (x* X*)")});
  EXPECT_TRUE(NameFilters("").isEmpty());
  EXPECT_TRUE(NameFilters("no pattern").isEmpty());
}

class TransModulTest : public ::testing::Test {
 protected:
  QApplication& app = QtTestApp();
  TempSettings settings;
  ~TransModulTest() override { ActivateNiederlassung(2055); }
};

TEST_F(TransModulTest, SharedDialogsWithTheirFilters) {
  TTDM tdm;
  EXPECT_EQ(TDM(), &tdm);
  EXPECT_EQ(tdm.OpenDialogCodeliste()->objectName(), "OpenDialogCodeliste");
  EXPECT_EQ(tdm.OpenDialogCodeliste()->nameFilters(), NameFilters(kFilterCodeliste));
  EXPECT_EQ(tdm.OpenFileDialog()->nameFilters(), NameFilters(kFilterOpenFile));
  EXPECT_EQ(tdm.SaveFileDialog()->nameFilters(), NameFilters(kFilterSaveFile));
  EXPECT_EQ(tdm.SaveFileDialog()->acceptMode(), QFileDialog::AcceptSave);
  tdm.SetDialogFolder(settings.Dir().path());
  EXPECT_EQ(tdm.OpenFileDialog()->directory().absolutePath(), QString::fromStdString(settings.Dir().path()));
  EXPECT_EQ(tdm.SaveFileDialog()->directory().absolutePath(), QString::fromStdString(settings.Dir().path()));
}

TEST_F(TransModulTest, WithoutAnyLanguageValueTheInterfaceStartsWithEuropa) {
  TTDM tdm;
  EXPECT_EQ(tdm.ActiveNiederlassung().Name, "Europa");
  EXPECT_EQ(tdm.ActiveNiederlassung().Sprache, "Englisch");
  // The user's configuration is started and seeded.
  EXPECT_TRUE(RegValueExists(kUser, ConfigPath("Methode")));
  EXPECT_TRUE(RegValueExists(kUser, ConfigPath("TransOf")));
  tdm.SaveLanguage();
  EXPECT_EQ(ReadRegInteger(kUser, std::string(kProgramKey) + "\\language", 0), 9999);
}

TEST_F(TransModulTest, TheMachineLanguageAndConfigurationReachANewUser) {
  WriteRegInteger(kMachine, std::string(kProgramKey) + "\\language", 1036, true);
  WriteRegString(kMachine, ConfigPath("DataPath"), "/srv/vermessung/", true);
  TTDM tdm("/default/");
  EXPECT_EQ(tdm.ActiveNiederlassung().Name, "Frankreich");
  EXPECT_TRUE(tdm.ActiveNiederlassung().ShowXY);
  EXPECT_EQ(tdm.Settings().DataPath(), "/srv/vermessung/");
  EXPECT_EQ(ReadRegInteger(kUser, std::string(kProgramKey) + "\\language", 0), 1036);
}

TEST_F(TransModulTest, AnUnknownStoredLanguageFallsBackToEuropa) {
  WriteRegString(kUser, std::string(kProgramKey) + "\\language", "deutsch", true);
  TTDM tdm;
  EXPECT_EQ(tdm.ActiveNiederlassung().Name, "Europa");
}

TEST_F(TransModulTest, FormsAreTranslatedThroughTheInstalledTranslator) {
  QLabel label;
  TranslateForm(label);  // nothing installed: nothing happens
  SetFormTranslator([](QWidget& w) { w.setObjectName("translated"); });
  TranslateForm(label);
  EXPECT_EQ(label.objectName(), "translated");
  SetFormTranslator(nullptr);
}

TEST(StartBild, ThePictureIsDrawnAndTheWindowLeavesAfterTwoSeconds) {
  QtTestApp();
  QPixmap picture = DrawStartPicture();
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(480, 300));
  QImage image = picture.toImage();
  EXPECT_NE(image.pixel(240, 10), image.pixel(240, 290));  // sky above, ground below

  QPointer<TfrmStartBild> window = ShowStartPicture();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->objectName(), "frmStartBild");
  EXPECT_TRUE(window->Timer().isActive());
  EXPECT_TRUE(window->Timer().isSingleShot());
  EXPECT_EQ(window->Timer().interval(), 2000);
  window->Finish();  // what the timer does
  EXPECT_TRUE(!window || !window->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

}  // namespace
}  // namespace veltro::test
