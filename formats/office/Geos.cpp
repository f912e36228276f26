#include "formats/office/Geos.h"

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr const char* kKlasseLeer = "1";  // the page's class when the field is empty
constexpr const char* kVerschiebungLeer = "0.000";
constexpr double kFaceTolerance = 5.0;  // gon

// Columns (from 1) of an observation line.
constexpr size_t kStationColumn = 3;
constexpr size_t kTargetColumn = 20;
constexpr size_t kNumberWidth = 12;
constexpr size_t kFaceColumn = 72;
constexpr size_t kFaceWidth = 8;
constexpr std::string_view kKoordinatenPrefix = "PT ";

// Instruments that deliver no temperature and pressure.
constexpr const char* kOhneMeteo[] = {"itGTS210", "itGPT1000"};

// Characters of line from column (1-based), never past its end.
std::string Columns(const std::string& line, size_t column, size_t width) {
  return column - 1 < line.size() ? line.substr(column - 1, width) : std::string();
}

std::string RightAligned(const std::string& text, size_t width) {
  return PadLeftBlanks(text.substr(0, width), static_cast<int>(width));
}

char PunktartLetter(const std::string& punktart) {
  if (punktart == "0") return 'P';
  if (punktart == "5") return 'S';
  if (punktart == "7") return 'X';
  if (punktart == "2") return 'F';
  if (punktart == "1") return 'K';
  return 'G';
}

bool InstrumentOhneMeteo() {
  TGeraete* g = Geraete();
  if (!g) return false;
  const TInstrument* current = nullptr;
  g->ForEach<TInstrument>([&](const TInstrument& i) {
    if (i.Active) current = &i;
  });
  if (!current) return false;
  for (const char* name : kOhneMeteo)
    if (current->Name == name) return true;
  return false;
}

}  // namespace

TdmGEOS::TdmGEOS(TDFD& dfd)
    : TdmOfficeFormat("dmGEOS", dfd, *dfd.Geos, Parts::Standard,
                      {.Punktnummer = 0, .Code1 = 2, .Y = 3, .X = 4, .Hoehe = 5}) {
  AddOption(kMutationsnummer, "1");
  AddOption(kKlasse, "");
  AddOption(kTemperatur, "20");
  AddOption(kLuftdruck, "1013");
  numericCodeLayout_ = def_.Koordinaten;
  if (size_t at = numericCodeLayout_.find("%-4.4s"); at != std::string::npos) numericCodeLayout_.erase(at + 1, 1);
  Attach();
}

std::optional<LayoutArgs> TdmGEOS::KoordinatenArgs(const TPunkt& p) {
  const std::string klasse = Option(kKlasse).empty() ? std::string(kKlasseLeer) : Option(kKlasse);
  return LayoutArgs{p.Punktnummer, klasse, p.Code1, p.Y, p.X, p.Hoehe};
}

// A numeric code stands right-aligned in its column.
const std::string& TdmGEOS::KoordinatenLayout(const TPunkt& p) const {
  return IsNumericText(p.Code1) ? numericCodeLayout_ : def_.Koordinaten;
}

std::string TdmGEOS::InformationenWrite(TDaten& Daten) {
  Daten.Info.Mutationsnummer = Option(kMutationsnummer);
  return {};
}

std::string TdmGEOS::StationenWrite(TDaten& Daten) {
  if (InstrumentOhneMeteo()) {
    Daten.Station.Temperatur = Option(kTemperatur);
    Daten.Station.Luftdruck = Option(kLuftdruck);
  }
  return {};
}

bool TdmGEOS::MergeSecondFace(const TDaten& Daten) const {
  const std::string station = RightAligned(Daten.Station.Punktnummer, kNumberWidth);
  const std::string target = RightAligned(Daten.Punkt.Punktnummer, kNumberWidth);
  const std::string& direction = Daten.Punkt.Horizontalwinkel;
  LineList& output = CurrentTransfer().OutputLines;
  for (size_t i = output.size(); i-- > 0;) {
    std::string line(output[i]);
    // The coordinate lines written after observations belong to them.
    if (line.compare(0, kKoordinatenPrefix.size(), kKoordinatenPrefix) == 0) continue;
    if (Columns(line, kStationColumn, kNumberWidth) != station) break;
    if (Columns(line, kTargetColumn, kNumberWidth) != target) continue;
    const std::string face = Columns(line, kFaceColumn, kFaceWidth);
    if (face.size() != kFaceWidth || !DirectionsWithin(face, direction, kFaceTolerance)) continue;
    auto text = Line("%8.4f", {direction});
    if (!text) return false;
    line.replace(kFaceColumn - 1, kFaceWidth, *text);
    output.Replace(i, line);
    return true;
  }
  return false;
}

std::string TdmGEOS::AnschlusspunkteWrite(TDaten& Daten) {
  if (MergeSecondFace(Daten)) return {};
  const TPunkt& p = Daten.Punkt;
  const TStation& s = Daten.Station;
  auto face = OppositeFace(p.Horizontalwinkel);
  if (!face) return kWriteError;
  auto line = Line(def_.Anschlusspunkt, 0,
                   {s.Punktnummer, p.Punktnummer, p.Horizontalwinkel, *face, s.Instrumentenhoehe, s.Temperatur,
                    s.Luftdruck, Daten.Info.Mutationsnummer});
  return line ? *line : std::string(kWriteError);
}

struct TdmGEOS::Variante {
  size_t layout;
  const std::string* distanz;
  const std::string* hoehe;
};

std::optional<TdmGEOS::Variante> TdmGEOS::NeupunktVariante(const TPunkt& p) {
  if (HasFlags(p.Messflags, mfHzVzSd)) return Variante{0, &p.Schraegdistanz, &p.Vertikalwinkel};
  if (HasFlags(p.Messflags, mfHzVzHd)) return Variante{1, &p.Horizontaldistanz, &p.Vertikalwinkel};
  if (HasFlags(p.Messflags, mfHzSdDh)) return Variante{2, &p.Schraegdistanz, &p.Vertikaldistanz};
  if (HasFlags(p.Messflags, mfHzHdDh)) return Variante{3, &p.Horizontaldistanz, &p.Vertikaldistanz};
  return std::nullopt;
}

// A merged observation writes nothing, its coordinates neither: they
// follow the line it was merged into.
std::string TdmGEOS::NeupunkteWrite(TDaten& Daten) {
  if (NeupunktVariante(Daten.Punkt) && MergeSecondFace(Daten)) return {};
  return TdmOfficeFormat::NeupunkteWrite(Daten);
}

std::string TdmGEOS::NeupunktBeobachtung(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  const auto v = NeupunktVariante(p);
  if (!v) return {};
  const size_t variant = v->layout;
  const std::string* distanz = v->distanz;
  const std::string* hoehe = v->hoehe;
  const TStation& s = Daten.Station;
  auto face = OppositeFace(p.Horizontalwinkel);
  if (!face) return kWriteError;
  auto line = Line(def_.Detailpunkt, variant,
                   {s.Punktnummer, std::string(1, PunktartLetter(p.Punktart)), p.Punktnummer, p.Code1,
                    p.Laengsverschiebung.empty() ? std::string(kVerschiebungLeer) : p.Laengsverschiebung, *distanz,
                    p.Querverschiebung.empty() ? std::string(kVerschiebungLeer) : p.Querverschiebung,
                    p.Horizontalwinkel, *face, *hoehe, s.Instrumentenhoehe, p.Reflektorhoehe, s.Temperatur,
                    s.Luftdruck, Daten.Info.Mutationsnummer});
  return line ? *line : std::string(kWriteError);
}

}  // namespace veltro
