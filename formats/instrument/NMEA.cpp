#include "formats/instrument/NMEA.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/ConvertedLine.h"
#include "core/DecimalText.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/CoordinateSystem.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr const char* kWaypointTemplate = "$PMGNWPL,%10.5f,%s,%11.5f,%s,%d,M,%s,%s,%s*%s";
constexpr const char* kEndCommand = "$PMGNCMD,END*3D";
constexpr int kLatitudeWidth = 10;   // ddmm.mmmmm, zero-padded
constexpr int kLongitudeWidth = 11;  // dddmm.mmmmm, zero-padded
constexpr int kAngleDecimals = 5;    // of minutes
constexpr int kGridDecimals = 5;     // results taken from the coordinate-system library

// Field indices after the sentence name.
enum : size_t { kLat = 0, kNorthSouth, kLon, kEastWest, kAltitude, kAltitudeUnit, kName, kComment, kIcon };

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Signed(const std::string& value, std::string_view hemisphere, char negative) {
  if (value.empty() || hemisphere.empty() || hemisphere[0] != negative) return value;
  return value[0] == '-' ? value.substr(1) : "-" + value;
}

double NumberOr(const std::string& text, double fallback) {
  const double v = ParseNumber(text);
  return IsNoValue(v) ? fallback : v;
}

// Degrees and minutes ddmm.mmmmm as the library's DD.MMmmmmm (exact shift).
double Hundredth(const std::string& text) {
  if (text.empty()) return std::nan("");
  if (double value; ParsePlainDecimal(text, 2, value)) return value;
  // A longer plain text: the point moved two places.
  const size_t sign = text[0] == '-' ? 1 : 0;
  const size_t point = std::min(text.find('.'), text.size());
  const auto digits = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      if (text[i] < '0' || text[i] > '9') return false;
    return true;
  };
  if (point > sign && point - sign <= 20 && text.size() <= 40 && digits(sign, point) &&
      (point == text.size() || (point + 1 < text.size() && digits(point + 1, text.size())))) {
    char shifted[48];
    size_t k = 0;
    if (sign) shifted[k++] = '-';
    const size_t whole = point - sign;
    if (whole > 2) {
      for (size_t i = sign; i < point - 2; ++i) shifted[k++] = text[i];
    } else {
      shifted[k++] = '0';
    }
    shifted[k++] = '.';
    for (size_t i = whole; i < 2; ++i) shifted[k++] = '0';
    for (size_t i = whole > 2 ? point - 2 : sign; i < point; ++i) shifted[k++] = text[i];
    for (size_t i = point + 1; i < text.size(); ++i) shifted[k++] = text[i];
    double value = 0;
    const auto [end, ec] = std::from_chars(shifted, shifted + k, value);
    if (ec == std::errc() && end == shifted + k && std::isfinite(value)) return value;
  }
  return NumberOr(FormatDecimalText(text, DecimalsAfterPoint(text) + 2, -2).value_or(""), std::nan(""));
}

// A line a log holds beside its waypoints: another sentence ("$" and its
// name), a "#" comment. Read as part of the log, not as data left unread.
bool OtherLogLine(std::string_view line) {
  line = TrimBlanksView(line);
  if (line.empty() || line[0] == '#') return !line.empty();
  if (line[0] != '$') return false;
  size_t end = 1;
  while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end]))) ++end;
  if (end < 3 || (end < line.size() && line[end] != ',' && line[end] != '*')) return false;
  return line.substr(0, end) != kWaypointSentence;
}

// Exclusive-or of the bytes, eight at a time.
unsigned char XorOfBytes(std::string_view text) {
  uint64_t wide = 0;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    wide ^= word;
  }
  unsigned char sum = 0;
  for (int shift = 0; shift < 64; shift += 8) sum ^= static_cast<unsigned char>(wide >> shift);
  for (; i < text.size(); ++i) sum ^= static_cast<unsigned char>(text[i]);
  return sum;
}

bool FitsField(const std::string& text) { return text.find_first_of(",*\r\n") == std::string::npos; }

// The absolute value of an angle text with 5 decimals, zero-padded; "" when
// it is no number.
std::string PaddedAngle(const std::string& value, int width) {
  std::string text = FormatDecimalText(value, kAngleDecimals).value_or("");
  if (text.empty()) return text;
  if (text[0] == '-') text.erase(0, 1);
  return PadLeft(text, '0', width);
}

}  // namespace

std::string NmeaChecksum(std::string_view body) {
  const unsigned char sum = XorOfBytes(body);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02x", sum);
  return hex;
}

namespace {

// Whether the line is a waypoint sentence whose checksum, if it has one,
// matches; bodyEnd is where its fields end ("*" or the line end).
WaypointLine CheckWaypoint(const std::string& line, size_t& bodyEnd) {
  const std::string_view name(kWaypointSentence);
  if (line.compare(0, name.size(), name) != 0 || line.size() <= name.size() || line[name.size()] != ',')
    return WaypointLine::NoWaypoint;
  size_t end = line.size();
  while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == '\n')) --end;
  const size_t star = line.find('*');
  bodyEnd = star == std::string::npos || star > end ? end : star;
  if (star != std::string::npos && star < end) {
    const std::string_view given = TrimBlanksView(std::string_view(line).substr(star + 1, end - star - 1));
    if (!given.empty()) {
      const int sum = XorOfBytes(std::string_view(line).substr(1, star - 1));
      if (given.size() != 2 || HexValue(given[0]) < 0 || HexValue(given[1]) < 0 ||
          HexValue(given[0]) * 16 + HexValue(given[1]) != sum)
        return WaypointLine::BadChecksum;
    }
  }
  return WaypointLine::Waypoint;
}

// The fields of a checked waypoint sentence, up to the icon; later ones are
// not read.
void ReadWaypointFields(const std::string& line, size_t bodyEnd, Waypoint& w) {
  const std::string_view name(kWaypointSentence);
  std::array<std::string_view, kIcon + 1> f{};
  const std::string_view body = std::string_view(line).substr(name.size() + 1, bodyEnd - name.size() - 1);
  for (size_t k = 0, pos = 0; k < f.size(); ++k) {
    const size_t comma = body.find(',', pos);
    f[k] = body.substr(pos, comma == std::string_view::npos ? comma : comma - pos);
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  w.latitude = Signed(PlainNumber(f[kLat]), TrimBlanksView(f[kNorthSouth]), 'S');
  w.longitude = Signed(PlainNumber(f[kLon]), TrimBlanksView(f[kEastWest]), 'W');
  w.altitude = PlainNumber(f[kAltitude]);
  w.name = f[kName];
  w.comment = f[kComment];
  w.code = f[kIcon];
}

}  // namespace

WaypointLine ReadWaypoint(const std::string& line, Waypoint& w) {
  size_t bodyEnd = 0;
  const WaypointLine kind = CheckWaypoint(line, bodyEnd);
  if (kind == WaypointLine::Waypoint) ReadWaypointFields(line, bodyEnd, w);
  return kind;
}

TdmNMEA::TdmNMEA(TGeraete& geraete, const char* formatName)
    : TDataModule(std::string("dm") + formatName),
      geraete_(geraete),
      format_(geraete.Format(formatName)),
      name_(formatName) {
  Koordinaten = AddFormatComponent(*this, "Koordinaten", tdaKoordinate, &TdmNMEA::KoordinatenRead,
                                   &TdmNMEA::KoordinatenWrite, &TdmNMEA::KoordinatenStatistik);
  if (!format_) return;
  format_->Koordinaten = kWaypointTemplate;
  format_->Ende = kEndCommand;
  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return WaypointFormat(S, Buf); };
  h.OnSetup = [&geraete] { geraete.DefaultSetup(); };
  h.OnGetDatenart = [this](std::string& S) { return WaypointKind(S); };
  h.OnSetTDA = [this](TTransferDatenart kind) { return WaypointSetTDA(kind); };
  h.OnAfterTrans = [this] { CloseWaypointList(); };
  h.OnFrameLine = [this](const std::string& S) { return TrimBlanksView(S) == format_->Ende || OtherLogLine(S); };
  geraete.BindFormatHandlers(formatName, h);
}

void TdmNMEA::CloseWaypointList() {
  if (!format_ || format_->Ende.empty() || OfficeIsPassThrough()) return;
  LineList& lines = CurrentTransfer().ReceivedLines;
  if (lines.empty() || TrimBlanks(std::string(lines.back())) == format_->Ende) return;
  lines.push_back(format_->Ende);
}

TdmNMEA::~TdmNMEA() {
  if (format_) UnbindFormatHandlers(*format_, *this);
}

bool TdmNMEA::PointOf(const Waypoint& w, TPunkt& p) {
  const wgsxyz::Triple geographic{Hundredth(w.longitude), Hundredth(w.latitude), NumberOr(w.altitude, 0)};
  wgsxyz::Triple grid;
  switch (ConvertToGrid(wgsxyz::kModeDegreesMinutes, geographic, grid)) {
    case GpsConversion::Unchanged:
      p.X = w.latitude;
      p.Y = w.longitude;
      p.Hoehe = w.altitude;
      return true;
    case GpsConversion::Converted:
      p.Y = FormatNumber(kGridDecimals, grid.a);
      p.X = FormatNumber(kGridDecimals, grid.b);
      p.Hoehe = w.altitude.empty() ? std::string() : FormatNumber(kGridDecimals, grid.c);
      return true;
    case GpsConversion::Failed:
      break;
  }
  return false;
}

// ---- Reading ----------------------------------------------------------------------

void TdmNMEA::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  TPunkt& p = Daten.Punkt;
  if (converted_.Take(Daten.Konstanten.Zeile, S, p)) return;
  Waypoint w;
  if (ReadWaypoint(S, w) != WaypointLine::Waypoint) return;
  p.Messflags = mfKoordinaten;
  p.Punktnummer = w.name;
  p.Kommentar = w.comment;
  p.Code1 = w.code;
  if (!PointOf(w, p)) p.X = p.Y = p.Hoehe = "";
}

void TdmNMEA::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

// ---- Writing ----------------------------------------------------------------------

std::string TdmNMEA::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  std::string x = TrimBlanks(p.X), y = TrimBlanks(p.Y), h = TrimBlanks(p.Hoehe);
  const wgsxyz::Triple grid{NumberOr(y, std::nan("")), NumberOr(x, std::nan("")), NumberOr(h, 0)};
  wgsxyz::Triple geographic;
  switch (ConvertToGeographic(wgsxyz::kModeDegreesMinutes, grid, geographic)) {
    case GpsConversion::Unchanged:
      break;
    case GpsConversion::Converted:
      y = FormatNumber(kAngleDecimals, geographic.a * 100);
      x = FormatNumber(kAngleDecimals, geographic.b * 100);
      if (!h.empty()) h = FormatNumber(kGridDecimals, geographic.c);
      break;
    case GpsConversion::Failed:
      return kWriteError;
  }
  const std::string latitude = PaddedAngle(x, kLatitudeWidth);
  const std::string longitude = PaddedAngle(y, kLongitudeWidth);
  const std::string altitude = h.empty() ? std::string() : FormatDecimalText(h, 0).value_or("-");
  if (latitude.empty() || longitude.empty() || altitude == "-") return kWriteError;
  if (!FitsField(p.Punktnummer) || !FitsField(p.Kommentar) || !FitsField(p.Code1)) return kWriteError;
  const std::string body = std::string(kWaypointSentence + 1) + "," + latitude + "," + (x[0] == '-' ? "S" : "N") + "," +
                           longitude + "," + (y[0] == '-' ? "W" : "E") + "," + altitude + ",M," + p.Punktnummer + "," +
                           p.Kommentar + "," + p.Code1;
  return "$" + body + "*" + NmeaChecksum(body) + "\r\n";
}

// ---- Catalogue handlers -------------------------------------------------------------

std::string TdmNMEA::WaypointFormat(const std::string& S, const std::string& Buf) {
  if (!format_) return {};
  return RecogniseFormatLine(geraete_, *format_, name_, S, Buf, [](const std::string&) { return tdaKoordinate; });
}

TTransferDatenart TdmNMEA::WaypointKind(std::string& S) {
  // Most sentences of a log are fixes and satellites: the head decides.
  const size_t head = std::strlen(kWaypointSentence);
  if (S.size() <= head || S[head] != ',' || S.compare(0, head, kWaypointSentence) != 0) return tdaNone;
  size_t bodyEnd = 0;
  const WaypointLine kind = CheckWaypoint(S, bodyEnd);
  if (kind == WaypointLine::NoWaypoint) return tdaNone;
  const int number = ConvertedLineNumber();
  if (kind == WaypointLine::BadChecksum) {
    if (number > 0) AddLineError(kTextGpsChecksum, number, S);
    return tdaNone;
  }
  // Without a coordinate system the reader takes the fields as they are.
  if (number == 0 || !GpsConversionActive()) return tdaKoordinate;
  Waypoint w;
  ReadWaypointFields(S, bodyEnd, w);
  TPunkt& p = converted_.Start();
  p.Messflags = mfKoordinaten;
  p.Punktnummer = w.name;
  p.Kommentar = w.comment;
  p.Code1 = w.code;
  if (!PointOf(w, p)) {
    AddLineError(kTextGpsConversion, number, S);
    return tdaNone;
  }
  converted_.Keep(number - 1, S);
  return tdaKoordinate;
}

std::string TdmNMEA::WaypointSetTDA(TTransferDatenart kind) {
  return format_ ? SelectKind(*format_, *this, kind) : std::string();
}

std::string TdmNMEA::NMEAFormat(const std::string& S, const std::string& Buf) { return WaypointFormat(S, Buf); }
TTransferDatenart TdmNMEA::NMEAGetDatenart(std::string& S) { return WaypointKind(S); }
std::string TdmNMEA::NMEASetTDA(TTransferDatenart kind) { return WaypointSetTDA(kind); }

TdmMMW::TdmMMW(TGeraete& geraete) : TdmNMEA(geraete, "MMW") {
  if (!format_) return;
  GeraeteFormatHandlers h;
  h.OnSetup = [this] { MMWSetup(); };
  geraete.BindFormatHandlers("MMW", h);
}

void TdmMMW::MMWSetup() { CurrentTransfer().ReceivedLines.clear(); }

}  // namespace veltro
