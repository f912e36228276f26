#include "app/Einheiten.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/TranslateForm.h"
#include "formats/office/TemplateDefinition.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

const QStringList kAngles = {"1 gon", "1 dgon", "1 cgon", "1 mgon", "0.1 mgon", "0.01 mgon"};
const QStringList kLengths = {"1 m", "1 dm", "1 cm", "1 mm", "0.1 mm"};
const QStringList kFineLengths = {"1 m", "1 dm", "1 cm", "1 mm", "0.1 mm", "0.01mm"};
const QStringList kDates = {"DD.MM.YY", "DD.MM.YYYY", "MM.DD.YY", "MM.DD.YYYY"};
const QStringList kTimes = {"HH:MM", "HH:MM:SS"};

}  // namespace

TfrmEinheiten::TfrmEinheiten(TemplateDefinition& definition, const std::string& name, bool levelling, QWidget* parent)
    : QDialog(parent), definition_(definition) {
  setObjectName("TfrmEinheiten");
  setWindowTitle(FromAnsi("Einheiten f\xFCr: " + name));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  auto add = [&](const char* objectName, const char* label, const QStringList& items, bool editable) {
    auto* box = new QComboBox(this);
    box->setObjectName(objectName);
    box->addItems(items);
    box->setEditable(editable);
    auto* caption = new QLabel(FromAnsi(label), this);
    caption->setBuddy(box);
    form->addRow(caption, box);
    return box;
  };
  richtungen_ = add("cbRichtungen", "&Richtungen:", kAngles, false);
  distanzen_ = add("cbDistanzen", "&Distanzen:", kLengths, false);
  hoehen_ = add("cbHoehen", "&Instrumenten- und Spiegelh\xF6hen", kLengths, false);
  koordinaten_ = add("cbKoordinaten", "&Koordinaten:", kLengths, false);
  messungen_ = add("cbMessungen", "&Messungen:", kFineLengths, false);
  punkthoehen_ = add("cbPunkthoehen", "&Punkth\xF6hen:", kFineLengths, false);
  standardabweichung_ = add("cbStandardabweichung", "&Standardabweichung:", kFineLengths, false);
  datumsformat_ = add("cbDatumsformat", "Datums&format:", kDates, true);
  zeitformat_ = add("cbZeitformat", "&Zeitformat:", kTimes, true);

  const TemplateDefinition& d = definition;
  richtungen_->setCurrentIndex(d.AngleUnit);
  distanzen_->setCurrentIndex(d.DistanceUnit);
  hoehen_->setCurrentIndex(d.HeightUnit);
  koordinaten_->setCurrentIndex(d.CoordinateUnit);
  messungen_->setCurrentIndex(d.MeasureUnit);
  punkthoehen_->setCurrentIndex(d.PointHeightUnit);
  standardabweichung_->setCurrentIndex(d.DeviationUnit);
  datumsformat_->setEditText(FromAnsi(d.DateFormat));
  zeitformat_->setEditText(FromAnsi(d.TimeFormat));
  for (QComboBox* box : {richtungen_, distanzen_, hoehen_}) box->setEnabled(!levelling);
  for (QComboBox* box : {messungen_, punkthoehen_, standardabweichung_}) box->setEnabled(levelling);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("&Ok", this);
  ok->setObjectName("btOk");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Ab&brechen", this);
  cancel->setObjectName("btAbbrechen");
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &TfrmEinheiten::OkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  TranslateForm(this);
}

void TfrmEinheiten::OkClick() {
  TemplateDefinition& d = definition_;
  d.AngleUnit = richtungen_->currentIndex();
  d.DistanceUnit = distanzen_->currentIndex();
  d.HeightUnit = hoehen_->currentIndex();
  d.CoordinateUnit = koordinaten_->currentIndex();
  d.MeasureUnit = messungen_->currentIndex();
  d.PointHeightUnit = punkthoehen_->currentIndex();
  d.DeviationUnit = standardabweichung_->currentIndex();
  d.DateFormat = ToAnsi(datumsformat_->currentText());
  d.TimeFormat = ToAnsi(zeitformat_->currentText());
  accept();
}

}  // namespace veltro
