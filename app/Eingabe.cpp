#include "app/Eingabe.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/CodeListTexts.h"
#include "instruments/CodeListen.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

using codetexts::Caption;
using codetexts::Items;

// Items of the scale choice (targets 11, 14..17): what a word "12345" reads
// as with each scale number.
const std::vector<std::string> kScaleItems = {"12345",        "1234.5",       "123.45",       "12.345",
                                              "1.2345",       "0.12345",      "12345.000000", "1234.5000000",
                                              "123.45000000", "12.345000000", "1.2345000000"};
const std::vector<std::string> kDateTimeLayouts = {"ddmmhhmm", "mmddhhmm", "hhmmmmdd", "hhmmddmm"};
const std::vector<std::string> kWeatherLayouts = {"ttttpppp", "pppptttt"};

int ParameterIndex(const std::string& parameter) {
  try {
    size_t used = 0;
    int index = std::stoi(parameter, &used);
    return used == parameter.size() ? index : -1;
  } catch (...) {
    return -1;
  }
}

}  // namespace

TfrmEingabe::TfrmEingabe(QWidget* parent) : QDialog(parent) {
  setObjectName("TfrmEingabe");
  setWindowTitle("Eingabe von");
  label_ = new QLabel(this);
  label_->setObjectName("Label");
  edit_ = new QLineEdit(this);
  edit_->setObjectName("Edit");
  choice_ = new QComboBox(this);
  choice_->setObjectName("Auswahl");
  ok_ = new QPushButton("&Ok", this);
  ok_->setObjectName("OK");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Ab&brechen", this);
  cancel_->setObjectName("Abbrechen");

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(edit_);
  layout->addWidget(choice_);
  layout->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, &TfrmEingabe::accept);
  connect(cancel_, &QPushButton::clicked, this, &TfrmEingabe::reject);
  edit_->installEventFilter(this);
  connect(edit_, &QLineEdit::textEdited, this, [this] { checked_ = false; });
}

void TfrmEingabe::SetupPattern(Mode mode, const QString& label, const QString& hint, const std::string& pattern) {
  mode_ = mode;
  label_->setText(label);
  label_->setBuddy(edit_);
  edit_->setToolTip(hint);
  // Only the letters of the mode (either case); backspace and cursor keys stay.
  const QString letters = mode == Mode::DatePattern ? "DMYdmy" : "HMShms";
  edit_->setValidator(new QRegularExpressionValidator(QRegularExpression("[" + letters + "]*"), edit_));
  edit_->setText(FromAnsi(pattern));
  checked_ = false;
  edit_->setVisible(true);
  choice_->setVisible(false);
  edit_->setFocus();
}

void TfrmEingabe::SetupChoice(const QString& label, const QStringList& items, int index) {
  mode_ = Mode::Choice;
  label_->setText(label);
  label_->setBuddy(choice_);
  choice_->clear();
  choice_->addItems(items);
  choice_->setCurrentIndex(index >= 0 && index < choice_->count() ? index : -1);
  edit_->setVisible(false);
  choice_->setVisible(true);
  choice_->setFocus();
}

std::string TfrmEingabe::Value() const {
  if (mode_ == Mode::Choice) return std::to_string(choice_->currentIndex());
  return ToAnsi(edit_->text());
}

bool TfrmEingabe::CheckPattern() {
  if (mode_ == Mode::Choice) return true;
  if (checked_ && checkedText_ == edit_->text()) return valid_;
  checkedText_ = edit_->text();
  checked_ = true;
  const std::string pattern = ToAnsi(checkedText_);
  valid_ = mode_ == Mode::DatePattern ? IsUsableDatePattern(pattern) : IsUsableTimePattern(pattern);
  return valid_;
}

void TfrmEingabe::accept() {
  if (!CheckPattern()) {
    edit_->setFocus();
    return;
  }
  if (mode_ == Mode::Choice && choice_->currentIndex() < 0) {
    choice_->setFocus();
    return;
  }
  QDialog::accept();
}

bool TfrmEingabe::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::FocusOut && isVisible() && mode_ != Mode::Choice) CheckPattern();
  return QDialog::eventFilter(watched, event);
}

bool AskTargetParameter(QWidget* parent, int target, std::string& parameter) {
  TfrmEingabe dialog(parent);
  const int index = ParameterIndex(parameter);
  switch (target) {
    case kTargetDatum:
      dialog.SetupPattern(TfrmEingabe::Mode::DatePattern, "&" + Caption(158, "Datum"),
                          Caption(361, "D Tag, M Monat, Y Jahr, z. B. ddmmyyyy"), parameter);
      break;
    case kTargetZeit:
      dialog.SetupPattern(TfrmEingabe::Mode::TimePattern, "&" + Caption(161, "Zeit"),
                          Caption(362, "H Stunde, M Minute, S Sekunde, z. B. hhmmss"), parameter);
      break;
    case kTargetDatumZeit:
      dialog.SetupChoice("&" + Caption(349, "Datum und Zeit"), Items(60090, kDateTimeLayouts), index);
      break;
    case kTargetTemperaturLuftdruck:
      dialog.SetupChoice("&" + Caption(351, "Temperatur und Luftdruck"), Items(60091, kWeatherLayouts), index);
      break;
    case kTargetInstrumentenhoehe:
      dialog.SetupChoice(Caption(236, "Instrumentenh\xF6he") + ":", Items(357, kScaleItems), index);
      break;
    case kTargetReflektorhoehe:
      dialog.SetupChoice(Caption(244, "Reflektorh\xF6he") + ":", Items(357, kScaleItems), index);
      break;
    case kTargetQuerverschiebung:
      dialog.SetupChoice(Caption(246, "Querverschiebung") + ":", Items(357, kScaleItems), index);
      break;
    case kTargetLaengsverschiebung:
      dialog.SetupChoice(Caption(247, "L\xE4ngsverschiebung") + ":", Items(357, kScaleItems), index);
      break;
    case kTargetVertikalverschiebung:
      dialog.SetupChoice(Caption(248, "Vertikalverschiebung") + ":", Items(357, kScaleItems), index);
      break;
    default:
      return false;
  }
  if (dialog.exec() != QDialog::Accepted) return false;
  parameter = dialog.Value();
  return true;
}

}  // namespace veltro
