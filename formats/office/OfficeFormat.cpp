#include "formats/office/OfficeFormat.h"

#include <algorithm>
#include <cmath>

#include "core/DecimalText.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

constexpr int kTextObservationsNotWritten = 890;  // %s format caption
constexpr double kFullCircle = 400.0;             // gon

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

TdmOfficeFormat::TdmOfficeFormat(const char* moduleName, TDFD& dfd, TDatenformatDefinitionen& definition,
                                 Parts parts, CoordinateFieldMap fields)
    : TDataModule(moduleName), dfd_(dfd), def_(definition), fields_(fields) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  if (parts == Parts::CoordinatesOnly) return;
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  AddMeasurementWriters(*this);
}

TdmOfficeFormat::~TdmOfficeFormat() { dfd_.DetachModule(def_); }

void TdmOfficeFormat::Attach(OfficeModuleHooks hooks) {
  if (!hooks.isKoordinate) hooks.isKoordinate = [this](const std::string& line) { return IsKoordinatenLine(line); };
  dfd_.AttachModule(def_, *this, std::move(hooks));
}

bool TdmOfficeFormat::IsKoordinatenLine(const std::string& line) const {
  if (!FitsLayout(TestLayout(), line)) return false;
  const std::vector<std::string> f = CutFields(def_.Koordinaten, line);
  auto number = [&f](int index) {
    const std::string text = TrimBlanks(FieldOf(f, index));
    return !text.empty() && !IsNoValue(ParseNumber(text));
  };
  return number(fields_.Y) && number(fields_.X);
}

void TdmOfficeFormat::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const std::vector<std::string> f = CutFields(def_.Koordinaten, S);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = FieldOf(f, fields_.Punktnummer);
  p.Code1 = FieldOf(f, fields_.Code1);
  p.Y = FieldOf(f, fields_.Y);
  p.X = FieldOf(f, fields_.X);
  p.Hoehe = FieldOf(f, fields_.Hoehe);
  p.Kommentar = FieldOf(f, fields_.Kommentar);
}

std::string TdmOfficeFormat::KoordinatenWrite(TDaten& Daten) {
  if (punktnummerBreite_ > 0 && Daten.Punkt.Punktnummer.size() > punktnummerBreite_) return kWriteError;
  auto args = KoordinatenArgs(Daten.Punkt);
  if (!args) return kWriteError;
  auto line = Line(KoordinatenLayout(Daten.Punkt), *args);
  return line && IsKoordinatenLine(*line) ? *line : std::string(kWriteError);
}

void TdmOfficeFormat::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

std::string TdmOfficeFormat::NeupunkteWrite(TDaten& Daten) {
  std::string text = NeupunktBeobachtung(Daten);
  if (text == kWriteError || !HasFlags(Daten.Punkt.Messflags, mfKoordinaten)) return text;
  std::string coordinates = KoordinatenWrite(Daten);
  if (coordinates == kWriteError) return coordinates;
  return text.empty() ? coordinates : text + "\r\n" + coordinates;
}

std::string TdmOfficeFormat::AnschlusspunkteWrite(TDaten& Daten) {
  return ohneBeobachtungen_ ? ObservationsNotWritten(Daten.Punkt) : std::string();
}

std::string TdmOfficeFormat::NeupunktBeobachtung(TDaten& Daten) { return AnschlusspunkteWrite(Daten); }

std::optional<std::string> TdmOfficeFormat::Line(const std::string& layout, const LayoutArgs& args) {
  return FormatLayoutInColumns(layout, args);
}

std::optional<std::string> TdmOfficeFormat::Line(const TStringList& layouts, size_t index, const LayoutArgs& args) {
  if (index >= layouts.size()) return std::nullopt;
  return Line(layouts[index], args);
}

std::string TdmOfficeFormat::ObservationsNotWritten(const TPunkt& p) const {
  if (!HasObservation(p)) return {};
  TextLines& messages = CurrentTransfer().Messages;
  const std::string note = FormatText(GetText(kTextObservationsNotWritten), {def_.Caption});
  if (std::find(messages.begin(), messages.end(), note) == messages.end()) messages.push_back(note);
  return {};
}

// ---- Options ------------------------------------------------------------------------

void TdmOfficeFormat::AddOption(std::string name, std::string value) {
  options_.push_back({std::move(name), std::move(value)});
}

std::string OptionValue(const std::vector<OfficeOption>& options, const std::string& name) {
  for (const OfficeOption& o : options)
    if (SameName(o.Name, name)) return o.Value;
  return {};
}

bool SetOptionValue(std::vector<OfficeOption>& options, const std::string& name, const std::string& value) {
  for (OfficeOption& o : options) {
    if (SameName(o.Name, name)) {
      o.Value = value;
      return true;
    }
  }
  return false;
}

std::string TdmOfficeFormat::Option(const std::string& name) const { return OptionValue(options_, name); }

bool TdmOfficeFormat::SetOption(const std::string& name, const std::string& value) {
  return SetOptionValue(options_, name, value);
}

void TdmOfficeFormat::ReadOptions() {
  for (const OfficeOption& o : std::vector<OfficeOption>(options_))
    SetOption(o.Name, ReadRegString(RegistryRoot::CurrentUser, ConfigPath(o.Name), o.Value));
}

// ---- Shared rules ---------------------------------------------------------------------

bool HasObservation(const TPunkt& p) {
  constexpr std::uint16_t observed =
      mfHorizontalwinkel | mfVertikalwinkel | mfSchraegdistanz | mfHorizontaldistanz | mfVertikaldistanz;
  return (p.Messflags & observed) != 0;
}

std::string FieldOf(const std::vector<std::string>& fields, int index) {
  return index >= 0 && static_cast<size_t>(index) < fields.size() ? fields[static_cast<size_t>(index)]
                                                                   : std::string();
}

std::optional<std::string> ThreeDecimals(const std::string& value) { return FormatDecimalText(value, 3); }

std::optional<std::string> OppositeFace(const std::string& direction) {
  auto value = ParseDecimal(direction);
  if (!value) return std::nullopt;
  const DecimalNumber half{false, "200", 0};
  const DecimalNumber full{false, "400", 0};
  DecimalNumber sum = AddDecimal(*value, half);
  if (DecimalNumber rest = SubtractDecimal(sum, full); !rest.negative) sum = rest;
  return FormatDecimal(sum, std::max(value->scale, 0));
}

bool DirectionsWithin(const std::string& a, const std::string& b, double tolerance) {
  const double x = ParseNumber(a), y = ParseNumber(b);
  if (IsNoValue(x) || IsNoValue(y)) return false;
  double d = std::fmod(std::fabs(x - y), kFullCircle);
  d = std::min(d, kFullCircle - d);
  return d < tolerance;
}

PlanPoint SplitPlanPoint(const std::string& punktnummer, const std::string& optionPlan, size_t pointLength) {
  if (punktnummer.size() > pointLength)
    return {punktnummer.substr(0, punktnummer.size() - pointLength), punktnummer.substr(punktnummer.size() - pointLength)};
  return {optionPlan, punktnummer};
}

std::string JoinPlanPoint(const std::string& plan, const std::string& point, size_t pointLength) {
  return plan + PadLeft(TrimBlanks(point), '0', static_cast<int>(pointLength));
}

}  // namespace veltro
