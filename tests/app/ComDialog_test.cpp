#include "app/ComDialog.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Registry.h"
#include "platform/SerialDevices.h"
#include "tests/app/InstrumentDialogFixture.h"

namespace veltro::test {
namespace {

class ComDialogTest : public InstrumentDialogTest {
 protected:
  ComDialogTest() {
    SetTextProvider([](int n) -> std::string {
      switch (n) {
        case 53:
          return "Properties of";
        case 782:
          return "opened %s %s";
        case 783:
          return "failed %s %s: %s";
        case 784:
          return "no device %s";
        case 785:
          return "times 1-65535";
        default:
          return {};
      }
    });
  }
  ~ComDialogTest() override {
    dialog.reset();
    ClearSerialDeviceOverrides();
  }
  TfrmEigenschaften& Open(const char* instrument) {
    Make({instrument});
    dialog = std::make_unique<TfrmEigenschaften>(*geraete);
    dialog->show();
    return *dialog;
  }
  std::unique_ptr<TfrmEigenschaften> dialog;
};

TEST_F(ComDialogTest, ShowsTheSettingsByOrdinalAndTakesTheChosenItems) {
  Open("itGIF10");
  TInstrument& i = It("itGIF10");
  EXPECT_EQ(dialog->windowTitle(), "Properties of Leica GIF 10");
  EXPECT_EQ(dialog->BaudCombo->count(), 16);
  EXPECT_EQ(dialog->BaudCombo->itemText(15), "921600");
  EXPECT_EQ(dialog->BaudCombo->currentText(), "2400");
  EXPECT_EQ(dialog->DataBitsCombo->currentText(), "7");
  EXPECT_EQ(dialog->StopBitsCombo->currentText(), "2");
  EXPECT_EQ(dialog->ParityCombo->currentText(), "Even");
  EXPECT_EQ(dialog->EndofLineCombo->currentText(), "CR/LF");
  EXPECT_EQ(dialog->EditReadTime->text(), "2000");
  // GSI flow control is beyond the five design items: nothing is shown and
  // the stored value survives OK.
  EXPECT_EQ(dialog->FlowCombo->currentIndex(), -1);

  dialog->BaudCombo->setCurrentIndex(tbr19200);
  dialog->DataBitsCombo->setCurrentIndex(tdbEight);
  dialog->StopBitsCombo->setCurrentIndex(tsbOnePointFive);
  dialog->ParityCombo->setCurrentIndex(tpSpace);
  dialog->EndofLineCombo->setCurrentIndex(teolLFCR);
  dialog->EditReadTime->setText(" 1 ");
  dialog->EditWriteTime->setText("65535");
  dialog->Ende->click();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(i.BaudRate, tbr19200);
  EXPECT_EQ(i.DataBits, tdbEight);
  EXPECT_EQ(i.StopBits, tsbOnePointFive);
  EXPECT_EQ(i.Parity, tpSpace);
  EXPECT_EQ(i.EndofLine, teolLFCR);
  EXPECT_EQ(i.FlowControl, tfcGSI);
  EXPECT_EQ(i.Lesezeit, 1u);
  EXPECT_EQ(i.Schreibzeit, 65535u);
}

TEST_F(ComDialogTest, TranslatedFlowItemsShowEveryProtocol) {
  SetTextProvider([](int n) -> std::string {
    return n == 141 ? "Protokoll\xA6None\xA6XON/XOFF\xA6" "CTS/RTS\xA6" "DSR/DTR\xA6" "ACK/NAK\xA6GSI\xA6REC 500"
                    : std::string();
  });
  Open("itGIF10");
  EXPECT_EQ(dialog->FlowCombo->currentText(), "GSI");
  dialog->FlowCombo->setCurrentIndex(tfcREC500);
  dialog->Ende->click();
  EXPECT_EQ(It("itGIF10").FlowControl, tfcREC500);
}

TEST_F(ComDialogTest, TimesOutsideOneTo65535AreRefusedAndNothingIsTaken) {
  Open("itTC600");
  TInstrument& i = It("itTC600");  // 5000 / 15000
  for (const char* bad : {"-1", "0", "65536", "4294967295", "abc", ""}) {
    box.Clear();
    dialog->BaudCombo->setCurrentIndex(tbr110);
    dialog->EditReadTime->setText(QString::fromLatin1(bad));
    dialog->EditWriteTime->setText("0");
    dialog->Ende->click();
    EXPECT_TRUE(dialog->isVisible()) << bad;
    ASSERT_EQ(box.Messages().size(), 1u) << bad;
    EXPECT_EQ(box.Messages()[0].text, "times 1-65535");
    EXPECT_EQ(dialog->EditReadTime->text(), "5000") << bad;
    EXPECT_EQ(dialog->EditWriteTime->text(), "15000") << bad;
    EXPECT_EQ(i.Lesezeit, 5000u);
    EXPECT_EQ(i.Schreibzeit, 15000u);
    EXPECT_EQ(i.BaudRate, tbr9600);
  }
  // A stored time beyond the range stays when its field is left alone.
  i.Schreibzeit = 100000;
  dialog->hide();
  dialog->show();
  dialog->EditReadTime->setText("300");
  dialog->Ende->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(i.Lesezeit, 300u);
  EXPECT_EQ(i.Schreibzeit, 100000u);
}

TEST_F(ComDialogTest, TheDeviceSettingIsStoredAndTheTestOpensTheChosenDevice) {
  Open("itGTS6");  // port COM1
  const std::string setting = SerialDeviceSetting(1);
  EXPECT_TRUE(dialog->PortDevice->isEnabled());
  EXPECT_EQ(dialog->PortDevice->currentText(), "");

  // A pseudo-terminal stands in for the instrument's line.
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  dialog->PortDevice->setEditText(QString::fromStdString(slave));
  dialog->PortTest->click();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "opened COM1 " + slave);
  EXPECT_EQ(box.Messages()[0].kind, kMsgInformation);

  // Settings the platform cannot run are named.
  box.Clear();
  dialog->DataBitsCombo->setCurrentIndex(tdbFour);
  dialog->PortTest->click();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text.rfind("failed COM1 " + slave + ": ", 0), 0u) << box.Messages()[0].text;
  EXPECT_GT(box.Messages()[0].text.size(), ("failed COM1 " + slave + ": ").size());
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  ::close(master);

  box.Clear();
  dialog->DataBitsCombo->setCurrentIndex(tdbEight);
  dialog->PortDevice->setEditText("/nonexistent/ttyUSB9");
  dialog->PortTest->click();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text.rfind("failed COM1 /nonexistent/ttyUSB9: ", 0), 0u) << box.Messages()[0].text;

  dialog->PortDevice->setEditText(" ttyUSB0 ");
  dialog->Ende->click();
  EXPECT_EQ(ReadRegString(RegistryRoot::CurrentUser, setting, ""), "ttyUSB0");
  EXPECT_EQ(SerialDevicePath(1), "/dev/ttyUSB0");
  dialog->show();
  EXPECT_EQ(dialog->PortDevice->currentText(), "ttyUSB0");
  dialog->PortDevice->setEditText("");
  dialog->Ende->click();
  EXPECT_FALSE(RegValueExists(RegistryRoot::CurrentUser, setting));
}

}  // namespace
}  // namespace veltro::test
