#include "formats/office/GisFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/DecimalText.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "instruments/CoordinateSystem.h"
#include "platform/CodePage1252.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"

namespace veltro {
namespace {

constexpr int kTextObservationsNotWritten = 890;  // %s caption
constexpr int kTextNeedsSystem = 875;             // %s caption
constexpr int kTextNotInCodePage = 884;           // %s caption, %s line, %s character
constexpr int kTextNotANumber = 877;              // %s caption, %s line, %s value
constexpr int kTextNotConverted = 889;            // %s caption, %s line or point
constexpr int kTextNoPoint = 888;                 // %s caption

constexpr char kLineMark = '\x1E';
constexpr char kFieldMark = '\x1F';
constexpr int kAngleDecimals = 9;   // degrees; 1e-9 degree is about 0.1 mm
constexpr int kHeightDecimals = 3;  // metres
constexpr int kGridDecimals = 3;    // metres, after a geographic conversion


// A field of the point line holds neither mark nor line break.
std::string Clean(const std::string& value) {
  std::string out = value;
  for (char& c : out)
    if (c == kLineMark || c == kFieldMark || c == '\r' || c == '\n') c = ' ';
  return out;
}

std::string Fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string text = buf;
  if (text.rfind("-0.", 0) == 0 && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

// The UTF-8 character at `at`: its length and its code point as "U+XXXX"
// (the note is code page text, which cannot show it).
std::string CodePointAt(const std::string& text, size_t at, size_t& length) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  length = std::min(length, text.size() - at);
  unsigned long code = length == 1 ? c : c & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04lX", code);
  return buf;
}

}  // namespace

// ---- Point lines -------------------------------------------------------------------

std::string GisPointLine(const GisPoint& p) {
  std::string line(1, kLineMark);
  for (const std::string* f : {&p.Punktnummer, &p.Code1, &p.Y, &p.X, &p.Hoehe, &p.Kommentar}) {
    if (f != &p.Punktnummer) line += kFieldMark;
    line += Clean(*f);
  }
  return line;
}

bool IsGisPointLine(const std::string& line) { return !line.empty() && line[0] == kLineMark; }

GisPoint ParseGisPointLine(const std::string& line) {
  GisPoint p;
  std::string* fields[] = {&p.Punktnummer, &p.Code1, &p.Y, &p.X, &p.Hoehe, &p.Kommentar};
  size_t at = IsGisPointLine(line) ? 1 : 0;
  for (std::string* f : fields) {
    if (at > line.size()) break;
    size_t end = line.find(kFieldMark, at);
    if (end == std::string::npos) end = line.size();
    *f = line.substr(at, end - at);
    at = end + 1;
  }
  return p;
}

std::optional<std::string> NormalNumber(const std::string& text) {
  auto number = ParseDecimal(TrimBlanks(text));
  if (!number) return std::nullopt;
  return FormatDecimal(*number, std::max(number->scale, 0));
}

std::optional<std::string> GisNumber(const std::string& text, bool decimalComma) {
  std::string t = TrimBlanks(text);
  if (decimalComma && t.find('.') == std::string::npos && CountChar(t, ',') == 1) std::replace(t.begin(), t.end(), ',', '.');
  if (t.empty() || t.find_first_not_of("+-.0123456789eE") != std::string::npos) return std::nullopt;
  if (t.find_first_of("eE") != std::string::npos) {
    // Exponent forms (GIS tools write them for small values): the value
    // with as many decimals as it needs, up to 0.1 mm.
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (!end || *end != '\0' || !std::isfinite(v)) return std::nullopt;
    std::string s = Fixed(v, 4);
    while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
      const bool point = s.back() == '.';
      s.pop_back();
      if (point) break;
    }
    return s;
  }
  return NormalNumber(t);
}

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
    i += n;
  }
  return true;
}

std::optional<GisPoint> GridPoint(const TPunkt& p) {
  auto y = NormalNumber(p.Y);
  auto x = NormalNumber(p.X);
  if (!y || !x) return std::nullopt;
  GisPoint g{p.Punktnummer, p.Code1, *y, *x, {}, p.Kommentar};
  if (!TrimBlanks(p.Hoehe).empty()) {
    auto h = NormalNumber(p.Hoehe);
    if (!h) return std::nullopt;
    g.Hoehe = *h;
  }
  return g;
}

// ---- Module ---------------------------------------------------------------------------

TdmGisFormat::TdmGisFormat(const char* moduleName, TDFD& dfd, TDatenformatDefinitionen& definition)
    : TDataModule(moduleName), dfd_(dfd), def_(definition) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  AddMeasurementWriters(*this);

  OfficeModuleHooks hooks;
  hooks.isKoordinateIn = [this](const std::string& line, const std::string& text) { return IsKoordinate(line, text); };
  hooks.beforeLoad = [this](bool) { BeforeLoad(); };
  hooks.transform = [this](std::string& S) { return Transform(S); };
  hooks.beforeSave = [this] { BeforeSave(); };
  hooks.afterSave = [this] { AfterSave(); };
  dfd.AttachModule(def_, *this, std::move(hooks));
}

TdmGisFormat::~TdmGisFormat() { dfd_.DetachModule(def_); }

void TdmGisFormat::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  GisPoint g = ParseGisPointLine(S);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = std::move(g.Punktnummer);
  p.Code1 = std::move(g.Code1);
  p.Y = std::move(g.Y);
  p.X = std::move(g.X);
  p.Hoehe = std::move(g.Hoehe);
  p.Kommentar = std::move(g.Kommentar);
}

void TdmGisFormat::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

std::string TdmGisFormat::KoordinatenWrite(TDaten& Daten) {
  auto g = GridPoint(Daten.Punkt);
  return g ? PointElement(*g) : std::string(kWriteError);
}

std::string TdmGisFormat::AnschlusspunkteWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  constexpr std::uint16_t observed =
      mfHorizontalwinkel | mfVertikalwinkel | mfSchraegdistanz | mfHorizontaldistanz | mfVertikaldistanz;
  if (p.Messflags & observed) {
    TextLines& messages = CurrentTransfer().Messages;
    const std::string note = FormatText(GetText(kTextObservationsNotWritten), {def_.Caption});
    if (std::find(messages.begin(), messages.end(), note) == messages.end()) messages.push_back(note);
  }
  return HasFlags(p.Messflags, mfKoordinaten) ? KoordinatenWrite(Daten) : std::string();
}

std::string TdmGisFormat::NeupunkteWrite(TDaten& Daten) { return AnschlusspunkteWrite(Daten); }

bool TdmGisFormat::IsKoordinate(const std::string& line, const std::string& text) const {
  if (IsGisPointLine(line)) return true;
  // Recognition of a loaded source: its first characters.
  return !CurrentTransfer().ActiveLines && IsDocument(text);
}

bool TdmGisFormat::NeedsCoordinateSystem() const { return Geographic(); }

// The coordinate system is made ready from the settings, as for a GPS
// transfer; a geographic format without one stops here.
static bool CoordinateSystemReady() {
  TCoordinateSystem* cs = ActiveCoordinateSystem();
  if (!cs || cs->Disabled()) return false;
  return cs->ActivateFromSettings() == TCoordinateSystem::State::Usable;
}

void TdmGisFormat::BeforeLoad() {
  TransferState& t = CurrentTransfer();
  pending_.clear();
  next_ = 0;
  // The file's own bytes: the line list has lost its line ends and any
  // encoding of more than one byte per character.
  ready_ = 0;
  if (ParsesLines()) {
    ParseLines(t.InputLines);
    t.InputLines.clear();
    Finish();
    return;
  }
  // The lines go first, so that the file is not held twice.
  std::string bytes;
  if (!t.InputFileName.empty() && FileExists(t.InputFileName)) t.InputLines.clear();
  if (t.InputFileName.empty() || !LoadFileBytes(t.InputFileName, bytes)) {
    for (std::string_view line : t.InputLines) {
      bytes += line;
      bytes += "\r\n";
    }
  }
  t.InputLines.clear();
  Read(bytes);
}

void TdmGisFormat::Read(const std::string& bytes) {
  document_ = &bytes;
  newlines_.clear();
  ready_ = 0;
  Parse(bytes);
  document_ = nullptr;
  std::vector<size_t>().swap(newlines_);
  Finish();
}

std::vector<GisPoint> TdmGisFormat::ReadDocument(const std::string& bytes) {
  pending_.clear();
  next_ = 0;
  Read(bytes);
  std::vector<GisPoint> points;
  for (const std::string& line : pending_) points.push_back(ParseGisPointLine(line));
  std::vector<std::string>().swap(pending_);
  return points;
}

void TdmGisFormat::Finish() {
  if (ready_ < 0)
    pending_.clear();
  else if (pending_.empty())
    Note(kTextNoPoint);
}

bool TdmGisFormat::Transform(std::string& S) {
  if (next_ >= pending_.size()) {
    std::vector<std::string>().swap(pending_);
    next_ = 0;
    return false;
  }
  S = std::move(pending_[next_++]);
  return true;
}

void TdmGisFormat::BeforeSave() {
  TransferState& t = CurrentTransfer();
  refused_ = false;
  if (NeedsCoordinateSystem() && !CoordinateSystemReady()) {
    ShowMessageBox(FormatText(GetText(kTextNeedsSystem), {def_.Caption}), kMsgError, kBtnOk);
    t.StopFlag = true;
    refused_ = true;
    return;
  }
  t.OutputLines = LineList(Head());
  bodyStart_ = t.OutputLines.size();
}

void TdmGisFormat::AfterSave() {
  TransferState& t = CurrentTransfer();
  if (refused_) {
    t.OutputLines.clear();
    return;
  }
  FinishBody(t.OutputLines, std::min(bodyStart_, t.OutputLines.size()));
  for (std::string& line : Tail()) t.OutputLines.push_back(std::move(line));
}

void TdmGisFormat::FinishBody(LineList&, size_t) {}

// ---- Helpers --------------------------------------------------------------------------

std::string TdmGisFormat::StationPointElement(const TStation& s) {
  if (TrimBlanks(s.Y).empty() && TrimBlanks(s.X).empty()) return {};
  TPunkt p;
  p.Punktnummer = s.Punktnummer;
  p.Code1 = s.Code;
  p.Y = s.Y;
  p.X = s.X;
  p.Hoehe = s.Hoehe;
  auto g = GridPoint(p);
  return g ? PointElement(*g) : std::string(kWriteError);
}

std::string TdmGisFormat::ToUtf8(const std::string& text) { return AnsiToUtf8(text); }

std::string TdmGisFormat::FromUtf8(const std::string& text, const std::string& where) {
  std::string out;
  if (Utf8ToAnsiExact(text, out)) return out;
  // Name the first character the code page lacks.
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) continue;
    size_t length = 1;
    const std::string code = CodePointAt(text, i, length);
    std::string one;
    if (!Utf8ToAnsiExact(text.substr(i, length), one)) {
      Note(kTextNotInCodePage, where, code);
      break;
    }
    i += length - 1;
  }
  return Utf8ToAnsi(text);
}

void TdmGisFormat::Note(int textNumber, const std::string& a, const std::string& b) {
  CurrentTransfer().Messages.push_back(FormatText(GetText(textNumber), {def_.Caption, a, b}));
}

std::optional<TdmGisFormat::Geo> TdmGisFormat::ToGeographic(const GisPoint& p) {
  TCoordinateSystem* cs = ActiveCoordinateSystem();
  const wgsxyz::Triple grid{ParseNumber(p.Y), ParseNumber(p.X), p.Hoehe.empty() ? 0.0 : ParseNumber(p.Hoehe)};
  wgsxyz::Triple geo;
  if (!cs || !cs->ToGeographic(wgsxyz::kModeDegrees, grid, geo)) {
    Note(kTextNotConverted, p.Punktnummer);
    return std::nullopt;
  }
  Geo g{Fixed(geo.a, kAngleDecimals), Fixed(geo.b, kAngleDecimals), {}};
  if (!p.Hoehe.empty()) g.height = Fixed(geo.c, kHeightDecimals);
  return g;
}

bool TdmGisFormat::GeographicReady() {
  if (ready_ == 0) {
    ready_ = CoordinateSystemReady() ? 1 : -1;
    if (ready_ < 0) {
      ShowMessageBox(FormatText(GetText(kTextNeedsSystem), {def_.Caption}), kMsgError, kBtnOk);
      CurrentTransfer().StopFlag = true;
    }
  }
  return ready_ > 0;
}

bool TdmGisFormat::FromGeographic(const std::string& lon, const std::string& lat, const std::string& height,
                                  const std::string& where, GisPoint& p) {
  if (!GeographicReady()) return false;
  for (const std::string* v : {&lon, &lat, &height}) {
    if (v == &height && TrimBlanks(height).empty()) continue;
    if (!GisNumber(*v)) {
      Note(kTextNotANumber, where, *v);
      return false;
    }
  }
  const bool hasHeight = !TrimBlanks(height).empty();
  const wgsxyz::Triple geo{std::strtod(lon.c_str(), nullptr), std::strtod(lat.c_str(), nullptr),
                           hasHeight ? std::strtod(height.c_str(), nullptr) : 0.0};
  TCoordinateSystem* cs = ActiveCoordinateSystem();
  wgsxyz::Triple grid;
  if (std::fabs(geo.a) > 180 || std::fabs(geo.b) > 90 || !cs || !cs->ToGrid(wgsxyz::kModeDegrees, geo, grid)) {
    Note(kTextNotConverted, where);
    return false;
  }
  p.Y = Fixed(grid.a, kGridDecimals);
  p.X = Fixed(grid.b, kGridDecimals);
  p.Hoehe = hasHeight ? Fixed(grid.c, kGridDecimals) : std::string();
  return true;
}

std::string TdmGisFormat::LineOf(size_t offset) {
  if (!document_) return "?";
  if (newlines_.empty()) {
    newlines_.push_back(0);  // a mark, so that the index is built once
    for (size_t i = document_->find('\n'); i != std::string::npos; i = document_->find('\n', i + 1))
      newlines_.push_back(i);
  }
  const auto before = std::lower_bound(newlines_.begin() + 1, newlines_.end(), offset);
  return std::to_string(1 + (before - (newlines_.begin() + 1)));
}

// ---- Options ---------------------------------------------------------------------------

void TdmGisFormat::AddOption(std::string name, std::string value) {
  options_.push_back({std::move(name), std::move(value)});
}

std::string TdmGisFormat::Option(const std::string& name) const { return OptionValue(options_, name); }

bool TdmGisFormat::SetOption(const std::string& name, const std::string& value) {
  return SetOptionValue(options_, name, value);
}

void TdmGisFormat::ReadOptions() {
  for (GisOption& o : options_) o.Value = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(o.Name), o.Value);
}

}  // namespace veltro
