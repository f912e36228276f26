#include "formats/instrument/AP700.h"

#include <cctype>
#include <vector>

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr const char* kFormatName = "AP700";
constexpr const char* kNoteCode = "CO";
constexpr int kCoordinateDecimals = 4;
constexpr int kPressureDecimals = 1;
constexpr double kHectopascalPerMmHg = 1.33322387415;
constexpr const char* kDownloadDate = "DD-MM-YYYY";  // month names are replaced first
constexpr const char* kDownloadTime = "HH:MM:SS";

// The header notes in the order they are matched; a note is read with the
// first whose text before "%" it contains.
const char* const kNotes[] = {"CO,Nikon %s",
                              "CO,Description: %s",
                              "CO,Client: %s",
                              "CO,Comments: %s",
                              "CO,Downloaded %s %s",
                              "CO,Software: %s",
                              "CO,Instrument: %s",
                              "CO,Dist Units: %s",
                              "CO,Angle Units: %s",
                              "CO,Zero azimuth: %s",
                              "CO,Zero VA: %s",
                              "CO,Coord Order: %s",
                              "CO,HA Raw data: %s",
                              "CO,Tilt Correction:  VA:%s HA:%s",
                              "CO,S/N:%s",
                              "CO,Temperature: %s Centigrade Pressure: %s hPa",
                              "CO,Prism constant: %s",
                              "CO,Temp:%sC Press:%shPa Prism:-%s",
                              "CO,Use current orientation.%s",
                              "CO,O/S Msr:%s",
                              "CO,%s"};
enum : int {
  kNoteDescription = 1,
  kNoteClient = 2,
  kNoteComments = 3,
  kNoteDownloaded = 4,
  kNoteInstrument = 6,
  kNoteCoordOrder = 11,
  kNoteAtmosphere = 15,
  kNotePrism = 16,
  kNoteShortAtmosphere = 17,
  kNoteJob = 20,
};

// Observation fields after the record code.
enum : size_t { kObsPoint = 0, kObsTarget, kObsSlope, kObsHz, kObsV, kObsTime, kObsCode };
// Station fields after the record code.
enum : size_t { kStPoint = 0, kStCode, kStHeight = 4, kStY, kStX, kStZ };

std::vector<std::string> Fields(const std::string& S) {
  std::vector<std::string> f = SplitFields(RemoveLineEnds(S), ',');
  return f;
}

std::string At(const std::vector<std::string>& f, size_t i) { return i < f.size() ? TrimBlanks(f[i]) : std::string(); }

// The text after key in line, "" without the key.
std::string After(const std::string& line, const std::string& key) {
  const size_t at = line.find(key);
  return at == std::string::npos ? std::string() : line.substr(at + key.size());
}

// The number at the start of field and, in end, where it stops.
std::string LeadingNumberEnd(const std::string& field, size_t& end) {
  size_t i = field.find_first_not_of(' ');
  if (i == std::string::npos) return {};
  const size_t start = i;
  if (field[i] == '+' || field[i] == '-') ++i;
  const size_t digits = i;
  auto skipDigits = [&] {
    while (i < field.size() && std::isdigit(static_cast<unsigned char>(field[i]))) ++i;
  };
  skipDigits();
  const bool whole = i > digits;
  if (i < field.size() && field[i] == '.') {
    ++i;
    const size_t fraction = i;
    skipDigits();
    if (!whole && i == fraction) return {};
  } else if (!whole) {
    return {};
  }
  end = i;
  return PlainNumber(field.substr(start, i - start));
}

// Pressure at the start of field in hPa; a value in mmHg is converted.
std::string Pressure(const std::string& field) {
  size_t end = 0;
  const std::string value = LeadingNumberEnd(field, end);
  if (value.empty()) return value;
  const std::string rest = TrimBlanks(field.substr(end));
  if (rest.compare(0, 4, "mmHg") != 0) return value;
  return FormatNumber(kPressureDecimals, ParseNumber(value) * kHectopascalPerMmHg);
}

std::optional<std::string> Written(const std::string& value) {
  const std::string trimmed = TrimBlanks(value);
  if (trimmed.empty()) return trimmed;
  return FormatDecimalText(trimmed, kCoordinateDecimals);
}

}  // namespace

std::string LeadingNumber(const std::string& field) {
  size_t end = 0;
  return LeadingNumberEnd(field, end);
}

TTransferDatenart Ap700LineKind(const std::string& line) {
  const size_t comma = line.find(',');
  if (comma == std::string::npos) return tdaNone;
  const std::string code = line.substr(0, comma);
  if (code == kNoteCode) return tdaInformation;
  if (code == "UC" || code == "UP" || code == "MC" || code == "MP" || code == "CC") return tdaKoordinate;
  if (code == "ST") return tdaStation;
  if (code == "CP") return tdaAnschlusspunkt;
  if (code == "SS" || code == "SO") return tdaNeupunkt;
  return tdaNone;
}

TdmAP700::TdmAP700(TGeraete& geraete)
    : TDataModule("dmAP700"), geraete_(geraete), format_(geraete.Format(kFormatName)) {
  Koordinaten = AddFormatComponent(*this, "Koordinaten", tdaKoordinate, &TdmAP700::KoordinatenRead,
                                   &TdmAP700::KoordinatenWrite, &TdmAP700::PunktStatistik);
  Informationen = AddFormatComponent(*this, "Informationen", tdaInformation, &TdmAP700::InformationenRead);
  Stationen = AddFormatComponent(*this, "Stationen", tdaStation, &TdmAP700::StationenRead, nullptr,
                                 &TdmAP700::StationenStatistik);
  Anschlusspunkte = AddFormatComponent(*this, "Anschlusspunkte", tdaAnschlusspunkt, &TdmAP700::AnschlusspunkteRead,
                                       nullptr, &TdmAP700::PunktStatistik);
  Neupunkte =
      AddFormatComponent(*this, "Neupunkte", tdaNeupunkt, &TdmAP700::NeupunkteRead, nullptr, &TdmAP700::PunktStatistik);
  if (!format_) return;
  format_->Informationen.assign(std::begin(kNotes), std::end(kNotes));
  format_->Stationspunkt = {"ST,%s,%s,%s,%s,%s,%s,%s,%s"};
  format_->Anschlusspunkt = {"CP,%s,%s,%1.4f,%1.4f,%1.4f,%s,%s"};
  format_->Detailpunkt = {"SS,%s,%s,%1.4f,%1.4f,%1.4f,%s,%s"};
  format_->Koordinaten = "%s,%s,%s,%1.4f,%1.4f,%1.4f,%s";
  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return AP700Format(S, Buf); };
  // The catalogue's set-up; a new file starts in the order easting first.
  h.OnSetup = [this, &geraete] {
    northFirst_ = false;
    temperature_.clear();
    pressure_.clear();
    geraete.DefaultSetup();
  };
  h.OnGetDatenart = [this](std::string& S) { return AP700GetDatenart(S); };
  h.OnSetTDA = [this](TTransferDatenart kind) { return AP700SetTDA(kind); };
  geraete.BindFormatHandlers(kFormatName, h);
}

TdmAP700::~TdmAP700() {
  if (format_) UnbindFormatHandlers(*format_, *this);
}

// ---- Reading ----------------------------------------------------------------------

void TdmAP700::ReadNote(const std::string& line, TDaten& Daten) {
  const std::string text = RemoveLineEnds(line);
  int index = -1;
  std::string prefix;
  for (int i = 0; i < static_cast<int>(std::size(kNotes)) && index < 0; ++i) {
    const std::string note = kNotes[i];
    prefix = note.substr(0, note.find('%'));
    if (text.find(prefix) != std::string::npos) index = i;
  }
  const std::string field = TrimBlanks(After(text, prefix));
  switch (index) {
    case kNoteDescription:
      Daten.Info.Beschreibung = field;
      break;
    case kNoteClient:
      Daten.Info.Beobachter = field;
      break;
    case kNoteComments:
      Daten.Info.Beschreibung += " " + field;
      break;
    case kNoteDownloaded: {
      const size_t blank = field.find(' ');
      const double day = ParseDate(kDownloadDate, field.substr(0, blank));
      const double time = blank == std::string::npos ? 0 : ParseTime(kDownloadTime, TrimBlanks(field.substr(blank)));
      if (day > 0) Daten.Info.Zeitpunkt = day + time;
      break;
    }
    case kNoteInstrument:
      Daten.Info.Instrument = field;
      break;
    case kNoteCoordOrder:
      northFirst_ = field.compare(0, 3, "NEZ") == 0;
      break;
    case kNoteAtmosphere:
      temperature_ = Daten.Station.Temperatur = LeadingNumber(After(text, "Temperature:"));
      pressure_ = Daten.Station.Luftdruck = Pressure(After(text, "Pressure:"));
      break;
    case kNotePrism:
      Daten.Konstanten.Prismenkonstante = LeadingNumber(field);
      break;
    case kNoteShortAtmosphere:
      temperature_ = Daten.Station.Temperatur = LeadingNumber(After(text, "Temp:"));
      pressure_ = Daten.Station.Luftdruck = Pressure(After(text, "Press:"));
      Daten.Konstanten.Prismenkonstante = LeadingNumber(After(text, "Prism:"));
      break;
    case kNoteJob:
      Daten.Info.Projekt = field;
      break;
    default:
      break;
  }
}

void TdmAP700::InformationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  ReadNote(S, Daten);
  while (const std::string* next = NextLine(Daten)) {
    if (Ap700LineKind(*next) != tdaInformation) break;
    ReadNote(ConsumeNextLine(Daten), Daten);
  }
}

void TdmAP700::StationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto f = Fields(S);
  TStation& s = Daten.Station;
  s.Punktnummer = At(f, 1 + kStPoint);
  s.Code = geraete_.OemToAnsiText(At(f, 1 + kStCode));
  s.Instrumentenhoehe = At(f, 1 + kStHeight);
  s.Y = At(f, 1 + kStY);
  s.X = At(f, 1 + kStX);
  s.Hoehe = At(f, 1 + kStZ);
  if (s.Temperatur.empty()) s.Temperatur = std::move(temperature_);
  if (s.Luftdruck.empty()) s.Luftdruck = std::move(pressure_);
  temperature_.clear();
  pressure_.clear();
}

// An empty slope distance stays empty: the observation has angles only.
void TdmAP700::ReadObservation(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto f = Fields(S);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = At(f, 1 + kObsPoint);
  p.Reflektorhoehe = At(f, 1 + kObsTarget);
  p.Schraegdistanz = At(f, 1 + kObsSlope);
  p.Messflags = p.Schraegdistanz.empty() ? mfHzVz : mfHzVzSd;
  p.Horizontalwinkel = At(f, 1 + kObsHz);
  p.Vertikalwinkel = At(f, 1 + kObsV);
  p.Code1 = At(f, 1 + kObsCode);
}

void TdmAP700::AnschlusspunkteRead(const std::string& S, TDaten& Daten) { ReadObservation(S, Daten); }
void TdmAP700::NeupunkteRead(const std::string& S, TDaten& Daten) { ReadObservation(S, Daten); }

void TdmAP700::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto f = Fields(S);
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfKoordinaten;
  p.Punktnummer = At(f, 1);
  p.Kontrollkodierung = At(f, 2);
  const std::string first = At(f, 3), second = At(f, 4);
  p.Y = geraete_.ApplyOffset(northFirst_ ? second : first, kOffsetAddX);
  p.X = geraete_.ApplyOffset(northFirst_ ? first : second, kOffsetAddY);
  p.Hoehe = At(f, 5);
  p.Code1 = geraete_.OemToAnsiText(At(f, 6));
}

void TdmAP700::PunktStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmAP700::StationenStatistik(const std::string&, TTransferStatistik& State) { ++State.Stationen; }

// ---- Writing ----------------------------------------------------------------------

// Easting first, the order of a file without a "Coord Order" note.
std::string TdmAP700::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  const auto y = Written(geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX));
  const auto x = Written(geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY));
  const auto h = Written(p.Hoehe);
  const std::string point = TrimBlanks(p.Punktnummer), control = TrimBlanks(p.Kontrollkodierung);
  const std::string code = geraete_.AnsiToOemText(TrimBlanks(p.Code1));
  for (const std::string* text : {&point, &control, &code})
    if (text->find_first_of(",\r\n") != std::string::npos) return kWriteError;
  if (!y || !x || !h) return kWriteError;
  return "UC," + point + "," + control + "," + *y + "," + *x + "," + *h + "," + code + "\r\n";
}

// ---- Catalogue handlers -------------------------------------------------------------

std::string TdmAP700::AP700Format(const std::string& S, const std::string&) {
  const std::string tag = DetectCandidate(kFormatName, NormalizeForDetection(S));
  if (!tag.empty() && format_) BindRecognisedKind(*format_, Ap700LineKind(S));
  return tag;
}

TTransferDatenart TdmAP700::AP700GetDatenart(std::string& S) { return Ap700LineKind(S); }

std::string TdmAP700::AP700SetTDA(TTransferDatenart kind) {
  return format_ ? SelectKind(*format_, *this, kind) : std::string();
}

}  // namespace veltro
