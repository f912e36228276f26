#include "app/Anpassen.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "core/Messages.h"
#include "platform/MessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

class AnpassenTest : public ::testing::Test {
 protected:
  AnpassenTest() {
    SetTextProvider([](int n) { return "T" + std::to_string(n); });
    std::filesystem::create_directories(settings.Dir() / "daten");
    std::filesystem::create_directories(settings.Dir() / "format");
    werte.DataPath = settings.Dir() / "daten/";
    werte.FormatPath = settings.Dir() / "format/";
    werte.Ports = {1, 3};
    werte.Port = 1;
    werte.WaitForRemote = 20000;
  }
  ~AnpassenTest() override { SetTextProvider(nullptr); }

  template <class T>
  T* Find(TfrmAnpassen& dlg, const char* name) {
    T* w = dlg.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  QApplication& app = QtTestApp();
  TempSettings settings;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  AnpassenWerte werte;
};

TEST_F(AnpassenTest, OpensWithTheCurrentValues) {
  TfrmAnpassen dlg(werte);
  EXPECT_EQ(dlg.windowTitle(), "Anpassen");
  EXPECT_EQ(Find<QLineEdit>(dlg, "DatenDir")->text().toStdString(), werte.DataPath);
  EXPECT_EQ(Find<QLineEdit>(dlg, "FormatDir")->text().toStdString(), werte.FormatPath);
  auto* port = Find<QComboBox>(dlg, "AnschlussBox");
  EXPECT_EQ(port->count(), 2);
  EXPECT_EQ(port->itemText(1), "COM3");
  EXPECT_EQ(port->currentText(), "COM1");
  EXPECT_EQ(Find<QLineEdit>(dlg, "edWaitForRemote")->text(), "20000");
  EXPECT_FALSE(Find<QCheckBox>(dlg, "BenutzeViewer")->isChecked());
  EXPECT_EQ(Find<QCheckBox>(dlg, "SaveSource")->text(), "Sourcedaten speichern?");
  EXPECT_EQ(Find<QPushButton>(dlg, "Eigenschaften_Button")->text(), "&Schnittstelle");
}

TEST_F(AnpassenTest, OkStoresEverythingAndAShortWaitBecomesTenSeconds) {
  TfrmAnpassen dlg(werte);
  Find<QComboBox>(dlg, "AnschlussBox")->setEditText("com3");  // any case
  Find<QLineEdit>(dlg, "edWaitForRemote")->setText(" 500 ");
  Find<QCheckBox>(dlg, "BenutzeViewer")->setChecked(true);
  Find<QCheckBox>(dlg, "SaveSource")->setChecked(true);
  Find<QLineEdit>(dlg, "FormatDir")->setText(QString::fromStdString(settings.Dir() / "format"));
  ASSERT_TRUE(dlg.EndeClick());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(box.Messages().empty());
  EXPECT_EQ(werte.Port, 3);
  EXPECT_EQ(werte.WaitForRemote, 10000);
  EXPECT_TRUE(werte.Viewer);
  EXPECT_TRUE(werte.SaveSource);
  EXPECT_EQ(werte.FormatPath, settings.Dir() / "format/");  // separator appended
  EXPECT_EQ(WaitForRemote(), 10000);
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("DataPath"), ""), settings.Dir() / "daten/");
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("FormatPath"), ""), settings.Dir() / "format/");
  EXPECT_TRUE(ReadRegBool(kUser, ConfigPath("Viewer"), false));
  EXPECT_TRUE(ReadRegBool(kUser, ConfigPath("Save Source"), false));
  EXPECT_EQ(ReadAnpassenWerte("", "").WaitForRemote, 10000);
}

TEST_F(AnpassenTest, AnUnknownPortIsRefused) {
  TfrmAnpassen dlg(werte);
  Find<QComboBox>(dlg, "AnschlussBox")->setEditText("COM2");
  Find<QCheckBox>(dlg, "BenutzeViewer")->setChecked(true);
  EXPECT_FALSE(dlg.EndeClick());
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "T52");
  EXPECT_EQ(box.Messages()[0].kind, kMsgWarning);
  EXPECT_EQ(box.Messages()[0].buttons, kBtnOk);
  auto* port = Find<QComboBox>(dlg, "AnschlussBox");
  EXPECT_TRUE(dlg.focusWidget() == port || dlg.focusWidget() == port->lineEdit());
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(werte.Viewer);  // nothing stored
  EXPECT_FALSE(RegValueExists(kUser, ConfigPath("Viewer")));
}

TEST_F(AnpassenTest, AWaitTimeThatIsNoIntegerIsRefused) {
  werte.WaitForRemote = 3000;  // below the minimum from an older version
  TfrmAnpassen dlg(werte);
  auto* wait = Find<QLineEdit>(dlg, "edWaitForRemote");
  wait->setText("zehn");
  EXPECT_FALSE(dlg.EndeClick());
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "'zehn' ist kein g\xFCltiger Integerwert");
  EXPECT_EQ(wait->text(), "10000");  // previous value, raised
  EXPECT_EQ(dlg.focusWidget(), wait);
  EXPECT_EQ(werte.WaitForRemote, 3000);
  EXPECT_FALSE(RegValueExists(kUser, ConfigPath("WaitForRemote")));
  box.Clear();
  ASSERT_TRUE(dlg.EndeClick());  // the raised value is accepted
  EXPECT_EQ(werte.WaitForRemote, 10000);
}

TEST_F(AnpassenTest, AbbrechenStoresNothing) {
  TfrmAnpassen dlg(werte);
  Find<QLineEdit>(dlg, "edWaitForRemote")->setText("50000");
  Find<QPushButton>(dlg, "Abbrechen")->click();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(werte.WaitForRemote, 20000);
  EXPECT_FALSE(FileExists(settings.UserFile()));
}

TEST_F(AnpassenTest, AFolderThatCannotBeEnteredShowsItsNearestParent) {
  werte.DataPath = settings.Dir() / "daten/gibt/es/nicht/";
  TfrmAnpassen dlg(werte);
  EXPECT_EQ(Find<QLineEdit>(dlg, "DatenDir")->text().toStdString(), settings.Dir() / "daten/");
  EXPECT_EQ(EnterableFolder(settings.Dir() / "daten"), settings.Dir() / "daten/");
  EXPECT_EQ(EnterableFolder("relative-that-does-not-exist").back(), '/');
}

TEST_F(AnpassenTest, WithoutPortsTheOtherSettingsCanStillBeChanged) {
  werte.Ports.clear();
  werte.Port = 2;
  TfrmAnpassen dlg(werte);
  Find<QComboBox>(dlg, "AnschlussBox")->setEditText("");
  Find<QCheckBox>(dlg, "SaveSource")->setChecked(true);
  ASSERT_TRUE(dlg.EndeClick());
  EXPECT_EQ(werte.Port, 2);
  EXPECT_TRUE(werte.SaveSource);
}

TEST_F(AnpassenTest, ThePortPropertiesButtonCallsItsHandler) {
  TfrmAnpassen dlg(werte);
  int calls = 0;
  dlg.OnEigenschaften = [&] { ++calls; };
  Find<QPushButton>(dlg, "Eigenschaften_Button")->click();
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace veltro::test
