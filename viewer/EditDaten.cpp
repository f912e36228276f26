#include "viewer/EditDaten.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <iterator>

#include "app/TranslateForm.h"
#include "core/DatenformatDefinitionen.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/TextUtils.h"
#include "instruments/InstrumentenModul.h"
#include "platform/qt/QtMessageBox.h"
#include "viewer/Viewer.h"

namespace veltro {

// How a field's text and its record member correspond.
enum class FieldValue {
  Text,          // the member's text
  TextIfSet,     // saved only when the field is not empty
  Easting,       // Y: shown without the instrument's OffsetX
  Northing,      // X: shown without OffsetY
  Date,          // the date of a date-time, in the format's Datumsformat
  Time,          // its time, in the format's Uhrzeitformat
  GroundHeight,  // also the ground height: saved after it, only when set
};

// A field of the editor: panel, component name, design label, and the
// record member it copies.
struct EditFieldDef {
  const char* panel;
  const char* name;
  const char* caption;
  int text;  // text number of the label, 0 for none
  FieldValue value;
  std::string& (*member)(TDaten&);  // text values
  TDateTime& (*time)(TDaten&);      // dates and times
};

namespace {

constexpr int kTextSaveChanges = 32;
constexpr int kTextTooLong = 114;
constexpr int kTextRemark = 486;
constexpr int kTextNoData = 302;
constexpr int kTextValueRequired = 616;
constexpr int kTextBelowMinimum = 617;
constexpr int kTextAboveMaximum = 618;
constexpr int kTextCharacterNotAllowed = 619;
constexpr int kTextReadOnly = 831;
constexpr int kTextPrevious = 832;
constexpr int kTextNext = 833;
constexpr int kTextStartFile = 834;
constexpr int kTextEndFile = 835;
constexpr int kTextPreviousStation = 836;
constexpr int kTextNextStation = 837;
constexpr int kTextSave = 838;
constexpr int kTextClose = 839;
constexpr int kTextPunktnummer = 234;
constexpr int kTextEasting = 237;
constexpr int kTextNorthing = 238;
constexpr int kTextHoehe = 239;

// Fields per panel up to which one column of labels is used.
constexpr size_t kOneColumnFields = 8;

#define VELTRO_TEXT(path) +[](TDaten& d) -> std::string& { return d.path; }, nullptr
#define VELTRO_TIME(path) nullptr, +[](TDaten& d) -> TDateTime& { return d.path; }

// clang-format off
// Every field in its panel's label order.
const EditFieldDef kFields[] = {
    {kPanelInfos, "EditProjekt", "Pro&jekt:", 0, FieldValue::Text, VELTRO_TEXT(Info.Projekt)},
    {kPanelInfos, "EditBeobachter", "&Beobachter:", 0, FieldValue::Text, VELTRO_TEXT(Info.Beobachter)},
    {kPanelInfos, "EditInstrument", "&Instrument:", 0, FieldValue::Text, VELTRO_TEXT(Info.Instrument)},
    {kPanelInfos, "EditDatum", "&Datum:", 0, FieldValue::Date, VELTRO_TIME(Info.Zeitpunkt)},
    {kPanelInfos, "EditUhrzeit", "&Uhrzeit:", 0, FieldValue::Time, VELTRO_TIME(Info.Zeitpunkt)},
    {kPanelInfos, "EditBeschreibung", "Be&schreibung:", 0, FieldValue::Text, VELTRO_TEXT(Info.Beschreibung)},
    {kPanelInfos, "EditUmrechnungsfaktor", "Umrechnungs&faktor:", 0, FieldValue::Text, VELTRO_TEXT(Info.Umrechnungsfaktor)},
    {kPanelInfos, "EditMassstabsfaktor", "&Massstabsfaktor:", 0, FieldValue::Text, VELTRO_TEXT(Info.Massstabsfaktor)},
    {kPanelInfos, "EditMeereshoehe", "Meeres&h\xF6he:", 0, FieldValue::Text, VELTRO_TEXT(Info.Meereshoehe)},
    {kPanelInfos, "EditTemperatur", "&Temperatur:", 0, FieldValue::TextIfSet, VELTRO_TEXT(Station.Temperatur)},
    {kPanelInfos, "EditLuftdruck", "&Luftdruck:", 0, FieldValue::TextIfSet, VELTRO_TEXT(Station.Luftdruck)},

    {kPanelStationen, "EditSTPunktnummer", "&Punktnummer:", kTextPunktnummer, FieldValue::Text, VELTRO_TEXT(Station.Punktnummer)},
    {kPanelStationen, "EditSTVersicherungsart", "&Versicherungsart:", 0, FieldValue::Text, VELTRO_TEXT(Station.Code)},
    {kPanelStationen, "EditSTInstrumentenhoehe", "&Instrumentenh\xF6he:", 0, FieldValue::Text, VELTRO_TEXT(Station.Instrumentenhoehe)},
    {kPanelStationen, "EditSTTemperatur", "&Temperatur:", 0, FieldValue::Text, VELTRO_TEXT(Station.Temperatur)},
    {kPanelStationen, "EditSTLuftdruck", "&Luftdruck:", 0, FieldValue::Text, VELTRO_TEXT(Station.Luftdruck)},
    {kPanelStationen, "EditSTXKoordinate", "&Y-Koordinate:", kTextEasting, FieldValue::Easting, VELTRO_TEXT(Station.Y)},
    {kPanelStationen, "EditSTYKoordinate", "&X-Koordinate:", kTextNorthing, FieldValue::Northing, VELTRO_TEXT(Station.X)},
    {kPanelStationen, "EditSTHoehe", "&H\xF6he:", kTextHoehe, FieldValue::Text, VELTRO_TEXT(Station.Hoehe)},

    {kPanelPunkte, "EditNPPunktnummer", "&Punktnummer:", kTextPunktnummer, FieldValue::Text, VELTRO_TEXT(Punkt.Punktnummer)},
    {kPanelPunkte, "EditNPVersicherungsart1", "Versicherungsart &1:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Code1)},
    {kPanelPunkte, "EditNPVersicherungsart2", "Versicherungsart &2:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Code2)},
    {kPanelPunkte, "EditNPReflektorhoehe", "&Reflektorh\xF6he:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Reflektorhoehe)},
    {kPanelPunkte, "EditNPKommentar", "&Kommentar:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Kommentar)},
    {kPanelPunkte, "EditNPQuerverschiebung", "&Querverschiebung:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Querverschiebung)},
    {kPanelPunkte, "EditNPLaengsverschiebung", "L\xE4ngsverschiebung:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Laengsverschiebung)},
    {kPanelPunkte, "EditNPVertikalverschiebung", "Vertikalverschiebung:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Vertikalverschiebung)},
    {kPanelPunkte, "EditNPKontrollkodierung", "Kontrollkodierung:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Kontrollkodierung)},
    {kPanelPunkte, "EditNPAnmerkung1", "Anmerkung 1:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Anmerkung1)},
    {kPanelPunkte, "EditNPAnmerkung2", "Anmerkung 2:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Anmerkung2)},
    {kPanelPunkte, "EditNPSchraegdistanz", "&Schr\xE4gdistanz:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Schraegdistanz)},
    {kPanelPunkte, "EditNPHorizontaldistanz", "Hori&zontaldistanz:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Horizontaldistanz)},
    {kPanelPunkte, "EditNPVertikaldistanz", "Vertikal&distanz:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Vertikaldistanz)},
    {kPanelPunkte, "EditNPVertikalwinkel", "Vertikal&winkel:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Vertikalwinkel)},
    {kPanelPunkte, "EditNPHorizontalwinkel", "Horizont&alwinkel:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Horizontalwinkel)},
    {kPanelPunkte, "EditNPAzimut", "A&zimut:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Azimut)},
    {kPanelPunkte, "EditNPXKoordinate", "&Y-Koordinate:", kTextEasting, FieldValue::Easting, VELTRO_TEXT(Punkt.Y)},
    {kPanelPunkte, "EditNPYKoordinate", "&X-Koordinate:", kTextNorthing, FieldValue::Northing, VELTRO_TEXT(Punkt.X)},
    {kPanelPunkte, "EditNPHoehe", "&H\xF6he:", kTextHoehe, FieldValue::Text, VELTRO_TEXT(Punkt.Hoehe)},

    {kPanelKoordinaten, "EditKoPunktnummer", "&Punktnummer:", kTextPunktnummer, FieldValue::Text, VELTRO_TEXT(Punkt.Punktnummer)},
    {kPanelKoordinaten, "EditKoVersicherungsart", "&Versicherungsart:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Code1)},
    {kPanelKoordinaten, "EditKoXKoordinate", "&Y-Koordinate:", kTextEasting, FieldValue::Easting, VELTRO_TEXT(Punkt.Y)},
    {kPanelKoordinaten, "EditKoYKoordinate", "&X-Koordinate:", kTextNorthing, FieldValue::Northing, VELTRO_TEXT(Punkt.X)},
    {kPanelKoordinaten, "EditKoHoehe", "&H\xF6he:", kTextHoehe, FieldValue::Text, VELTRO_TEXT(Punkt.Hoehe)},
    {kPanelKoordinaten, "EditKoKommentar", "&Kommentar:", 0, FieldValue::Text, VELTRO_TEXT(Punkt.Kommentar)},

    {kPanelQuerprofile, "EditQPStationierung", "&Stationierung:", 0, FieldValue::Text, VELTRO_TEXT(Querprofil.Stationierung)},
    {kPanelQuerprofile, "EditQPVersicherungsart", "&Versicherungsart:", 0, FieldValue::Text, VELTRO_TEXT(Querprofil.Code)},
    {kPanelQuerprofile, "EditQPSeitenabstand", "S&eitenabstand:", 0, FieldValue::Text, VELTRO_TEXT(Querprofil.Seitenabstand)},
    {kPanelQuerprofile, "EditQPHoehe", "&H\xF6he:", kTextHoehe, FieldValue::Text, VELTRO_TEXT(Querprofil.Hoehe)},

    {kPanelPunktcodes, "EditPCVersicherungsart", "&Code:", 0, FieldValue::Text, VELTRO_TEXT(Punktcode.Code)},
    {kPanelPunktcodes, "EditPCEntity", "&Entity:", 0, FieldValue::Text, VELTRO_TEXT(Punktcode.Entity)},
    {kPanelPunktcodes, "EditPCLayer", "&Layer:", 0, FieldValue::Text, VELTRO_TEXT(Punktcode.Layer)},

    {kPanelStartdaten, "EditSDAuftrag", "&Auftrag:", 0, FieldValue::Text, VELTRO_TEXT(Start.Auftragsnummer)},
    {kPanelStartdaten, "EditSDMessnummer", "&Messnummer:", 0, FieldValue::Text, VELTRO_TEXT(Start.Messnummer)},
    {kPanelStartdaten, "EditSDDatum", "&Datum:", 0, FieldValue::Date, VELTRO_TIME(Start.Zeitpunkt)},
    {kPanelStartdaten, "EditSDUhrzeit", "&Uhrzeit:", 0, FieldValue::Time, VELTRO_TIME(Start.Zeitpunkt)},
    {kPanelStartdaten, "EditSDAnmerkung1", "Anmerkung &1:", 0, FieldValue::Text, VELTRO_TEXT(Start.Anmerkung1)},
    {kPanelStartdaten, "EditSDAnmerkung2", "Anmerkung &2:", 0, FieldValue::Text, VELTRO_TEXT(Start.Anmerkung2)},
    {kPanelStartdaten, "EditSDAnmerkung3", "Anmerkung &3:", 0, FieldValue::Text, VELTRO_TEXT(Start.Anmerkung3)},
    {kPanelStartdaten, "EditSDHoehenbezugnummer", "&H\xF6henbezugnummer:", 0, FieldValue::Text, VELTRO_TEXT(Start.Hoehenbezugnummer)},
    {kPanelStartdaten, "EditSDBodenhoehe", "&Bodenh\xF6he:", 0, FieldValue::Text, VELTRO_TEXT(Start.Bodenhoehe)},
    {kPanelStartdaten, "EditSDAnzNiv", "Anzahl &Nivellements:", 0, FieldValue::Text, VELTRO_TEXT(Start.AnzahlNivellements)},
    {kPanelStartdaten, "EditSDLimite", "&Limite:", 0, FieldValue::Text, VELTRO_TEXT(Start.Limite)},

    {kPanelMessdaten, "EditMDAnzMess", "Anzahl &Messungen:", 0, FieldValue::Text, VELTRO_TEXT(Messung.AnzahlMessungen)},
    {kPanelMessdaten, "EditMDPunktnummer", "&Punktnummer:", kTextPunktnummer, FieldValue::Text, VELTRO_TEXT(Messung.Punktnummer)},
    {kPanelMessdaten, "EditMDMessnummer", "Messnummer:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Messnummer)},
    {kPanelMessdaten, "EditMDHoehenbezugnummer", "&H\xF6henbezugnummer:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Hoehenbezugnummer)},
    {kPanelMessdaten, "EditMDKorrektur", "&Korrektur:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Korrekturparameter)},
    {kPanelMessdaten, "EditMDAblesung", "&Ablesung:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Lattenablesung)},
    {kPanelMessdaten, "EditMDDistanz", "Di&stanz:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Distanz)},
    {kPanelMessdaten, "EditMDAbweichung", "Stan&dardabweichung:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Standardabweichung)},
    {kPanelMessdaten, "EditMDBodenhoehe", "&Bodenh\xF6he:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Bodenhoehe)},
    {kPanelMessdaten, "EditMDInstHoehe", "&Instrumentenh\xF6he:", 0, FieldValue::GroundHeight, VELTRO_TEXT(Messung.Bodenhoehe)},
    {kPanelMessdaten, "EditMDDifferenz", "Di&fferenz:", 0, FieldValue::Text, VELTRO_TEXT(Messung.Datendifferenz)},
    {kPanelMessdaten, "EditMDDatum", "&Datum:", 0, FieldValue::Date, VELTRO_TIME(Messung.Zeitpunkt)},
    {kPanelMessdaten, "EditMDUhrzeit", "&Uhrzeit:", 0, FieldValue::Time, VELTRO_TIME(Messung.Zeitpunkt)},

    {kPanelEnddaten, "EditEDAuftrag", "&Auftrag:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Auftragsnummer)},
    {kPanelEnddaten, "EditEDMessnummer", "&Messnummer:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Messnummer)},
    {kPanelEnddaten, "EditEDDatum", "&Datum:", 0, FieldValue::Date, VELTRO_TIME(Ende.Zeitpunkt)},
    {kPanelEnddaten, "EditEDUhrzeit", "&Uhrzeit:", 0, FieldValue::Time, VELTRO_TIME(Ende.Zeitpunkt)},
    {kPanelEnddaten, "EditEDAnmerkung1", "Anmerkung &1:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Anmerkung1)},
    {kPanelEnddaten, "EditEDAnmerkung2", "Anmerkung &2:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Anmerkung2)},
    {kPanelEnddaten, "EditEDHoehenbezugnummer", "&H\xF6henbezugnummer:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Hoehenbezugnummer)},
    {kPanelEnddaten, "EditEDBodenhoehe", "&Bodenh\xF6he:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Bodenhoehe)},
    {kPanelEnddaten, "EditEDWechselpunkt", "&Wechselpunkt:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Wechselpunkt)},
    {kPanelEnddaten, "EditEDRelHoehenDiff", "&Relative H\xF6hendifferenz:", 0, FieldValue::Text, VELTRO_TEXT(Ende.RelHoehendiff)},
    {kPanelEnddaten, "EditEDTotHoehenDiff", "&Totale H\xF6hendifferenz:", 0, FieldValue::Text, VELTRO_TEXT(Ende.TotHoehendiff)},
    {kPanelEnddaten, "EditEDDistanz", "Di&stanz:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Distanz)},
    {kPanelEnddaten, "EditEDTotDistanz", "Total&distanz:", 0, FieldValue::Text, VELTRO_TEXT(Ende.Totaldistanz)},

    {kPanelBeschreibung, "EditDescription", "&Beschreibung:", 0, FieldValue::Text, VELTRO_TEXT(Kommentar.Beschreibung)},
};
// clang-format on
#undef VELTRO_TEXT
#undef VELTRO_TIME

constexpr const char* kPanelOrder[] = {kPanelInfos,       kPanelStationen,   kPanelPunkte,     kPanelKoordinaten,
                                       kPanelQuerprofile, kPanelPunktcodes,  kPanelStartdaten, kPanelMessdaten,
                                       kPanelEnddaten,    kPanelBeschreibung};

// The i-th CR-separated item of a pictures argument ("" past the last).
std::string Item(const std::string& items, size_t index) {
  size_t start = 0;
  for (size_t i = 0; i < index; ++i) {
    start = items.find('\r', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return items.substr(start, items.find('\r', start) - start);
}

char Flag(const std::string& flags, size_t index) { return index < flags.size() ? flags[index] : '0'; }

// A written midnight: every digit of the text is "0".
bool IsMidnight(const std::string& text) {
  bool digit = false;
  for (char c : text) {
    if (c >= '1' && c <= '9') return false;
    digit = digit || c == '0';
  }
  return digit;
}

}  // namespace

TfrmEditDaten::TfrmEditDaten(TfrmViewer& viewer, TdmEditDaten& editors, TGeraete& geraete, QWidget* parent)
    : QDialog(parent), viewer_(viewer), editors_(editors), geraete_(geraete) {
  setObjectName("TfrmEditDaten");
  setWindowTitle("Koordinaten Editieren");
  setModal(true);
  BuildPanels();
  viewer_.Model().SetEditor(this);
  editors_.SetFields(this);
}

TfrmEditDaten::~TfrmEditDaten() {
  if (viewer_.Model().Editor() == this) viewer_.Model().SetEditor(nullptr);
  editors_.SetFields(nullptr);
}

void TfrmEditDaten::BuildPanels() {
  auto* layout = new QVBoxLayout(this);
  // Countries that name the easting X get the two axis labels exchanged.
  const bool swapAxes = ActiveNiederlassung().ShowXY;

  fields_.resize(std::size(kFields));
  panels_.resize(std::size(kPanelOrder));
  for (size_t p = 0; p < panels_.size(); ++p) {
    Panel& panel = panels_[p];
    panel.name = kPanelOrder[p];
    panel.widget = new QWidget(this);
    panel.widget->setObjectName(QString::fromLatin1(panel.name.c_str()));
    panel.widget->hide();
    layout->addWidget(panel.widget, 1);
  }
  for (size_t i = 0; i < std::size(kFields); ++i) {
    Field& field = fields_[i];
    field.def = &kFields[i];
    Panel* panel = FindPanel(field.def->panel);
    panel->fields.push_back(&field);
  }

  for (Panel& panel : panels_) {
    auto* grid = new QGridLayout(panel.widget);
    const size_t n = panel.fields.size();
    const size_t rows = n <= kOneColumnFields ? n : (n + 1) / 2;
    for (size_t i = 0; i < n; ++i) {
      Field& field = *panel.fields[i];
      const EditFieldDef& def = *field.def;
      std::string caption = def.caption;
      int text = def.text;
      if (swapAxes && def.value == FieldValue::Easting) {
        caption = "&X-Koordinate:";
        text = kTextNorthing;
      } else if (swapAxes && def.value == FieldValue::Northing) {
        caption = "&Y-Koordinate:";
        text = kTextEasting;
      }
      const std::string base = std::string(def.name).substr(4);  // without "Edit"
      field.label = new QLabel(FromAnsi(caption), panel.widget);
      field.label->setObjectName(QString::fromLatin1(("Label" + base).c_str()));
      if (text != 0) SetTextNumber(field.label, text);
      field.edit = new TFormatEdit(panel.widget);
      field.edit->setObjectName(QString::fromLatin1(def.name));
      field.edit->setMinimumWidth(160);
      field.edit->TextPicture = def.value == FieldValue::Date || def.value == FieldValue::Time;
      field.edit->OnErrorMsg = [this](TFormatEdit& sender, TErrorMsg msg) { ShowFieldError(sender, msg); };
      if (field.edit->TextPicture)
        field.edit->OnExitCheck = [this, &field](TFormatEdit&) { return DateTimeReads(field); };
      field.edit->installEventFilter(this);
      field.label->setBuddy(field.edit);
      const int row = static_cast<int>(i % rows);
      const int column = static_cast<int>(i / rows) * 2;
      grid->addWidget(field.label, row, column);
      grid->addWidget(field.edit, row, column + 1);
    }
    grid->setRowStretch(static_cast<int>(rows), 1);
    if (panel.name == kPanelMessdaten) {
      remarkMemo_ = new QPlainTextEdit(panel.widget);
      remarkMemo_->setObjectName("Bemerkungen");
      remarkMemo_->setReadOnly(true);
      remarkMemo_->setMaximumHeight(72);
      remarkMemo_->hide();
      grid->addWidget(remarkMemo_, static_cast<int>(rows) + 1, 0, 1, 4);
    }
  }

  note_ = new QLabel(this);
  note_->setObjectName("Hinweis");
  note_->setWordWrap(true);
  SetTextNumber(note_, kTextReadOnly);
  note_->setText(FromAnsi("Dieser Datensatz kann in diesem Format nicht gespeichert werden."));
  note_->hide();
  layout->addWidget(note_);

  auto* row = new QHBoxLayout();
  auto button = [this, row](const char* name, const char* caption, int text, void (TfrmEditDaten::*slot)()) {
    auto* b = new QPushButton(FromAnsi(caption), this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    SetTextNumber(b, text);
    b->installEventFilter(this);
    connect(b, &QPushButton::clicked, this, slot);
    row->addWidget(b);
    buttons_.push_back(b);
    return b;
  };
  button("StartFile", "Dateianfang", kTextStartFile, &TfrmEditDaten::StartFileClick);
  button("PreviousStation", "Vorherige Station", kTextPreviousStation, &TfrmEditDaten::PreviousStationClick);
  button("Previous", "Vorheriger", kTextPrevious, &TfrmEditDaten::PreviousClick);
  button("Next", "N\344chster", kTextNext, &TfrmEditDaten::NextClick);
  button("NextStation", "N\344chste Station", kTextNextStation, &TfrmEditDaten::NextStationClick);
  button("EndFile", "Dateiende", kTextEndFile, &TfrmEditDaten::EndFileClick);
  row->addStretch(1);
  save_ = new QPushButton(FromAnsi("&Speichern"), this);
  save_->setObjectName("Speichern");
  save_->setAutoDefault(false);
  SetTextNumber(save_, kTextSave);
  save_->installEventFilter(this);
  connect(save_, &QPushButton::clicked, this, [this] { SaveClick(); });
  row->addWidget(save_);
  buttons_.push_back(save_);
  button("Beenden", "&Beenden", kTextClose, &TfrmEditDaten::CloseClick);
  layout->addLayout(row);
}

TfrmEditDaten::Panel* TfrmEditDaten::FindPanel(const std::string& name) {
  for (Panel& panel : panels_)
    if (panel.name == name) return &panel;
  return nullptr;
}

const TfrmEditDaten::Panel* TfrmEditDaten::FindPanel(const std::string& name) const {
  for (const Panel& panel : panels_)
    if (panel.name == name) return &panel;
  return nullptr;
}

TGeraeteFormat* TfrmEditDaten::Format() const { return viewer_.Model().Format(); }

QWidget* TfrmEditDaten::ShownPanel() const { return shown_ ? shown_->widget : nullptr; }

// ---- The viewer's side ----------------------------------------------------------------

void TfrmEditDaten::ClearRemark() { remark_.clear(); }

void TfrmEditDaten::SetRemark(const std::string& remark) { remark_ = remark; }

void TfrmEditDaten::SetCaption(const std::string& caption) { setWindowTitle(FromAnsi(caption)); }

void TfrmEditDaten::ShowNoData() {
  writable_ = false;
  ShowPanel(nullptr, GetText(kTextNoData));
}

void TfrmEditDaten::EditRecord() {
  TranslateForm(this);
  ShowRecord();
  if (!isVisible()) exec();
}

void TfrmEditDaten::ShowRecord() {
  const TGeraeteFormat* format = Format();
  const QString dateHint = format ? FromAnsi(format->Datumsformat) : QString();
  const QString timeHint = format ? FromAnsi(format->Uhrzeitformat) : QString();
  for (Field& field : fields_) {
    if (field.def->value == FieldValue::Date) field.edit->setToolTip(dateHint);
    if (field.def->value == FieldValue::Time) field.edit->setToolTip(timeHint);
  }
  TEditor* editor = format ? dynamic_cast<TEditor*>(format->Edit) : nullptr;
  writable_ = viewer_.Model().CanWriteBack();
  if (editor && editor->OnLoad) editor->OnLoad(*editor);
  std::string panel;
  std::string caption = ToAnsi(windowTitle());
  if (editor && editor->OnShowEdit)
    editor->OnShowEdit(*editor, panel, caption);
  else
    caption = GetText(kTextNoData);
  ShowPanel(FindPanel(panel), caption);
}

void TfrmEditDaten::ShowPanel(const Panel* panel, const std::string& caption) {
  for (const Panel& p : panels_) p.widget->hide();
  shown_ = panel;
  setWindowTitle(FromAnsi(caption));
  const bool writable = panel && writable_;
  save_->setEnabled(writable);
  note_->setVisible(panel && !writable_);
  if (!panel) return;
  for (Field* field : panel->fields) field->edit->setReadOnly(!writable);
  if (remarkMemo_) {
    const bool remark = panel->name == kPanelMessdaten && !remark_.empty();
    remarkMemo_->setPlainText(remark ? FromAnsi(FormatText(GetText(kTextRemark), {remark_}) + "\n\n") : QString());
    remarkMemo_->setVisible(remark);
  }
  panel->widget->show();
  for (Field* field : panel->fields) {
    if (field->edit->isEnabled()) {
      field->edit->setFocus(Qt::OtherFocusReason);
      break;
    }
  }
}

// ---- Panel set-up -------------------------------------------------------------------------

void TfrmEditDaten::ConfigurePanel(const std::string& name, const std::string& enabled, const std::string& pictures,
                                   const std::string& required) {
  Panel* panel = FindPanel(name);
  if (!panel) return;
  for (size_t i = 0; i < panel->fields.size(); ++i) {
    Field& field = *panel->fields[i];
    const bool on = Flag(enabled, i) != 'F';
    field.label->setEnabled(on);
    field.edit->setEnabled(on);
    field.edit->SetFormat(Item(pictures, i));
    field.edit->NeedValue = Flag(required, i) != 'F' && i < required.size();
  }
}

void TfrmEditDaten::EnablePanel(const std::string& name, const std::string& flags) {
  Panel* panel = FindPanel(name);
  if (!panel) return;
  for (size_t i = 0; i < panel->fields.size() && i < flags.size(); ++i) {
    if (flags[i] == '0') continue;
    const bool on = flags[i] != 'F';
    panel->fields[i]->label->setEnabled(on);
    panel->fields[i]->edit->setEnabled(on);
  }
}

void TfrmEditDaten::SetDecimals(const std::string& name, const std::string& digits) {
  Panel* panel = FindPanel(name);
  if (!panel) return;
  for (size_t i = 0; i < panel->fields.size() && i < digits.size(); ++i) {
    const char d = digits[i];
    if (d < '1' || d > '9') continue;
    TFormatEdit& edit = *panel->fields[i]->edit;
    std::string picture = edit.Format();
    const size_t point = picture.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(picture.size() - point - 1);
    const int wanted = d - '0';
    if (wanted < decimals)
      picture.pop_back();
    else if (wanted > decimals)
      picture += '9';
    edit.SetFormat(picture);
  }
}

// ---- Copying -------------------------------------------------------------------------------

void TfrmEditDaten::LoadField(Field& field, const std::string& value) {
  field.edit->clear();
  std::string shown = value;
  const std::string& picture = field.edit->Format();
  if (!value.empty() && field.edit->isEnabled() && !picture.empty() && value.size() > picture.size()) {
    ShowMessageBox(GetText(kTextTooLong), kMsgInformation, kBtnOk);
    shown.clear();
  }
  field.edit->setText(FromAnsi(shown));
  field.loaded = shown;
}

bool TfrmEditDaten::FieldChanged(const Field& field) const { return ToAnsi(field.edit->text()) != field.loaded; }

void TfrmEditDaten::LoadPanel(const std::string& name) {
  Panel* panel = FindPanel(name);
  const TGeraeteFormat* format = Format();
  if (!panel || !format) return;
  TDaten& record = viewer_.Model().Record();
  for (Field* field : panel->fields) {
    const EditFieldDef& def = *field->def;
    switch (def.value) {
      case FieldValue::Easting:
        LoadField(*field, geraete_.ApplyOffset(def.member(record), kOffsetRemoveX));
        break;
      case FieldValue::Northing:
        LoadField(*field, geraete_.ApplyOffset(def.member(record), kOffsetRemoveY));
        break;
      case FieldValue::Date: {
        const TDateTime value = def.time(record);
        const bool shown = std::trunc(value) != 0 && !format->Datumsformat.empty();
        LoadField(*field, shown ? FormatDate(format->Datumsformat, value) : std::string());
        break;
      }
      case FieldValue::Time: {
        const TDateTime value = def.time(record);
        const bool shown = value != 0 && !format->Uhrzeitformat.empty();
        LoadField(*field, shown ? FormatTime(format->Uhrzeitformat, value) : std::string());
        break;
      }
      default:
        LoadField(*field, def.member(record));
        break;
    }
  }
}

void TfrmEditDaten::SavePanel(const std::string& name) {
  Panel* panel = FindPanel(name);
  const TGeraeteFormat* format = Format();
  if (!panel || !format) return;
  TDaten& record = viewer_.Model().Record();
  const Field* date = nullptr;
  const Field* time = nullptr;
  const Field* groundHeight = nullptr;
  for (const Field* field : panel->fields) {
    const EditFieldDef& def = *field->def;
    const std::string text = ToAnsi(field->edit->text());
    switch (def.value) {
      case FieldValue::Date:
        date = field;
        continue;
      case FieldValue::Time:
        time = field;
        continue;
      case FieldValue::GroundHeight:
        groundHeight = field;
        continue;
      default:
        break;
    }
    // An untouched field keeps the record's value (also one that was too
    // long to be shown).
    if (!FieldChanged(*field)) continue;
    switch (def.value) {
      case FieldValue::TextIfSet:
        if (!text.empty()) def.member(record) = text;
        break;
      case FieldValue::Easting:
        def.member(record) = geraete_.ApplyOffset(text, kOffsetAddX);
        break;
      case FieldValue::Northing:
        def.member(record) = geraete_.ApplyOffset(text, kOffsetAddY);
        break;
      default:
        def.member(record) = text;
        break;
    }
  }
  // The date-time is rebuilt when its date or its time was changed.
  const Field* stamp = date ? date : time;
  if (stamp && ((date && FieldChanged(*date)) || (time && FieldChanged(*time)))) {
    TDateTime value = 0;
    const std::string dateText = date ? ToAnsi(date->edit->text()) : std::string();
    const std::string timeText = time ? ToAnsi(time->edit->text()) : std::string();
    if (!dateText.empty()) value += ParseDate(format->Datumsformat, dateText);
    if (!timeText.empty()) value += ParseTime(format->Uhrzeitformat, timeText);
    stamp->def->time(record) = value;
  }
  // The instrument height stands for the ground height only where the
  // format offers it.
  if (groundHeight && groundHeight->edit->isEnabled() && FieldChanged(*groundHeight)) {
    const std::string text = ToAnsi(groundHeight->edit->text());
    if (!text.empty()) groundHeight->def->member(record) = text;
  }
}

bool TfrmEditDaten::Modified() const {
  if (!shown_) return false;
  for (const Field* field : shown_->fields)
    if (FieldChanged(*field)) return true;
  return false;
}

// ---- Checks ---------------------------------------------------------------------------------

void TfrmEditDaten::ShowFieldError(TFormatEdit& field, TErrorMsg msg) {
  switch (msg) {
    case msgNotNul:
      ShowMessageBox(GetText(kTextValueRequired), kMsgInformation, kBtnOk);
      break;
    case msgLessValue:
      ShowMessageBox(FormatText(GetText(kTextBelowMinimum), {std::to_string(field.MinValue)}), kMsgInformation, kBtnOk);
      break;
    case msgMoreValue:
      ShowMessageBox(FormatText(GetText(kTextAboveMaximum), {std::to_string(field.MaxValue)}), kMsgInformation, kBtnOk);
      break;
    case msgInvalidKey:
      ShowMessageBox(GetText(kTextCharacterNotAllowed), kMsgInformation, kBtnOk);
      break;
    case msgNoNumber:
      break;
  }
}

// The readers of the format report a text they cannot read (message 37).
bool TfrmEditDaten::DateTimeReads(const Field& field) {
  const TGeraeteFormat* format = Format();
  const std::string text = ToAnsi(field.edit->text());
  if (!format || text.empty()) return true;
  if (field.def->value == FieldValue::Date)
    return format->Datumsformat.empty() || ParseDate(format->Datumsformat, text) != 0;
  if (format->Uhrzeitformat.empty()) return true;
  return ParseTime(format->Uhrzeitformat, text) != 0 || IsMidnight(text);
}

bool TfrmEditDaten::CheckFields() {
  if (!shown_) return false;
  for (Field* field : shown_->fields) {
    if (!field->edit->isEnabled() || field->edit->isReadOnly()) continue;
    if (!field->edit->CheckExit()) {
      field->edit->setFocus(Qt::OtherFocusReason);
      return false;
    }
  }
  return true;
}

// ---- Saving and moving ----------------------------------------------------------------------

bool TfrmEditDaten::SaveClick() {
  const TGeraeteFormat* format = Format();
  TEditor* editor = format ? dynamic_cast<TEditor*>(format->Edit) : nullptr;
  if (!shown_ || !writable_ || !editor || !CheckFields()) return false;
  if (editor->OnSave) editor->OnSave(*editor);
  if (!viewer_.WriteBack()) return false;
  // The record as written is what the fields hold now.
  for (Field* field : shown_->fields) field->loaded = ToAnsi(field->edit->text());
  return true;
}

TfrmEditDaten::Leave TfrmEditDaten::LeaveRecord() {
  if (!Modified() || !writable_) return Leave::Unchanged;
  if (ShowMessageBox(GetText(kTextSaveChanges), kMsgInformation, kBtnYes | kBtnNo) != kAnsYes) return Leave::Discarded;
  return SaveClick() ? Leave::Saved : Leave::Stay;
}

void TfrmEditDaten::Navigate(bool (TfrmViewer::*move)()) {
  const Leave leave = LeaveRecord();
  if (leave == Leave::Stay) return;
  if ((viewer_.*move)()) {
    if (viewer_.PrepareEdit()) ShowRecord();
  } else if (leave == Leave::Discarded) {
    ShowRecord();  // the record's own values again
  }
}

void TfrmEditDaten::PreviousClick() { Navigate(&TfrmViewer::PreviousRecord); }
void TfrmEditDaten::NextClick() { Navigate(&TfrmViewer::NextRecord); }
void TfrmEditDaten::StartFileClick() { Navigate(&TfrmViewer::FirstRecord); }
void TfrmEditDaten::EndFileClick() { Navigate(&TfrmViewer::LastRecord); }
void TfrmEditDaten::PreviousStationClick() { Navigate(&TfrmViewer::PreviousStation); }
void TfrmEditDaten::NextStationClick() { Navigate(&TfrmViewer::NextStation); }

void TfrmEditDaten::CloseClick() { reject(); }

void TfrmEditDaten::reject() {
  if (LeaveRecord() == Leave::Stay) return;
  QDialog::reject();
}

bool TfrmEditDaten::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
  switch (key->key()) {
    case Qt::Key_Up:
      PreviousClick();
      return true;
    case Qt::Key_Down:
      NextClick();
      return true;
    case Qt::Key_PageUp:
      PreviousStationClick();
      return true;
    case Qt::Key_PageDown:
      NextStationClick();
      return true;
    case Qt::Key_Home:
      if (ctrl) {
        StartFileClick();
        return true;
      }
      break;
    case Qt::Key_End:
      if (ctrl) {
        EndFileClick();
        return true;
      }
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (qobject_cast<TFormatEdit*>(watched)) focusNextChild();
      return true;
    case Qt::Key_Escape:
      return QDialog::eventFilter(watched, event);
    default:
      break;
  }
  // Key strokes on the buttons are swallowed.
  if (qobject_cast<QPushButton*>(watched)) return true;
  return QDialog::eventFilter(watched, event);
}

}  // namespace veltro
