#include "formats/instrument/SDR.h"

#include <cstdint>
#include <cstring>

#include "core/CoordinateUnit.h"
#include "core/DateTime.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/FormatChange.h"
#include "instruments/InstrumentenModul.h"
#include "platform/Clock.h"

namespace veltro {
namespace {

// clang-format off
const SdrTemplates kSdr2x = {
    {"00%2.2s%-16.16s%4s%-16.16s%6.6s",
     "01%2.2s%1.1s%-16.16s%-6.6s%-16.16s%-6.6s%2.2s%-10.10s%-10.10s%-10.10s",
     "10%2.2s%-16.16s",
     "06%2.2s%-10.10s"},
    {"02%2.2s%4.4s%-10.10s%-10.10s%-10.10s%-10.10s%-16.16s",
     "05%2.2s%10.10s%10.10s"},
    {"07%2.2s%4.4s%4.4s%-10.10s%-10.10s"},
    {"03%2.2s%-10.10s",
     "09%2.2s%4.4s%4.4s%-10.10s%-10.10s%-10.10s%-16.16s",
     "11%2.2s%4.4s%4.4s%-10.10s%-10.10s%-10.10s%-16.16s"},
    "08%2.2s%4.4s%-10.10s%-10.10s%-10.10s%-16.16s",
    {"13%2.2s%-60.60s"},
};
const SdrTemplates kSdr33 = {
    {"00%2.2s%-16.16s%4s%-16.16s%6.6s",
     "01%2.2s%1.1s%-16.16s%-6.6s%-16.16s%-6.6s%2.2s%-16.16s%-16.16s%-16.16s",
     "10%2.2s%-16.16s%6.6s",
     "06%2.2s%-16.16s"},
    {"02%2.2s%16.16s%-16.16s%-16.16s%-16.16s%-16.16s%-16.16s",
     "05%2.2s%16.16s%16.16s"},
    {"07%2.2s%16.16s%16.16s%-16.16s%-16.16s"},
    {"03%2.2s%16.16s",
     "09%2.2s%16.16s%16.16s%-16.16s%-16.16s%-16.16s%-16.16s",
     "11%2.2s%16.16s%16.16s%-16.16s%-16.16s%-16.16s%-16.16s"},
    "08%2.2s%16.16s%-16.16s%-16.16s%-16.16s%-16.16s",
    {"13%2.2s%-60.60s"},
};
// clang-format on

// Record types.
enum : int {
  kHeader = 0,
  kInstrument = 1,
  kStation = 2,
  kTargetHeight = 3,
  kAtmosphere = 5,
  kScale = 6,
  kBacksight = 7,
  kCoordinate = 8,
  kObservation = 9,
  kJob = 10,
  kReducedObservation = 11,
  kNote = 13,
};

constexpr const char* kDefaultDerivation = "KI";   // derivation code of records from office data
constexpr const char* kMeasuredDerivation = "MD";  // 09: field 5 is an azimuth
constexpr const char* kInitDerivation = "ED";      // derivation code of the header a send starts with
constexpr const char* kVersion2x = "SDR20     V03-05";
constexpr const char* kVersion33 = "SDR33    V04    ";
constexpr const char* kHeaderCounter = "0000";
constexpr size_t kUnitFlagOrder = 4;  // fifth unit flag: "2" easting first
// Date and time in the header's date field: characters 1-9 and 11-15.
constexpr size_t kHeaderDateLength = 9;
constexpr size_t kHeaderTimeStart = 10;
constexpr size_t kHeaderTimeLength = 5;
constexpr int kLastMetricUnit = 5;  // coordinate units 0-5 are metres, 6-10 feet

std::string Field(const std::vector<std::string_view>& fields, size_t i) {
  return i < fields.size() ? std::string(fields[i]) : std::string();
}

// Field positions of a template that is the two-digit record type followed
// by sized conversions only ("08%2.2s%4.4s..."); empty for any other.
std::vector<std::pair<size_t, size_t>> FixedSpans(const std::string& layout, const std::vector<int>& widths) {
  std::vector<std::pair<size_t, size_t>> spans;
  size_t at = 2;
  size_t i = 2;
  for (const int w : widths) {
    if (w <= 0 || i >= layout.size() || layout[i] != '%') return {};
    i = layout.find_first_of("sdf", i);
    if (i == std::string::npos) return {};
    ++i;
    spans.emplace_back(at, static_cast<size_t>(w));
    at += static_cast<size_t>(w);
  }
  if (i != layout.size()) return {};
  return spans;
}

void FillTemplates(TGeraeteFormat& format, const SdrTemplates& t) {
  format.Informationen.assign(t.Informationen.begin(), t.Informationen.end());
  format.Stationspunkt.assign(t.Stationspunkt.begin(), t.Stationspunkt.end());
  format.Anschlusspunkt.assign(t.Anschlusspunkt.begin(), t.Anschlusspunkt.end());
  format.Detailpunkt.assign(t.Detailpunkt.begin(), t.Detailpunkt.end());
  format.Koordinaten = t.Koordinaten;
  format.Kommentare.assign(t.Kommentare.begin(), t.Kommentare.end());
}

bool Offline() { return CurrentTransferEnvironment().settings->TransOf(); }

void Inform(int text) { ShowMessageBox(GetText(text), kMsgInformation, kBtnOk); }

std::string JoinRecordLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    if (!out.empty()) out += "\r\n";
    out += line;
  }
  return out;
}

bool AllOf(std::string_view s, std::string_view chars) { return s.find_first_not_of(chars) == std::string_view::npos; }

// "DD-MM-YY" after the month names are replaced: a day and month that exist.
bool IsReadableDate(const std::string& numeric) {
  if (numeric.size() != 8 || numeric[2] != '-' || numeric[5] != '-') return false;
  const std::string day = numeric.substr(0, 2), month = numeric.substr(3, 2), year = numeric.substr(6, 2);
  if (!AllOf(day + month + year, "0123456789")) return false;
  return IsValidDate(2000 + std::stoi(year), std::stoi(month), std::stoi(day));
}

bool IsReadableTime(const std::string& text) {
  if (text.size() != 5 || text[2] != ':' || !AllOf(text.substr(0, 2) + text.substr(3), "0123456789")) return false;
  return std::stoi(text.substr(0, 2)) < 24 && std::stoi(text.substr(3)) < 60;
}

}  // namespace

// ---- Transmission checksum -----------------------------------------------------------

namespace {
constexpr std::uint64_t kByteOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kByteHighs = 0x8080808080808080ULL;
constexpr std::uint64_t kByteLows = 0x00FF00FF00FF00FFULL;

bool HasByte(std::uint64_t word, char byte) {
  const std::uint64_t v = word ^ (kByteOnes * static_cast<unsigned char>(byte));
  return ((v - kByteOnes) & ~v & kByteHighs) != 0;
}

// Sum of the eight bytes of a word.
std::uint64_t ByteSum(std::uint64_t word) {
  std::uint64_t pairs = (word & kByteLows) + ((word >> 8) & kByteLows);
  pairs += pairs >> 16;
  pairs += pairs >> 32;
  return pairs & 0xFFFF;
}
}  // namespace

void SdrChecksum::Add(std::string_view line) {
  const char* data = line.data();
  size_t i = 0;
  if (inBlock_) {
    // Eight bytes at a time while none is STX, ETX, CR or LF: all are summed.
    std::uint64_t sum = 0;
    for (; i + 8 <= line.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, data + i, sizeof word);
      if (HasByte(word, kSdrStx) || HasByte(word, kSdrEtx) || HasByte(word, '\r') || HasByte(word, '\n')) break;
      sum += ByteSum(word);
    }
    if (i > 0) {
      sum_ += sum;
      counted_ = true;
    }
  } else {
    // Outside a block only an STX changes anything.
    const void* stx = std::memchr(data, kSdrStx, line.size());
    if (!stx) return;
    i = static_cast<size_t>(static_cast<const char*>(stx) - data);
  }
  for (; i < line.size(); ++i) {
    const char c = data[i];
    if (c == kSdrEtx) inBlock_ = false;
    if (inBlock_ && c != kSdrStx && c != '\r' && c != '\n') {
      sum_ += static_cast<unsigned char>(c);
      counted_ = true;
    }
    if (c == kSdrStx) inBlock_ = true;
  }
}

std::string SdrTrailer(const SdrChecksum& checksum) {
  return std::string(1, kSdrEtx) + PadLeft(std::to_string(checksum.Sum()), '0', kSdrChecksumDigits);
}

SdrTrailerCheck CheckSdrTrailer(const LineList& lines, const SdrChecksum& checksum) {
  size_t end = lines.size();
  while (end > 0 && AllOf(lines[end - 1], " \r\n\t")) --end;
  if (end == 0) return SdrTrailerCheck::Mismatch;
  const std::string_view last = lines[end - 1];
  const size_t etx = last.rfind(kSdrEtx);
  if (etx == std::string_view::npos) return SdrTrailerCheck::Mismatch;
  std::string digits(last.substr(etx + 1));
  while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\r')) digits.pop_back();
  if (digits.empty() || digits.size() > 18 || !AllOf(digits, "0123456789")) return SdrTrailerCheck::Mismatch;
  if (AllOf(digits, "0")) return SdrTrailerCheck::NotCompared;
  const std::uint64_t value = std::stoull(digits);
  return value == checksum.Sum() || value == checksum.FullSum() % 100000 ? SdrTrailerCheck::Match
                                                                         : SdrTrailerCheck::Mismatch;
}

// ---- Records --------------------------------------------------------------------------

int SdrRecordType(std::string_view line) {
  if (line.size() < 2 || line[0] < '0' || line[0] > '9' || line[1] < '0' || line[1] > '9') return -1;
  return (line[0] - '0') * 10 + (line[1] - '0');
}

std::optional<std::string> SdrPaddedValue(const std::string& value, int width) {
  const std::string text = TrimBlanks(value);
  if (text.empty()) return text;
  if (IsNoValue(ParseNumber(text))) return std::nullopt;
  const std::string whole = ReformatNumber(text, 0);
  if (whole.empty() || static_cast<int>(whole.size()) > width) return std::nullopt;
  // Room for the point and at least one decimal; rounding may carry into
  // one more integer digit.
  for (int decimals = width - static_cast<int>(whole.size()) - 1; decimals > 0; --decimals) {
    std::string rounded = ReformatNumber(text, decimals);
    if (static_cast<int>(rounded.size()) <= width) return PadRight(rounded, '0', width);
  }
  return whole;
}

const SdrTemplates& Sdr2xTemplates() { return kSdr2x; }
const SdrTemplates& Sdr33Templates() { return kSdr33; }

// ---- Record editor ----------------------------------------------------------------------

namespace {
// A picture with the sign "\xB1" (any sign) before the digits.
std::string Signed(const char* digits) { return "\xB1" + std::string(digits); }
}  // namespace

std::string SdrCoordinatePicture(bool sdr33) { return sdr33 ? Signed("9999999999.9999") : Signed("99999.999"); }

std::vector<SdrEditorPanel> SdrEditorPanels(bool sdr33, const TGeraeteFormat& format) {
  const std::string letters = "AAAAAAAAAA\xE4\xF6\xFC\xC4\xD6\xDC";
  const std::string a16(16, 'A');
  const std::string point = sdr33 ? a16 : "9999";
  const std::string coordinate = SdrCoordinatePicture(sdr33);
  auto items = [](std::initializer_list<std::string> list) { return PictureItems(list); };
  const std::string scale = sdr33 ? Signed("999999.99999999") : Signed("9.9999999");
  const std::string stationHeight = sdr33 ? Signed("99999999999.999") : Signed("99999.999");
  const std::string weather = sdr33 ? Signed("999999999999999") : Signed("999999999");
  const std::string reflector = sdr33 ? Signed("99999999999.999") : Signed("99999.999");
  const std::string distance = sdr33 ? Signed("9999999999.9999") : Signed("9999.9999");
  const std::string angle = sdr33 ? Signed("999999999.99999") : Signed("999.99999");
  return {
      {"Koordinaten", "TTTTTF", "TFTTTF", items({point, letters, coordinate, coordinate, coordinate})},
      {"Infos", "FFFFFFFFFFF", "FFFTTFFFFFF",
       items({a16, "", a16, PictureFromDateFormat(format.Datumsformat), PictureFromDateFormat(format.Uhrzeitformat), "",
              "", scale})},
      {"Stationen", sdr33 ? "TTTFFTTT" : "TTTTTTTT", "TFTFFFFF",
       items({point, letters, stationHeight, weather, weather, coordinate, coordinate, coordinate})},
      {"Punkte", "TTFTFFFFFFFTTFTTTFFF", "TFFTFFFFFFFTTFTTTFFF",
       items({point, letters, "", reflector, "", "", "", "", "", "", "", distance, distance, "", angle, angle, angle})},
      {"Beschreibung", "T", "F", std::string(60, 'A')},
  };
}

std::optional<SdrEditorFields> SdrEditorFieldsFor(int recordType) {
  switch (recordType) {
    case kHeader:
      return SdrEditorFields{"Infos", "FFFTT00F000"};
    case kInstrument:
      return SdrEditorFields{"Infos", "FFTFF00F000"};
    case kJob:
      return SdrEditorFields{"Infos", "TFFFF00F000"};
    case kScale:
      return SdrEditorFields{"Infos", "FFFFF00T000"};
    case kStation:
      return SdrEditorFields{"Stationen", "TTTFFTTT"};
    case kAtmosphere:
      return SdrEditorFields{"Stationen", "FFFTTFFF"};
    case kBacksight:
      return SdrEditorFields{"Punkte", "0F0F0000000000000000"};
    case kTargetHeight:
      return SdrEditorFields{"Punkte", "FF0T0000000000000000"};
    case kObservation:
    case kReducedObservation:
      return SdrEditorFields{"Punkte", "TT0F0000000000000000"};
    default:
      return std::nullopt;
  }
}

// ---- The module ---------------------------------------------------------------------------

TdmSDR::TdmSDR(TGeraete& geraete)
    : TDataModule("dmSDR"), geraete_(geraete), sdr2x_(geraete.Format("SDR2x")), sdr33_(geraete.Format("SDR33")) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Informationen = AddReadWriteDaten(*this, "Informationen", tdaInformation);
  Informationen->OnRead = [this](const std::string& S, TDaten& D) { InformationenRead(S, D); };
  Informationen->OnWrite = [this](TDaten& D) { return InformationenWrite(D); };
  Stationen = AddReadWriteDaten(*this, "Stationen", tdaStation);
  Stationen->OnRead = [this](const std::string& S, TDaten& D) { StationenRead(S, D); };
  Stationen->OnWrite = [this](TDaten& D) { return StationenWrite(D); };
  Stationen->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { StationenStatistik(S, St); };
  Anschlusspunkte = AddReadWriteDaten(*this, "Anschlusspunkte", tdaAnschlusspunkt);
  Anschlusspunkte->OnRead = [this](const std::string& S, TDaten& D) { AnschlusspunkteRead(S, D); };
  Anschlusspunkte->OnWrite = [this](TDaten& D) { return AnschlusspunkteWrite(D); };
  Neupunkte = AddReadWriteDaten(*this, "Neupunkte", tdaNeupunkt);
  Neupunkte->OnRead = [this](const std::string& S, TDaten& D) { NeupunkteRead(S, D); };
  Neupunkte->OnWrite = [this](TDaten& D) { return NeupunkteWrite(D); };
  Neupunkte->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { NeupunkteStatistik(S, St); };
  Kommentare = AddReadWriteDaten(*this, "Kommentare", tdaKommentar);
  Kommentare->OnRead = [this](const std::string& S, TDaten& D) { KommentareRead(S, D); };
  Kommentare->OnWrite = [this](TDaten& D) { return KommentareWrite(D); };

  for (TGeraeteFormat* f : {sdr2x_, sdr33_}) {
    if (!f) continue;
    const bool sdr33 = f == sdr33_;
    FillTemplates(*f, sdr33 ? kSdr33 : kSdr2x);
    GeraeteFormatHandlers h;
    h.OnFormat = [this, sdr33](const std::string& S, const std::string& Buf) {
      return sdr33 ? SDR33Format(S, Buf) : SDR2xFormat(S, Buf);
    };
    h.OnSetup = [this] { SDR2xSetup(); };
    h.OnInitWrite = [this, sdr33] { sdr33 ? SDR33InitWrite() : SDR2xInitWrite(); };
    h.OnAfterTrans = [this] { SDR2xAfterTrans(); };
    h.OnAfterRead = [this, sdr33] { sdr33 ? SDR33AfterRead() : SDR2xAfterRead(); };
    h.OnBeforeWrite = [this] { SDR2xBeforeWrite(); };
    h.OnAfterWrite = [this] { SDR2xAfterWrite(); };
    h.OnGetDatenart = [this](std::string& S) { return SDR2xGetDatenart(S); };
    // The frame of a transmission: STX alone, ETX with the checksum.
    h.OnFrameLine = [](const std::string& S) { return S == "\x02" || (!S.empty() && S[0] == '\x03'); };
    h.OnSetTDA = [this, sdr33](TTransferDatenart kind) { return sdr33 ? SDR33SetTDA(kind) : SDR2xSetTDA(kind); };
    h.OnInitEditor = [this, sdr33] { sdr33 ? SDR33InitEditor() : SDR2xInitEditor(); };
    h.OnEditNext = [this, sdr33](const std::string& S) { return sdr33 ? SDR33EditNext(S) : SDR2xEditNext(S); };
    geraete.BindFormatHandlers(f->Name, h);
  }
}

TdmSDR::~TdmSDR() {
  for (TGeraeteFormat* f : {sdr2x_, sdr33_})
    if (f) UnbindFormatHandlers(*f, *this);
}

// The current instrument's format when it is one of the two (the handlers
// are bound to these only), else SDR 33.
TGeraeteFormat& TdmSDR::CurrentFormat() const {
  TGeraeteFormat& current = geraete_.CurrentGeraeteFormat();
  if (&current == sdr2x_ || &current == sdr33_ || (!sdr2x_ && !sdr33_)) return current;
  return sdr33_ ? *sdr33_ : *sdr2x_;
}

bool TdmSDR::IsSdr33() const { return &CurrentFormat() == sdr33_; }

// The tables of the current format, built on first use after a set-up.
const TdmSDR::RecordLayout& TdmSDR::Layout(int type) {
  static const RecordLayout kNone;
  if (type < 0 || type >= 100) return kNone;
  const TGeraeteFormat& f = CurrentFormat();
  FormatTables& tables = tables_[&f == sdr33_ ? 1 : 0];
  if (tables.format != &f) {
    tables = FormatTables{};
    tables.format = &f;
    auto add = [&](const std::string& layout, TTransferDatenart kind) {
      const int t = SdrRecordType(layout);
      if (t < 0 || tables.records[static_cast<size_t>(t)].layout) return;
      RecordLayout& r = tables.records[static_cast<size_t>(t)];
      r.layout = layout;
      r.kind = kind;
      r.widths = FieldWidths(layout);
      r.spans = FixedSpans(layout, r.widths);
    };
    for (const std::string& t : f.Informationen) add(t, tdaInformation);
    for (const std::string& t : f.Stationspunkt) add(t, tdaStation);
    for (const std::string& t : f.Anschlusspunkt) add(t, tdaAnschlusspunkt);
    for (const std::string& t : f.Detailpunkt) add(t, tdaNeupunkt);
    add(f.Koordinaten, tdaKoordinate);
    for (const std::string& t : f.Kommentare) add(t, tdaKommentar);
  }
  return tables.records[static_cast<size_t>(type)];
}

// Only a header switches the variant; a note naming "SDR33" does not.
void TdmSDR::SwitchVariant(const std::string& line) {
  if (SdrRecordType(line) != kHeader || !sdr2x_ || !sdr33_) return;
  const std::string text = line + "\r\n";
  TGeraeteFormat* variant = nullptr;
  if (!DetectCandidate("SDR2x", text).empty()) variant = sdr2x_;
  if (!DetectCandidate("SDR33", text).empty()) variant = sdr33_;
  TInstrument& instrument = geraete_.CurrentInstrument();
  if (variant && (instrument.GeraeteFormat == sdr2x_ || instrument.GeraeteFormat == sdr33_))
    instrument.GeraeteFormat = variant;
}

TTransferDatenart TdmSDR::SdrLineKind(const std::string& line) {
  SwitchVariant(line);
  const int type = SdrRecordType(line);
  const TTransferDatenart kind = KindOf(type);
  if (kind == tdaInformation || kind == tdaStation || kind == tdaAnschlusspunkt || kind == tdaNeupunkt)
    editorFields_ = SdrEditorFieldsFor(type);
  return kind;
}

void TdmSDR::CutInto(std::string_view line, int type, Fields& fields) {
  fields.clear();
  const RecordLayout& r = Layout(type);
  if (!r.layout) return;
  if (r.spans.empty()) {
    // Not fixed-width: the layout language's cut (fields owned by a buffer).
    static std::vector<std::string> owned;
    owned = CutFields(*r.layout, std::string(line));
    fields.assign(owned.begin(), owned.end());
    return;
  }
  for (const auto& [start, width] : r.spans)
    fields.push_back(start < line.size() ? TrimBlanksView(line.substr(start, width)) : std::string_view());
}

// The fields are views into line, valid until the next cut.
const TdmSDR::Fields& TdmSDR::Cut(const std::string& line, int type) {
  if (type >= 0 && type < static_cast<int>(kept_.size())) kept_[static_cast<size_t>(type)] = line;
  CutInto(line, type, fields_);
  return fields_;
}

std::string TdmSDR::Kept(int type, size_t field) {
  const auto& line = kept_[static_cast<size_t>(type)];
  if (!line) return {};
  Fields fields;
  CutInto(*line, type, fields);
  return Field(fields, field);
}

std::string TdmSDR::Derivation(int type) const {
  const auto& line = kept_[static_cast<size_t>(type)];
  if (!line) return kDefaultDerivation;
  return std::string(TrimBlanksView(std::string_view(*line).substr(std::min<size_t>(2, line->size()), 2)));
}

// The order of the last header read; northing first, as read, for SDR
// lines without a header; for office data the branch's (with ShowXY the
// northing comes first), as in the header a send starts with.
bool TdmSDR::WriteEastingFirst() const {
  if (headerEastingFirst_) return *headerEastingFirst_;
  for (const auto& line : kept_)
    if (line) return false;
  return !ActiveNiederlassung().ShowXY;
}

// ---- Reading ----------------------------------------------------------------------------

void TdmSDR::ReadHeaderTime(std::string_view field, TDaten& Daten) {
  const std::string date(field.substr(0, std::min(field.size(), kHeaderDateLength)));
  const std::string time(field.size() > kHeaderTimeStart ? field.substr(kHeaderTimeStart, kHeaderTimeLength)
                                                         : std::string_view());
  // A recorder whose clock was never set writes zeros: no date, no note.
  if (AllOf(date, "0- ") && AllOf(time, "0: ")) return;
  const TGeraeteFormat& f = CurrentFormat();
  if (!IsReadableDate(ReplaceMonthNames(date)) || (!time.empty() && !IsReadableTime(time))) {
    AddNote(kTextSdrHeaderDate, {std::to_string(Daten.Konstanten.Zeile + 1), std::string(field)});
    return;
  }
  Daten.Info.Zeitpunkt = ParseDate(f.Datumsformat, date) + (time.empty() ? 0 : ParseTime(f.Uhrzeitformat, time));
}

void TdmSDR::ReadInformation(const std::string& line, TDaten& Daten) {
  SwitchVariant(line);
  const int type = SdrRecordType(line);
  const Fields& f = Cut(line, type);
  TInfo& info = Daten.Info;
  switch (type) {
    case kHeader: {
      if (f.size() > 3) ReadHeaderTime(f[3], Daten);
      info.Einheiten = Field(f, 4);
      headerEastingFirst_ = info.Einheiten.size() > kUnitFlagOrder && info.Einheiten[kUnitFlagOrder] == '2';
      break;
    }
    case kInstrument:
      info.Instrument = Field(f, 4);
      Daten.Konstanten.Prismenkonstante = Field(f, 9);
      break;
    case kJob:
      info.Projekt = Field(f, 1);
      if (f.size() > 2) info.Einheiten = LeftText(info.Einheiten, 6) + Field(f, 2);
      break;
    case kScale:
      info.Massstabsfaktor = Field(f, 1);
      break;
    default:
      break;
  }
}

void TdmSDR::InformationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  ReadInformation(S, Daten);
  while (const std::string* next = NextLine(Daten)) {
    if (KindOf(SdrRecordType(*next)) != tdaInformation) break;
    ReadInformation(ConsumeNextLine(Daten), Daten);
  }
}

void TdmSDR::ReadStation(const std::string& line, TDaten& Daten) {
  const int type = SdrRecordType(line);
  const Fields& f = Cut(line, type);
  TStation& s = Daten.Station;
  stationTypes_.push_back(type);
  if (type == kStation) {
    const bool eastingFirst = headerEastingFirst_.value_or(false);
    s.Punktnummer = Field(f, 1);
    s.X = geraete_.ApplyOffset(Field(f, eastingFirst ? 3 : 2), kOffsetAddY);
    s.Y = geraete_.ApplyOffset(Field(f, eastingFirst ? 2 : 3), kOffsetAddX);
    s.Hoehe = Field(f, 4);
    s.Instrumentenhoehe = Field(f, 5);
    s.Code = geraete_.OemToAnsiText(Field(f, 6));
  } else if (type == kAtmosphere) {
    s.Luftdruck = Field(f, 1);
    s.Temperatur = Field(f, 2);
  }
}

void TdmSDR::StationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  stationTypes_.clear();
  ReadStation(S, Daten);
  while (const std::string* next = NextLine(Daten)) {
    if (KindOf(SdrRecordType(*next)) != tdaStation) break;
    ReadStation(ConsumeNextLine(Daten), Daten);
  }
}

void TdmSDR::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (SdrRecordType(S) != kCoordinate) return;
  const Fields& f = Cut(S, kCoordinate);
  const bool eastingFirst = headerEastingFirst_.value_or(false);
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfKoordinaten;
  p.Punktnummer = Field(f, 1);
  p.X = geraete_.ApplyOffset(Field(f, eastingFirst ? 3 : 2), kOffsetAddY);
  p.Y = geraete_.ApplyOffset(Field(f, eastingFirst ? 2 : 3), kOffsetAddX);
  p.Hoehe = Field(f, 4);
  p.Code1 = geraete_.OemToAnsiText(Field(f, 5));
}

void TdmSDR::AnschlusspunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (SdrRecordType(S) != kBacksight) return;
  const Fields& f = Cut(S, kBacksight);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = Field(f, 2);
  p.Azimut = Field(f, 3);
  p.Horizontalwinkel = Field(f, 4);
  p.Messflags = mfAnschlussAzimut | mfAzimut | mfHorizontalwinkel;
}

void TdmSDR::NeupunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const int type = SdrRecordType(S);
  const Fields& f = Cut(S, type);
  TPunkt& p = Daten.Punkt;
  TKonstanten& k = Daten.Konstanten;
  switch (type) {
    case kTargetHeight:
      p.Reflektorhoehe = Field(f, 1);
      k.Reflektorhoehe = p.Reflektorhoehe;
      break;
    case kObservation:
      p.Messflags |= mfHzVzSd;
      p.Punktnummer = Field(f, 2);
      p.Schraegdistanz = Field(f, 3);
      if (p.Schraegdistanz.empty())
        p.Messflags = static_cast<std::uint16_t>((p.Messflags & ~mfSchraegdistanz) | mfOhneDistanz);
      p.Vertikalwinkel = Field(f, 4);
      (Field(f, 0) == kMeasuredDerivation ? p.Azimut : p.Horizontalwinkel) = Field(f, 5);
      p.Code1 = geraete_.OemToAnsiText(Field(f, 6));
      p.Prismenkonstante = k.Prismenkonstante;
      p.Reflektorhoehe = k.Reflektorhoehe;
      break;
    case kReducedObservation:
      p.Messflags |= mfHzHdDh;
      p.Punktnummer = Field(f, 2);
      p.Azimut = Field(f, 3);
      p.Horizontaldistanz = Field(f, 4);
      if (p.Horizontaldistanz.empty())
        p.Messflags = static_cast<std::uint16_t>((p.Messflags & ~mfHorizontaldistanz) | mfOhneDistanz);
      p.Vertikaldistanz = Field(f, 5);
      if (p.Vertikaldistanz.empty()) p.Messflags = static_cast<std::uint16_t>(p.Messflags & ~mfVertikaldistanz);
      p.Code1 = geraete_.OemToAnsiText(Field(f, 6));
      p.Prismenkonstante = k.Prismenkonstante;
      p.Reflektorhoehe = k.Reflektorhoehe;
      break;
    default:
      return;
  }
  neupunktType_ = type;
}

// A note keeps the whole rest of its line, also beyond its template.
void TdmSDR::KommentareRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (SdrRecordType(S) != kNote) return;
  Cut(S, kNote);
  Daten.Kommentar.Beschreibung = S.size() > 4 ? TrimBlanks(S.substr(4)) : std::string();
}

// ---- Writing ----------------------------------------------------------------------------

// The record of that type filled with values (as many as its template has
// fields); "Error" when it cannot be written.
std::string TdmSDR::Record(int type, const std::vector<std::string>& values) {
  const RecordLayout& r = Layout(type);
  if (!r.layout) return kWriteError;
  LayoutArgs args(values.begin(), values.end());
  if (args.size() > r.widths.size()) args.resize(r.widths.size(), LayoutArg(""));
  return FormatLayoutOrError(*r.layout, args);
}

// A text cut to the width of its field; the cut is noted.
std::string TdmSDR::Fit(const std::string& text, int type, size_t field, int note) {
  const std::vector<int>& widths = Layout(type).widths;
  const int width = field < widths.size() ? widths[field] : 0;
  if (width <= 0 || static_cast<int>(text.size()) <= width) return text;
  std::string cut = text.substr(0, static_cast<size_t>(width));
  AddNote(note, {text, std::to_string(width), cut});
  return cut;
}

namespace {

// Numbers of a record, padded to the widths of their fields; false when one
// cannot be written.
class Padded {
 public:
  explicit Padded(const std::vector<int>& widths) : widths_(widths) {}
  std::string operator()(const std::string& value, size_t field) {
    const int width = field < widths_.size() ? widths_[field] : 0;
    auto padded = width > 0 ? SdrPaddedValue(value, width) : std::nullopt;
    if (!padded) ok = false;
    return padded ? *padded : std::string();
  }
  // A number in a right-aligned field, as it is: it must fit.
  std::string Plain(const std::string& value, size_t field) {
    const std::string text = TrimBlanks(value);
    const int width = field < widths_.size() ? widths_[field] : 0;
    if (static_cast<int>(text.size()) > width || (!text.empty() && IsNoValue(ParseNumber(text)))) ok = false;
    return text;
  }
  bool ok = true;

 private:
  const std::vector<int>& widths_;
};

}  // namespace

std::string TdmSDR::KoordinatenWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  Padded pad(Layout(kCoordinate).widths);
  const std::string x = geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY);
  const std::string y = geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX);
  const bool eastingFirst = WriteEastingFirst();
  const std::string first = pad(eastingFirst ? y : x, 2);
  const std::string second = pad(eastingFirst ? x : y, 3);
  const std::string height = pad(p.Hoehe, 4);
  if (!pad.ok) return kWriteError;
  return Record(kCoordinate,
                {Derivation(kCoordinate), Fit(TrimBlanks(p.Punktnummer), kCoordinate, 1, kTextSdrPointCut), first,
                 second, height, Fit(TrimBlanks(geraete_.AnsiToOemText(p.Code1)), kCoordinate, 5, kTextSdrCodeCut)});
}

// The station types of the last station record read; from office data a
// 02 line, and a 05 line when the station has weather values.
std::string TdmSDR::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  std::vector<int> types = stationTypes_;
  if (types.empty()) {
    types.push_back(kStation);
    if (!TrimBlanks(s.Luftdruck + s.Temperatur).empty()) types.push_back(kAtmosphere);
  }
  std::vector<std::string> lines;
  for (const int type : types) {
    Padded pad(Layout(type).widths);
    if (type == kAtmosphere) {
      const std::string pressure = pad.Plain(s.Luftdruck, 1);
      const std::string temperature = pad.Plain(s.Temperatur, 2);
      if (!pad.ok) return kWriteError;
      lines.push_back(Record(type, {Derivation(type), pressure, temperature}));
      continue;
    }
    const std::string x = geraete_.ApplyOffset(TrimBlanks(s.X), kOffsetRemoveY);
    const std::string y = geraete_.ApplyOffset(TrimBlanks(s.Y), kOffsetRemoveX);
    const bool eastingFirst = WriteEastingFirst();
    const std::string first = pad(eastingFirst ? y : x, 2);
    const std::string second = pad(eastingFirst ? x : y, 3);
    const std::string height = pad(s.Hoehe, 4);
    const std::string instrumentHeight = pad(s.Instrumentenhoehe, 5);
    if (!pad.ok) return kWriteError;
    lines.push_back(Record(
        type, {Derivation(type), Fit(TrimBlanks(s.Punktnummer), type, 1, kTextSdrPointCut), first, second, height,
               instrumentHeight, Fit(TrimBlanks(geraete_.AnsiToOemText(s.Code)), type, 6, kTextSdrCodeCut)}));
  }
  for (const std::string& line : lines)
    if (line == kWriteError) return kWriteError;
  return JoinRecordLines(lines);
}

std::string TdmSDR::AnschlusspunkteWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  Padded pad(Layout(kBacksight).widths);
  const std::string azimuth = pad(p.Azimut, 3);
  const std::string direction = pad(p.Horizontalwinkel, 4);
  if (!pad.ok) return kWriteError;
  return Record(kBacksight, {Derivation(kBacksight), Kept(kBacksight, 1),
                             Fit(TrimBlanks(p.Punktnummer), kBacksight, 2, kTextSdrPointCut), azimuth, direction});
}

// The type of the last new point read; from office data an observation (09)
// when there is a slope distance, else a reduced observation (11).
std::string TdmSDR::NeupunkteWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  const int type = neupunktType_ >= 0                     ? neupunktType_
                   : TrimBlanks(p.Schraegdistanz).empty() ? kReducedObservation
                                                          : kObservation;
  Padded pad(Layout(type).widths);
  if (type == kTargetHeight) {
    const std::string height = pad(p.Reflektorhoehe, 1);
    if (!pad.ok) return kWriteError;
    return Record(type, {Derivation(type), height});
  }
  std::vector<std::string> values;
  if (type == kObservation) {
    const std::string direction = TrimBlanks(p.Horizontalwinkel).empty() ? p.Azimut : p.Horizontalwinkel;
    values = {pad(p.Schraegdistanz, 3), pad(p.Vertikalwinkel, 4), pad(direction, 5)};
  } else {
    values = {pad(p.Azimut, 3), pad(p.Horizontaldistanz, 4), pad(p.Vertikaldistanz, 5)};
  }
  if (!pad.ok) return kWriteError;
  return Record(type,
                {Derivation(type), Kept(type, 1), Fit(TrimBlanks(p.Punktnummer), type, 2, kTextSdrPointCut), values[0],
                 values[1], values[2], Fit(TrimBlanks(geraete_.AnsiToOemText(p.Code1)), type, 6, kTextSdrCodeCut)});
}

std::string TdmSDR::KommentareWrite(TDaten& Daten) {
  return Record(kNote, {Derivation(kNote), Fit(TrimBlanks(Daten.Kommentar.Beschreibung), kNote, 1, kTextSdrTextCut)});
}

// Every line that applies, one per line: header (with a date), instrument,
// job, scale factor. Without a header read, the header's flags say the
// order the coordinate writers use.
std::string TdmSDR::InformationenWrite(TDaten& Daten) {
  const TInfo& info = Daten.Info;
  const TGeraeteFormat& f = CurrentFormat();
  std::vector<std::string> lines;
  if (info.Zeitpunkt != 0) {
    const bool read = kept_[kHeader].has_value();
    const std::string when =
        FormatDate(f.Datumsformat, info.Zeitpunkt) + " " + FormatTime(f.Uhrzeitformat, info.Zeitpunkt);
    const std::string units = read ? Kept(kHeader, 4)
                                   : std::string("1") + (KoordUnit() <= kLastMetricUnit ? '1' : '2') + "11" +
                                         (WriteEastingFirst() ? '2' : '1') + "1";
    lines.push_back(Record(
        kHeader, {Derivation(kHeader), read ? Kept(kHeader, 1) : std::string(IsSdr33() ? kVersion33 : kVersion2x),
                  read ? Kept(kHeader, 2) : std::string(kHeaderCounter), when, units}));
  }
  if (!TrimBlanks(info.Instrument).empty()) {
    std::vector<std::string> v = {Derivation(kInstrument), Kept(kInstrument, 1), Kept(kInstrument, 2),
                                  Kept(kInstrument, 3),
                                  Fit(TrimBlanks(info.Instrument), kInstrument, 4, kTextSdrTextCut)};
    for (size_t i = 5; i <= 9; ++i) v.push_back(Kept(kInstrument, i));
    lines.push_back(Record(kInstrument, v));
  }
  if (!TrimBlanks(info.Projekt).empty())
    lines.push_back(
        Record(kJob, {Derivation(kJob), Fit(TrimBlanks(info.Projekt), kJob, 1, kTextSdrTextCut), Kept(kJob, 2)}));
  if (!TrimBlanks(info.Massstabsfaktor).empty()) {
    Padded pad(Layout(kScale).widths);
    const std::string scale = pad(info.Massstabsfaktor, 1);
    lines.push_back(pad.ok ? Record(kScale, {Derivation(kScale), scale}) : std::string(kWriteError));
  }
  for (const std::string& line : lines)
    if (line == kWriteError) return kWriteError;
  return JoinRecordLines(lines);
}

// ---- Statistics -------------------------------------------------------------------------

void TdmSDR::KoordinatenStatistik(const std::string& S, TTransferStatistik& State) {
  if (SdrRecordType(S) == kCoordinate) CountPoint(State);
}

void TdmSDR::NeupunkteStatistik(const std::string& S, TTransferStatistik& State) {
  const int type = SdrRecordType(S);
  if (type == kObservation || type == kReducedObservation) CountPoint(State);
}

void TdmSDR::StationenStatistik(const std::string& S, TTransferStatistik& State) {
  if (SdrRecordType(S) == kStation) ++State.Stationen;
}

// ---- Catalogue handlers -----------------------------------------------------------------

std::string TdmSDR::Recognise(TGeraeteFormat& format, const char* candidate, const std::string& S,
                              const std::string& Buf) {
  const std::string tag = DetectCandidate(candidate, S + "\r\n");
  if (tag.empty()) return ChangeGeraeteFormat(geraete_, S, Buf);
  BindRecognisedKind(format, SdrLineKind(S));
  return tag;
}

std::string TdmSDR::SDR2xFormat(const std::string& S, const std::string& Buf) {
  return sdr2x_ ? Recognise(*sdr2x_, "SDR2x", S, Buf) : std::string();
}

std::string TdmSDR::SDR33Format(const std::string& S, const std::string& Buf) {
  return sdr33_ ? Recognise(*sdr33_, "SDR33", S, Buf) : std::string();
}

void TdmSDR::SDR2xSetup() {
  CurrentTransfer().ReceivedLines.clear();
  checksum_ = SdrChecksum{};
  counting_ = true;
  for (FormatTables& t : tables_) t.format = nullptr;
  headerEastingFirst_.reset();
  for (auto& fields : kept_) fields.reset();
  stationTypes_.clear();
  neupunktType_ = -1;
}

// A send starts with STX and a header: version, today's date and time, and
// the unit flags of the coordinates that follow (feet for units 6 to 10;
// northing first with the branch's ShowXY).
void TdmSDR::InitWrite(const TGeraeteFormat& format, const char* version) {
  if (OfficeIsPassThrough() || format.Informationen.empty()) return;
  const double now = NowDateTime();
  const std::string units = std::string("1") + (KoordUnit() <= kLastMetricUnit ? '1' : '2') + "11" +
                            (ActiveNiederlassung().ShowXY ? '1' : '2') + "1";
  LineList& lines = CurrentTransfer().ReceivedLines;
  lines.push_back(std::string(1, kSdrStx));
  lines.push_back(
      FormatLayoutOrError(format.Informationen.front(),
                          {kInitDerivation, version, kHeaderCounter,
                           FormatDate(format.Datumsformat, now) + " " + FormatTime(format.Uhrzeitformat, now), units}));
}

void TdmSDR::SDR2xInitWrite() {
  if (sdr2x_) InitWrite(*sdr2x_, kVersion2x);
}

void TdmSDR::SDR33InitWrite() {
  if (sdr33_) InitWrite(*sdr33_, kVersion33);
}

// ETX and the checksum of everything written.
void TdmSDR::SDR2xAfterTrans() {
  if (OfficeIsPassThrough()) return;
  LineList& lines = CurrentTransfer().ReceivedLines;
  SdrChecksum sum;
  for (std::string_view line : lines) sum.Add(line);
  lines.push_back(SdrTrailer(sum));
}

// checkOffline: the checksum is compared in offline mode too.
void TdmSDR::AfterRead(bool checkOffline) {
  counting_ = false;
  const TransferState& t = CurrentTransfer();
  if (t.ReceivedLines.empty() || !checksum_.Counted()) return;
  const bool offline = Offline();
  if ((checkOffline || !offline) && CheckSdrTrailer(t.ReceivedLines, checksum_) == SdrTrailerCheck::Mismatch)
    Inform(kTextSdrChecksum);
  if (!offline) Inform(kTextSdrReceived);
}

void TdmSDR::SDR2xAfterRead() { AfterRead(false); }
void TdmSDR::SDR33AfterRead() { AfterRead(true); }

void TdmSDR::SDR2xBeforeWrite() {
  if (!Offline()) Inform(kTextSdrSetToReceive);
}

void TdmSDR::SDR2xAfterWrite() {
  if (!Offline()) Inform(kTextSdrSent);
}

// The line enters the checksum only while a receive is running: phase 2,
// recognition and tools classify the same lines again.
TTransferDatenart TdmSDR::SDR2xGetDatenart(std::string& S) {
  if (counting_ && S != "\x04") checksum_.Add(S);
  const TTransferDatenart kind = SdrLineKind(S);
  // The editor offers the fields of the record type.
  EditorPanelSetup* panels = EditorPanels();
  const bool edited = kind == tdaInformation || kind == tdaStation || kind == tdaAnschlusspunkt || kind == tdaNeupunkt;
  if (panels && edited && editorFields_) panels->EnablePanel(editorFields_->panel, editorFields_->flags);
  return kind;
}

void TdmSDR::SDR2xInitEditor() {
  if (sdr2x_) ConfigurePanels(SdrEditorPanels(false, *sdr2x_));
}

void TdmSDR::SDR33InitEditor() {
  if (sdr33_) ConfigurePanels(SdrEditorPanels(true, *sdr33_));
}

std::string TdmSDR::SDR2xSetTDA(TTransferDatenart kind) { return sdr2x_ ? SelectKind(*sdr2x_, *this, kind) : ""; }
std::string TdmSDR::SDR33SetTDA(TTransferDatenart kind) { return sdr33_ ? SelectKind(*sdr33_, *this, kind) : ""; }

}  // namespace veltro
