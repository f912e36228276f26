#include "formats/office/ASCII.h"

#include <cmath>

#include "core/DateTime.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "formats/office/Layout.h"
#include "formats/office/RecordText.h"

namespace veltro {
namespace {

// Label texts (language texts by number).
constexpr int kTextProjekt = 155;
constexpr int kTextBeobachter = 156;
constexpr int kTextInstrument = 157;
constexpr int kTextDatum = 158;
constexpr int kTextTemperatur = 159;
constexpr int kTextLuftdruck = 160;
constexpr int kTextUhrzeit = 161;
constexpr int kTextBeschreibung = 162;
constexpr int kTextUmrechnungsfaktor = 163;
constexpr int kTextMassstabsfaktor = 164;
constexpr int kTextMeereshoehe = 165;
constexpr int kTextInformation = 202;  // first field of information lines
constexpr int kTextStation = 203;
constexpr int kTextAnschlusspunkt = 204;
constexpr int kTextNeupunkt = 205;
constexpr int kTextKommentar = kTextBeschreibung;  // first field of comment lines
constexpr int kTextStartDatumZeit = 349;
constexpr int kTextStartAuftrag = 467;
constexpr int kTextColumnTitles[] = {472, 509, 473, 475, 474, 510};

constexpr int kLevelColumnWidth = 12;  // converted levelling values, right-aligned

// Layout indexes of the levelling lists.
constexpr size_t kStartAuftrag = 0;
constexpr size_t kStartZeitpunkt = 1;
constexpr size_t kStartTitel = 2;
constexpr size_t kStartHoehe = 3;
constexpr size_t kKommentar = 0;
constexpr size_t kNivKommentar = 1;

// The date and time layouts of the system settings, with its separators.
std::string DateLayout() {
  const std::string sep(1, SystemDateSeparator() ? SystemDateSeparator() : '.');
  return "DD" + sep + "MM" + sep + "YYYY";
}

std::string TimeLayout() {
  const std::string sep(1, SystemTimeSeparator() ? SystemTimeSeparator() : ':');
  return "HH" + sep + "NN" + sep + "SS";
}

bool HasDay(TDateTime value) { return std::trunc(value) != 0; }

bool HasTimeOfDay(TDateTime value) {
  int hour = 0, minute = 0, second = 0;
  DecodeTime(value, hour, minute, second);
  return hour != 0 || minute != 0 || second != 0;
}

std::string LevelColumn(const std::string& value, const std::string& satzkennung, LevelValue kind) {
  return PadLeftBlanks(ConvertLevelValue(value, satzkennung, kind), kLevelColumnWidth);
}

}  // namespace

int LevelDecimals(const std::string& satzkennung, LevelValue kind) {
  const char unit = satzkennung.size() >= 2 ? satzkennung[1] : '\0';
  switch (kind) {
    case LevelValue::Ablesung:
      switch (unit) {
        case '1': case '5': case '9': return 3;
        case '2': case '6': case '7': case 'A': return 4;
        case '3': case '8': return 5;
        case '4': return 2;
        default: return 0;
      }
    case LevelValue::Distanz:
      switch (unit) {
        case '3': case '8': return 3;
        case '1': case '2': case '4': case '5': case '6': case '7': case '9': case 'A': return 2;
        default: return 0;
      }
    case LevelValue::Bodenhoehe:
      switch (unit) {
        case '3': case '7': case 'A': return 4;
        case '4': case '5': return 2;
        case '8': return 5;
        default: return 3;
      }
  }
  return 0;
}

std::string ConvertLevelValue(const std::string& value, const std::string& satzkennung, LevelValue kind) {
  const int d = LevelDecimals(satzkennung, kind);
  auto text = FormatDecimalText(value, d, -d);
  return text ? *text : std::string();
}

TdmASCII::TdmASCII(TDFD& dfd) : TDataModule("dmASCII"), dfd_(dfd), def_(*dfd.ASCII) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };

  NivKoordinaten = AddReadWriteDaten(*this, "NivKoordinaten", tdaNivKoordinate);
  NivKoordinaten->OnRead = [this](const std::string& S, TDaten& D) { NivKoordinatenRead(S, D); };
  NivKoordinaten->OnWrite = [this](TDaten& D) { return NivKoordinatenWrite(D); };
  NivKoordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) {
    NivKoordinatenStatistik(S, St);
  };

  AddMeasurementWriters(*this);
  Startdaten = AddReadWriteDaten(*this, "Startdaten", tdaStartdaten);
  Startdaten->OnWrite = [this](TDaten& D) { return StartdatenWrite(D); };
  Messdaten = AddReadWriteDaten(*this, "Messdaten", tdaMessdaten);
  Messdaten->OnWrite = [this](TDaten& D) { return MessdatenWrite(D); };
  Enddaten = AddReadWriteDaten(*this, "Enddaten", tdaEnddaten);
  Enddaten->OnWrite = [this](TDaten& D) { return EnddatenWrite(D); };
  NivKommentare = AddReadWriteDaten(*this, "NivKommentare", tdaNivKommentar);
  NivKommentare->OnWrite = [this](TDaten& D) { return NivKommentareWrite(D); };

  OfficeModuleHooks hooks;
  hooks.isKoordinate = [this](const std::string& line) { return IsKoordinatenLine(line); };
  dfd.AttachModule(def_, *this, std::move(hooks));
}

TdmASCII::~TdmASCII() { dfd_.DetachModule(def_); }

// A coordinate line has numbers (or nothing) in its coordinate fields; the
// kind labels of the program's own measurement output make no point.
// The recogniser and the reader look at the same line one after the other:
// the fields cut from a copy of it serve both.
void TdmASCII::CutKoordinaten(const std::string& line) const {
  if (cutValid_ && line == cutLine_ && def_.Koordinaten == cutLayout_) return;
  cutLine_ = line;
  cutLayout_ = def_.Koordinaten;
  CutFieldViews(cutLayout_, cutLine_, fields_);
  cutValid_ = true;
}

bool TdmASCII::IsKoordinatenLine(const std::string& line) const {
  cutLine_ = line;
  cutLayout_ = def_.Koordinaten;
  cutValid_ = CutFieldViewsIfFits(cutLayout_, cutLine_, fields_);
  if (!cutValid_) return false;
  const std::vector<std::string_view>& f = fields_;
  if (f.empty()) return false;
  for (size_t i = 2; i < 5 && i < f.size(); ++i) {
    const std::string_view value = TrimBlanksView(f[i]);
    if (!value.empty() && IsNoValue(ParseNumber(value))) return false;
  }
  // The labels hold no digit; most point numbers do (no text lookup then).
  const std::string_view label = f[0];
  if (label.find_first_of("0123456789") != std::string_view::npos) return true;
  const std::string_view trimmed = TrimBlanksView(label);
  for (int text : {kTextInformation, kTextStation, kTextAnschlusspunkt, kTextNeupunkt})
    if (trimmed == TrimBlanksView(GetText(text))) return false;
  return true;
}

// ---- Coordinates ------------------------------------------------------------------

void TdmASCII::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  CutKoordinaten(S);
  auto at = [this](size_t i) { return i < fields_.size() ? fields_[i] : std::string_view(); };
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = at(0);
  p.Code1 = at(1);
  p.Y = at(2);
  p.X = at(3);
  p.Hoehe = at(4);
  p.Kommentar = at(5);
}

std::string TdmASCII::KoordinatenWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  return FormatLayoutOrError(def_.Koordinaten, {p.Punktnummer, p.Code1, p.Y, p.X, p.Hoehe, p.Kommentar});
}

void TdmASCII::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

void TdmASCII::NivKoordinatenRead(const std::string& S, TDaten& Daten) { KoordinatenRead(S, Daten); }

std::string TdmASCII::NivKoordinatenWrite(TDaten& Daten) { return KoordinatenWrite(Daten); }

void TdmASCII::NivKoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

// ---- Points and information ------------------------------------------------------

std::vector<std::string> InformationItems(const TInfo& info) {
  std::vector<std::string> items;
  auto item = [&](int text, const std::string& value) {
    if (!value.empty()) items.push_back(GetText(text) + value);
  };
  item(kTextProjekt, info.Projekt);
  item(kTextBeobachter, info.Beobachter);
  item(kTextInstrument, info.Instrument);
  if (HasDay(info.Zeitpunkt)) item(kTextDatum, FormatDate(DateLayout(), info.Zeitpunkt));
  if (HasTimeOfDay(info.Zeitpunkt)) item(kTextUhrzeit, FormatTime(TimeLayout(), info.Zeitpunkt));
  item(kTextBeschreibung, info.Beschreibung);
  item(kTextUmrechnungsfaktor, info.Umrechnungsfaktor);
  item(kTextMassstabsfaktor, info.Massstabsfaktor);
  item(kTextMeereshoehe, info.Meereshoehe);
  return items;
}

std::string TdmASCII::InformationenWrite(TDaten& Daten) {
  RecordText out;
  const std::string label = GetText(kTextInformation);
  for (const std::string& item : InformationItems(Daten.Info)) out.Add(def_.Informationen, 0, {label, item});
  return out.Result();
}

// Temperature and pressure are written once, as information lines in front
// of the station that delivered them.
std::string TdmASCII::StationenWrite(TDaten& Daten) {
  TStation& s = Daten.Station;
  RecordText out;
  const std::string label = GetText(kTextInformation);
  if (!s.Temperatur.empty()) out.Add(def_.Informationen, 0, {label, GetText(kTextTemperatur) + s.Temperatur});
  if (!s.Luftdruck.empty()) out.Add(def_.Informationen, 0, {label, GetText(kTextLuftdruck) + s.Luftdruck});
  s.Temperatur.clear();
  s.Luftdruck.clear();
  out.Add(def_.Stationspunkt, 0,
          {GetText(kTextStation), s.Punktnummer, s.Code, s.Instrumentenhoehe, s.Y, s.X, s.Hoehe});
  return out.Result();
}

std::string TdmASCII::AnschlusspunkteWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  RecordText out;
  out.Add(def_.Anschlusspunkt, 0,
          {GetText(kTextAnschlusspunkt), p.Punktnummer, p.Code1, p.Horizontalwinkel, p.Vertikalwinkel,
           p.Schraegdistanz, p.Horizontaldistanz, p.Vertikaldistanz, p.Reflektorhoehe, p.Atmosphaerenkorrektur,
           p.Prismenkonstante, p.Y, p.X, p.Hoehe, p.Querverschiebung, p.Laengsverschiebung, p.Vertikalverschiebung,
           p.Code2, p.Kontrollkodierung, p.Anmerkung1, p.Anmerkung2, p.Kommentar, p.Azimut});
  return out.Result();
}

std::string TdmASCII::NeupunkteWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  RecordText out;
  out.Add(def_.Detailpunkt, 0,
          {GetText(kTextNeupunkt), p.Punktnummer, p.Code1, p.Horizontalwinkel, p.Vertikalwinkel, p.Schraegdistanz,
           p.Horizontaldistanz, p.Vertikaldistanz, p.Reflektorhoehe, p.Atmosphaerenkorrektur, p.Prismenkonstante,
           p.Y, p.X, p.Hoehe, p.Querverschiebung, p.Laengsverschiebung, p.Vertikalverschiebung, p.Zusatzwert2,
           p.Code2, p.Kontrollkodierung, p.Anmerkung1, p.Anmerkung2, p.Kommentar});
  return out.Result();
}

std::string TdmASCII::KommentareWrite(TDaten& Daten) {
  RecordText out;
  out.Add(def_.Kommentare, kKommentar, {GetText(kTextKommentar), Daten.Kommentar.Beschreibung});
  return out.Result();
}

// ---- Levelling -------------------------------------------------------------------

std::string TdmASCII::NivKommentareWrite(TDaten& Daten) {
  RecordText out;
  out.Add(def_.Kommentare, kNivKommentar, {GetText(kTextBeschreibung) + Daten.Kommentar.Beschreibung});
  return out.Result();
}

std::string TdmASCII::StartdatenWrite(TDaten& Daten) {
  const TStart& s = Daten.Start;
  RecordText out;
  out.Add(def_.Startdaten, kStartAuftrag, {GetText(kTextStartAuftrag), s.Auftragsnummer});
  // An unset date-time (0) is written as empty fields, not as 30.12.1899.
  const std::string date = HasDay(s.Zeitpunkt) ? FormatDate(DateLayout(), s.Zeitpunkt) : std::string();
  const std::string time = s.Zeitpunkt != 0 ? FormatTime(TimeLayout(), s.Zeitpunkt) : std::string();
  out.Add(def_.Startdaten, kStartZeitpunkt, {GetText(kTextStartDatumZeit), date, time});
  LayoutArgs titles;
  for (int number : kTextColumnTitles) titles.emplace_back(GetText(number));
  std::string first = titles[0].Text();
  if (size_t amp = first.find('&'); amp != std::string::npos) first.erase(amp, 1);
  if (size_t colon = first.find(':'); colon != std::string::npos) first.erase(colon, 1);
  titles[0] = first;
  out.Add(def_.Startdaten, kStartTitel, titles);
  out.Add(def_.Startdaten, kStartHoehe,
          {s.Hoehenbezugnummer + s.Messnummer, LevelColumn(s.Bodenhoehe, s.Satzkennung, LevelValue::Bodenhoehe)});
  return out.Result();
}

std::string TdmASCII::EnddatenWrite(TDaten& Daten) {
  const TEnde& e = Daten.Ende;
  RecordText out;
  out.Add(def_.Enddaten, 0,
          {e.Hoehenbezugnummer, LevelColumn(e.Bodenhoehe, e.Satzkennung, LevelValue::Bodenhoehe)});
  out.AddLine(" ");
  return out.Result();
}

std::string TdmASCII::MessdatenWrite(TDaten& Daten) {
  const TMessung& m = Daten.Messung;
  const std::string satzart = TrimBlanks(m.Satzart);
  size_t layout;
  if (satzart == "g" || satzart == "h")
    layout = 0;
  else if (satzart == "i" || satzart == "j")
    layout = 1;
  else if (satzart == "f" || satzart == "k")
    layout = 2;
  else
    return {};
  RecordText out;
  out.Add(def_.Messdaten, layout,
          {m.Punktnummer, LevelColumn(m.Distanz, m.Satzkennung, LevelValue::Distanz),
           LevelColumn(m.Lattenablesung, m.Satzkennung, LevelValue::Ablesung)});
  return out.Result();
}

}  // namespace veltro
