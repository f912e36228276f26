#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "tests/app/QtTestApp.h"
#include "tests/wgsxyz/WgsxyzFixture.h"

namespace veltro::test {
namespace {

enum Column { kText, kName, kAccuracy, kHeights };

class SystemDialogTest : public WgsxyzLibrary {
 protected:
  void SetUp() override {
    WgsxyzLibrary::SetUp();
    QtTestApp();
  }
  void TearDown() override {
    if (setLanguageStrings) setLanguageStrings(nullptr);
  }

  // Calls ShowParams and runs action on its dialog once it shows; the
  // dialog is cancelled afterwards if the action left it open.
  std::string Show(const char* active, int centreX, int top, const std::function<void(QDialog&)>& action) {
    bool ran = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QDialog* dialog = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "TfrmSystemwahl" && w->isVisible()) dialog = qobject_cast<QDialog*>(w);
      if (!dialog || ran) return;
      ran = true;
      poll.stop();
      action(*dialog);
      QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
    });
    poll.start(0);
    const char* result = showParams(active, centreX, top, 0, 0);
    EXPECT_TRUE(ran) << "no dialog shown";
    return result ? result : "(null)";
  }

  static QTreeWidgetItem* Row(QDialog& d, const char* text) {
    auto found = d.findChild<QTreeWidget*>("lvSysteme")->findItems(text, Qt::MatchExactly | Qt::MatchRecursive, kText);
    return found.isEmpty() ? nullptr : found.first();
  }
  static QTreeWidgetItem* Current(QDialog& d) { return d.findChild<QTreeWidget*>("lvSysteme")->currentItem(); }
  static QString Note(QDialog& d) { return d.findChild<QLabel*>("lbHinweis")->text(); }
  static void Click(QDialog& d, const char* name) { d.findChild<QPushButton*>(name)->click(); }
};

TEST_F(SystemDialogTest, ShowsTheActiveSystemWithItsAccuracyAndReturnsTheChoice) {
  setLanguageStrings(wgsxyz::LanguageStrings(
                         [](int n) -> std::string {
                           if (n == 98) return "&OK";
                           if (n == 760) return "Coordinate system";
                           return "";  // the library's own text
                         },
                         false)
                         .c_str());
  std::string chosen = Show("41;CH03", 700, 120, [](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Coordinate system");
    EXPECT_EQ(d.findChild<QPushButton*>("btOK")->text(), "&OK");
    EXPECT_EQ(d.findChild<QPushButton*>("btAbbrechen")->text(), "Ab&brechen");
    EXPECT_EQ(d.x() + d.width() / 2, 700);
    EXPECT_EQ(d.y(), 120);
    ASSERT_TRUE(Current(d));
    EXPECT_EQ(Current(d)->text(kText), "41;CH03");
    EXPECT_EQ(Current(d)->text(kName), "CH1903 / LV03");
    EXPECT_EQ(Current(d)->text(kAccuracy), "1.5 m");
    EXPECT_TRUE(Note(d).contains("ellipsoidisch")) << Note(d).toStdString();

    QTreeWidgetItem* lv95 = Row(d, "41;CH95");
    ASSERT_TRUE(lv95);
    EXPECT_EQ(lv95->text(kAccuracy), "1 m");
    d.findChild<QTreeWidget*>("lvSysteme")->setCurrentItem(lv95);
    Click(d, "btOK");
  });
  EXPECT_EQ(chosen, "41;CH95");
}

TEST_F(SystemDialogTest, CancelKeepsTheGivenSystem) {
  EXPECT_EQ(Show("EPSG:2056", 0, 0,
                 [](QDialog& d) {
                   ASSERT_TRUE(Current(d));
                   EXPECT_EQ(Current(d)->text(kText), "EPSG:2056");
                   d.findChild<QTreeWidget*>("lvSysteme")->setCurrentItem(Row(d, "41;CH03"));
                   Click(d, "btAbbrechen");
                 }),
            "EPSG:2056");
  EXPECT_EQ(Show("", 0, 0, [](QDialog& d) { Click(d, "btAbbrechen"); }), "");
}

TEST_F(SystemDialogTest, TakesEpsgCodesAndRefusesUnusableOnes) {
  std::string chosen = Show("41;CH03", 0, 0, [](QDialog& d) {
    auto* edit = d.findChild<QLineEdit*>("EditEPSG");
    auto* ok = d.findChild<QPushButton*>("btOK");

    edit->setText("4326");  // geographic, not a grid
    Click(d, "btHinzufuegen");
    EXPECT_TRUE(Note(d).contains("EPSG:4326")) << Note(d).toStdString();
    EXPECT_EQ(Current(d)->text(kText), "41;CH03");

    edit->setText("EPSG:3025");  // no transformation of stated accuracy
    Click(d, "btHinzufuegen");
    ASSERT_TRUE(Current(d));
    EXPECT_EQ(Current(d)->text(kText), "EPSG:3025");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(Note(d).startsWith("Nicht verwendbar")) << Note(d).toStdString();

    QTreeWidgetItem* utm = Row(d, "0;UTM32N");
    ASSERT_TRUE(utm);
    d.findChild<QTreeWidget*>("lvSysteme")->setCurrentItem(utm);
    EXPECT_EQ(utm->text(kHeights), "EGM96 height");
    EXPECT_TRUE(Note(d).contains("EGM96 height")) << Note(d).toStdString();

    edit->setText(" 2056 ");
    Click(d, "btHinzufuegen");
    EXPECT_EQ(Current(d)->text(kText), "EPSG:2056");
    EXPECT_EQ(Current(d)->text(kAccuracy), "1 m");
    EXPECT_TRUE(ok->isEnabled());
    Click(d, "btOK");
  });
  EXPECT_EQ(chosen, "EPSG:2056");
}

}  // namespace
}  // namespace veltro::test
