#include "formats/office/CSV.h"

#include <algorithm>

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "platform/CodePage1252.h"

namespace veltro {
namespace {

constexpr int kTextNoColumn = 886;    // %s caption, %s column
constexpr int kTextNotANumber = 877;  // %s caption, %s line, %s value

// Settings below the configuration key.
constexpr const char* kSettingSeparator = "CSV\\Separator";
constexpr const char* kSettingDecimalPoint = "CSV\\Decimal point";

constexpr const char* kPointColumns[] = {"id", "code", "easting", "northing", "height", "comment"};
constexpr const char* kObservationColumns[] = {"station", "target_height", "hz", "v",
                                               "slope_distance", "horizontal_distance", "height_difference"};
constexpr size_t kObservationCount = std::size(kObservationColumns);
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr char kSeparators[] = {',', ';', '\t'};

// Column names a reader takes for each point field, in lower case.
enum Column { kId, kCode, kEasting, kNorthing, kHeight, kComment, kColumns };
const std::vector<std::string> kNames[kColumns] = {
    {"id", "name", "point", "punktnummer"}, {"code"}, {"easting", "y", "e", "east"},
    {"northing", "x", "n", "north"},        {"height", "h", "z", "elevation", "ele"}, {"comment", "description"}};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The index of each point field among the header's fields (-1: none).
std::vector<int> ColumnsOf(const std::vector<std::string>& header) {
  std::vector<int> at(kColumns, -1);
  for (size_t i = 0; i < header.size(); ++i) {
    const std::string name = Lower(TrimBlanks(header[i]));
    for (int c = 0; c < kColumns; ++c)
      if (at[c] < 0 && std::find(kNames[c].begin(), kNames[c].end(), name) != kNames[c].end())
        at[c] = static_cast<int>(i);
  }
  return at;
}

std::string WithoutMark(const std::string& text) {
  return text.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0 ? text.substr(kUtf8Mark.size()) : text;
}

// The separator whose header names easting and northing; '\0' when none.
char HeaderSeparator(const std::string& text) {
  const std::string first = text.substr(0, text.find_first_of("\r\n"));
  for (char sep : kSeparators) {
    std::vector<TdmCSV::Record> r = TdmCSV::SplitRecords(first, sep);
    if (r.empty()) continue;
    std::vector<int> at = ColumnsOf(r[0].fields);
    if (at[kEasting] >= 0 && at[kNorthing] >= 0) return sep;
  }
  return '\0';
}

}  // namespace

TdmCSV::TdmCSV(TDFD& dfd) : TdmGisFormat("dmCSV", dfd, *dfd.CSV) {
  AddOption(kSettingSeparator, ",");
  AddOption(kSettingDecimalPoint, ".");
}

char TdmCSV::Separator() const {
  const std::string s = Option(kSettingSeparator);
  if (s == "\\t" || s == "\t") return '\t';
  return s == ";" ? ';' : ',';
}

bool TdmCSV::DecimalComma() const { return Option(kSettingDecimalPoint) == ","; }

// ---- Writing ------------------------------------------------------------------------

std::string TdmCSV::Field(const std::string& value) const {
  const std::string utf8 = ToUtf8(value);
  if (utf8.find_first_of(std::string("\"\r\n") + Separator()) == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string TdmCSV::Number(const std::string& value) const {
  std::string n = value;
  if (DecimalComma()) std::replace(n.begin(), n.end(), '.', ',');
  return Field(n);
}

std::string TdmCSV::Row(const std::vector<std::string>& fields) const {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) row += Separator();
    row += fields[i];
  }
  return row;
}

std::vector<std::string> TdmCSV::Head() {
  shortRows_.clear();
  observations_ = false;
  std::vector<std::string> names(std::begin(kPointColumns), std::end(kPointColumns));
  return {Row(names)};
}

std::string TdmCSV::PointElement(const GisPoint& p) {
  shortRows_.push_back(CurrentTransfer().OutputLines.size());
  return Row({Field(p.Punktnummer), Field(p.Code1), Number(p.Y), Number(p.X), Number(p.Hoehe), Field(p.Kommentar)});
}

std::string TdmCSV::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  return StationPointElement(s);
}

std::string TdmCSV::ObservationRow(TDaten& Daten, bool withCoordinates) {
  const TPunkt& p = Daten.Punkt;
  std::vector<std::string> f{Field(p.Punktnummer), Field(p.Code1), "", "", "", Field(p.Kommentar)};
  if (withCoordinates) {
    auto g = GridPoint(p);
    if (!g) return kWriteError;
    f[2] = Number(g->Y);
    f[3] = Number(g->X);
    f[4] = Number(g->Hoehe);
  }
  f.push_back(Field(Daten.Station.Punktnummer));
  for (const std::string* v : {&p.Reflektorhoehe, &p.Horizontalwinkel, &p.Vertikalwinkel, &p.Schraegdistanz,
                               &p.Horizontaldistanz, &p.Vertikaldistanz}) {
    if (TrimBlanks(*v).empty()) {
      f.emplace_back();
      continue;
    }
    auto n = NormalNumber(*v);
    if (!n) return kWriteError;
    f.push_back(Number(*n));
  }
  observations_ = true;
  return Row(f);
}

std::string TdmCSV::AnschlusspunkteWrite(TDaten& Daten) {
  return ObservationRow(Daten, HasFlags(Daten.Punkt.Messflags, mfKoordinaten));
}

std::string TdmCSV::NeupunkteWrite(TDaten& Daten) { return AnschlusspunkteWrite(Daten); }

// With measurement rows every row gets the observation columns.
void TdmCSV::FinishBody(LineList& lines, size_t first) {
  if (!observations_ || first == 0) return;
  std::vector<std::string> names(std::begin(kObservationColumns), std::end(kObservationColumns));
  lines.Replace(first - 1, std::string(lines[first - 1]) + Separator() + Row(names));
  const std::string empty(kObservationCount, Separator());
  for (size_t index : shortRows_)
    if (index < lines.size()) lines.Replace(index, std::string(lines[index]) + empty);
}

// ---- Reading ------------------------------------------------------------------------

std::vector<TdmCSV::Record> TdmCSV::SplitRecords(const std::string& text, char separator) {
  std::vector<Record> records;
  Record r;
  std::string field;
  size_t line = 1;
  bool quoted = false, wasQuoted = false, any = false;
  r.line = line;
  auto endField = [&] {
    r.fields.push_back(std::move(field));
    field.clear();
    wasQuoted = false;
  };
  auto endRecord = [&] {
    endField();
    // A line of nothing is no record.
    if (!(r.fields.size() == 1 && r.fields[0].empty())) records.push_back(std::move(r));
    r = Record{};
    any = false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    if (!any) r.line = line;
    any = true;
    if (c == '"' && field.empty() && !wasQuoted) {
      quoted = wasQuoted = true;
    } else if (c == separator) {
      endField();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endRecord();
      ++line;
    } else {
      field += c;
    }
  }
  if (any || !field.empty()) endRecord();
  return records;
}

bool TdmCSV::IsDocument(const std::string& text) const { return HeaderSeparator(WithoutMark(text)) != '\0'; }

void TdmCSV::Parse(const std::string& bytes) {
  const std::string text = WithoutMark(bytes);
  const char sep = HeaderSeparator(text);
  if (sep == '\0') {
    Note(kTextNoColumn, "easting/northing");
    return;
  }
  // UTF-8 as written; a file that is not UTF-8 is taken as code page 1252.
  const bool utf8 = IsUtf8(text);
  const bool decimalComma = sep != ',' || DecimalComma();
  std::vector<Record> records = SplitRecords(text, sep);
  const std::vector<int> at = ColumnsOf(records.front().fields);
  for (size_t r = 1; r < records.size(); ++r) {
    const Record& rec = records[r];
    const std::string where = std::to_string(rec.line);
    auto field = [&](Column c) {
      const int i = at[c];
      if (i < 0 || static_cast<size_t>(i) >= rec.fields.size()) return std::string();
      return utf8 ? FromUtf8(rec.fields[static_cast<size_t>(i)], where) : rec.fields[static_cast<size_t>(i)];
    };
    const std::string y = field(kEasting), x = field(kNorthing), h = field(kHeight);
    // A measurement row without coordinates holds no point.
    if (TrimBlanks(y).empty() && TrimBlanks(x).empty()) continue;
    GisPoint p{TrimBlanks(field(kId)), TrimBlanks(field(kCode)), {}, {}, {}, field(kComment)};
    bool ok = true;
    for (auto [value, target] : {std::pair{&y, &p.Y}, std::pair{&x, &p.X}, std::pair{&h, &p.Hoehe}}) {
      if (target == &p.Hoehe && TrimBlanks(*value).empty()) continue;
      auto n = GisNumber(*value, decimalComma);
      if (!n) {
        Note(kTextNotANumber, where, *value);
        ok = false;
        break;
      }
      *target = *n;
    }
    if (ok) Emit(p);
  }
}

}  // namespace veltro
