#include "formats/instrument/GTS6.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';
constexpr char kEot = '\x04';
constexpr size_t kBlockCheckLength = 4;  // characters before each ETX
constexpr const char* kBlockFill = "_  ";  // start of the fill of the last block

// Header of a coordinate upload; the count of coordinates and "S" follow
// the second line.
constexpr const char* kUploadHeader1 = "F00F000";
constexpr const char* kUploadHeader2 = "TOPCON    +00001.000000100000-00";
constexpr int kUploadCountDigits = 4;

// Point codes an upload may hold (line index 0 to 49).
constexpr int kMaxPunktcodes = 50;

// FC-5 dates with "-" are month first.
constexpr const char* kFc5Datumsformat = "MM-DD-YY";

// clang-format off
#define GTS6_INFO "_!%s[_\"%s][_#%s][_$%s][_%%%s][_&%s]"
#define GTS6_STATION "_'%s_(%s_)%s"
#define GTS6_CODES "_:%\xAB" "3.3s%-10.10s"
#define GTS6_BLOCKS_1_TO_5                                                        \
  "?%9.9sm%7.7s%8.8sg%9.9s%1.1s%2.2s%3.3s%3.3s%3.3s",                             \
  "R%9.9sm%7.7s%8.8sg%9.9s%1.1s%2.2s%3.3s%3.3s%3.3s",                             \
  "<%7.7s%8.8s%5.5sg%3.3s",                                                       \
  "U%9.9s%9.9s%9.9sm%8.8sg%3.3s",                                                 \
  "/%11.11s%11.11s%11.11sm%9.9sg%3.3s"
#define GTS6_LINE_7 "_+%s_ a%8.8sg_ b%7.7sg_ c%8.8sm_*%s_,%s"
#define GTS6_BLOCKS_8_9                                                           \
  "(%10.10sm%8.8s%9.9sg%10.10s%1.1s%2.2s%5.5s%4.4s%2.2s%3.3s",                    \
  "*%10.10sm%8.8s%9.9sg%10.10s%1.1s%2.2s%5.5s%4.4s%2.2s%3.3s"

const Gts6Templates kGts6 = {
    GTS6_INFO, GTS6_STATION,
    "_+%-10.10s_ x%10.10s_ y%10.10s_ z%10.10s",
    GTS6_CODES,
    {"_+%s_ %s_*%s_,%s", GTS6_BLOCKS_1_TO_5,
     "W%10.10sm%8.8s%9.9sg%11.11s%11.11s%11.11s%1.1s%2.2s%5.5s%4.4s%3.3s",
     GTS6_LINE_7, GTS6_BLOCKS_8_9, "'%8.8s%9.9s%6.6sg%3.3s"},
};
const Gts6Templates kGts6x = {
    GTS6_INFO, GTS6_STATION,
    "_+%-10.10s_ x%12.12s_ y%12.12s_ z%12.12s",
    GTS6_CODES,
    {"_+%s_ [%s_*%s_,%s", GTS6_BLOCKS_1_TO_5,
     "[W%10.10sm%8.8s%9.9sg%13.13s%13.13s%13.13s%1.1s%2.2s%5.5s%4.4s%3.3s",
     GTS6_LINE_7, GTS6_BLOCKS_8_9, "'%8.8s%9.9s%6.6sg%3.3s"},
};
const Gts6Templates kFc5 = {
    GTS6_INFO, GTS6_STATION,
    "_+%s_ f%10.10sm_ g%10.10sm_ h%10.10sm[_*%s]",
    "",
    {"_+%s_ %s_*%s_,%s", GTS6_BLOCKS_1_TO_5,
     "W%10.10sm%8.8s%9.9sg%11.11s%11.11s%11.11s%1.1s%2.2s%5.5s%4.4s%3.3s",
     GTS6_LINE_7, GTS6_BLOCKS_8_9, "\xB4%8.8s%9.9s%6.6sg%3.3s"},
};
// clang-format on

// ---- Observation blocks ---------------------------------------------------------

enum class Value { SD, V, Hz, HD, VD, X, Y, H, Atm, Pc };

std::string& ValueOf(TPunkt& p, Value v) {
  switch (v) {
    case Value::SD: return p.Schraegdistanz;
    case Value::V: return p.Vertikalwinkel;
    case Value::Hz: return p.Horizontalwinkel;
    case Value::HD: return p.Horizontaldistanz;
    case Value::VD: return p.Vertikaldistanz;
    case Value::X: return p.X;
    case Value::Y: return p.Y;
    case Value::H: return p.Hoehe;
    case Value::Atm: return p.Atmosphaerenkorrektur;
    case Value::Pc: return p.Prismenkonstante;
  }
  return p.Hoehe;
}

// A field of a block read into the record: field index, decimals, target.
struct Take {
  int field;
  int decimals;
  Value target;
};

struct ReadRow {
  int templ;
  std::uint16_t flags;
  std::array<Take, 8> takes;
  int count;
};

// clang-format off
const ReadRow kReadRows[] = {
    {1, 0x01E0, {{{0, 3, Value::SD}, {1, 4, Value::V}, {2, 4, Value::Hz}, {3, 3, Value::HD}, {6, 3, Value::Atm}, {7, 3, Value::Pc}}}, 6},
    {2, 0x0560, {{{0, 3, Value::HD}, {1, 4, Value::V}, {2, 4, Value::Hz}, {3, 3, Value::VD}, {6, 3, Value::Atm}, {7, 3, Value::Pc}}}, 6},
    {3, 0x0260, {{{0, 4, Value::V}, {1, 4, Value::Hz}}}, 2},
    {4, 0x0820, {{{0, 3, Value::X}, {1, 3, Value::Y}, {2, 3, Value::H}, {3, 4, Value::Hz}}}, 4},
    {5, 0x2820, {{{0, 4, Value::X}, {1, 4, Value::Y}, {2, 4, Value::H}, {3, 5, Value::Hz}}}, 4},
    {6, 0x38E0, {{{0, 4, Value::SD}, {1, 5, Value::V}, {2, 5, Value::Hz}, {3, 4, Value::X}, {4, 4, Value::Y}, {5, 4, Value::H}, {8, 3, Value::Atm}, {9, 3, Value::Pc}}}, 8},
    {8, 0x11E0, {{{0, 4, Value::SD}, {1, 5, Value::V}, {2, 5, Value::Hz}, {3, 4, Value::HD}, {5, 4, Value::Atm}, {6, 3, Value::Pc}}}, 6},
    {9, 0x1560, {{{0, 4, Value::HD}, {1, 5, Value::V}, {2, 5, Value::Hz}, {3, 4, Value::VD}, {5, 4, Value::Atm}, {6, 3, Value::Pc}}}, 6},
    {10, 0x1260, {{{0, 5, Value::V}, {1, 5, Value::Hz}}}, 2},
};
// clang-format on

// One value of a written block: a record value in its picture (GTS-6x
// picture where it differs), or field `takeOver` of the last block read.
struct Item {
  Value value;
  const char* picture;
  const char* pictureX = nullptr;
  int takeOver = -1;
};

constexpr Item TakeOver(int field) { return {Value::SD, nullptr, nullptr, field}; }

#define PM "\xB1"  // "±" in a picture
struct WriteRow {
  std::uint16_t flags;
  bool exact;  // equals flags, else contains them
  int templ;
  std::array<Item, 12> items;
  int count;
};

// clang-format off
const WriteRow kWriteRows[] = {
    {0x1260, true, 10, {{{Value::V, "999.99999"}, {Value::Hz, PM "999.99999"}, TakeOver(2), TakeOver(3)}}, 4},
    {0x1560, true, 9, {{{Value::HD, PM "99999.9999"}, {Value::V, "999.99999"}, {Value::Hz, PM "999.99999"},
                        {Value::VD, PM "99999.9999"}, TakeOver(4), TakeOver(5), TakeOver(6), TakeOver(7), TakeOver(8),
                        TakeOver(9)}}, 10},
    {0x11E0, true, 8, {{{Value::SD, PM "99999.9999"}, {Value::V, "999.99999"}, {Value::Hz, PM "999.99999"},
                        {Value::HD, PM "99999.9999"}, TakeOver(4), TakeOver(5), TakeOver(6), TakeOver(7), TakeOver(8),
                        TakeOver(9)}}, 10},
    {0x38E0, true, 6, {{{Value::SD, PM "99999.9999"}, {Value::V, "999.99999"}, {Value::Hz, PM "999.99999"},
                        {Value::X, PM "999999.9999", PM "99999999.9999"}, {Value::Y, PM "999999.9999", PM "99999999.9999"},
                        {Value::H, PM "999999.9999", PM "99999999.9999"}, TakeOver(6), TakeOver(7), TakeOver(8),
                        TakeOver(9), TakeOver(10)}}, 11},
    {0x2820, true, 5, {{{Value::X, PM "999999.9999", PM "99999999.9999"}, {Value::Y, PM "999999.9999", PM "99999999.9999"},
                        {Value::H, PM "999999.9999", PM "99999999.9999"}, {Value::Hz, PM "999.99999"}, TakeOver(4)}}, 5},
    {0x0820, true, 4, {{{Value::X, PM "99999.999", PM "9999999.999"}, {Value::Y, PM "99999.999", PM "9999999.999"},
                        {Value::H, PM "99999.999", PM "9999999.999"}, {Value::Hz, PM "999.9999"}, TakeOver(4)}}, 5},
    {0x0260, false, 3, {{{Value::V, "999.9999"}, {Value::Hz, PM "999.9999"}, TakeOver(2), TakeOver(3)}}, 4},
    {0x0560, false, 2, {{{Value::HD, PM "99999.999"}, {Value::V, "999.9999"}, {Value::Hz, PM "999.9999"},
                         {Value::VD, PM "99999.999"}, TakeOver(4), TakeOver(5), TakeOver(6), TakeOver(7), TakeOver(8)}}, 9},
    {0x00E0, false, 1, {{{Value::SD, PM "99999.999"}, {Value::V, "999.9999"}, {Value::Hz, PM "999.9999"},
                         {Value::HD, PM "99999.999"}, TakeOver(4), TakeOver(5), TakeOver(6), TakeOver(7), TakeOver(8)}}, 9},
};
// clang-format on
constexpr int kCoordinateRowFirst = 3;  // rows 4 to 6 (index 3 to 5) carry coordinates
constexpr int kCoordinateRowLast = 5;
constexpr int kLastRow = 8;              // row 9: FC-5 writes a whole line
constexpr std::uint16_t kRow9Excluded = 0x2000;
constexpr std::uint16_t kFc5LineFlags = 0x00E0;  // Messflags of an FC-5 "_ a" line

bool RowMatches(const WriteRow& row, std::uint16_t flags, int index) {
  if (row.exact) return flags == row.flags;
  if (!HasFlags(flags, row.flags)) return false;
  return index != kLastRow || (flags & kRow9Excluded) == 0;
}

std::string WithoutBracket(const std::string& text) {
  return !text.empty() && text[0] == '[' ? text.substr(1) : text;
}

// Template 0 without the "[" that GTS-6x puts after "_ ": the block is the
// field after "_ ", with or without its own "[".
std::string PlainOuterTemplate(std::string layout) {
  ReplaceAll(layout, "_ [", "_ ");
  return layout;
}

// Field width of a picture: its digits and sign.
int PictureWidth(const char* picture) {
  int n = 0;
  for (const char* c = picture; *c; ++c)
    if (*c != '.') ++n;
  return n;
}

// The unit letters of a fixed-width block template (after its block
// letter), as positions in the block text.
struct BlockLayout {
  std::vector<size_t> letters;
};

BlockLayout MeasureBlock(const std::string& layout) {
  BlockLayout b;
  if (const auto empty = FormatLayout(layout, LayoutArgs(CutFields(layout, "").size(), LayoutArg("")))) {
    for (size_t i = 1; i < empty->size(); ++i) {
      const char c = (*empty)[i];
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) b.letters.push_back(i);
    }
  }
  return b;
}

// ScaleNumber(text, -decimals) into out, with a shortcut for the usual
// field of a sign and up to 18 digits.
void ScaledInteger(std::string_view text, int decimals, std::string& out) {
  const size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  const size_t n = text.size() - sign;
  auto general = [&] { out = ScaleNumber(std::string(text), -decimals); };
  if (n == 0 || n > 18 || decimals < 0 || decimals > 18) return general();
  size_t lead = sign;
  while (lead < text.size() && text[lead] == '0') ++lead;
  for (size_t i = lead; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return general();
  const std::string_view digits = text.substr(lead);
  // The value that ParseNumber reserves for "no value".
  static_assert(kNoValue == 2147483647.0);
  if (digits == "2147483647") return general();
  const auto places = static_cast<size_t>(decimals);
  // Sign, integer digits (at least "0"), point and decimals: at most 40.
  char buffer[48];
  size_t k = 0;
  if (digits.empty()) {
    buffer[k++] = '0';
    if (places > 0) {
      buffer[k++] = '.';
      std::memset(buffer + k, '0', places);
      k += places;
    }
    out.assign(buffer, k);
    return;
  }
  if (text[0] == '-') buffer[k++] = '-';
  const size_t whole = digits.size() > places ? digits.size() - places : 0;
  if (whole == 0) buffer[k++] = '0';
  std::memcpy(buffer + k, digits.data(), whole);
  k += whole;
  if (places > 0) {
    buffer[k++] = '.';
    if (digits.size() < places) {
      std::memset(buffer + k, '0', places - digits.size());
      k += places - digits.size();
    }
    std::memcpy(buffer + k, digits.data() + whole, digits.size() - whole);
    k += digits.size() - whole;
  }
  out.assign(buffer, k);
}

constexpr char kPastEnd = '\x01';
constexpr size_t kPastEndLength = 64;  // more than any field is wide

// Fields of a line cut by a layout, as views; a field that the line's end
// cuts short is flagged (a number there is no value) and holds what the
// line has of it. The views point into the cutter, which is reused from
// line to line.
class EndCutter {
 public:
  // A layout of sized fields only, as offsets and widths in the line
  // (what CutFields takes of a line long enough); nullopt otherwise.
  using Span = std::pair<size_t, size_t>;  // offset, width
  static std::optional<std::vector<Span>> FixedSpans(const std::string& layout) {
    const std::vector<int> widths = FieldWidths(layout);
    if (widths.empty()) return std::nullopt;
    size_t total = 0;
    for (int w : widths) {
      if (w <= 0) return std::nullopt;
      total += static_cast<size_t>(w);
    }
    const std::string probe(total + layout.size(), 'x');
    std::vector<std::string_view> fields;
    CutFieldViews(layout, probe, fields);
    std::vector<Span> spans;
    for (std::string_view f : fields) spans.emplace_back(static_cast<size_t>(f.data() - probe.data()), f.size());
    return spans;
  }

  // Cut by fixed spans: the same fields and flags as Cut gives.
  void Cut(const std::vector<Span>& spans, std::string_view line) {
    fields_.resize(spans.size());
    cut_.assign(spans.size(), false);
    for (size_t k = 0; k < spans.size(); ++k) {
      const auto [offset, width] = spans[k];
      if (offset >= line.size()) {
        fields_[k] = {};
        cut_[k] = offset < line.size() + kPastEndLength;
      } else if (offset + width > line.size()) {
        fields_[k] = TrimBlanksView(line.substr(offset));
        cut_[k] = true;
      } else {
        fields_[k] = TrimBlanksView(line.substr(offset, width));
      }
    }
  }

  void Cut(const std::string& layout, std::string_view line) {
    padded_.assign(line);
    padded_.append(kPastEndLength, kPastEnd);
    CutFieldViews(layout, padded_, fields_);
    cut_.assign(fields_.size(), false);
    for (size_t k = 0; k < fields_.size(); ++k) {
      std::string_view& f = fields_[k];
      const size_t past = f.find(kPastEnd);
      if (past == std::string_view::npos) continue;
      cut_[k] = true;
      f = TrimBlanksView(f.substr(0, past));
    }
  }
  size_t size() const { return fields_.size(); }
  std::string_view Text(size_t k) const { return k < fields_.size() ? fields_[k] : std::string_view(); }
  // The field as a number with its decimals; empty when absent or cut.
  void Number(size_t k, int decimals, std::string& out) const {
    if (k < fields_.size() && !cut_[k])
      ScaledInteger(fields_[k], decimals, out);
    else
      out.clear();
  }
  std::string Number(size_t k, int decimals) const {
    std::string out;
    Number(k, decimals, out);
    return out;
  }

 private:
  std::string padded_;
  std::vector<std::string_view> fields_;
  std::vector<bool> cut_;
};

const BlockLayout& Measured(const std::string& layout) {
  static std::unordered_map<std::string, BlockLayout> cache;
  auto it = cache.find(layout);
  if (it == cache.end()) it = cache.emplace(layout, MeasureBlock(layout)).first;
  return it->second;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsGtsStreamTag(const std::string& tag) {
  return tag == "kFC5" || tag == "kGTS6" || tag == "kGTS6x" || tag == "dFC5" || tag == "dGTS6" || tag == "dGTS6x";
}

// A trailing fill ("_" and blanks before any final CR, LF or EOT) of an
// unframed text is removed.
void RemoveTrailingFill(std::string& text) {
  const size_t last = text.find_last_not_of(" \r\n\x04");
  if (last == std::string::npos || text[last] != '_') return;
  if (last + 1 >= text.size() || text[last + 1] != ' ') return;
  const size_t endOfBlanks = text.find_first_not_of(' ', last + 1);
  text.erase(last, (endOfBlanks == std::string::npos ? text.size() : endOfBlanks) - last);
}

// Block frames out of the text from start on, which holds ETX (see
// GtsPrepareStream), in place: the body is never longer than what it is
// taken from, but for a record mark put before it.
void RemoveBlockFrames(std::string& s, size_t start) {
  size_t r = start;
  if (r < s.size() && s[r] == kStx) ++r;
  size_t w = 0;
  if (r == s.size() || s[r] != '_') {
    if (r == 0) {
      s.insert(s.begin(), '_');
      ++r;
    }
    s[w++] = '_';
  }
  size_t blockStart = w;
  // The part [from, from + n) moved to the end of the body.
  auto take = [&](size_t from, size_t n) {
    std::memmove(s.data() + w, s.data() + from, n);
    w += n;
  };
  while (r < s.size()) {
    const size_t etx = s.find(kEtx, r);
    if (etx == std::string::npos) {
      take(r, s.size() - r);
      break;
    }
    take(r, etx - r);
    const size_t check = w >= blockStart + kBlockCheckLength ? w - kBlockCheckLength : blockStart;
    const size_t next = s.find_first_of("\x02\x04", etx + 1);
    if (next != std::string::npos && s[next] == kStx) {
      w = check;
      blockStart = w;
      r = next + 1;
      continue;
    }
    // The last block: after it only an EOT, or nothing (a capture cut short).
    const size_t fill = std::string_view(s.data(), w).find(kBlockFill, blockStart);
    w = fill != std::string::npos && fill < check ? fill : check;
    break;
  }
  s.resize(w);
}

bool IsRecordMark(std::string_view text, size_t i) {
  if (text[i] == kEot) return true;
  if (text[i] != '_' || i + 1 >= text.size()) return false;
  const char c = text[i + 1];
  return c == '!' || c == '\'' || c == '+';
}

}  // namespace

// ---- Free functions -------------------------------------------------------------------

const Gts6Templates& Gts6FormatTemplates() { return kGts6; }
const Gts6Templates& Gts6xFormatTemplates() { return kGts6x; }
const Gts6Templates& Fc5FormatTemplates() { return kFc5; }

TTransferDatenart GtsLineKind(const std::string& tag, const std::string& line) {
  if (!tag.empty() && tag[0] == 'k' && (tag == "kGTS6x" || tag == "kGTS6" || tag == "kFC5"))
    return line.rfind("_+", 0) == 0 ? tdaKoordinate : tdaNone;
  if (!tag.empty() && tag[0] == 'p' && tag == "pGTS6") return line.rfind("_:", 0) == 0 ? tdaPunktcode : tdaNone;
  if (line.size() < 2) return tdaNone;
  switch (line[1]) {
    case '!': return tdaInformation;
    case '\'': return tdaStation;
    case '+': return tdaNeupunkt;
    default: return tdaNone;
  }
}

bool IsGtsStreamFormat(const std::string& formatName) {
  return formatName == "FC5" || formatName == "GTS6" || formatName == "GTS6x";
}

void GtsPrepareStream(std::string text, const std::function<void(std::string_view)>& piece) {
  if (!IsGtsStreamTag(DetectFormat(text.substr(0, kFormatBufferSize)))) {
    piece(text);
    return;
  }
  const size_t stx = text.find(kStx);
  const size_t start = stx != std::string::npos ? stx : 0;
  if (text.find(kEtx, start) != std::string::npos) {
    RemoveBlockFrames(text, start);
  } else {
    text.erase(0, start);
    RemoveTrailingFill(text);
  }
  // A leading line break goes; no record mark follows one.
  const std::string_view view = text.starts_with("\r\n") ? std::string_view(text).substr(2) : std::string_view(text);

  // A line break before every record mark that does not start a line; text
  // already one record per line comes back as it is.
  size_t from = 0;
  size_t nextEot = view.find(kEot, 1);
  size_t nextMark = view.find('_', 1);
  while (nextMark != std::string_view::npos || nextEot != std::string_view::npos) {
    const size_t i = std::min(nextMark, nextEot);
    if (i == nextEot)
      nextEot = view.find(kEot, i + 1);
    else
      nextMark = view.find('_', i + 1);
    if (!IsRecordMark(view, i)) continue;
    if (view[i - 1] == '\n' || view[i - 1] == '\r') continue;
    piece(view.substr(from, i - from));
    piece("\r\n");
    from = i;
  }
  piece(view.substr(from));
}

std::string GtsPrepareStream(std::string text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  GtsPrepareStream(std::move(text), [&out](std::string_view p) { out.append(p); });
  return out;
}

namespace {
// GtsCleanLine as a view: into line when it holds no erase mark, else into
// scratch.
std::string_view CleanLineView(const std::string& line, std::string& scratch) {
  std::string_view in = line;
  while (!in.empty() && (in.back() == '\r' || in.back() == '\n')) in.remove_suffix(1);
  if (in.find('`') == std::string_view::npos) return in;
  std::string& out = scratch;
  out.clear();
  out.reserve(in.size());
  for (char c : in) {
    if (c != '`') {
      out += c;
      continue;
    }
    const size_t mark = out.rfind('_');
    if (mark == std::string::npos)
      out.clear();
    else if (mark + 2 <= out.size())
      out.resize(mark + 2);
  }
  return out;
}
}  // namespace

std::string GtsCleanLine(const std::string& line) {
  std::string scratch;
  return std::string(CleanLineView(line, scratch));
}

// ---- The module ------------------------------------------------------------------------

namespace {
void FillTemplates(TGeraeteFormat& format, const Gts6Templates& t) {
  format.Informationen = {t.Informationen};
  format.Stationspunkt = {t.Stationspunkt};
  format.Koordinaten = t.Koordinaten;
  format.Punktcodes = t.Punktcodes;
  format.Detailpunkt.assign(std::begin(t.Detailpunkt), std::end(t.Detailpunkt));
}
}  // namespace

TdmGTS6::TdmGTS6(TGeraete& geraete)
    : TDataModule("dmGTS6"),
      geraete_(geraete),
      fc5_(geraete.Format("FC5")),
      gts6_(geraete.Format("GTS6")),
      gts6x_(geraete.Format("GTS6x")),
      scratch_(std::make_unique<ReadScratch>()) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Punktcodes = AddReadWriteDaten(*this, "Punktcodes", tdaPunktcode);
  Punktcodes->OnRead = [this](const std::string& S, TDaten& D) { PunktcodesRead(S, D); };
  Punktcodes->OnWrite = [this](TDaten& D) { return PunktcodesWrite(D); };
  Punktcodes->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { PunktcodesStatistik(S, St); };
  Informationen = AddReadWriteDaten(*this, "Informationen", tdaInformation);
  Informationen->OnRead = [this](const std::string& S, TDaten& D) { InformationenRead(S, D); };
  Informationen->OnWrite = [this](TDaten& D) { return InformationenWrite(D); };
  Stationen = AddReadWriteDaten(*this, "Stationen", tdaStation);
  Stationen->OnRead = [this](const std::string& S, TDaten& D) { StationenRead(S, D); };
  Stationen->OnWrite = [this](TDaten& D) { return StationenWrite(D); };
  Stationen->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { StationenStatistik(S, St); };
  Neupunkte = AddReadWriteDaten(*this, "Neupunkte", tdaNeupunkt);
  Neupunkte->OnRead = [this](const std::string& S, TDaten& D) { NeupunkteRead(S, D); };
  Neupunkte->OnWrite = [this](TDaten& D) { return NeupunkteWrite(D); };
  Neupunkte->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { NeupunkteStatistik(S, St); };
  Kommentare = AddReadWriteDaten(*this, "Kommentare", tdaKommentar);
  Kommentare->OnWrite = [this](TDaten& D) { return KommentareWrite(D); };

  const std::pair<TGeraeteFormat*, const Gts6Templates*> formats[] = {{fc5_, &kFc5}, {gts6_, &kGts6}, {gts6x_, &kGts6x}};
  for (const auto& [format, templates] : formats) {
    if (!format) continue;
    FillTemplates(*format, *templates);
    TGeraeteFormat* f = format;
    GeraeteFormatHandlers h;
    h.OnFormat = [this, f](const std::string& S, const std::string& Buf) { return Format(*f, S, Buf); };
    h.OnSetup = [&geraete] { geraete.DefaultSetup(); };
    h.OnInitWrite = [this, f] { InitWrite(*f); };
    h.OnAfterTrans = [this, f] { AfterTrans(*f); };
    h.OnGetDatenart = [this](std::string& S) { return GetDatenart(S); };
    // The frame and header lines of a download ("F00F000", "TOPCON ...").
    h.OnFrameLine = [](const std::string& S) {
      const size_t start = !S.empty() && S[0] == '\x02' ? 1 : 0;
      return S.compare(start, 3, "F00") == 0 || S.compare(start, 6, "TOPCON") == 0;
    };
    h.OnSetTDA = [this, f](TTransferDatenart kind) { return SetTDA(*f, kind); };
    h.OnPrepEditor = [this](const std::string& Buffer) { return PrepEditor(Buffer); };
    h.OnInitEditor = [this, f] { InitEditor(*f); };
    h.OnEditNext = [this](const std::string& S) { return EditNext(S); };
    geraete.BindFormatHandlers(format->Name, h);
  }
}

// Buffers the readers reuse from record to record.
struct TdmGTS6::ReadScratch {
  std::string clean;
  std::vector<std::string_view> outer;
  EndCutter block;
  EndCutter line;
};

TdmGTS6::~TdmGTS6() {
  for (TGeraeteFormat* f : {fc5_, gts6_, gts6x_})
    if (f) UnbindFormatHandlers(*f, *this);
}

// The current format when it is one of the three (the handlers are bound to
// them only), else GTS-6.
TGeraeteFormat& TdmGTS6::CurrentFormat() const {
  TGeraeteFormat& current = geraete_.CurrentGeraeteFormat();
  if (&current == fc5_ || &current == gts6_ || &current == gts6x_ || !gts6_) return current;
  return *gts6_;
}

bool TdmGTS6::IsGts6x() const { return &CurrentFormat() == gts6x_; }

const std::string& TdmGTS6::Template(int index) const {
  static const std::string kNone;
  const TStringList& list = CurrentFormat().Detailpunkt;
  return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)] : kNone;
}

// ---- Reading ------------------------------------------------------------------------------

void TdmGTS6::InformationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  TGeraeteFormat& format = CurrentFormat();
  const std::string layout = format.Informationen.empty() ? std::string() : format.Informationen.front();
  const std::vector<std::string> f = CutFieldsByKey(layout, GtsCleanLine(S));
  if (f.size() < 6) return;
  TInfo& info = Daten.Info;
  info.Projekt = f[0];
  info.Beobachter = f[1];
  info.Instrument = f[2];
  std::string date = f[3];
  if (!date.empty()) {
    if (date.size() > format.Datumsformat.size()) date = ReplaceMonthNames(date);
    info.Zeitpunkt = ParseDate(date.find('-') == std::string::npos ? format.Datumsformat : kFc5Datumsformat, date);
  }
  Daten.Station.Temperatur = f[4];
  Daten.Station.Luftdruck = f[5];
}

void TdmGTS6::StationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const TGeraeteFormat& format = CurrentFormat();
  if (format.Stationspunkt.empty()) return;
  const std::vector<std::string> f = CutFields(format.Stationspunkt.front(), GtsCleanLine(S));
  if (f.size() < 3) return;
  Daten.Station.Punktnummer = f[0];
  Daten.Station.Code = geraete_.OemToAnsiText(f[1]);
  Daten.Station.Instrumentenhoehe = f[2];
}

void TdmGTS6::KoordinatenRead(const std::string& S, TDaten& Daten) {
  if (S.rfind("_+", 0) != 0) return;
  Daten.Konstanten.Originalzeilen = S;
  EndCutter& c = scratch_->line;
  c.Cut(CurrentFormat().Koordinaten, CleanLineView(S, scratch_->clean));
  if (c.size() < 4) return;
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = c.Text(0);
  p.X = geraete_.ApplyOffset(c.Number(1, 3), kOffsetAddY);
  p.Y = geraete_.ApplyOffset(c.Number(2, 3), kOffsetAddX);
  if (c.Text(3).empty())
    p.Hoehe = "0";
  else
    c.Number(3, 3, p.Hoehe);
  if (c.size() >= 5) p.Code1 = geraete_.OemToAnsiText(std::string(c.Text(4)));
}

void TdmGTS6::PunktcodesRead(const std::string& S, TDaten& Daten) {
  if (S.rfind("_:", 0) != 0) return;
  const std::string line = GtsCleanLine(S);
  Daten.Konstanten.Originalzeilen = line;
  const std::vector<std::string> f = CutFields(CurrentFormat().Punktcodes, line);
  if (f.size() >= 2) Daten.Punktcode.Code = geraete_.OemToAnsiText(f[1]);
}

const TdmGTS6::Layouts& TdmGTS6::CurrentLayouts() {
  const TGeraeteFormat& format = CurrentFormat();
  if (layouts_.format == &format && layouts_.source == format.Detailpunkt) return layouts_;
  Layouts l;
  l.format = &format;
  l.source = format.Detailpunkt;
  l.outer = PlainOuterTemplate(Template(0));
  l.rowOfLetter.fill(-1);
  for (int i = 0; i < static_cast<int>(l.source.size()); ++i) {
    l.blocks.push_back(WithoutBracket(Template(i)));
    l.spans.push_back(EndCutter::FixedSpans(l.blocks.back()));
  }
  for (int r = 0; r < static_cast<int>(std::size(kReadRows)); ++r) {
    const size_t t = static_cast<size_t>(kReadRows[r].templ);
    if (t < l.blocks.size() && !l.blocks[t].empty()) {
      int& row = l.rowOfLetter[static_cast<unsigned char>(l.blocks[t][0])];
      if (row < 0) row = r;
    }
  }
  layouts_ = std::move(l);
  return layouts_;
}

void TdmGTS6::ReadBlock(const Layouts& layouts, std::string_view block, TPunkt& p) {
  if (!block.empty() && block[0] == '[') block.remove_prefix(1);
  if (block.empty()) return;
  const int r = layouts.rowOfLetter[static_cast<unsigned char>(block[0])];
  if (r < 0) return;
  const ReadRow& row = kReadRows[r];
  const size_t t = static_cast<size_t>(row.templ);
  const std::string& layout = layouts.blocks[t];
  p.Messflags = row.flags;
  EndCutter& cut = scratch_->block;
  if (const auto& spans = layouts.spans[t])
    cut.Cut(*spans, block);
  else
    cut.Cut(layout, block);
  for (int i = 0; i < row.count; ++i) {
    const Take& take = row.takes[static_cast<size_t>(i)];
    std::string& target = ValueOf(p, take.target);
    cut.Number(static_cast<size_t>(take.field), take.decimals, target);
    if (take.target == Value::X) target = geraete_.ApplyOffset(target, kOffsetAddY);
    if (take.target == Value::Y) target = geraete_.ApplyOffset(target, kOffsetAddX);
  }
  // Its fields and letters are taken when a block is written.
  last_.templ = row.templ;
  last_.block.assign(block);
  last_.layout.assign(layout);
  last_.pending = true;
}

void TdmGTS6::TakeLastBlock() {
  if (!last_.pending) return;
  last_.pending = false;
  EndCutter cut;
  cut.Cut(last_.layout, last_.block);
  last_.fields.resize(cut.size());
  for (size_t k = 0; k < cut.size(); ++k) last_.fields[k].assign(cut.Text(k));
  last_.letters.clear();
  for (size_t pos : Measured(last_.layout).letters)
    last_.letters += pos < last_.block.size() ? last_.block[pos] : last_.layout[0];
}

void TdmGTS6::NeupunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const std::string_view line = CleanLineView(S, scratch_->clean);
  TPunkt& p = Daten.Punkt;
  if (line.find("_ a") != std::string::npos) {
    p.Messflags = kFc5LineFlags;
    EndCutter& c = scratch_->line;
    c.Cut(Template(7), line);
    if (c.size() < 6) return;
    p.Punktnummer = c.Text(0);
    c.Number(1, 4, p.Horizontalwinkel);
    c.Number(2, 4, p.Vertikalwinkel);
    c.Number(3, 3, p.Schraegdistanz);
    p.Code1 = geraete_.OemToAnsiText(std::string(c.Text(4)));
    p.Reflektorhoehe = c.Text(5);
    return;
  }
  const Layouts& layouts = CurrentLayouts();
  std::vector<std::string_view>& f = scratch_->outer;
  CutFieldViews(layouts.outer, line, f);
  if (f.size() < 4) return;
  p.Punktnummer = f[0];
  ReadBlock(layouts, f[1], p);
  if (f[2].empty() || !layouts.format->OEMConvert)
    p.Code1 = f[2];
  else
    p.Code1 = OemToAnsi(std::string(f[2]));
  p.Reflektorhoehe = f[3];
}

// ---- Writing ------------------------------------------------------------------------------

namespace {
// Fills a layout and checks that no value was cut to its field: each
// value must come back whole when the result is cut again.
std::optional<std::string> FillWhole(const std::string& layout, const std::vector<std::string>& values) {
  LayoutArgs args(values.begin(), values.end());
  auto text = FormatLayout(layout, args);
  if (!text) return std::nullopt;
  const std::vector<std::string> back = CutFields(layout, *text);
  if (back.size() < values.size()) return std::nullopt;
  for (size_t i = 0; i < values.size(); ++i)
    if (back[i] != TrimBlanks(values[i])) return std::nullopt;
  return text;
}
}  // namespace

std::string TdmGTS6::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  const char* picture = IsGts6x() ? PM "99999999.999" : PM "999999.999";
  const auto x = FormatPicture(geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY), picture);
  const auto y = FormatPicture(geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX), picture);
  const auto h = FormatPicture(TrimBlanks(p.Hoehe), picture);
  if (!x || !y || !h) return kWriteError;
  std::vector<std::string> values = {UpperAscii(TrimBlanks(p.Punktnummer)), *x, *y, *h};
  const std::string& layout = CurrentFormat().Koordinaten;
  if (CutFields(layout, "").size() >= 5) values.push_back(geraete_.AnsiToOemText(p.Code1));
  const auto line = FillWhole(layout, values);
  return line ? *line : kWriteError;
}

std::string TdmGTS6::PunktcodesWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const int n = ++Daten.Konstanten.Hilfswerte[3];
  if (Daten.Konstanten.Zeile >= kMaxPunktcodes) return kWriteError;
  const std::string layout = gts6_ ? gts6_->Punktcodes : kGts6.Punktcodes;
  return FormatLayoutOrError(layout, {"00" + std::to_string(n), geraete_.AnsiToOemText(Daten.Punktcode.Code)});
}

std::string TdmGTS6::InformationenWrite(TDaten& Daten) {
  TGeraeteFormat& format = CurrentFormat();
  if (format.Informationen.empty()) return kWriteError;
  const TInfo& info = Daten.Info;
  const std::string date = info.Zeitpunkt != 0 ? FormatDate(format.Datumsformat, info.Zeitpunkt) : std::string();
  return FormatLayoutOrError(format.Informationen.front(), {info.Projekt, info.Beobachter, info.Instrument, date,
                                                            Daten.Station.Temperatur, Daten.Station.Luftdruck});
}

std::string TdmGTS6::StationenWrite(TDaten& Daten) {
  TGeraeteFormat& format = CurrentFormat();
  if (format.Stationspunkt.empty()) return kWriteError;
  const TStation& s = Daten.Station;
  return FormatLayoutOrError(format.Stationspunkt.front(),
                             {s.Punktnummer, geraete_.AnsiToOemText(s.Code), s.Instrumentenhoehe});
}

namespace {
// Index of the first write row matching flags; -1 for none.
int FirstRow(std::uint16_t flags) {
  for (int r = 0; r < static_cast<int>(std::size(kWriteRows)); ++r)
    if (RowMatches(kWriteRows[r], flags, r)) return r;
  return -1;
}

// A value in its picture; blanks of the field's width when it is empty.
std::optional<std::string> PictureOrBlanks(const std::string& value, const char* picture) {
  const std::string t = TrimBlanks(value);
  if (t.empty()) return Blanks(PictureWidth(picture));
  return FormatPicture(t, picture);
}
}  // namespace

// The block of write row r; nullopt when a value does not fit.
std::optional<std::string> TdmGTS6::WriteBlock(TDaten& Daten, int r) {
  TPunkt& p = Daten.Punkt;
  const bool wide = IsGts6x();
  const WriteRow& row = kWriteRows[r];
  const std::string& layout = CurrentLayouts().blocks.at(static_cast<size_t>(row.templ));
  TakeLastBlock();
  const bool sameBlock = last_.templ == row.templ;
  std::vector<std::string> values;
  for (int i = 0; i < row.count; ++i) {
    const Item& item = row.items[static_cast<size_t>(i)];
    if (item.takeOver >= 0) {
      const size_t k = static_cast<size_t>(item.takeOver);
      values.push_back(sameBlock && k < last_.fields.size() ? last_.fields[k] : std::string());
      continue;
    }
    const auto digits = PictureOrBlanks(ValueOf(p, item.value), wide && item.pictureX ? item.pictureX : item.picture);
    if (!digits) return std::nullopt;
    values.push_back(*digits);
  }
  auto block = FillWhole(layout, values);
  if (!block) return std::nullopt;
  if (sameBlock) {
    const std::vector<size_t>& positions = Measured(layout).letters;
    for (size_t i = 0; i < positions.size() && i < last_.letters.size(); ++i)
      if (positions[i] < block->size() && IsLetter(last_.letters[i])) (*block)[positions[i]] = last_.letters[i];
  }
  if (wide && r >= kCoordinateRowFirst && r <= kCoordinateRowLast) block->insert(0, 1, '[');
  return block;
}

std::string TdmGTS6::NeupunkteWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  const int r = FirstRow(p.Messflags);
  if (r < 0) return kWriteError;
  const std::string number = UpperAscii(TrimBlanks(p.Punktnummer));
  const std::string code = geraete_.AnsiToOemText(p.Code1);
  // FC-5 writes the slope-distance observation as a whole line.
  if (r == kLastRow && &CurrentFormat() == fc5_) {
    const auto hz = PictureOrBlanks(p.Horizontalwinkel, PM "999.9999");
    const auto v = PictureOrBlanks(p.Vertikalwinkel, "999.9999");
    const auto sd = PictureOrBlanks(p.Schraegdistanz, "99999.999");
    if (!hz || !v || !sd) return kWriteError;
    const auto line = FillWhole(Template(7), {number, *hz, *v, *sd, code, p.Reflektorhoehe});
    return line ? *line : kWriteError;
  }
  const auto block = WriteBlock(Daten, r);
  if (!block) return kWriteError;
  return FormatLayoutOrError(CurrentLayouts().outer, {number, *block, code, p.Reflektorhoehe});
}

std::string TdmGTS6::KommentareWrite(TDaten&) { return {}; }

// ---- Statistics ------------------------------------------------------------------------------

namespace {
int Occurrences(const std::string& text, std::string_view mark) {
  int n = 0;
  for (size_t p = text.find(mark); p != std::string::npos; p = text.find(mark, p + mark.size())) ++n;
  return n;
}
}  // namespace

void TdmGTS6::KoordinatenStatistik(const std::string& S, TTransferStatistik& State) {
  const int n = Occurrences(S, "_ x") + Occurrences(S, "_ f");
  State.Punkte += n;
  State.Fortschritt += n;
}

void TdmGTS6::PunktcodesStatistik(const std::string& S, TTransferStatistik& State) {
  const int n = Occurrences(S, "_:");
  State.Codes += n;
  State.Fortschritt += n;
}

void TdmGTS6::NeupunkteStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmGTS6::StationenStatistik(const std::string&, TTransferStatistik& State) { ++State.Stationen; }

// ---- Catalogue handlers -------------------------------------------------------------------

std::string TdmGTS6::Format(TGeraeteFormat& format, const std::string& S, const std::string& Buf) {
  return RecogniseFormatLine(geraete_, format, format.Name.c_str(), S, Buf,
                             [&S](const std::string& tag) { return GtsLineKind(tag, S); });
}

void TdmGTS6::InitWrite(TGeraeteFormat& format) {
  if (OfficeIsPassThrough() || format.TransferDatenart != tdaKoordinate) return;
  LineList& lines = CurrentTransfer().ReceivedLines;
  lines.push_back(kUploadHeader1);
  lines.push_back(kUploadHeader2);
}

void TdmGTS6::AfterTrans(TGeraeteFormat& format) {
  LineList& lines = CurrentTransfer().ReceivedLines;
  if (OfficeIsPassThrough()) {
    RemoveTrailingEndMark(lines);
    return;
  }
  if (format.TransferDatenart != tdaKoordinate) return;
  if (lines.size() < 2 || lines[0] != kUploadHeader1 || lines[1] != kUploadHeader2) return;
  int count = 0;
  for (size_t i = 2; i < lines.size(); ++i)
    if (lines[i].rfind("_+", 0) == 0) ++count;
  lines.Replace(1, std::string(lines[1]) + ZeroPad(std::to_string(count), kUploadCountDigits) + "S");
}

// ---- Record editor --------------------------------------------------------------------------

std::vector<EditorPanelSpec> Gts6EditorPanels(const std::string& tag, const TGeraeteFormat& format) {
  const std::string a10(10, 'A');
  const std::string code = a10 + "\xE4\xF6\xFC\xC4\xD6\xDC";
  const std::string shortCode = "AAAA\xE4\xF6\xFC\xC4\xD6\xDC";
  const std::string coordinate = PM "999999.999";
  const std::string wide = PM "99999999.999";
  const std::string observed = PM "99999.999";
  std::vector<EditorPanelSpec> panels;
  if (tag == "kFC5")
    panels.push_back(
        {kPanelKoordinaten, "TTTTTF", "TFTTTF", PictureItems({a10, code, coordinate, coordinate, coordinate})});
  else if (tag == "kGTS6x")
    panels.push_back({kPanelKoordinaten, "TFTTTF", "TFTTTF", PictureItems({a10, "", wide, wide, wide})});
  else
    panels.push_back(
        {kPanelKoordinaten, "TFTTTF", "TFTTTF", PictureItems({a10, "", coordinate, coordinate, coordinate})});
  panels.push_back({kPanelInfos, "TTTTFFFFFTT", "FFFFFFFFFFF",
                    PictureItems({"AAAAAAAAA:\\", std::string(16, 'A'), a10, PictureFromDateFormat(format.Datumsformat),
                                  "", "", "", "", "", PM "999", PM "9999"})});
  panels.push_back({kPanelStationen, "TTTFFFFF", "TFTFFFFF", PictureItems({a10, shortCode, PM "999.999"})});
  const std::string slope = tag == "dFC5" ? "99999.999" : observed;
  const std::string point = tag == "dGTS6x" ? PM "9999999.999" : observed;
  panels.push_back(
      {kPanelPunkte, "TTFTFFFFFFFTTTTTFTTT", "TFFTFFFFFFFFTTTTFTTT",
       PictureItems({a10,      shortCode, "",         PM "999.999",  "", "",    "",    "",   "", "", "", slope,
                     observed, observed,  "999.9999", PM "999.9999", "", point, point, point})});
  return panels;
}

void TdmGTS6::InitEditor(TGeraeteFormat& format) {
  ConfigurePanels(Gts6EditorPanels(CurrentTransfer().FormatTag, format));
}

TTransferDatenart TdmGTS6::GetDatenart(std::string& S) { return GtsLineKind(CurrentTransfer().FormatTag, S); }

std::string TdmGTS6::SetTDA(TGeraeteFormat& format, TTransferDatenart kind) {
  return SelectKind(format, *this, kind);
}

}  // namespace veltro
