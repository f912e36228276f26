#include "formats/instrument/RW5.h"

#include <cmath>

#include "core/ConvertedLine.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/instrument/NMEA.h"
#include "formats/office/Layout.h"
#include "instruments/CoordinateSystem.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr const char* kFormatName = "RW5";
constexpr const char* kNoteMark = "--";
constexpr size_t kTagLength = 2;
constexpr size_t kUsualFields = 8;  // tagged fields of the longest common record
constexpr int kPlanDecimals = 5;    // N and E written
constexpr int kHeightDecimals = 3;  // EL written
constexpr int kGridDecimals = 5;    // results of the coordinate-system library
constexpr std::uint16_t kBacksightFlags = 0x0021;

const char* const kInformationen[] = {"JB,%s,DT%s,TM%s", "MO,AD%d,UN%d,SF%1.8f,EC%d,EO1.1f,AU%d", "LS,HI%s,HR%s"};
const char* const kDetailpunkt[] = {"GS,PN%s,N %1.4f,E %1.4f,EL%1.4f,--%s", "GPS,PN%s,N %1.8f,E %1.8f,EL%1.6f,--%s",
                                    "SS,OP%s,FP%s,AR%1.4f,ZE%1.4f,SD%1.6f,--%s"};

bool StartsWith(const std::string& s, std::string_view p) { return s.compare(0, p.size(), p) == 0; }

double NumberOr(std::string_view text, double fallback) {
  const double v = ParseNumber(text);
  return IsNoValue(v) ? fallback : v;
}

// A value of the writer: "" stays empty, a number gets its decimals,
// anything else fails.
std::optional<std::string> Written(const std::string& value, int decimals) {
  const std::string trimmed = TrimBlanks(value);
  if (trimmed.empty()) return trimmed;
  return FormatDecimalText(trimmed, decimals);
}

}  // namespace

namespace {
// Tags are two characters; compared in place.
bool SameTag(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a.size() == kTagLength) return a[0] == b[0] && a[1] == b[1];
  return a == b;
}
}  // namespace

std::string_view Rw5Record::Value(std::string_view tag) const {
  for (const auto& [t, v] : fields)
    if (SameTag(t, tag)) return v;
  return {};
}

bool Rw5Record::Has(std::string_view tag) const {
  for (const auto& [t, v] : fields)
    if (SameTag(t, tag)) return true;
  return false;
}

Rw5Record ReadRw5Record(std::string_view line) {
  Rw5Record r;
  ReadRw5Record(line, r);
  return r;
}

void ReadRw5Record(std::string_view line, Rw5Record& r) {
  r.code = r.note = {};
  r.fields.clear();
  std::string_view text = line;
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  if (text.substr(0, 2) == kNoteMark) {
    r.code = kNoteMark;
    r.note = text.substr(2);
    return;
  }
  size_t at = text.find(',');
  r.code = text.substr(0, at);
  r.fields.reserve(kUsualFields);
  while (at != std::string::npos) {
    const size_t start = at + 1;
    if (text.substr(start, 2) == kNoteMark) {
      r.note = text.substr(start + 2);
      break;
    }
    at = text.find(',', start);
    const std::string_view field = text.substr(start, at == std::string_view::npos ? at : at - start);
    if (field.empty()) continue;
    r.fields.emplace_back(field.substr(0, kTagLength),
                          TrimBlanksView(field.size() > kTagLength ? field.substr(kTagLength) : std::string_view()));
  }
}

TTransferDatenart Rw5LineKind(const std::string& line) {
  if (StartsWith(line, "SS,")) return tdaNeupunkt;
  if (StartsWith(line, "BK,")) return tdaAnschlusspunkt;
  if (StartsWith(line, "SP,")) return tdaStation;
  if (StartsWith(line, kNoteMark)) return tdaKommentar;
  if (StartsWith(line, "JB,") || StartsWith(line, "MO,") || StartsWith(line, "LS,")) return tdaInformation;
  if (StartsWith(line, "OC,") || StartsWith(line, "GPS,") || StartsWith(line, "GS,")) return tdaKoordinate;
  return tdaNone;
}

TdmRW5::TdmRW5(TGeraete& geraete) : TDataModule("dmRW5"), geraete_(geraete), format_(geraete.Format(kFormatName)) {
  Koordinaten = AddFormatComponent(*this, "Koordinaten", tdaKoordinate, &TdmRW5::KoordinatenRead,
                                   &TdmRW5::KoordinatenWrite, &TdmRW5::PunktStatistik);
  Informationen = AddFormatComponent(*this, "Informationen", tdaInformation, &TdmRW5::InformationenRead);
  Stationen =
      AddFormatComponent(*this, "Stationen", tdaStation, &TdmRW5::StationenRead, nullptr, &TdmRW5::StationenStatistik);
  Anschlusspunkte = AddFormatComponent(*this, "Anschlusspunkte", tdaAnschlusspunkt, &TdmRW5::AnschlusspunkteRead,
                                       nullptr, &TdmRW5::PunktStatistik);
  Neupunkte =
      AddFormatComponent(*this, "Neupunkte", tdaNeupunkt, &TdmRW5::NeupunkteRead, nullptr, &TdmRW5::PunktStatistik);
  Kommentare = AddFormatComponent(*this, "Kommentare", tdaKommentar, &TdmRW5::KommentareRead);
  if (!format_) return;
  format_->Informationen.assign(std::begin(kInformationen), std::end(kInformationen));
  format_->Stationspunkt = {"SP,PN%s,N %1.4f,E %1.4f,EL%1.4f,--%s"};
  format_->Anschlusspunkt = {"BK,OP%s,BP%s,BS%1.4f,BC%1.4f"};
  format_->Detailpunkt.assign(std::begin(kDetailpunkt), std::end(kDetailpunkt));
  format_->Koordinaten = "OC,PN%s,N %1.5f,E %1.5f,EL%1.3f,--%s";
  format_->Kommentare = {"--%s"};
  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return RW5Format(S, Buf); };
  h.OnSetup = [&geraete] { geraete.DefaultSetup(); };
  h.OnGetDatenart = [this](std::string& S) { return RW5GetDatenart(S); };
  h.OnSetTDA = [this](TTransferDatenart kind) { return RW5SetTDA(kind); };
  geraete.BindFormatHandlers(kFormatName, h);
}

TdmRW5::~TdmRW5() {
  if (format_) UnbindFormatHandlers(*format_, *this);
}

// ---- Reading ----------------------------------------------------------------------

const Rw5Record& TdmRW5::Record(const std::string& S) {
  ReadRw5Record(S, record_);
  return record_;
}

void TdmRW5::InformationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const Rw5Record& r = Record(S);
  if (r.code == "JB") {
    Daten.Info.Projekt = r.Has("NM") ? r.Value("NM") : r.fields.empty() ? std::string_view() : r.fields[0].second;
    const std::string date(r.Value("DT"));
    if (!date.empty() && format_) {
      const double day = ParseDate(format_->Datumsformat, date);
      const double time = ParseTime(format_->Uhrzeitformat, std::string(r.Value("TM")));
      if (day > 0) Daten.Info.Zeitpunkt = day + (time > 0 ? time : 0);
    }
  } else if (r.code == "MO") {
    Daten.Info.Einheiten = r.Value("UN");
    Daten.Info.Massstabsfaktor = r.Value("SF");
  } else if (r.code == "LS") {
    // Only the heights the record names: "LS,HR1.5" keeps the instrument height.
    if (r.Has("HI")) Daten.Station.Instrumentenhoehe = r.Value("HI");
    if (r.Has("HR")) Daten.Konstanten.Reflektorhoehe = r.Value("HR");
  }
}

void TdmRW5::KommentareRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  Daten.Kommentar.Beschreibung = Record(S).note;
}

void TdmRW5::StationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const Rw5Record& r = Record(S);
  TStation& s = Daten.Station;
  s.Punktnummer = r.Value("PN");
  s.Y = geraete_.ApplyOffset(PlainNumber(r.Value("E ")), kOffsetAddX);
  s.X = geraete_.ApplyOffset(PlainNumber(r.Value("N ")), kOffsetAddY);
  s.Hoehe = PlainNumber(r.Value("EL"));
  s.Code = geraete_.OemToAnsiText(std::string(r.note));
}

void TdmRW5::AnschlusspunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const Rw5Record& r = Record(S);
  TPunkt& p = Daten.Punkt;
  p.Messflags = kBacksightFlags;
  p.Punktnummer = r.Value("BP");
  p.Horizontalwinkel = PlainNumber(r.Value("BS"));
  p.Code1.clear();
  p.Reflektorhoehe = Daten.Konstanten.Reflektorhoehe;
}

void TdmRW5::NeupunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const Rw5Record& r = Record(S);
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfHzVzSd;
  p.Punktnummer = r.Value("FP");
  p.Horizontalwinkel = PlainNumber(r.Value("AR"));
  p.Vertikalwinkel = PlainNumber(r.Value("ZE"));
  p.Schraegdistanz = PlainNumber(r.Value("SD"));
  p.Code1 = geraete_.OemToAnsiText(std::string(r.note));
  p.Reflektorhoehe = Daten.Konstanten.Reflektorhoehe;
}

bool TdmRW5::PointOf(const Rw5Record& r, TPunkt& p) {
  p.Messflags = mfKoordinaten;
  p.Punktnummer = r.Has("PN") || r.code != "OC" ? r.Value("PN") : r.Value("OP");
  const bool gps = r.code == "GPS";
  const bool geographic = gps && !r.Has("N ") && !r.Has("E ");
  const std::string_view northText = r.Value(geographic ? "LA" : "N ");
  const std::string_view eastText = r.Value(geographic ? "LN" : "E ");
  const std::string_view heightText = r.Value("EL");
  p.Code1 = geraete_.OemToAnsiText(std::string(r.note));
  std::string north, east, height;
  wgsxyz::Triple grid;
  // The position's numbers are read only for a coordinate system; without
  // one the values stay as written.
  const GpsConversion conversion =
      gps && GpsConversionActive()
          ? ConvertToGrid(wgsxyz::kModeDegreesMinutesSeconds,
                          {NumberOr(eastText, std::nan("")), NumberOr(northText, std::nan("")), NumberOr(heightText, 0)},
                          grid)
          : GpsConversion::Unchanged;
  switch (conversion) {
    case GpsConversion::Unchanged:
      north = PlainNumber(northText);
      east = PlainNumber(eastText);
      height = PlainNumber(heightText);
      break;
    case GpsConversion::Converted:
      east = FormatNumber(kGridDecimals, grid.a);
      north = FormatNumber(kGridDecimals, grid.b);
      if (!heightText.empty()) height = FormatNumber(kGridDecimals, grid.c);
      break;
    case GpsConversion::Failed:
      return false;
  }
  p.Y = geraete_.ApplyOffset(east, kOffsetAddX);
  p.X = geraete_.ApplyOffset(north, kOffsetAddY);
  p.Hoehe = height;
  return true;
}

void TdmRW5::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  TPunkt& p = Daten.Punkt;
  if (converted_.Take(Daten.Konstanten.Zeile, S, p)) return;
  if (!PointOf(Record(S), p)) p.X = p.Y = p.Hoehe = "";
}

void TdmRW5::PunktStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmRW5::StationenStatistik(const std::string&, TTransferStatistik& State) { ++State.Stationen; }

// ---- Writing ----------------------------------------------------------------------

// N takes X and E takes Y, as they are read.
std::string TdmRW5::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  const auto north = Written(geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY), kPlanDecimals);
  const auto east = Written(geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX), kPlanDecimals);
  const auto height = Written(p.Hoehe, kHeightDecimals);
  const std::string point = UpperAscii(TrimBlanks(p.Punktnummer));
  if (!north || !east || !height || point.find_first_of(",\r\n") != std::string::npos) return kWriteError;
  const std::string code = geraete_.AnsiToOemText(p.Code1);
  if (code.find_first_of("\r\n") != std::string::npos) return kWriteError;
  return "OC,PN" + point + ",N " + *north + ",E " + *east + ",EL" + *height + ",--" + code + "\r\n";
}

// ---- Catalogue handlers -------------------------------------------------------------

std::string TdmRW5::RW5Format(const std::string& S, const std::string& Buf) {
  if (!format_) return {};
  return RecogniseFormatLine(geraete_, *format_, kFormatName, S, Buf,
                             [&S](const std::string&) { return Rw5LineKind(S); });
}

TTransferDatenart TdmRW5::RW5GetDatenart(std::string& S) {
  if (format_) format_->MoreLine = false;
  const TTransferDatenart kind = Rw5LineKind(S);
  const int number = ConvertedLineNumber();
  if (kind != tdaKoordinate || number == 0 || !StartsWith(S, "GPS,") || !GpsConversionActive()) return kind;
  TPunkt& p = converted_.Start();
  p.Kommentar.clear();
  if (!PointOf(Record(S), p)) {
    AddLineError(kTextGpsConversion, number, S);
    return tdaNone;
  }
  converted_.Keep(number - 1, S);
  return kind;
}

std::string TdmRW5::RW5SetTDA(TTransferDatenart kind) {
  return format_ ? SelectKind(*format_, *this, kind) : std::string();
}

}  // namespace veltro
