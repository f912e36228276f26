#include "app/ComDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <memory>
#include <optional>
#include <tuple>

#include "app/NamedWidget.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "instruments/InstrumentenModul.h"
#include "library/Communication.h"
#include "platform/Registry.h"
#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

enum : int {
  kTextCaption = 53,
  kTextOk = 98,
  kTextCancel = 99,
  kTextParity = 140,
  kTextFlow = 141,
  kTextEndofLine = 146,
  kTextWriteTime = 211,
  kTextReadTime = 214,
  kTextDevice = 780,
  kTextTest = 781,
  kTextTestOpened = 782,      // %s port, %s device
  kTextTestFailed = 783,      // %s port, %s device, %s reason
  kTextNoDevice = 784,        // %s port
  kTextTimeRefused = 785,
  kTextBaud = 786,
  kTextDataBits = 787,
  kTextStopBits = 788,
};

QComboBox* MakeCombo(QWidget* parent, const char* name, int text, const QStringList& items) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  combo->addItems(items);
  SetTextNumber(combo, text);
  return combo;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int text, const char* caption, QWidget* buddy) {
  auto* label = MakeNamed<QLabel>(parent, name, text, caption);
  label->setBuddy(buddy);
  return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMaximumWidth(80);
  return edit;
}

// The chosen item of combo as an ordinal of E; nullopt when the box shows
// nothing (a stored value beyond its items), so the stored value stays.
template <class E>
std::optional<E> Chosen(const QComboBox* combo) {
  const int index = combo->currentIndex();
  if (index < 0 || !IsOrdinalOf<E>(index)) return std::nullopt;
  return static_cast<E>(index);
}

template <class E>
void Take(const QComboBox* combo, E& value) {
  if (std::optional<E> chosen = Chosen<E>(combo)) value = *chosen;
}

// A time text the dialog takes: a whole number of 1 to 65535 ms.
std::optional<std::uint32_t> TimeOf(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok || value < kMinPortTimeMs || value > kMaxPortTimeMs) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::string PortName(TPort port) { return "COM" + std::to_string(static_cast<int>(port)); }

}  // namespace

TfrmEigenschaften::TfrmEigenschaften(TGeraete& geraete, QWidget* parent) : QDialog(parent), geraete_(geraete) {
  setObjectName(QStringLiteral("TfrmEigenschaften"));
  SetTextNumber(this, kTextCaption);

  QStringList rates;
  for (int b = 0; b < kBaudRateCount; ++b) rates << QString::number(BaudRateValue(static_cast<TBaudRate>(b)));
  BaudCombo = MakeCombo(this, "BaudCombo", 0, rates);
  DataBitsCombo = MakeCombo(this, "DataBitsCombo", 0, {"4", "5", "6", "7", "8"});
  StopBitsCombo = MakeCombo(this, "StopBitsCombo", 0, {"1", "1.5", "2"});
  ParityCombo = MakeCombo(this, "ParityCombo", kTextParity, {"None", "Odd", "Even", "Mark", "Space"});
  FlowCombo = MakeCombo(this, "FlowCombo", kTextFlow, {"None", "XON/XOFF", "CTS/RTS", "DSR/DTR", "ACK/NAK"});
  EndofLineCombo = MakeCombo(this, "EndofLineCombo", kTextEndofLine, {"None", "CR", "LF", "CR/LF", "LF/CR"});
  EditReadTime = MakeEdit(this, "EditReadTime");
  EditWriteTime = MakeEdit(this, "EditWriteTime");

  PortDevice = new QComboBox(this);
  PortDevice->setObjectName(QStringLiteral("PortDevice"));
  PortDevice->setEditable(true);
  PortDevice->setInsertPolicy(QComboBox::NoInsert);
  PortDevice->setMinimumContentsLength(28);
  PortDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  PortTest = MakeNamed<QPushButton>(this, "PortTest", kTextTest, "&Testen");
  connect(PortTest, &QPushButton::clicked, this, &TfrmEigenschaften::TestClick);

  auto* grid = new QGridLayout;
  int row = 0;
  auto add = [&](QLabel* label, QWidget* field) {
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    ++row;
  };
  add(MakeLabel(this, "LabelBaud", kTextBaud, "&Baudrate:", BaudCombo), BaudCombo);
  add(MakeLabel(this, "LabelDataBits", kTextDataBits, "&Datenbits:", DataBitsCombo), DataBitsCombo);
  add(MakeLabel(this, "LabelStopBits", kTextStopBits, "S&toppbits:", StopBitsCombo), StopBitsCombo);
  add(MakeLabel(this, "LabelParity", kTextParity, "Parit\xE4t:", ParityCombo), ParityCombo);
  add(MakeLabel(this, "LabelFlow", kTextFlow, "Protokoll:", FlowCombo), FlowCombo);
  add(MakeLabel(this, "LabelEndofLine", kTextEndofLine, "Zeilenende:", EndofLineCombo), EndofLineCombo);
  add(MakeLabel(this, "LabelReadTime", kTextReadTime, "&Lesezeit (ms):", EditReadTime), EditReadTime);
  add(MakeLabel(this, "LabelWriteTime", kTextWriteTime, "&Schreibzeit (ms):", EditWriteTime), EditWriteTime);
  auto* device = new QHBoxLayout;
  device->addWidget(PortDevice, 1);
  device->addWidget(PortTest);
  grid->addWidget(MakeLabel(this, "LabelDevice", kTextDevice, "Ge&r\xE4t:", PortDevice), row, 0);
  grid->addLayout(device, row, 1);

  Ende = MakeNamed<QPushButton>(this, "Ende", kTextOk, "&Ok");
  Ende->setDefault(true);
  Abbrechen = MakeNamed<QPushButton>(this, "Abbrechen", kTextCancel, "Ab&brechen");
  connect(Ende, &QPushButton::clicked, this, &TfrmEigenschaften::EndeClick);
  connect(Abbrechen, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Ende);
  buttons->addWidget(Abbrechen);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmEigenschaften::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

void TfrmEigenschaften::FormActivate() {
  setWindowTitle(FromAnsi("Eigenschaften f\xFCr"));
  TranslateForm(this);
  const TInstrument& i = geraete_.CurrentInstrument();
  setWindowTitle(windowTitle() + QLatin1Char(' ') + FromAnsi(i.Caption));
  BaudCombo->setCurrentIndex(i.BaudRate);
  DataBitsCombo->setCurrentIndex(i.DataBits);
  StopBitsCombo->setCurrentIndex(i.StopBits);
  ParityCombo->setCurrentIndex(i.Parity);
  FlowCombo->setCurrentIndex(i.FlowControl < FlowCombo->count() ? i.FlowControl : -1);
  EndofLineCombo->setCurrentIndex(i.EndofLine);
  EditReadTime->setText(QString::number(i.Lesezeit));
  EditWriteTime->setText(QString::number(i.Schreibzeit));

  const bool hasPort = i.Port != tptNone && IsOrdinalOf<TPort>(i.Port);
  PortDevice->clear();
  if (hasPort) {
    for (const std::string& d : StableSerialDeviceNames(SystemSerialDevices())) PortDevice->addItem(FromAnsi(d));
    PortDevice->setEditText(
        FromAnsi(ReadRegString(RegistryRoot::CurrentUser, SerialDeviceSetting(i.Port), std::string())));
    PortDevice->lineEdit()->setPlaceholderText(FromAnsi(AutomaticSerialDevicePath(i.Port)));
  }
  PortDevice->setEnabled(hasPort);
  PortTest->setEnabled(hasPort);
}

std::string TfrmEigenschaften::ChosenDevice() const {
  const std::string text = ToAnsi(PortDevice->currentText().trimmed());
  const TPort port = geraete_.CurrentInstrument().Port;
  if (text.empty()) return AutomaticSerialDevicePath(port);
  return text.find('/') == std::string::npos ? "/dev/" + text : text;
}

void TfrmEigenschaften::EndeClick() {
  TInstrument& i = geraete_.CurrentInstrument();
  // A time field the user changed must hold a usable time; an untouched
  // one keeps the stored value even where the settings hold a longer time.
  bool refused = false;
  std::optional<std::uint32_t> readTime = i.Lesezeit;
  std::optional<std::uint32_t> writeTime = i.Schreibzeit;
  for (auto [edit, stored, time] : {std::tuple{EditReadTime, i.Lesezeit, &readTime},
                                    std::tuple{EditWriteTime, i.Schreibzeit, &writeTime}}) {
    if (edit->text().trimmed() == QString::number(stored)) continue;
    *time = TimeOf(edit->text());
    if (!*time) {
      edit->setText(QString::number(stored));
      refused = true;
    }
  }
  if (refused) {
    ShowMessageBox(GetText(kTextTimeRefused), kMsgWarning, kBtnOk);
    return;
  }

  QApplication::setOverrideCursor(Qt::WaitCursor);
  Take(BaudCombo, i.BaudRate);
  Take(DataBitsCombo, i.DataBits);
  Take(StopBitsCombo, i.StopBits);
  Take(ParityCombo, i.Parity);
  Take(FlowCombo, i.FlowControl);
  Take(EndofLineCombo, i.EndofLine);
  i.Lesezeit = *readTime;
  i.Schreibzeit = *writeTime;
  if (PortDevice->isEnabled()) {
    const std::string path = SerialDeviceSetting(i.Port);
    const std::string device = ToAnsi(PortDevice->currentText().trimmed());
    if (device.empty())
      RegDeleteValue(RegistryRoot::CurrentUser, path);
    else
      WriteRegString(RegistryRoot::CurrentUser, path, device, true);
  }
  QApplication::restoreOverrideCursor();
  accept();
}

void TfrmEigenschaften::TestClick() {
  const TInstrument& i = geraete_.CurrentInstrument();
  const std::string port = PortName(i.Port);
  const std::string device = ChosenDevice();
  if (device.empty()) {
    ShowMessageBox(FormatText(GetText(kTextNoDevice), {port}), kMsgWarning, kBtnOk);
    return;
  }
  // The settings as the instrument library's port component would run them.
  TCommunication settings;
  if (auto v = Chosen<TBaudRate>(BaudCombo)) settings.SetBaudRate(*v);
  if (auto v = Chosen<TDataBits>(DataBitsCombo)) settings.SetDataBits(*v);
  if (auto v = Chosen<TStopBits>(StopBitsCombo)) settings.SetStopBits(*v);
  if (auto v = Chosen<TParity>(ParityCombo)) settings.SetParity(*v);
  settings.SetFlowControl(Chosen<TFlowControl>(FlowCombo).value_or(i.FlowControl));

  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::string why;
  std::unique_ptr<SerialPort> line;
  SerialStatus status = OpenSerialPort(device, line, &why);
  if (status == SerialStatus::Ok && line) status = line->Configure(settings.PlatformSettings(), &why);
  line.reset();
  QApplication::restoreOverrideCursor();
  if (status == SerialStatus::Ok) {
    ShowMessageBox(FormatText(GetText(kTextTestOpened), {port, device}), kMsgInformation, kBtnOk);
  } else {
    if (why.empty()) why = SerialStatusName(status);
    ShowMessageBox(FormatText(GetText(kTextTestFailed), {port, device, why}), kMsgError, kBtnOk);
  }
}

}  // namespace veltro
