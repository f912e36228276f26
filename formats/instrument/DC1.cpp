#include "formats/instrument/DC1.h"

#include <initializer_list>
#include <string_view>
#include <vector>

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/InstrumentenModul.h"
#include "instruments/LibraryBinding.h"

namespace veltro {
namespace {

constexpr const char* kFormatName = "DC1";
constexpr const char* kCoordinateTag = "kDC1";
constexpr char kSeparator = ':';
constexpr int kCoordinateParts = 3;    // a coordinate line has more
constexpr int kValueDecimals = 4;      // heights, temperature, pressure, ppm, prism
constexpr int kHeightDecimals = 3;     // coordinate heights
constexpr int kNumberWidth = 4;        // record number before the record type
constexpr int kValueWidth = 12;        // sign apart
constexpr size_t kJobNameLength = 15;  // header of an upload
constexpr int kEndMarkPauseMs = 2000;  // before the end mark of a cut send
constexpr std::uint16_t kObservationFlags = 0x0060;
constexpr std::uint16_t kDistanceFlag = 0x0080;

const std::initializer_list<std::string_view> kStationKeys = {"STA", "STS", "STC", "INH", "TMP", "PRS", "PPM", "PSM"};
const std::initializer_list<std::string_view> kPointKeys = {"PPT", "PPD", "PPC", "PFH", "PPH", "RTH", "RTV", "RTD"};

std::string Key(const std::string& line) { return TrimBlanks(line.substr(0, line.find(kSeparator))); }

std::string Value(const std::string& line) {
  const size_t at = line.find(kSeparator);
  return at == std::string::npos ? std::string() : TrimBlanks(RemoveLineEnds(line.substr(at + 1)));
}

bool IsKey(const std::string& key, std::initializer_list<std::string_view> keys) {
  for (std::string_view k : keys)
    if (key == k) return true;
  return false;
}

std::string Number(const std::string& value, int decimals) {
  return value.empty() ? value : FormatDecimalText(value, decimals).value_or(value);
}

// Walks a group from the current line: each line of a key of the group
// goes to take(key, value); the group ends before a line of another key,
// before the next group's first line and at the last line.
template <class Take>
void ReadGroup(TDaten& Daten, const std::string& S, std::initializer_list<std::string_view> keys, Take&& take) {
  Daten.Konstanten.Originalzeilen = S;
  take(Key(S), Value(S));
  const std::string first(*keys.begin());
  while (const std::string* next = NextLine(Daten)) {
    const std::string key = Key(*next);
    if (key == first || !IsKey(key, keys)) break;
    const std::string line = ConsumeNextLine(Daten);
    take(key, Value(line));
  }
}

// "+" or "-" and the absolute value with 3 decimals, zero-padded.
std::optional<std::string> SignedField(const std::string& value) {
  std::optional<std::string> text = FormatDecimalText(TrimBlanks(value), kHeightDecimals);
  if (!text) return text;
  const bool negative = (*text)[0] == '-';
  if (negative) text->erase(0, 1);
  if (static_cast<int>(text->size()) > kValueWidth) return std::nullopt;
  return (negative ? "-" : "+") + PadLeft(*text, '0', kValueWidth);
}

std::string BaseName(const std::string& path) {
  std::string name = path.substr(path.find_last_of("/\\") + 1);
  if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

TTransferDatenart Dc1LineKind(const std::string& tag, const std::string& line) {
  if (tag == kCoordinateTag)
    return TokenCount(RemoveLineEnds(line), kSeparator) > kCoordinateParts ? tdaKoordinate : tdaNone;
  const std::string key = Key(line);
  if (key == "STL") return tdaInformation;
  if (key == "STA") return tdaStation;
  if (key == "PPT") return tdaNeupunkt;
  return tdaNone;
}

TdmDC1::TdmDC1(TGeraete& geraete) : TDataModule("dmDC1"), geraete_(geraete), format_(geraete.Format(kFormatName)) {
  Koordinaten = AddFormatComponent(*this, "Koordinaten", tdaKoordinate, &TdmDC1::KoordinatenRead,
                                   &TdmDC1::KoordinatenWrite, &TdmDC1::KoordinatenStatistik);
  Informationen = AddFormatComponent(*this, "Informationen", tdaInformation, &TdmDC1::InformationenRead);
  Stationen =
      AddFormatComponent(*this, "Stationen", tdaStation, &TdmDC1::StationenRead, nullptr, &TdmDC1::StationenStatistik);
  Neupunkte =
      AddFormatComponent(*this, "Neupunkte", tdaNeupunkt, &TdmDC1::NeupunkteRead, nullptr, &TdmDC1::NeupunkteStatistik);
  if (!format_) return;
  format_->Informationen = {"%s:%s"};
  format_->Stationspunkt = {"%s:%s"};
  format_->Detailpunkt = {"%s:%s"};
  format_->Koordinaten = "%s:%s:%s:%s:%s:%s";
  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return DC1Format(S, Buf); };
  h.OnSetup = [&geraete] { geraete.DefaultSetup(); };
  h.OnInitWrite = [this] { DC1InitWrite(); };
  h.OnAfterWrite = [this] { DC1AfterWrite(); };
  h.OnGetDatenart = [this](std::string& S) { return DC1GetDatenart(S); };
  h.OnSetTDA = [this](TTransferDatenart kind) { return DC1SetTDA(kind); };
  geraete.BindFormatHandlers(kFormatName, h);
}

TdmDC1::~TdmDC1() {
  if (format_) UnbindFormatHandlers(*format_, *this);
}

// ---- Reading ----------------------------------------------------------------------

void TdmDC1::InformationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (Key(S) == "STL") Daten.Info.Projekt = Value(S);
}

void TdmDC1::StationenRead(const std::string& S, TDaten& Daten) {
  ppm_ = prism_ = "0";
  TStation& s = Daten.Station;
  ReadGroup(Daten, S, kStationKeys, [&](const std::string& key, const std::string& value) {
    if (key == "STS")
      s.Punktnummer = value;
    else if (key == "STC")
      s.Code = value;
    else if (key == "INH")
      s.Instrumentenhoehe = Number(value, kValueDecimals);
    else if (key == "TMP")
      s.Temperatur = Number(value, kValueDecimals);
    else if (key == "PRS")
      s.Luftdruck = Number(value, kValueDecimals);
    else if (key == "PPM")
      ppm_ = Number(value, kValueDecimals);
    else if (key == "PSM")
      prism_ = Number(value, kValueDecimals);
  });
}

void TdmDC1::NeupunkteRead(const std::string& S, TDaten& Daten) {
  TPunkt& p = Daten.Punkt;
  ReadGroup(Daten, S, kPointKeys, [&](const std::string& key, const std::string& value) {
    if (key == "PPD")
      p.Punktnummer = value;
    else if (key == "PPC")
      p.Code1 = value;
    else if (key == "PFH" || key == "PPH")
      p.Reflektorhoehe = Number(value, kValueDecimals);
    else if (key == "RTH")
      p.Horizontalwinkel = value;
    else if (key == "RTV")
      p.Vertikalwinkel = value;
    else if (key == "RTD")
      p.Schraegdistanz = value;
  });
  p.Prismenkonstante = prism_;
  p.Atmosphaerenkorrektur = ppm_;
  p.Messflags = kObservationFlags | (p.Schraegdistanz.empty() ? 0 : kDistanceFlag);
}

void TdmDC1::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  std::vector<std::string> f = SplitFields(RemoveLineEnds(S), kSeparator);
  f.resize(5);
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfKoordinaten;
  p.Punktnummer = TrimBlanks(f[1]);
  p.Y = geraete_.ApplyOffset(PlainNumber(f[2]), kOffsetAddX);
  p.X = geraete_.ApplyOffset(PlainNumber(f[3]), kOffsetAddY);
  p.Hoehe = Number(TrimBlanks(f[4]), kHeightDecimals);
}

void TdmDC1::KoordinatenStatistik(const std::string& S, TTransferStatistik& State) {
  if (TokenCount(RemoveLineEnds(S), kSeparator) > kCoordinateParts) CountPoint(State);
}
void TdmDC1::StationenStatistik(const std::string&, TTransferStatistik& State) { ++State.Stationen; }
void TdmDC1::NeupunkteStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

// ---- Writing ----------------------------------------------------------------------

std::string TdmDC1::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  const std::string point = TrimBlanks(p.Punktnummer);
  const auto y = SignedField(geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX));
  const auto x = SignedField(geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY));
  const auto h = SignedField(p.Hoehe);
  if (point.empty() || point.find_first_of(":\r\n") != std::string::npos || !y || !x || !h) return kWriteError;
  const std::string number = PadLeft(std::to_string(Daten.Konstanten.Zeile + 2), '0', kNumberWidth) + "2";
  return number + ":" + point + ":" + *y + ":" + *x + ":" + *h + ":\r\n";
}

// ---- Catalogue handlers -------------------------------------------------------------

std::string TdmDC1::DC1Format(const std::string& S, const std::string& Buf) {
  if (!format_) return {};
  return RecogniseFormatLine(geraete_, *format_, kFormatName, S, Buf,
                             [&S](const std::string& tag) { return Dc1LineKind(tag, S); });
}

TTransferDatenart TdmDC1::DC1GetDatenart(std::string& S) { return Dc1LineKind(CurrentTransfer().FormatTag, S); }

std::string TdmDC1::DC1SetTDA(TTransferDatenart kind) {
  return format_ ? SelectKind(*format_, *this, kind) : std::string();
}

void TdmDC1::DC1InitWrite() {
  const TDatenformatDefinitionen* office = FindActiveFormat();
  TransferState& t = CurrentTransfer();
  if (office && office->Name == "Editor") {
    t.ReceivedLines.push_back("00011:DEFAULT:");
  } else if (!OfficeIsPassThrough() && format_ && format_->TransferDatenart == tdaKoordinate) {
    t.ReceivedLines.push_back(UpperAscii("00011:" + BaseName(t.InputFileName).substr(0, kJobNameLength) + ":"));
  }
}

void TdmDC1::DC1AfterWrite() {
  const TransferState& t = CurrentTransfer();
  if (t.Daten.Konstanten.Zeile < 0 || static_cast<size_t>(t.Daten.Konstanten.Zeile) >= t.ReceivedLines.size()) return;
  WaitMilliseconds(kEndMarkPauseMs);
  WriteLineToInstrument("\x04");
}

}  // namespace veltro
