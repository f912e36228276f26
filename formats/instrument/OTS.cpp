#include "formats/instrument/OTS.h"

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr const char* kFormatName = "OTS";
constexpr size_t kPointWidth = 6;
constexpr int kLengthDecimals = 3;  // implied in coordinates, heights, distances
constexpr int kAngleDecimals = 4;   // implied in angles
constexpr const char* kValuePicture =
    "\xB1"
    "999999.999";

// Layouts of the record kinds; the 11 blanks and control bytes end a line.
const std::string kTail = "           ";
const std::string kStation = "ST %6.6s %10.10s %10.10s %10.10s %10.10s" + kTail + "\x01\x03";
const std::string kBacksight = "BS %6.6s %10.10s %10.10s" + kTail + "\x03";
const std::string kObservation = "SA %6.6s %8.8s %8.8s %8.8s %8.8s" + kTail + "\x03";
const std::string kCoordinate = "SD %6.6s %10.10s %10.10s %10.10s %10.10s" + kTail + "\x01\x03";

bool StartsWith(const std::string& s, const char* p) { return s.compare(0, 3, p) == 0; }

// A field of implied decimals as a decimal text; a field that is no integer
// is kept as it stands.
std::string Implied(const std::string& field, int decimals) {
  if (field.empty()) return field;
  const std::string scaled = ScaleNumber(field, -decimals);
  return scaled.empty() ? field : scaled;
}

}  // namespace

TTransferDatenart OtsLineKind(const std::string& line) {
  if (StartsWith(line, "SD ")) return tdaKoordinate;
  if (StartsWith(line, "ST ")) return tdaStation;
  if (StartsWith(line, "BS ")) return tdaAnschlusspunkt;
  if (StartsWith(line, "SA ")) return tdaNeupunkt;
  return tdaNone;
}

std::string OtsPointNumber(const std::string& field) {
  const std::string text = TrimBlanks(field);
  const size_t first = text.find_first_not_of('0');
  if (first == std::string::npos) return text.empty() ? text : "0";
  return text.substr(first);
}

TdmOTS::TdmOTS(TGeraete& geraete) : TDataModule("dmOTS"), geraete_(geraete), format_(geraete.Format(kFormatName)) {
  Koordinaten = AddFormatComponent(*this, "Koordinaten", tdaKoordinate, &TdmOTS::KoordinatenRead,
                                   &TdmOTS::KoordinatenWrite, &TdmOTS::PunktStatistik);
  Stationen =
      AddFormatComponent(*this, "Stationen", tdaStation, &TdmOTS::StationenRead, nullptr, &TdmOTS::StationenStatistik);
  Anschlusspunkte = AddFormatComponent(*this, "Anschlusspunkte", tdaAnschlusspunkt, &TdmOTS::AnschlusspunkteRead,
                                       nullptr, &TdmOTS::PunktStatistik);
  Neupunkte =
      AddFormatComponent(*this, "Neupunkte", tdaNeupunkt, &TdmOTS::NeupunkteRead, nullptr, &TdmOTS::PunktStatistik);
  if (!format_) return;
  format_->Stationspunkt = {kStation};
  format_->Anschlusspunkt = {kBacksight};
  format_->Detailpunkt = {kObservation};
  format_->Koordinaten = kCoordinate;
  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return OTSFormat(S, Buf); };
  h.OnSetup = [&geraete] { geraete.DefaultSetup(); };
  h.OnGetDatenart = [this](std::string& S) { return OTSGetDatenart(S); };
  h.OnSetTDA = [this](TTransferDatenart kind) { return OTSSetTDA(kind); };
  geraete.BindFormatHandlers(kFormatName, h);
}

TdmOTS::~TdmOTS() {
  if (format_) UnbindFormatHandlers(*format_, *this);
}

std::vector<std::string> TdmOTS::Fields(const std::string& layout, const std::string& S) {
  std::vector<std::string> f = CutFields(layout, RemoveLineEnds(S));
  f.resize(5);
  return f;
}

// ---- Reading ----------------------------------------------------------------------

void TdmOTS::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto f = Fields(kCoordinate, S);
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfKoordinaten;
  p.Punktnummer = OtsPointNumber(f[0]);
  p.X = geraete_.ApplyOffset(Implied(f[1], kLengthDecimals), kOffsetAddY);
  p.Y = geraete_.ApplyOffset(Implied(f[2], kLengthDecimals), kOffsetAddX);
  p.Hoehe = Implied(f[3], kLengthDecimals);
  p.Reflektorhoehe = Implied(f[4], kLengthDecimals);
}

void TdmOTS::StationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto f = Fields(kStation, S);
  TStation& s = Daten.Station;
  s.Punktnummer = OtsPointNumber(f[0]);
  s.X = geraete_.ApplyOffset(Implied(f[1], kLengthDecimals), kOffsetAddY);
  s.Y = geraete_.ApplyOffset(Implied(f[2], kLengthDecimals), kOffsetAddX);
  s.Hoehe = Implied(f[3], kLengthDecimals);
  s.Instrumentenhoehe = Implied(f[4], kLengthDecimals);
}

void TdmOTS::AnschlusspunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto f = Fields(kBacksight, S);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = OtsPointNumber(f[0]);
  p.X = geraete_.ApplyOffset(Implied(f[1], kLengthDecimals), kOffsetAddY);
  p.Y = geraete_.ApplyOffset(Implied(f[2], kLengthDecimals), kOffsetAddX);
}

void TdmOTS::NeupunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto f = Fields(kObservation, S);
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfHzVzSd;
  p.Punktnummer = OtsPointNumber(f[0]);
  p.Vertikalwinkel = Implied(f[1], kAngleDecimals);
  p.Horizontalwinkel = Implied(f[2], kAngleDecimals);
  p.Schraegdistanz = Implied(f[3], kLengthDecimals);
  p.Reflektorhoehe = Implied(f[4], kLengthDecimals);
}

void TdmOTS::PunktStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmOTS::StationenStatistik(const std::string&, TTransferStatistik& State) { ++State.Stationen; }

// ---- Writing ----------------------------------------------------------------------

std::string TdmOTS::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  const std::string point = TrimBlanks(p.Punktnummer);
  if (point.empty() || point.size() > kPointWidth || point.find_first_of(" \x01\x03") != std::string::npos)
    return kWriteError;
  const auto x = FormatPicture(geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY), kValuePicture);
  const auto y = FormatPicture(geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX), kValuePicture);
  const auto h = FormatPicture(TrimBlanks(p.Hoehe), kValuePicture);
  const auto zero = FormatPicture("0", kValuePicture);
  if (!x || !y || !h || !zero) return kWriteError;
  return "SD " + PadLeft(point, '0', kPointWidth) + " " + *x + " " + *y + " " + *h + " " + *zero + kTail +
         "\x01\x03\r\n";
}

// ---- Catalogue handlers -------------------------------------------------------------

std::string TdmOTS::OTSFormat(const std::string& S, const std::string& Buf) {
  if (!format_) return {};
  return RecogniseFormatLine(geraete_, *format_, kFormatName, S, Buf,
                             [&S](const std::string&) { return OtsLineKind(S); });
}

TTransferDatenart TdmOTS::OTSGetDatenart(std::string& S) { return OtsLineKind(S); }

std::string TdmOTS::OTSSetTDA(TTransferDatenart kind) {
  return format_ ? SelectKind(*format_, *this, kind) : std::string();
}

}  // namespace veltro
