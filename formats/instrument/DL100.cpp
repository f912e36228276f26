#include "formats/instrument/DL100.h"

#include <array>
#include <limits>
#include <string_view>

#include "core/CoordinateUnit.h"
#include "core/DecimalText.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/DL100TransferUtil.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

// clang-format off
const char* const kStartdaten[] = {
    "a,%s,%s,%s,,%s,%s,%s,%s,",
    "b,%s,%s,%s,%s,%s,%s,%s,%s,",
    "c,%s,%s,%s,%1.4f,,,,,,,,,,,,,,%s,%s,%s,%s,%s,%s,",
};
const char* const kMessdaten[] = {
    "f,%s,%s,%s,,%s,%s,%s,%s,%s,",
    "g,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
    "h,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
    "i,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
    "j,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
    "k,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
    "l,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
    "m,%s,%s,%s,,%s,%s,,,%s,",
    "n,%s,%s,%s,%s,%s,%s,%s,,%s,",
};
const char* const kEnddaten[] = {
    "t,%s,%s,%s,%s,,,,,,,,",
    "u,%s,%s,%s,%s,,,,,,%s,%s,",
    "v,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
    "w,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,",
};
const char* const kKommentare[] = {"y,%s,"};
const char* const kKoordinaten = "z,%s,%-0.8s,%\xAB-0.9s,%\xAB-0.9s,%\xAB-0.9s,%-0.16s";
const char* const kEnde = "%s%s,";
// clang-format on

constexpr char kSeparator = ',';
constexpr size_t kPointWidth = 8;        // characters of a coordinate's point number
constexpr size_t kCoordinateWidth = 9;   // characters of a coordinate integer
constexpr size_t kCodeWidth = 16;        // characters of a coordinate's code
// Fields of the statistics, the letter being field 0.
constexpr size_t kKeyField = 1;
constexpr size_t kStartHeightFieldB = 4;
constexpr size_t kStartHeightFieldC = 19;
constexpr size_t kReadingField = 2;
constexpr size_t kEndHeightField = 9;
// Running values in Konstanten.Hilfswerte.
constexpr size_t kCellHeight = 0;
constexpr size_t kCellBacksight = 1;
constexpr size_t kCellForesight = 2;

// How a field of a record is read and written.
enum class Role {
  Text,      // as it stands
  DateTime,  // "YYMMDD" and "HHMM" into Zeitpunkt
  Time,      // "HHMM" only, replacing Zeitpunkt
  Number,    // Limite: a number with the template's decimals
};

template <class R>
struct Field {
  std::string R::*member;
  Role role = Role::Text;
};
template <class R>
using Fields = std::vector<Field<R>>;

const Field<TStart> kStartDateTime{nullptr, Role::DateTime};
const Field<TMessung> kMessungTime{nullptr, Role::Time};
const Field<TMessung> kMessungDateTime{nullptr, Role::DateTime};
const Field<TEnde> kEndeDateTime{nullptr, Role::DateTime};

// The fields of each letter in the order of its template's conversions.
const Fields<TStart>* StartFields(char letter) {
  static const Fields<TStart> a = {{&TStart::Satzkennung}, {&TStart::Auftragsnummer}, {&TStart::Messnummer},
                                   kStartDateTime,         {&TStart::Anmerkung1},     {&TStart::Anmerkung2},
                                   {&TStart::Anmerkung3}};
  static const Fields<TStart> b = {{&TStart::Satzkennung}, {&TStart::Auftragsnummer}, {&TStart::Hoehenbezugnummer},
                                   {&TStart::Bodenhoehe},  kStartDateTime,            {&TStart::Anmerkung1},
                                   {&TStart::Anmerkung2},  {&TStart::Anmerkung3}};
  static const Fields<TStart> c = {
      {&TStart::Satzkennung},       {&TStart::Auftragsnummer}, {&TStart::AnzahlNivellements},
      {&TStart::Limite, Role::Number}, {&TStart::Hoehenbezugnummer}, {&TStart::Bodenhoehe},
      kStartDateTime,               {&TStart::Anmerkung1},     {&TStart::Anmerkung2},
      {&TStart::Anmerkung3}};
  switch (letter) {
    case 'a': return &a;
    case 'b': return &b;
    case 'c': return &c;
    default: return nullptr;
  }
}

const Fields<TMessung>* MessungFields(char letter) {
  static const Fields<TMessung> f = {{&TMessung::Satzkennung},       {&TMessung::Lattenablesung},
                                     {&TMessung::Distanz},           {&TMessung::AnzahlMessungen},
                                     {&TMessung::Standardabweichung}, {&TMessung::Punktnummer},
                                     {&TMessung::Messnummer},        kMessungTime};
  static const Fields<TMessung> g = {{&TMessung::Satzkennung},       {&TMessung::Lattenablesung},
                                     {&TMessung::Distanz},           {&TMessung::Bodenhoehe},
                                     {&TMessung::AnzahlMessungen},   {&TMessung::Standardabweichung},
                                     {&TMessung::Punktnummer},       {&TMessung::Hoehenbezugnummer},
                                     kMessungTime};
  static const Fields<TMessung> m = {{&TMessung::Satzkennung},     {&TMessung::Lattenablesung},
                                     {&TMessung::Distanz},         {&TMessung::AnzahlMessungen},
                                     {&TMessung::Standardabweichung}, kMessungTime};
  static const Fields<TMessung> n = {{&TMessung::Satzkennung},       {&TMessung::Lattenablesung},
                                     {&TMessung::Distanz},           {&TMessung::Datendifferenz},
                                     {&TMessung::AnzahlMessungen},   {&TMessung::Standardabweichung},
                                     {&TMessung::Korrekturparameter}, kMessungDateTime};
  switch (letter) {
    case 'f': return &f;
    case 'g': case 'h': case 'i': case 'j': case 'k': case 'l': return &g;
    case 'm': return &m;
    case 'n': return &n;
    default: return nullptr;
  }
}

const Fields<TEnde>* EndeFields(char letter) {
  static const Fields<TEnde> t = {{&TEnde::Satzkennung}, {&TEnde::Auftragsnummer}, {&TEnde::Messnummer},
                                  kEndeDateTime};
  static const Fields<TEnde> u = {{&TEnde::Satzkennung}, {&TEnde::Auftragsnummer}, {&TEnde::Messnummer},
                                  kEndeDateTime,         {&TEnde::Anmerkung1},     {&TEnde::Anmerkung2}};
  static const Fields<TEnde> v = {{&TEnde::Satzkennung},   {&TEnde::Hoehenbezugnummer}, {&TEnde::Wechselpunkt},
                                  kEndeDateTime,           {&TEnde::RelHoehendiff},     {&TEnde::TotHoehendiff},
                                  {&TEnde::Distanz},       {&TEnde::Totaldistanz},      {&TEnde::Bodenhoehe},
                                  {&TEnde::Anmerkung1},    {&TEnde::Anmerkung2}};
  static const Fields<TEnde> w = {{&TEnde::Satzkennung},   {&TEnde::Auftragsnummer}, {&TEnde::Hoehenbezugnummer},
                                  kEndeDateTime,           {&TEnde::RelHoehendiff},  {&TEnde::TotHoehendiff},
                                  {&TEnde::Distanz},       {&TEnde::Totaldistanz},   {&TEnde::Bodenhoehe},
                                  {&TEnde::Anmerkung1},    {&TEnde::Anmerkung2}};
  switch (letter) {
    case 't': return &t;
    case 'u': return &u;
    case 'v': return &v;
    case 'w': return &w;
    default: return nullptr;
  }
}

char Letter(const std::string& line) { return line.empty() ? '\0' : line[0]; }
// The letter a record type names; none for anything but one character.
char SatzartLetter(const std::string& satzart) { return satzart.size() == 1 ? satzart[0] : '\0'; }

// Every part between separators, empty ones and the one after a last
// separator included, so that joining them gives text back.
std::vector<std::string> SplitParts(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(kSeparator, start)) != std::string::npos; start = end + 1)
    parts.push_back(text.substr(start, end - start));
  parts.push_back(text.substr(start));
  return parts;
}

std::string FieldText(const std::vector<std::string_view>& fields, size_t i) {
  return i < fields.size() ? std::string(fields[i]) : std::string();
}

TDateTime ReadDateTime(const std::string& value, const TGeraeteFormat& format) {
  const size_t dateLength = format.Datumsformat.size();
  const std::string date = value.substr(0, dateLength);
  const std::string time = value.size() > dateLength ? value.substr(dateLength, format.Uhrzeitformat.size()) : "";
  return ParseDate(format.Datumsformat, date) + ParseTime(format.Uhrzeitformat, time);
}

// An unset date-time (0) is an empty field.
std::string WriteDateTime(TDateTime value, const TGeraeteFormat& format, bool withDate) {
  if (value == 0) return {};
  return (withDate ? FormatDate(format.Datumsformat, value) : std::string()) + FormatTime(format.Uhrzeitformat, value);
}

// Reads the fields of a line into a record; a field the line does not reach
// leaves the record's value.
template <class R>
void ReadRecord(const Fields<R>& spec, const TdmDL100::Layout& layout, const std::vector<std::string_view>& fields,
                R& record, const TGeraeteFormat& format) {
  for (size_t i = 0; i < spec.size() && i < layout.conversions.size(); ++i) {
    const size_t at = layout.conversions[i];
    if (at >= fields.size()) continue;
    const std::string value(fields[at]);
    switch (spec[i].role) {
      case Role::DateTime: record.Zeitpunkt = ReadDateTime(value, format); break;
      case Role::Time: record.Zeitpunkt = ParseTime(format.Uhrzeitformat, value); break;
      default: record.*(spec[i].member) = value;
    }
  }
}

template <class R>
std::vector<std::string> RecordValues(const Fields<R>& spec, const R& record, const TGeraeteFormat& format) {
  std::vector<std::string> values;
  for (const Field<R>& field : spec) {
    switch (field.role) {
      case Role::DateTime: values.push_back(WriteDateTime(record.Zeitpunkt, format, true)); break;
      case Role::Time: values.push_back(WriteDateTime(record.Zeitpunkt, format, false)); break;
      default: values.push_back(record.*(field.member));
    }
  }
  if (!values.empty()) values[0] = TrimBlanks(values[0]);  // the record key
  return values;
}

std::array<int, 4>& Cells() { return CurrentTransfer().Daten.Konstanten.Hilfswerte; }

bool FitsCell(long long value) {
  return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

long long PowerOf10(int n) {
  long long p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// A running value as a shown height: scaled with decimals and the unit name.
std::string Height(long long units, int decimals, const Dl100Unit& unit) {
  DecimalNumber value;
  value.negative = units < 0;
  value.digits = std::to_string(units < 0 ? -units : units);
  value.scale = decimals;
  return FormatDecimal(value, decimals) + unit.name;
}

// The integer in field at of a statistics line; nullopt with one note.
std::optional<int> RunningInput(const std::string& line, const std::vector<std::string_view>& fields, size_t at) {
  std::optional<int> value = at < fields.size() ? Dl100Integer(fields[at]) : std::nullopt;
  if (!value) AddNote(kTextDl100Integer, {std::to_string(at), line});
  return value;
}

// Start and end heights enter the running height in reading units.
int HeightShift(const Dl100Unit& unit) { return unit.known ? unit.a - unit.b : 0; }

}  // namespace

TTransferDatenart Dl100LineKind(const std::string& line) {
  if (line.empty()) return tdaNone;
  const char c = line[0];
  if (c >= 'a' && c <= 'c') return tdaStartdaten;
  if (c >= 'f' && c <= 'n') return tdaMessdaten;
  if (c >= 't' && c <= 'w') return tdaEnddaten;
  if (c == 'y') return tdaNivKommentar;
  if (c == 'z') return tdaKoordinate;
  return tdaNone;
}

// ---- Record editor ----------------------------------------------------------------------

std::vector<EditorPanelSpec> Dl100EditorPanels(const TGeraeteFormat& format) {
  const std::string a8(8, 'A');
  const std::string a16(16, 'A');
  const std::string height = "\xB1" "999999999";
  const std::string coordinate = "\xB1" "999999.999";
  const std::string date = PictureFromDateFormat(format.Datumsformat);
  const std::string time = PictureFromDateFormat(format.Uhrzeitformat);
  return {
      {kPanelStartdaten, "TFTTTTTFFFF", "FFFFFFFFTTF",
       PictureItems({a8, "99999999", date, time, a16, a16, a16, a8, height, "9", "9.9999"})},
      {kPanelMessdaten, "TFFFFTTTFFFFT", "FFFFFTTFTTTFF",
       PictureItems({"99", "99999999", "99999999", a8, "9", "\xB1" "999999", "+999999", "99999", height, height,
                     "\xB1" "999999", date, time})},
      {kPanelEnddaten, "FFTTFFFFFFFFF", "FFFFFFFTFTTTT",
       PictureItems({a8, "99999999", date, time, a16, a16, a8, height, "999", height, height, "+99999999",
                     "+99999999"})},
      {kPanelBeschreibung, "T", "F", a16},
      {kPanelKoordinaten, "TTTTTF", "TFTTTF", PictureItems({"99999999", a16, coordinate, coordinate, coordinate})},
  };
}

std::optional<Dl100EditorFields> Dl100EditorFieldsFor(char letter) {
  switch (letter) {
    case 'a': return Dl100EditorFields{"Startdaten", "0T000000000", 0};
    case 'b': return Dl100EditorFields{"Startdaten", "0000000TT00", 0};
    case 'c': return Dl100EditorFields{"Startdaten", "0000000TTTT", 0};
    case 'f': return Dl100EditorFields{"Messdaten", "0TT0000000000", 447};
    case 'g': return Dl100EditorFields{"Messdaten", "0T0T00000T000", 512};
    case 'h': return Dl100EditorFields{"Messdaten", "0T0T0000T000T", 513};
    case 'i': return Dl100EditorFields{"Messdaten", "0T0T0000T000T", 514};
    case 'j': return Dl100EditorFields{"Messdaten", "0T0T0000T000T", 515};
    case 'k': return Dl100EditorFields{"Messdaten", "0T0T0000T000T", 516};
    case 'l': return Dl100EditorFields{"Messdaten", "0T0T0000T000T", 517};
    case 'm': return Dl100EditorFields{"Messdaten", "0FFFF000FFFF0", 518};
    case 'n': return Dl100EditorFields{"Messdaten", "0000T00000TT0", 518};
    case 't': return Dl100EditorFields{"Enddaten", "TT00000000000", 0};
    case 'u': return Dl100EditorFields{"Enddaten", "TT00TT0000000", 0};
    case 'v': return Dl100EditorFields{"Enddaten", "0000TTTTTTTTT", 0};
    case 'w': return Dl100EditorFields{"Enddaten", "0000TTTT0TTTT", 0};
    default: return std::nullopt;
  }
}

// ---- The module ---------------------------------------------------------------------------

TdmDL100::TdmDL100(TGeraete& geraete) : TDataModule("dmDL100"), geraete_(geraete), format_(geraete.Format("DL100")) {
  auto bind = [this](const char* name, TTransferDatenart kind, TNotifyReadEvent read, TNotifyWriteEvent write,
                     TNotifyStatistikEvent statistik) {
    TReadWriteDaten* rw = AddReadWriteDaten(*this, name, kind);
    rw->OnRead = std::move(read);
    rw->OnWrite = std::move(write);
    rw->OnStatistik = std::move(statistik);
    return rw;
  };
  auto koordinatenRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  auto koordinatenWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  auto koordinatenStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Koordinaten = bind("Koordinaten", tdaKoordinate, koordinatenRead, koordinatenWrite, koordinatenStatistik);
  NivKoordinaten = bind("NivKoordinaten", tdaNivKoordinate, koordinatenRead, koordinatenWrite, koordinatenStatistik);
  Startdaten = bind(
      "Startdaten", tdaStartdaten, [this](const std::string& S, TDaten& D) { StartdatenRead(S, D); },
      [this](TDaten& D) { return StartdatenWrite(D); },
      [this](const std::string& S, TTransferStatistik& St) { StartdatenStatistik(S, St); });
  Messdaten = bind(
      "Messdaten", tdaMessdaten, [this](const std::string& S, TDaten& D) { MessdatenRead(S, D); },
      [this](TDaten& D) { return MessdatenWrite(D); },
      [this](const std::string& S, TTransferStatistik& St) { MessdatenStatistik(S, St); });
  Enddaten = bind(
      "Enddaten", tdaEnddaten, [this](const std::string& S, TDaten& D) { EnddatenRead(S, D); },
      [this](TDaten& D) { return EnddatenWrite(D); },
      [this](const std::string& S, TTransferStatistik& St) { EnddatenStatistik(S, St); });
  NivKommentare = bind(
      "NivKommentare", tdaNivKommentar, [this](const std::string& S, TDaten& D) { NivKommentareRead(S, D); },
      [this](TDaten& D) { return NivKommentareWrite(D); }, nullptr);
  Kommentare = bind("Kommentare", tdaKommentar, nullptr, [this](TDaten& D) { return KommentareWrite(D); }, nullptr);

  if (!format_) return;
  TGeraeteFormat& f = *format_;
  f.Startdaten.assign(std::begin(kStartdaten), std::end(kStartdaten));
  f.Messdaten.assign(std::begin(kMessdaten), std::end(kMessdaten));
  f.Enddaten.assign(std::begin(kEnddaten), std::end(kEnddaten));
  f.Kommentare.assign(std::begin(kKommentare), std::end(kKommentare));
  f.Koordinaten = kKoordinaten;
  f.Ende = kEnde;
  auto add = [this](const std::string& templ) {
    if (templ.empty()) return;
    Layout layout;
    layout.parts = SplitParts(templ);
    for (size_t i = 1; i < layout.parts.size(); ++i)
      if (layout.parts[i].find('%') != std::string::npos) layout.conversions.push_back(i);
    layouts_.emplace_back(templ[0], std::move(layout));
  };
  for (const TStringList* list : {&f.Startdaten, &f.Messdaten, &f.Enddaten, &f.Kommentare})
    for (const std::string& templ : *list) add(templ);
  add(f.Koordinaten);

  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return DL100Format(S, Buf); };
  h.OnSetup = [this] { DefaultSetup(); };
  h.OnGetDatenart = [this](std::string& S) { return DL100GetDatenart(S); };
  h.OnSetTDA = [this](TTransferDatenart kind) { return DL100SetTDA(kind); };
  h.OnInitEditor = [this] { DL100InitEditor(); };
  h.OnEditNext = [this](const std::string& S) { return DL100EditNext(S); };
  geraete.BindFormatHandlers(f.Name, h);
}

TdmDL100::~TdmDL100() {
  if (format_) UnbindFormatHandlers(*format_, *this);
}

TTransferDatenart TdmDL100::LineKind(const std::string& line) {
  const TTransferDatenart kind = Dl100LineKind(line);
  if (kind == tdaStartdaten || kind == tdaMessdaten || kind == tdaEnddaten)
    editorFields_ = Dl100EditorFieldsFor(line[0]);
  else if (kind != tdaNone)
    editorFields_.reset();
  EditorPanelSetup* panels = EditorPanels();
  if (panels && editorFields_ && kind != tdaNone) {
    panels->EnablePanel(editorFields_->panel, editorFields_->flags);
    if (editorFields_->caption) panels->SetCaption(GetText(editorFields_->caption));
  }
  return kind;
}

const TdmDL100::Layout* TdmDL100::LayoutOf(char letter) const {
  for (const auto& [l, layout] : layouts_)
    if (l == letter) return &layout;
  return nullptr;
}

// The template of letter filled with values; "Error" when one cannot be
// written (a value holding the separator or a line break, a number that is
// not one).
std::string TdmDL100::Record(char letter, const std::vector<std::string>& values) const {
  const Layout* layout = LayoutOf(letter);
  if (!layout) return kWriteError;
  std::vector<std::string> parts = layout->parts;
  for (size_t i = 0; i < layout->conversions.size(); ++i) {
    std::string& part = parts[layout->conversions[i]];
    const std::string value = i < values.size() ? values[i] : std::string();
    if (value.find_first_of(",\r\n") != std::string::npos) {
      AddNote(kTextDl100Separator, {value});
      return kWriteError;
    }
    if (value.empty()) {
      part.clear();
      continue;
    }
    const std::optional<std::string> filled = FormatLayout(part, {LayoutArg(value)});
    if (!filled) return kWriteError;
    part = *filled;
  }
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += kSeparator;
    out += parts[i];
  }
  return out;
}

// A written record closed by its check character and ",".
std::string TdmDL100::Closed(const std::string& record) const {
  if (record == kWriteError) return record;
  const std::string ende = format_ && !format_->Ende.empty() ? format_->Ende : std::string(kEnde);
  return FormatLayoutOrError(ende, {record, std::string(1, Dl100CheckChar(record))});
}

void TdmDL100::ShowMethod(const std::string& key) const {
  int text = 0;
  switch (Dl100MethodCode(key)) {
    case 1: text = kTextDl100MethodBF; break;
    case 2: text = kTextDl100MethodBFFB; break;
    case 3: text = kTextDl100MethodBBFF; break;
    default: break;
  }
  if (StatisticsView* view = CurrentTransferEnvironment().statistics)
    view->SetMethodCaption(text ? GetText(text) : std::string());
}

// ---- Reading ------------------------------------------------------------------------------

void TdmDL100::StartdatenRead(const std::string& S, TDaten& Daten) {
  if (!S.empty()) Daten.Konstanten.Originalzeilen = S;
  const Fields<TStart>* spec = StartFields(Letter(S));
  const Layout* layout = LayoutOf(Letter(S));
  if (!spec || !layout || !format_) return;
  Daten.Start.Satzart = std::string(1, S[0]);
  ReadRecord(*spec, *layout, Dl100Fields(S), Daten.Start, *format_);
}

void TdmDL100::MessdatenRead(const std::string& S, TDaten& Daten) {
  if (!S.empty()) Daten.Konstanten.Originalzeilen = S;
  const char letter = Letter(S);
  const Fields<TMessung>* spec = MessungFields(letter);
  // The readings "g" to "l" share one layout.
  const Layout* layout = LayoutOf(letter >= 'g' && letter <= 'l' ? 'g' : letter);
  if (!spec || !layout || !format_) return;
  Daten.Messung.Satzart = std::string(1, letter);
  ReadRecord(*spec, *layout, Dl100Fields(S), Daten.Messung, *format_);
  ShowMethod(Daten.Messung.Satzkennung);
}

void TdmDL100::EnddatenRead(const std::string& S, TDaten& Daten) {
  if (!S.empty()) Daten.Konstanten.Originalzeilen = S;
  const Fields<TEnde>* spec = EndeFields(Letter(S));
  const Layout* layout = LayoutOf(Letter(S));
  if (!spec || !layout || !format_) return;
  Daten.Ende.Satzart = std::string(1, S[0]);
  ReadRecord(*spec, *layout, Dl100Fields(S), Daten.Ende, *format_);
}

void TdmDL100::NivKommentareRead(const std::string& S, TDaten& Daten) {
  if (!S.empty()) Daten.Konstanten.Originalzeilen = S;
  const Layout* layout = LayoutOf('y');
  if (Letter(S) != 'y' || !layout || layout->conversions.empty()) return;
  const std::vector<std::string_view> fields = Dl100Fields(S);
  Daten.Kommentar.Satzart = "y";
  if (layout->conversions[0] < fields.size()) Daten.Kommentar.Beschreibung = std::string(fields[layout->conversions[0]]);
}

// Key, point number, easting, northing, height (integers in units of the
// key's unit code) and code.
void TdmDL100::KoordinatenRead(const std::string& S, TDaten& Daten) {
  if (!S.empty()) Daten.Konstanten.Originalzeilen = S;
  const Layout* layout = LayoutOf('z');
  if (Letter(S) != 'z' || !layout || layout->conversions.size() < 6) return;
  const std::vector<std::string_view> fields = Dl100Fields(S);
  auto at = [&](size_t i) { return FieldText(fields, layout->conversions[i]); };
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfKoordinaten;
  p.Satzkennung = at(0);
  const char unit = Dl100UnitCode(p.Satzkennung);
  p.Punktnummer = at(1);
  p.Y = geraete_.ApplyOffset(Dl100ScaleA(at(2), unit), kOffsetAddX);
  p.X = geraete_.ApplyOffset(Dl100ScaleA(at(3), unit), kOffsetAddY);
  p.Hoehe = Dl100ScaleA(at(4), unit);
  p.Code1 = geraete_.OemToAnsiText(at(5));
}

// ---- Writing ----------------------------------------------------------------------------

std::string TdmDL100::StartdatenWrite(TDaten& Daten) {
  const TStart& s = Daten.Start;
  if (s.Satzart.empty() || !format_) return {};
  const Fields<TStart>* spec = StartFields(SatzartLetter(s.Satzart));
  if (!spec) return kWriteError;
  return Closed(Record(s.Satzart[0], RecordValues(*spec, s, *format_)));
}

std::string TdmDL100::MessdatenWrite(TDaten& Daten) {
  const TMessung& m = Daten.Messung;
  if (m.Satzart.empty() || !format_) return {};
  const Fields<TMessung>* spec = MessungFields(SatzartLetter(m.Satzart));
  if (!spec) return kWriteError;
  return Closed(Record(m.Satzart[0], RecordValues(*spec, m, *format_)));
}

std::string TdmDL100::EnddatenWrite(TDaten& Daten) {
  const TEnde& e = Daten.Ende;
  if (e.Satzart.empty() || !format_) return {};
  const Fields<TEnde>* spec = EndeFields(SatzartLetter(e.Satzart));
  if (!spec) return kWriteError;
  return Closed(Record(e.Satzart[0], RecordValues(*spec, e, *format_)));
}

std::string TdmDL100::NivKommentareWrite(TDaten& Daten) {
  const TKommentar& k = Daten.Kommentar;
  if (k.Satzart.empty()) return {};
  if (k.Satzart != "y") return kWriteError;
  return Closed(Record('y', {k.Beschreibung}));
}

// Without a record key the key of the coordinate unit chosen for writing;
// the values in units of the key's unit code. No check character.
std::string TdmDL100::KoordinatenWrite(TDaten& Daten) {
  TPunkt& p = Daten.Punkt;
  std::string key = TrimBlanks(p.Satzkennung);
  if (key.empty()) {
    const int index = KoordUnit();
    const char digit = index == 4 ? '7' : index == 5 ? '8' : index >= 6 && index <= 8 ? '4' : index == 9 ? '9'
                       : index == 10                          ? 'A'
                                                              : '1';
    key = std::string("0") + digit;
  }
  if (p.Y.empty()) p.Y = "0.000";
  if (p.X.empty()) p.X = "0.000";
  const int decimals = Dl100UnitOf(Dl100UnitCode(key)).a;
  auto units = [decimals](const std::string& value) -> std::optional<std::string> {
    const std::string text = TrimBlanks(value);
    if (text.empty()) return text;
    std::string scaled = ScaleNumber(text, decimals);
    if (scaled.empty() || scaled.size() > kCoordinateWidth) return std::nullopt;
    return scaled;
  };
  const auto y = units(geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX));
  const auto x = units(geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY));
  const auto h = units(p.Hoehe);
  if (!y || !x || !h || y->empty() || x->empty()) return kWriteError;
  const std::string point = TrimBlanks(p.Punktnummer);
  const std::string code = geraete_.AnsiToOemText(TrimBlanks(p.Code1));
  const std::string line = Record('z', {key, point, *y, *x, *h, code});
  if (line == kWriteError) return line;
  if (point.size() > kPointWidth) AddNote(kTextDl100PointCut, {point, std::to_string(kPointWidth), point.substr(0, kPointWidth)});
  if (code.size() > kCodeWidth) AddNote(kTextDl100CodeCut, {code, std::to_string(kCodeWidth), code.substr(0, kCodeWidth)});
  return line;
}

// ---- Statistics -------------------------------------------------------------------------

void TdmDL100::StartdatenStatistik(const std::string& S, TTransferStatistik& State) {
  const char letter = Letter(S);
  if (letter != 'b' && letter != 'c') return;
  const std::vector<std::string_view> fields = Dl100Fields(S);
  const std::string key = FieldText(fields, kKeyField);
  const Dl100Unit unit = Dl100UnitOf(Dl100UnitCode(key));
  const std::optional<int> start = RunningInput(S, fields, letter == 'b' ? kStartHeightFieldB : kStartHeightFieldC);
  if (!start) return;
  const long long height = *start * PowerOf10(HeightShift(unit));
  if (!FitsCell(height)) {
    AddNote(kTextDl100Integer, {std::to_string(letter == 'b' ? kStartHeightFieldB : kStartHeightFieldC), S});
    return;
  }
  Cells()[kCellHeight] = static_cast<int>(height);
  if (key.empty()) return;
  State.Starthoehe = Height(*start, unit.b, unit);
  State.BerechneteHoehe = unit.known ? Height(height, unit.a, unit) : State.Starthoehe;
}

void TdmDL100::MessdatenStatistik(const std::string& S, TTransferStatistik& State) {
  ++State.Fortschritt;
  const char letter = Letter(S);
  if (letter < 'g' || letter > 'k') return;
  switch (letter) {
    case 'g': ++State.Rueckblicke; break;
    case 'h': State.Methode = true; ++State.Rueckblicke; break;
    case 'i': ++State.Vorblicke; break;
    case 'j': State.Methode = true; ++State.Vorblicke; break;
    default: ++State.Mittelblicke; return;
  }
  const std::vector<std::string_view> fields = Dl100Fields(S);
  const std::optional<int> reading = RunningInput(S, fields, kReadingField);
  if (!reading) return;
  std::array<int, 4>& cells = Cells();
  const long long h = cells[kCellHeight];
  long long next = h;
  switch (letter) {
    case 'g': next = h + *reading; break;
    case 'h': next = h + (static_cast<long long>(*reading) - cells[kCellBacksight]) / 2; break;
    case 'i': next = h - *reading; break;
    default: next = h - (static_cast<long long>(*reading) - cells[kCellForesight]) / 2; break;
  }
  if (!FitsCell(next)) {
    AddNote(kTextDl100Integer, {std::to_string(kReadingField), S});
    return;
  }
  if (letter == 'g') cells[kCellBacksight] = *reading;
  if (letter == 'i') cells[kCellForesight] = *reading;
  cells[kCellHeight] = static_cast<int>(next);
  const std::string key = FieldText(fields, kKeyField);
  if (key.empty()) return;
  const Dl100Unit unit = Dl100UnitOf(Dl100UnitCode(key));
  State.BerechneteHoehe = Height(next, unit.a, unit);
}

void TdmDL100::EnddatenStatistik(const std::string& S, TTransferStatistik& State) {
  const char letter = Letter(S);
  if (letter != 'v' && letter != 'w') return;
  const std::vector<std::string_view> fields = Dl100Fields(S);
  const std::string key = FieldText(fields, kKeyField);
  if (key.empty()) return;
  const std::optional<int> end = RunningInput(S, fields, kEndHeightField);
  if (!end) return;
  const Dl100Unit unit = Dl100UnitOf(Dl100UnitCode(key));
  const long long misclosure = *end * PowerOf10(HeightShift(unit)) - Cells()[kCellHeight];
  State.Endhoehe = Height(*end, unit.b, unit);
  State.Differenz = Height(misclosure, unit.known ? unit.a : unit.b, unit);
}

void TdmDL100::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

// ---- Catalogue handlers -----------------------------------------------------------------

std::string TdmDL100::DL100Format(const std::string& S, const std::string& Buf) {
  if (!format_) return {};
  return RecogniseFormatLine(geraete_, *format_, "DL100", S, Buf, [this, &S](const std::string&) { return LineKind(S); });
}

void TdmDL100::DefaultSetup() { CurrentTransfer().ReceivedLines.clear(); }

void TdmDL100::DL100InitEditor() {
  if (format_) ConfigurePanels(Dl100EditorPanels(*format_));
}

std::string TdmDL100::DL100SetTDA(TTransferDatenart kind) { return format_ ? SelectKind(*format_, *this, kind) : ""; }

}  // namespace veltro
