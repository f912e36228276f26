#include "formats/instrument/GSI.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <iterator>
#include <memory>
#include <span>
#include <string_view>

#include "core/CoordinateUnit.h"
#include "core/DecimalText.h"
#include "core/EditorPanels.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/CodeListen.h"
#include "instruments/FormatChange.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

// clang-format off
const GsiTemplates kGsi8 = {
    "41%13.13s 42%13.13s 43%13.13s 44%13.13s 45%13.13s 46%13.13s 47%13.13s 48%13.13s 49%13.13s ",
    "11%13.13s [21%13.13s ][22%13.13s ][31%13.13s ][32%13.13s ][33%13.13s ][51%13.13s ][71%13.13s ]"
    "[81%13.13s ][82%13.13s ][83%13.13s ][87%13.13s ][88%13.13s ]",
    "11%13.13s [71%13.13s ][81%13.13s ][82%13.13s ][83%13.13s ]",
    "41....+%8.8s 42....+%8.8s 43....+%8.8s 44....+%8.8s 45....+%8.8s 46....+%8.8s ",
    "! ----+",
};
const GsiTemplates kGsi16 = {
    "41%21.21s 42%21.21s 43%21.21s 44%21.21s 45%21.21s 46%21.21s 47%21.21s 48%21.21s 49%21.21s ",
    "11%21.21s [21%21.21s ][22%21.21s ][31%21.21s ][32%21.21s ][33%21.21s ][51%21.21s ][71%21.21s ]"
    "[81%21.21s ][82%21.21s ][83%21.21s ][87%21.21s ][88%21.21s ]",
    "11%21.21s [71%21.21s ][81%21.21s ][82%21.21s ][83%21.21s ]",
    "41....+%16.16s 42....+%16.16s 43....+%16.16s 44....+%16.16s 45....+%16.16s 46....+%16.16s ",
    "",
};
// clang-format on

constexpr const char* kFieldHeadText = "....+";  // information and sign of written text words
constexpr char kCtrlZ = '\x1A';                  // DOS end-of-file mark some files end with
constexpr char kLayoutSeparator = '\xA6';        // "¦" between the layouts of targets 5 and 8
// Layouts of targets 5 and 8: layout p is entry p + 1 (entry 0 is empty).
// The first literal ends after "\xA6" so that "dd" is no part of the escape.
constexpr const char* kDateTimeLayouts =
    "\xA6"
    "ddmmhhmm\xA6mmddhhmm\xA6hhmmmmdd\xA6hhmmddmm";
constexpr const char* kWeatherLayouts = "\xA6ttttpppp\xA6pppptttt";

// Words are read eight bytes at a time (little-endian: byte i of the text
// is byte i of the word).
constexpr std::uint64_t kEveryByte = 0x0101010101010101u;

std::uint64_t Load8(const char* p) {
  std::uint64_t x;
  std::memcpy(&x, p, 8);
  return x;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  const char* p = s.data();
  size_t n = s.size();
  // A byte is a digit when its high nibble is 3 and adding 6 keeps it so; a
  // carry out of a byte happens only for a byte that fails by itself.
  for (; n >= 8; p += 8, n -= 8) {
    const std::uint64_t x = Load8(p);
    if (((x & 0xF0F0F0F0F0F0F0F0u) | (((x + kEveryByte * 6) & 0xF0F0F0F0F0F0F0F0u) >> 4)) != kEveryByte * 0x33)
      return false;
  }
  for (; n > 0; ++p, --n)
    if (*p < '0' || *p > '9') return false;
  return true;
}

// The position of the first character of s that is not c; npos when none.
size_t FirstNotOf(std::string_view s, char c) {
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8)
    if (const std::uint64_t other = Load8(s.data() + i) ^ (kEveryByte * static_cast<unsigned char>(c)))
      return i + static_cast<size_t>(std::countr_zero(other)) / 8;
  for (; i < s.size(); ++i)
    if (s[i] != c) return i;
  return std::string_view::npos;
}

// The position of the last character of s that is not c; npos when none.
size_t LastNotOf(std::string_view s, char c) {
  size_t i = s.size();
  for (; i >= 8; i -= 8)
    if (const std::uint64_t other = Load8(s.data() + i - 8) ^ (kEveryByte * static_cast<unsigned char>(c)))
      return i - 1 - static_cast<size_t>(std::countl_zero(other)) / 8;
  for (; i > 0; --i)
    if (s[i - 1] != c) return i - 1;
  return std::string_view::npos;
}

bool IsDashes(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c != '-') return false;
  return true;
}

std::string_view TrimmedBlanks(std::string_view s) {
  if (s.empty() || (s.front() != ' ' && s.back() != ' ')) return s;
  const size_t first = FirstNotOf(s, ' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, LastNotOf(s, ' ') - first + 1);
}

// The data of a word field: without information and sign when the field has
// its full length, else the whole field.
std::string_view FieldData(std::string_view field, int width) {
  return field.size() == static_cast<size_t>(width + kGsiFieldHead) ? field.substr(kGsiFieldHead) : field;
}

// The line without a leading "*" (GSI 16).
std::string_view LineBody(std::string_view line) { return !line.empty() && line[0] == '*' ? line.substr(1) : line; }

// The word is present and its data is neither blank nor dashes.
bool Delivered(std::string_view field, int width) {
  const std::string_view data = TrimmedBlanks(FieldData(field, width));
  return !data.empty() && !IsDashes(data);
}

// Digits in units of 10^-decimals written as FormatDecimalText writes
// (sign + digits) shifted by -decimals, without its general parsing: leading
// zeros of the whole part dropped, "-" only for a value that is not zero.
void AssignDigitsAsDecimal(std::string& out, bool negative, std::string_view digits, int decimals) {
  const size_t d = static_cast<size_t>(decimals);
  const size_t first = FirstNotOf(digits, '0');  // npos: the value is zero
  // Written in place: sign, whole part, point and decimals fit this room.
  out.resize(digits.size() + d + 3);
  char* const begin = out.data();
  char* p = begin;
  if (negative && first != std::string_view::npos) *p++ = '-';
  if (digits.size() > d) {
    const size_t whole = digits.size() - d;
    const size_t from = std::min(first, whole);
    if (from == whole) {
      *p++ = '0';
    } else {
      std::memcpy(p, digits.data() + from, whole - from);
      p += whole - from;
    }
    if (d > 0) {
      *p++ = '.';
      std::memcpy(p, digits.data() + whole, d);
      p += d;
    }
  } else {
    *p++ = '0';
    *p++ = '.';
    std::memset(p, '0', d - digits.size());
    p += d - digits.size();
    std::memcpy(p, digits.data(), digits.size());
    p += digits.size();
  }
  out.resize(static_cast<size_t>(p - begin));
}

// Appends the sign and data of a coordinate word for the value digits *
// 10^-scale (digits may have leading zeros): |value| in units of
// 10^-decimals, truncated toward zero, zero-filled to width. False when the
// units do not fit the width.
bool AppendNumberDigits(std::string& out, bool negative, std::string_view digits, int scale, int decimals,
                        int width) {
  size_t kept = digits.size();
  size_t zeros = 0;
  if (scale <= decimals) {
    zeros = static_cast<size_t>(decimals - scale);
  } else {
    const size_t drop = static_cast<size_t>(scale - decimals);
    kept = drop >= digits.size() ? 0 : digits.size() - drop;
  }
  size_t first = 0;
  while (first < kept && digits[first] == '0') ++first;
  const size_t units = first == kept ? 0 : kept - first + zeros;
  if (units > static_cast<size_t>(width)) return false;
  // Sign and data in one piece: zeros, then the significant digits.
  const size_t start = out.size();
  out.resize(start + 1 + static_cast<size_t>(width), '0');
  char* word = out.data() + start;
  word[0] = negative && units > 0 ? '-' : '+';
  if (units > 0) std::memcpy(word + 1 + static_cast<size_t>(width) - units, digits.data() + first, kept - first);
  return true;
}

// AppendNumberDigits for a number text (blanks around it allowed). The
// common form [sign]digits[.digits] is read in place; any other goes
// through the general decimal reader. False for no number.
bool AppendNumberWord(std::string& out, std::string_view value, int decimals, int width) {
  if (decimals < 0) return false;
  const std::string_view text = TrimmedBlanks(value);
  constexpr size_t kPlainDigits = 40;
  char digits[kPlainDigits];
  size_t count = 0;
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && count < kPlainDigits; ++i) digits[count++] = text[i];
  int scale = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && count < kPlainDigits; ++i, ++scale)
      digits[count++] = text[i];
  }
  if (count > 0 && i == text.size())
    return AppendNumberDigits(out, negative, std::string_view(digits, count), scale, decimals, width);
  const auto number = ParseDecimal(std::string(text));
  return number && AppendNumberDigits(out, number->negative, number->digits, number->scale, decimals, width);
}

// A layout of literal text and "%W.Ws" conversions, each outside any group
// or alone in an optional group "[...]", as the GSI templates are. For
// arguments of exactly W characters, or empty ones in a group, FormatLayout
// writes every argument unchanged and keeps a group exactly when its
// argument is there; Write does the same without reading the layout anew.
class SimpleLayout {
 public:
  explicit SimpleLayout(std::string_view layout) : simple_(Compile(layout)) {}

  // Appends the line to out; false (out unchanged) when the layout or an
  // argument is not of that form.
  bool Write(std::string& out, std::span<const std::string_view> args) const {
    if (!simple_ || args.size() != fields_.size()) return false;
    size_t size = tail_.size();
    for (size_t i = 0; i < args.size(); ++i) {
      const Field& f = fields_[i];
      if (args[i].size() != f.width && !(f.optional && args[i].empty())) return false;
      size += args[i].empty() ? f.lead.size() : f.leadBefore.size() + f.width + f.after.size();
    }
    // Exactly: the line is kept as it is in the engine's line list.
    const size_t start = out.size();
    out.resize(start + size);
    char* to = out.data() + start;
    auto put = [&to](std::string_view text) {
      std::memcpy(to, text.data(), text.size());
      to += text.size();
    };
    for (size_t i = 0; i < args.size(); ++i) {
      const Field& f = fields_[i];
      if (args[i].empty()) {
        put(f.lead);
        continue;
      }
      put(f.leadBefore);
      put(args[i]);
      put(f.after);
    }
    put(tail_);
    return true;
  }

 private:
  struct Field {
    std::string lead;    // literal text before the field, always written
    std::string before;  // the group's text before the conversion
    size_t width = 0;
    bool optional = false;
    std::string after;  // the group's text after it
    std::string leadBefore;  // lead and before, as written for a present field
  };

  static bool Special(char c) { return c == '%' || c == '[' || c == ']' || c == '{' || c == '}'; }

  // "%W.Ws" with W = precision > 0 at layout[i]; i moves past it.
  static bool Conversion(std::string_view layout, size_t& i, size_t& width) {
    auto number = [&](size_t& value) {
      const size_t start = i;
      value = 0;
      for (; i < layout.size() && layout[i] >= '0' && layout[i] <= '9' && i - start < 4; ++i)
        value = value * 10 + static_cast<size_t>(layout[i] - '0');
      return i > start;
    };
    ++i;
    size_t precision = 0;
    if (!number(width) || i >= layout.size() || layout[i] != '.') return false;
    ++i;
    if (!number(precision) || i >= layout.size() || layout[i] != 's') return false;
    ++i;
    return width == precision && width > 0;
  }

  // Literal text up to the next special character.
  static std::string Literal(std::string_view layout, size_t& i) {
    const size_t start = i;
    while (i < layout.size() && !Special(layout[i])) ++i;
    return std::string(layout.substr(start, i - start));
  }

  bool Compile(std::string_view layout) {
    size_t i = 0;
    std::string lead;
    while (i < layout.size()) {
      lead += Literal(layout, i);
      if (i == layout.size()) break;
      Field f;
      if (layout[i] == '[') {
        ++i;
        f.before = Literal(layout, i);
        if (i == layout.size() || layout[i] != '%' || !Conversion(layout, i, f.width)) return false;
        f.after = Literal(layout, i);
        if (i == layout.size() || layout[i] != ']') return false;
        ++i;
        f.optional = true;
      } else if (layout[i] != '%' || !Conversion(layout, i, f.width)) {
        return false;  // "%%", alternatives, stray brackets: FormatLayout writes them
      }
      f.lead = std::move(lead);
      f.leadBefore = f.lead + f.before;
      lead.clear();
      fields_.push_back(std::move(f));
    }
    tail_ = std::move(lead);
    return true;
  }

  std::vector<Field> fields_;
  std::string tail_;
  bool simple_;
};

// The compiled form of the most recent layouts (the same few for every line).
const SimpleLayout& CompiledLayout(const std::string& layout) {
  static std::deque<std::pair<std::string, SimpleLayout>> cache;
  for (const auto& entry : cache)
    if (entry.first == layout) return entry.second;
  if (cache.size() >= 16) cache.pop_front();
  return cache.emplace_back(layout, SimpleLayout(layout)).second;
}

// The line of layout for text arguments, as FormatLayout writes it, appended
// to out; false on a formatting failure.
bool AppendLayout(std::string& out, const std::string& layout, std::span<const std::string_view> args) {
  if (CompiledLayout(layout).Write(out, args)) return true;
  LayoutArgs texts;
  for (std::string_view a : args) texts.emplace_back(std::string(a));
  auto line = FormatLayout(layout, texts);
  if (!line) return false;
  out += *line;
  return true;
}

// GsiNumberValue into out, which keeps its buffer.
void AssignNumberValue(std::string& out, std::string_view field, int width) {
  const std::string_view data =
      field.size() == static_cast<size_t>(width + kGsiFieldHead) ? TrimmedBlanks(field.substr(kGsiFieldHead)) : "";
  if (!IsDigits(data)) {
    out.clear();
    return;
  }
  AssignDigitsAsDecimal(out, field[4] == '-', data, GsiUnitDecimals(field[3]));
}

// A tab or another control character belongs in no word; a DOS end-of-file
// mark may end the last line.
bool HasControlCharacter(std::string_view s) {
  while (!s.empty() && s.back() == kCtrlZ) s.remove_suffix(1);
  // Eight bytes at a time: a byte below 0x20 (its top bit clear) borrows
  // into its own top bit when 0x20 is taken from it, 0x7F becomes zero when
  // xored with 0x7F; the lowest byte that flags is always a true match.
  constexpr std::uint64_t kTops = kEveryByte * 0x80;
  const char* p = s.data();
  size_t n = s.size();
  for (; n >= 8; p += 8, n -= 8) {
    const std::uint64_t x = Load8(p);
    const std::uint64_t del = x ^ (kEveryByte * 0x7F);
    if ((((x - kEveryByte * 0x20) & ~x) | ((del - kEveryByte) & ~del)) & kTops) return true;
  }
  for (; n > 0; ++p, --n)
    if (static_cast<unsigned char>(*p) < 0x20 || *p == '\x7F') return true;
  return false;
}

// A line with such a byte is listed as an error and makes no record.
bool RefusedLine(const std::string& line) {
  if (!HasControlCharacter(line)) return false;
  AddErrorLine(line);
  CurrentTransfer().NoRecord = true;
  return true;
}

// A code number as text compares without its leading zeros ("02" = "2").
std::string CodeKey(const std::string& code) { return TrimLeftChar(TrimBlanks(code), '0'); }

// Parameter as a small integer; -1 when it is none.
int SmallNumber(const std::string& text) {
  const std::string t = TrimBlanks(text);
  if (!IsDigits(t) || t.size() > 4) return -1;
  return std::stoi(t);
}

// A two-character word index as one number; -1 for an index of another
// length (a malformed template), which matches no word.
int IndexKey(std::string_view index) {
  return index.size() == 2 ? static_cast<unsigned char>(index[0]) << 8 | static_cast<unsigned char>(index[1]) : -1;
}

// A word of a line: views into the line.
struct Word {
  std::string_view index;
  std::string_view field;
  int key = -1;  // IndexKey(index)
  bool used = false;
};

// Calls take(index, field) for each word of a line's body, in order: a word
// is its two-character index and the field up to the next blank, a full
// field being taken whole even when it holds blanks.
template <class Take>
void ForEachWord(std::string_view line, int width, Take&& take) {
  const std::string_view body = LineBody(line);
  const size_t full = static_cast<size_t>(width + kGsiFieldHead);
  size_t p = 0;
  while (p < body.size()) {
    if (body[p] == ' ') {
      ++p;
      continue;
    }
    if (p + 2 > body.size()) break;
    const std::string_view index = body.substr(p, 2);
    p += 2;
    size_t end;
    if (p + full <= body.size() && (p + full == body.size() || body[p + full] == ' ')) {
      end = p + full;
    } else {
      end = body.find(' ', p);
      if (end == std::string_view::npos) end = body.size();
    }
    take(index, body.substr(p, end - p));
    p = end;
  }
}

// The words of a line into `words` (cleared first).
void SplitWords(std::string_view line, int width, std::vector<Word>& words) {
  words.clear();
  ForEachWord(line, width, [&words](std::string_view index, std::string_view field) {
    Word w;
    w.index = index;
    w.key = IndexKey(index);
    w.field = field;
    words.push_back(w);
  });
}

// The word indices of a template, as texts and as keys.
struct TemplateIndices {
  std::vector<std::string> words;
  std::vector<int> keys;
  // When every index is two digits ("81" is 81): the first slot of each
  // index and, per slot, the next slot of the same index (-1: none).
  bool digitKeys = false;
  std::array<std::int16_t, 100> firstSlot{};
  std::vector<std::int16_t> nextSlot;
};

// A two-digit word index as 0 ... 99; -1 for any other.
int DigitKey(char a, char b) {
  return a >= '0' && a <= '9' && b >= '0' && b <= '9' ? (a - '0') * 10 + (b - '0') : -1;
}

// Shared, so that a line's fields keep their template words even when the
// cache drops them meanwhile.
using TemplateWords = std::shared_ptr<const TemplateIndices>;
TemplateWords CachedTemplateWords(const std::string& layout);

// Word indices are two characters (fewer only in a malformed template).
bool SameIndex(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// One field per template word into fields[0 ...]: the field of the first
// unused word of that index in the line, empty when there is none.
void CutFieldViews(const TemplateIndices& indices, std::string_view line, int width, std::string_view* fields) {
  if (indices.digitKeys) {
    // The words as SplitWords finds them, each handed to the next slot of
    // its index that is still open: the same fields, without the word list.
    std::fill(fields, fields + indices.keys.size(), std::string_view());
    std::array<std::int16_t, 100> open = indices.firstSlot;
    ForEachWord(line, width, [&](std::string_view index, std::string_view field) {
      const int key = DigitKey(index[0], index[1]);
      if (key >= 0 && open[static_cast<size_t>(key)] >= 0) {
        const size_t slot = static_cast<size_t>(open[static_cast<size_t>(key)]);
        fields[slot] = field;
        open[static_cast<size_t>(key)] = indices.nextSlot[slot];
      }
    });
    return;
  }
  static std::vector<Word> words;  // kept for its capacity; used only here
  SplitWords(line, width, words);
  for (const int key : indices.keys) {
    std::string_view field;
    for (Word& w : words) {
      if (!w.used && w.key == key) {
        w.used = true;
        field = w.field;
        break;
      }
    }
    *fields++ = field;
  }
}

// The fields of a line by word index, for the words a template asks for.
// The fields are views into the line, which must outlive this.
class WordFields {
 public:
  WordFields(const std::string& layout, const std::string& line, int width) : indices_(CachedTemplateWords(layout)) {
    const size_t n = indices_->keys.size();
    if (n > kInline) more_.resize(n);
    CutFieldViews(*indices_, line, width, data());
  }
  // The field of a two-character word index ("81").
  std::string_view operator[](const char (&index)[3]) const {
    if (indices_->digitKeys) {
      const int key = DigitKey(index[0], index[1]);
      const int slot = key < 0 ? -1 : indices_->firstSlot[static_cast<size_t>(key)];
      return slot < 0 ? std::string_view() : data()[slot];
    }
    const int key = IndexKey(std::string_view(index, 2));
    const std::vector<int>& keys = indices_->keys;
    for (size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == key) return data()[i];
    return {};
  }
  size_t size() const { return indices_->keys.size(); }
  std::vector<std::string> Fields() const { return {data(), data() + size()}; }

 private:
  // The templates' fields fit in place; longer ones take the heap.
  static constexpr size_t kInline = 16;
  std::string_view* data() { return more_.empty() ? inline_.data() : more_.data(); }
  const std::string_view* data() const { return more_.empty() ? inline_.data() : more_.data(); }

  TemplateWords indices_;
  std::array<std::string_view, kInline> inline_;
  std::vector<std::string_view> more_;
};

const std::string& FirstLayout(const TStringList& layouts) {
  static const std::string kNone;
  return layouts.empty() ? kNone : layouts.front();
}

// Entry n (from 0) of a "¦"-separated text that begins with "¦".
std::string LayoutEntry(const std::string& layouts, int n) {
  if (n < 0) return {};
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    start = layouts.find(kLayoutSeparator, start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return layouts.substr(start, layouts.find(kLayoutSeparator, start) - start);
}

// ---- Date-times: a code block replaces the part it delivers -----------------------

void SetDatePart(TDateTime& value, double date) { value = date + (value - std::trunc(value)); }
void SetTimePart(TDateTime& value, double time) { value = std::trunc(value) + time; }

bool AllZeros(const std::string& s) { return !s.empty() && s.find_first_not_of('0') == std::string::npos; }

void ReadDateInto(TDateTime& value, const std::string& layout, const std::string& text) {
  const double date = ParseDate(layout, text);
  if (date != 0) SetDatePart(value, date);
}

// ParseTime answers 0 for midnight and for a time it cannot read (which it
// reports); only a written midnight sets the time to 0.
void ReadTimeInto(TDateTime& value, const std::string& layout, const std::string& text) {
  const double time = ParseTime(layout, text);
  if (time != 0 || AllZeros(text)) SetTimePart(value, time);
}

// Scaled value of targets 11 and 14 to 17: v / 10^e with the decimals of
// parameter p; the word's sign is kept.
std::string ScaledValue(const std::string& v, const std::string& parameter, const std::string& sign) {
  if (parameter.empty()) return {};
  static constexpr int kExponent[] = {0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4};
  const int p = SmallNumber(parameter);
  int exponent = 3;
  int decimals = 3;
  if (p >= 0 && p < static_cast<int>(std::size(kExponent))) {
    exponent = kExponent[p];
    decimals = p;
  }
  const std::string digits = v.empty() ? std::string("0") : v;
  auto text = FormatDecimalText(sign + digits, decimals, -exponent);
  return text ? *text : std::string();
}

// Word 51: the atmospheric correction in ppm (sign of the word), then the
// prism constant in mm with its own sign: "51....+0015+034" is 15 ppm and
// 34 mm, "51....-0003-030" -3 ppm and -30 mm. Other data is kept as text.
void ReadCorrections(std::string_view fieldView, int width, TPunkt& p) {
  if (fieldView.empty()) {
    p.Atmosphaerenkorrektur.clear();
    return;
  }
  const std::string field(fieldView);
  const bool full = field.size() == static_cast<size_t>(width + kGsiFieldHead);
  const std::string data = full ? TrimBlanks(field.substr(kGsiFieldHead)) : std::string();
  const size_t inner = data.find_last_of("+-");
  if (inner != std::string::npos && inner > 0 && IsDigits(data.substr(0, inner)) && IsDigits(data.substr(inner + 1))) {
    const std::string ppm = TrimLeftChar(data.substr(0, inner), '0');
    const std::string constant = TrimLeftChar(data.substr(inner + 1), '0');
    p.Atmosphaerenkorrektur = ppm.empty() ? "0" : GsiSign(field, width) + ppm;
    p.Prismenkonstante = constant.empty() ? "0" : (data[inner] == '-' ? "-" : "") + constant;
    return;
  }
  const std::string text = GsiTextValue(field, width);
  p.Atmosphaerenkorrektur = IsDigits(text) ? GsiSign(field, width) + text : text;
}

void FillTemplates(TGeraeteFormat& format, const GsiTemplates& t) {
  format.Informationen = {t.Informationen};
  format.Detailpunkt = {t.Detailpunkt};
  format.Koordinaten = t.Koordinaten;
  format.Punktcodes = t.Punktcodes;
  format.Ende = t.Ende;
}

}  // namespace

// ---- Words -----------------------------------------------------------------------

const GsiTemplates& Gsi8Templates() { return kGsi8; }
const GsiTemplates& Gsi16Templates() { return kGsi16; }

int GsiUnitDecimals(char unit) {
  switch (unit) {
    case '0':
    case '1':
      return 3;
    case '2':
    case '3':
    case '4':
      return 5;
    case '6':
    case '7':
      return 4;
    case '8':
      return 5;
    default:
      return 3;
  }
}

std::string GsiTextValue(std::string_view field, int width) {
  std::string_view value = TrimmedBlanks(FieldData(field, width));
  const size_t first = FirstNotOf(value, '0');
  value = first == std::string_view::npos ? std::string_view() : TrimmedBlanks(value.substr(first));
  return IsDashes(value) ? std::string() : std::string(value);
}

std::string GsiNumberValue(std::string_view field, int width) {
  std::string value;
  AssignNumberValue(value, field, width);
  return value;
}

std::string GsiSign(std::string_view field, int width) {
  return field.size() == static_cast<size_t>(width + kGsiFieldHead) && field[4] == '-' ? "-" : "";
}

namespace {
// The word indices of the most recent templates (the same few for every line).
TemplateWords CachedTemplateWords(const std::string& layout) {
  static std::deque<std::pair<std::string, TemplateWords>> cache;
  for (const auto& entry : cache)
    if (entry.first == layout) return entry.second;
  if (cache.size() >= 16) cache.pop_front();
  auto indices = std::make_shared<TemplateIndices>();
  indices->words = GsiTemplateWords(layout);
  for (const std::string& w : indices->words) indices->keys.push_back(IndexKey(w));
  // Slots are 16-bit: a template of more words keeps the general search.
  indices->digitKeys = indices->keys.size() < 0x7FFF;
  indices->firstSlot.fill(-1);
  indices->nextSlot.assign(indices->keys.size(), -1);
  for (size_t i = indices->words.size(); i-- > 0 && indices->digitKeys;) {
    const std::string& w = indices->words[i];
    const int key = w.size() == 2 ? DigitKey(w[0], w[1]) : -1;
    if (key < 0) {
      indices->digitKeys = false;
      break;
    }
    indices->nextSlot[i] = indices->firstSlot[static_cast<size_t>(key)];
    indices->firstSlot[static_cast<size_t>(key)] = static_cast<std::int16_t>(i);
  }
  cache.emplace_back(layout, std::move(indices));
  return cache.back().second;
}
}  // namespace

std::vector<std::string> GsiTemplateWords(const std::string& layout) {
  std::vector<std::string> words;
  std::string key;
  for (size_t i = 0; i < layout.size(); ++i) {
    const char c = layout[i];
    if (c != '%') {
      if (c != ' ' && c != '[' && c != ']') key += c;
      continue;
    }
    if (i + 1 < layout.size() && layout[i + 1] == '%') {
      key += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < layout.size() && layout[j] != 's' && layout[j] != 'd' && layout[j] != 'f') ++j;
    words.push_back(key.substr(0, 2));
    key.clear();
    i = j;
  }
  return words;
}

std::vector<std::string> GsiCutFields(const std::string& layout, const std::string& line, int width) {
  const WordFields fields(layout, line, width);
  return fields.Fields();
}

std::string GsiLineBody(const std::string& line) { return std::string(LineBody(line)); }

bool IsGsiCodeBlockLine(const std::string& line) { return LineBody(line).substr(0, 2) == "41"; }

bool IsGsiPointLine(const std::string& line) { return LineBody(line).substr(0, 2) == "11"; }

std::optional<std::string> GsiNumberWord(const std::string& value, int decimals, int width) {
  std::string word;
  if (!AppendNumberWord(word, value, decimals, width)) return std::nullopt;
  return word;
}

GsiWriteUnit GsiCoordinateUnit(int koordUnit) {
  switch (koordUnit) {
    case 4:
      return {4, '6'};  // m, 1/10 mm
    case 5:
      return {5, '8'};  // m, 1/100 mm
    case 6:
    case 7:
    case 8:
    case 9:
      return {3, '1'};  // ft, 1/1000 ft
    case 10:
      return {4, '7'};  // ft, 1/10000 ft
    default:
      return {3, '0'};  // m, mm
  }
}

// ---- The module --------------------------------------------------------------------

TdmGSI::TdmGSI(TGeraete& geraete)
    : TDataModule("dmGSI"), geraete_(geraete), gsi8_(geraete.Format("GSI8")), gsi16_(geraete.Format("GSI16")) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Informationen = AddReadWriteDaten(*this, "Informationen", tdaInformation);
  Informationen->OnRead = [this](const std::string& S, TDaten& D) { InformationenRead(S, D); };
  Stationen = AddReadWriteDaten(*this, "Stationen", tdaStation);
  Stationen->OnRead = [this](const std::string& S, TDaten& D) { StationenRead(S, D); };
  Stationen->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { StationenStatistik(S, St); };
  Neupunkte = AddReadWriteDaten(*this, "Neupunkte", tdaNeupunkt);
  Neupunkte->OnRead = [this](const std::string& S, TDaten& D) { NeupunkteRead(S, D); };
  Neupunkte->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { NeupunkteStatistik(S, St); };
  Kommentare = AddReadWriteDaten(*this, "Kommentare", tdaKommentar);
  Kommentare->OnWrite = [this](TDaten& D) { return KommentareWrite(D); };
  Punktcodes = AddReadWriteDaten(*this, "Punktcodes", tdaPunktcode);
  Punktcodes->OnRead = [this](const std::string& S, TDaten& D) { PunktcodesRead(S, D); };
  Punktcodes->OnWrite = [this](TDaten& D) { return PunktcodesWrite(D); };
  Punktcodes->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { PunktcodesStatistik(S, St); };
  Koordinaten->OnWriteBack = [this](const std::string& L, const TDaten& R, TDaten& D) {
    return KoordinatenWriteBack(L, R, D);
  };
  Neupunkte->OnWriteBack = [this](const std::string& L, const TDaten& R, TDaten& D) {
    return NeupunkteWriteBack(L, R, D);
  };
  Punktcodes->OnWriteBack = [this](const std::string& L, const TDaten& R, TDaten& D) {
    return PunktcodesWriteBack(L, R, D);
  };

  if (gsi8_) {
    FillTemplates(*gsi8_, kGsi8);
    GeraeteFormatHandlers h;
    h.OnFormat = [this](const std::string& S, const std::string& Buf) { return GSI8Format(S, Buf); };
    h.OnSetup = [this] { GSI8Setup(); };
    h.OnInitWrite = [this] { GSI8InitWrite(); };
    h.OnAfterRead = [this] { GSI8AfterRead(); };
    h.OnBeforeWrite = [this] { GSI8BeforeWrite(); };
    h.OnGetDatenart = [this](std::string& S) { return GSI8GetDatenart(S); };
    h.OnSetTDA = [this](TTransferDatenart kind) { return GSI8SetTDA(kind); };
    h.OnInitEditor = [this] { GSI8InitEditor(); };
    h.OnEditNext = [this](const std::string& S) { return GSI8EditNext(S); };
    geraete.BindFormatHandlers("GSI8", h);
  }
  if (gsi16_) {
    FillTemplates(*gsi16_, kGsi16);
    GeraeteFormatHandlers h;
    h.OnFormat = [this](const std::string& S, const std::string& Buf) { return GSI16Format(S, Buf); };
    h.OnSetup = [this] { GSI16Setup(); };
    h.OnInitWrite = [this] { GSI16InitWrite(); };
    h.OnAfterRead = [this] { GSI16AfterRead(); };
    h.OnBeforeWrite = [this] { GSI16BeforeWrite(); };
    h.OnGetDatenart = [this](std::string& S) { return GSI16GetDatenart(S); };
    h.OnSetTDA = [this](TTransferDatenart kind) { return GSI16SetTDA(kind); };
    h.OnInitEditor = [this] { GSI16InitEditor(); };
    h.OnEditNext = [this](const std::string& S) { return GSI16EditNext(S); };
    geraete.BindFormatHandlers("GSI16", h);
  }
}

TdmGSI::~TdmGSI() {
  if (gsi8_) UnbindFormatHandlers(*gsi8_, *this);
  if (gsi16_) UnbindFormatHandlers(*gsi16_, *this);
}

int TdmGSI::GsiDataWidth() const { return DataWidthFor(geraete_.CurrentGeraeteFormat()); }

int TdmGSI::DataWidthFor(const TGeraeteFormat& current) const {
  const std::string& tag = CurrentTransfer().FormatTag;
  if (tag.size() == 6 && std::string_view(tag).substr(1) == "GSI16" && (tag[0] == 'd' || tag[0] == 'k' || tag[0] == 'p'))
    return kGsi16Width;
  return current.Name == "GSI16" ? kGsi16Width : kGsi8Width;
}

// The current instrument's format; the format of the data width when the
// current format is none of the two (the handlers are bound to GSI8 and
// GSI16 only, so this is a safeguard).
TGeraeteFormat& TdmGSI::CurrentFormat() const {
  TGeraeteFormat& current = geraete_.CurrentGeraeteFormat();
  return FormatFor(current, DataWidthFor(current));
}

TGeraeteFormat& TdmGSI::FormatFor(TGeraeteFormat& current, int width) const {
  if (&current == gsi8_ || &current == gsi16_ || (!gsi8_ && !gsi16_)) return current;
  if (width == kGsi16Width && gsi16_) return *gsi16_;
  return gsi8_ ? *gsi8_ : *gsi16_;
}

bool TdmGSI::IsStationCode(const std::string& code) const {
  std::vector<std::string> codes;
  SplitToList(CodeLists().StationCodes, kCodeFieldEnd, codes);
  const std::string key = CodeKey(code);
  for (const std::string& c : codes)
    if (CodeKey(c) == key) return true;
  return false;
}

TTransferDatenart TdmGSI::GsiLineKind(const std::string& tag, const std::string& line) {
  const bool codeBlock = IsGsiCodeBlockLine(line);
  const bool point = IsGsiPointLine(line);
  const std::string_view format = tag.empty() ? std::string_view() : std::string_view(tag).substr(1);
  const bool gsi = format == "GSI8" || format == "GSI16";
  if (gsi && tag[0] == 'k') return codeBlock || point ? tdaKoordinate : tdaNone;
  if (gsi && tag[0] == 'p') return codeBlock ? tdaPunktcode : tdaNone;
  if (codeBlock) {
    if (CodeLists().Definitions.empty()) LoadCodeDefinitions();
    const WordFields words(FirstLayout(CurrentFormat().Informationen), line, GsiDataWidth());
    return IsStationCode(GsiTextValue(words["41"], GsiDataWidth())) ? tdaStation : tdaInformation;
  }
  return point ? tdaNeupunkt : tdaNone;
}

std::string TdmGSI::Translated(const std::string& value, int table) {
  return value.empty() ? value : TranslateCode(value, table);
}

std::string TdmGSI::PointCode(std::string_view field, int width) {
  if (field.empty()) return {};
  return Translated(GsiTextValue(geraete_.OemToAnsiText(std::string(field)), width), kTablePunktcodes);
}

void TdmGSI::GsiCodeBlockRead(const std::vector<std::string>& fields, TDaten& Daten) {
  const int n = GsiDataWidth();
  auto field = [&fields](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
  if (CodeLists().Definitions.empty()) LoadCodeDefinitions();
  const std::string code = CodeKey(GsiTextValue(field(0), n));
  const std::string* definition = nullptr;
  for (const std::string& d : CodeLists().Definitions) {
    if (CodeKey(DefinitionCode(d)) == code) {
      definition = &d;
      break;
    }
  }
  if (!definition) return;

  TInfo& info = Daten.Info;
  TStation& station = Daten.Station;
  TKonstanten& k = Daten.Konstanten;
  for (int i = 1; i <= kCodeTargetCount; ++i) {
    const std::string targetField = TargetField(*definition, i);
    const int target = TargetNumber(targetField);
    if (target == kTargetNone) break;
    const std::string parameter = TargetParameter(targetField);
    const std::string raw = field(static_cast<size_t>(i));
    // A word the block does not hold (or holds as dashes) delivers nothing:
    // it never overwrites what earlier blocks stored.
    if (!Delivered(raw, n)) continue;
    const std::string v = GsiTextValue(raw, n);
    const std::string sign = GsiSign(raw, n);
    switch (target) {
      case kTargetProjekt:
        info.Projekt = Translated(v, kTableProjekte);
        break;
      case kTargetBeobachter:
        info.Beobachter = Translated(v, kTableBeobachter);
        break;
      case kTargetInstrument:
        info.Instrument = Translated(v, kTableInstrumente);
        break;
      case kTargetDatum:
        ReadDateInto(info.Zeitpunkt, parameter, PadLeft(v, '0', static_cast<int>(parameter.size())));
        break;
      case kTargetZeit:
        ReadTimeInto(info.Zeitpunkt, parameter, PadLeft(v, '0', static_cast<int>(parameter.size())));
        break;
      case kTargetDatumZeit: {
        const int p = SmallNumber(parameter);
        const std::string layout = LayoutEntry(kDateTimeLayouts, p + 1);
        if (p < 0 || p > 3 || layout.size() != 8) break;
        const std::string text = PadLeft(v, '0', 8);
        const size_t half = text.size() / 2;
        const std::string first = text.substr(0, half), second = text.substr(half);
        if (p <= 1) {
          ReadDateInto(info.Zeitpunkt, layout.substr(0, 4), first);
          ReadTimeInto(info.Zeitpunkt, layout.substr(4), second);
        } else {
          ReadTimeInto(info.Zeitpunkt, layout.substr(0, 4), first);
          ReadDateInto(info.Zeitpunkt, layout.substr(4), second);
        }
        break;
      }
      case kTargetTemperatur:
        station.Temperatur = v.empty() ? v : sign + v;
        break;
      case kTargetLuftdruck:
        station.Luftdruck = v;
        break;
      case kTargetTemperaturLuftdruck: {
        const int p = SmallNumber(parameter);
        if (p < 0 || p > 1 || LayoutEntry(kWeatherLayouts, p + 1).empty()) break;
        const std::string text = PadLeft(v, '0', 8);
        const size_t half = text.size() / 2;
        const std::string first = TrimLeftChar(text.substr(0, half), '0');
        const std::string second = TrimLeftChar(text.substr(half), '0');
        station.Temperatur = p == 0 ? first : second;
        station.Luftdruck = p == 0 ? second : first;
        break;
      }
      case kTargetStation:
        station.Punktnummer = v;
        break;
      case kTargetStationCode:
        station.Code = geraete_.OemToAnsiText(v);
        break;
      case kTargetInstrumentenhoehe:
        station.Instrumentenhoehe = ScaledValue(v, parameter, sign);
        break;
      case kTargetPunktcode:
        k.Code = geraete_.OemToAnsiText(Translated(v, kTablePunktcodes));
        break;
      case kTargetPunktart:
        station.Punktart = v;
        Daten.Punkt.Punktart = v;
        break;
      case kTargetReflektorhoehe:
        k.Reflektorhoehe = ScaledValue(v, parameter, sign);
        break;
      case kTargetQuerverschiebung:
        k.Querverschiebung = ScaledValue(v, parameter, sign);
        break;
      case kTargetLaengsverschiebung:
        k.Laengsverschiebung = ScaledValue(v, parameter, sign);
        break;
      case kTargetVertikalverschiebung:
        k.Vertikalverschiebung = ScaledValue(v, parameter, sign);
        break;
      case kTargetAnmerkung1:
        k.Anmerkung1 = v;
        break;
      case kTargetAnmerkung2:
        k.Anmerkung2 = v;
        break;
      case kTargetMutationsnummer:
        info.Mutationsnummer = v;
        break;
      case kTargetKommentar:
        k.Kommentar = v;
        break;
      default:
        break;
    }
  }
}

// A code block line: a block with information words is decoded by its code;
// a lone word 41 is the point code carried to the following points.
void TdmGSI::ReadCodeBlockLine(const std::string& line, TDaten& Daten) {
  const int n = GsiDataWidth();
  const WordFields words(FirstLayout(CurrentFormat().Informationen), line, n);
  if (!words["42"].empty()) {
    GsiCodeBlockRead(words.Fields(), Daten);
  } else {
    Daten.Konstanten.Code = geraete_.OemToAnsiText(Translated(GsiTextValue(words["41"], n), kTablePunktcodes));
  }
}

// With the code block after the measurement, the code blocks that follow a
// point line belong to it: they are read now and the engine goes on after
// them. A station block is a record of its own and is left to the engine.
void TdmGSI::LookAhead(TDaten& Daten) {
  if (CodeLists().AttributePosition != 1) return;
  if (CodeLists().Definitions.empty()) LoadCodeDefinitions();
  const int n = GsiDataWidth();
  while (const std::string* next = NextLine(Daten)) {
    if (!IsGsiCodeBlockLine(*next)) break;
    const WordFields words(FirstLayout(CurrentFormat().Informationen), *next, n);
    if (IsStationCode(GsiTextValue(words["41"], n))) break;
    ReadCodeBlockLine(ConsumeNextLine(Daten), Daten);
  }
}

// ---- Reading ------------------------------------------------------------------------

void TdmGSI::InformationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (RefusedLine(S)) return;
  ReadCodeBlockLine(S, Daten);
}

void TdmGSI::StationenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (RefusedLine(S)) return;
  const WordFields words(FirstLayout(CurrentFormat().Informationen), S, GsiDataWidth());
  GsiCodeBlockRead(words.Fields(), Daten);
}

void TdmGSI::NeupunkteRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (RefusedLine(S)) return;
  LookAhead(Daten);

  TGeraeteFormat& current = geraete_.CurrentGeraeteFormat();
  const int n = DataWidthFor(current);
  TGeraeteFormat& format = FormatFor(current, n);
  const WordFields w(FirstLayout(format.Detailpunkt), S, n);
  const size_t koordinatenFields = CachedTemplateWords(format.Koordinaten)->keys.size();
  TPunkt& p = Daten.Punkt;
  TKonstanten& k = Daten.Konstanten;
  if (w.size() > koordinatenFields) {
    p.Punktnummer = GsiTextValue(w["11"], n);
    AssignNumberValue(p.Horizontalwinkel, w["21"], n);
    AssignNumberValue(p.Vertikalwinkel, w["22"], n);
    AssignNumberValue(p.Schraegdistanz, w["31"], n);
    AssignNumberValue(p.Horizontaldistanz, w["32"], n);
    AssignNumberValue(p.Vertikaldistanz, w["33"], n);
    // Both distances present keep both bits, so no writer loses one.
    if (!p.Schraegdistanz.empty()) p.Messflags = mfHzVzSd;
    if (!p.Horizontaldistanz.empty())
      p.Messflags = p.Schraegdistanz.empty() ? mfHzVzHd : static_cast<std::uint16_t>(mfHzVzSd | mfHzVzHd);
    if (!p.Vertikaldistanz.empty())
      p.Messflags = static_cast<std::uint16_t>((p.Messflags & ~mfVertikalwinkel) | mfVertikaldistanz);

    ReadCorrections(w["51"], n, p);

    p.Code1 = PointCode(w["71"], n);
    p.Y = geraete_.ApplyOffset(GsiNumberValue(w["81"], n), kOffsetAddX);
    p.X = geraete_.ApplyOffset(GsiNumberValue(w["82"], n), kOffsetAddY);
    AssignNumberValue(p.Hoehe, w["83"], n);
    AssignNumberValue(p.Reflektorhoehe, w["87"], n);
    // A point line without word 88 keeps the instrument height of the station.
    if (std::string height = GsiNumberValue(w["88"], n); !height.empty()) Daten.Station.Instrumentenhoehe = height;
    if (!p.Y.empty() || !p.X.empty() || !p.Hoehe.empty())
      p.Messflags = static_cast<std::uint16_t>(p.Messflags | mfKoordinaten);

    if (p.Code1.empty()) p.Code1 = k.Code;
    if (p.Reflektorhoehe.empty()) p.Reflektorhoehe = k.Reflektorhoehe;
    p.Querverschiebung = k.Querverschiebung;
    p.Laengsverschiebung = k.Laengsverschiebung;
    p.Vertikalverschiebung = k.Vertikalverschiebung;
    p.Anmerkung1 = k.Anmerkung1;
    p.Anmerkung2 = k.Anmerkung2;
    p.Kommentar = k.Kommentar;
  } else {
    const WordFields c(format.Koordinaten, S, n);
    if (c.size() == koordinatenFields) {
      p.Messflags = static_cast<std::uint16_t>(p.Messflags | mfKoordinaten);
      p.Y = geraete_.ApplyOffset(GsiNumberValue(c["81"], n), kOffsetAddX);
      p.X = geraete_.ApplyOffset(GsiNumberValue(c["82"], n), kOffsetAddY);
      p.Hoehe = GsiNumberValue(c["83"], n);
    }
  }

  // Point type 8 of the station: the point goes on as a backsight point, so
  // both the instrument format and the office format take that kind.
  if (Daten.Station.Punktart == "8") {
    if (format.OnSetTDA) format.OnSetTDA(tdaAnschlusspunkt);
    if (TDatenformatDefinitionen* office = FindActiveFormat(); office && office->OnSetTDA)
      office->OnSetTDA(tdaAnschlusspunkt);
  }

  k.Querverschiebung.clear();
  k.Laengsverschiebung.clear();
  k.Vertikalverschiebung.clear();
  k.Anmerkung1.clear();
  k.Anmerkung2.clear();
  k.Kommentar.clear();
  ConfigureEditor(tdaNeupunkt, Daten.Konstanten.Originalzeilen);
}

void TdmGSI::ReadKoordinatenLine(const std::string& line, TDaten& Daten) {
  TGeraeteFormat& current = geraete_.CurrentGeraeteFormat();
  const int n = DataWidthFor(current);
  const WordFields w(FormatFor(current, n).Koordinaten, line, n);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = GsiTextValue(w["11"], n);
  p.Code1 = PointCode(w["71"], n);
  if (p.Code1.empty()) p.Code1 = Daten.Konstanten.Code;
  p.Y = geraete_.ApplyOffset(GsiNumberValue(w["81"], n), kOffsetAddX);
  p.X = geraete_.ApplyOffset(GsiNumberValue(w["82"], n), kOffsetAddY);
  AssignNumberValue(p.Hoehe, w["83"], n);
}

// A code block in a coordinate file precedes its point: the blocks up to
// the next point line are read with it, and the point line itself. Only a
// point line is taken as the point.
void TdmGSI::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (RefusedLine(S)) return;
  if (!IsGsiCodeBlockLine(S)) {
    LookAhead(Daten);
    ReadKoordinatenLine(S, Daten);
    ConfigureEditor(tdaKoordinate, Daten.Konstanten.Originalzeilen);
    return;
  }
  ReadCodeBlockLine(S, Daten);
  while (const std::string* next = NextLine(Daten)) {
    if (IsGsiCodeBlockLine(*next)) {
      ReadCodeBlockLine(ConsumeNextLine(Daten), Daten);
      continue;
    }
    if (IsGsiPointLine(*next)) {
      const std::string point = ConsumeNextLine(Daten);
      LookAhead(Daten);
      ReadKoordinatenLine(point, Daten);
      ConfigureEditor(tdaKoordinate, Daten.Konstanten.Originalzeilen);
      return;
    }
    break;
  }
  // Code blocks that no point line follows carry no coordinates.
  CurrentTransfer().NoRecord = true;
  ConfigureEditor(tdaKoordinate, Daten.Konstanten.Originalzeilen);
}

void TdmGSI::PunktcodesRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (RefusedLine(S)) return;
  const int n = GsiDataWidth();
  const WordFields w(CurrentFormat().Punktcodes, S, n);
  Daten.Punktcode.Code = geraete_.OemToAnsiText(GsiTextValue(w["41"], n));
  Daten.Punktcode.Entity = geraete_.OemToAnsiText(GsiTextValue(w["42"], n));
  Daten.Punktcode.Layer = geraete_.OemToAnsiText(GsiTextValue(w["43"], n));
  ConfigureEditor(tdaPunktcode, S);
}

// ---- Writing ------------------------------------------------------------------------

std::string TdmGSI::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  TGeraeteFormat& current = geraete_.CurrentGeraeteFormat();
  const int n = DataWidthFor(current);
  const size_t width = static_cast<size_t>(n);
  const TPunkt& p = Daten.Punkt;
  const GsiWriteUnit unit = GsiCoordinateUnit(KoordUnit());

  const std::string code = WrittenCode(p.Code1);
  if (HasControlCharacter(p.Punktnummer) || HasControlCharacter(code)) return kWriteError;

  // The template's arguments, built in buffers kept from line to line: the
  // field head, then the data.
  auto text = [&](std::string& out, std::string_view value, bool keepRight) {
    out.assign(kFieldHeadText);
    const std::string_view data = TrimmedBlanks(value);
    if (data.size() <= width) {
      out.append(width - data.size(), '0');
      out.append(data);
    } else {
      out += ZeroPad(CutToWord(std::string(data), n, keepRight), n);
    }
  };
  auto number = [&](std::string& out, std::string_view value) {
    out.assign({'.', '.', '.', unit.unit});
    return AppendNumberWord(out, value, unit.decimals, n);
  };
  std::array<std::string, 5>& words = writeWords_;
  text(words[0], p.Punktnummer, true);
  text(words[1], code, false);
  if (!number(words[2], geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX)) ||
      !number(words[3], geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY)))
    return kWriteError;
  words[4].clear();  // an empty height leaves the optional word out
  if (!TrimmedBlanks(p.Hoehe).empty() && !number(words[4], p.Hoehe)) return kWriteError;

  std::string line;
  if (n == kGsi16Width) line += '*';
  const std::string_view args[] = {words[0], words[1], words[2], words[3], words[4]};
  if (!AppendLayout(line, FormatFor(current, n).Koordinaten, args)) return kWriteError;
  return line;
}

// A text longer than a word keeps its right (point numbers) or left end;
// the cut is listed as a note.
std::string TdmGSI::CutToWord(const std::string& text, int width, bool keepRight) {
  if (static_cast<int>(text.size()) <= width) return text;
  std::string cut = keepRight ? RightText(text, width) : LeftText(text, width);
  AddNote(kTextCutToWord, {CurrentFormat().Caption, text, cut});
  return cut;
}

std::string TdmGSI::WrittenCode(const std::string& value) {
  std::string code = TrimBlanks(geraete_.AnsiToOemText(value));
  if (!code.empty() && CodeLists().UseGsiCodes) {
    const TextLines& table = CodeLists().Tables[kTablePunktcodes];
    for (size_t i = 0; i < table.size(); ++i) {
      if (TrimBlanks(table[i]) == code) {
        code = std::to_string(i);
        break;
      }
    }
  }
  return code;
}

std::string TdmGSI::PunktcodesWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const int n = GsiDataWidth();
  auto data = [&](const std::string& text) { return ZeroPad(CutToWord(TrimBlanks(text), n, false), n); };
  const TPunktcode& c = Daten.Punktcode;
  if (HasControlCharacter(c.Code) || HasControlCharacter(c.Entity) || HasControlCharacter(c.Layer)) return kWriteError;
  auto line = FormatLayout(CurrentFormat().Punktcodes,
                           {data(geraete_.AnsiToOemText(c.Code)), data(geraete_.AnsiToOemText(c.Entity)),
                            data(geraete_.AnsiToOemText(c.Layer)), data(""), data(""), data("")});
  if (!line) return kWriteError;
  return n == kGsi16Width ? "*" + *line : *line;
}

std::string TdmGSI::KommentareWrite(TDaten&) { return {}; }

// ---- Statistics ------------------------------------------------------------------------

void TdmGSI::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmGSI::NeupunkteStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmGSI::StationenStatistik(const std::string&, TTransferStatistik& State) { ++State.Stationen; }
void TdmGSI::PunktcodesStatistik(const std::string&, TTransferStatistik& State) {
  ++State.Codes;
  ++State.Fortschritt;
}

// ---- Catalogue handlers -----------------------------------------------------------------

std::string TdmGSI::Recognise(TGeraeteFormat& format, const char* candidate, const std::string& S,
                              const std::string& Buf) {
  if (!S.empty() && S[0] == kCtrlZ) return {};
  return RecogniseFormatLine(geraete_, format, candidate, S, Buf,
                             [this, &S](const std::string& tag) { return GsiLineKind(tag, S); });
  const std::string tag = DetectCandidate(candidate, NormalizeForDetection(S));
  if (tag.empty()) return ChangeGeraeteFormat(geraete_, S, Buf);
  BindRecognisedKind(format, GsiLineKind(tag, S));
  return tag;
}

std::string TdmGSI::GSI8Format(const std::string& S, const std::string& Buf) {
  return gsi8_ ? Recognise(*gsi8_, "GSI8", S, Buf) : std::string();
}

std::string TdmGSI::GSI16Format(const std::string& S, const std::string& Buf) {
  return gsi16_ ? Recognise(*gsi16_, "GSI16", S, Buf) : std::string();
}

void TdmGSI::GSI8Setup() {
  LoadCodeDefinitions();
  CurrentTransfer().ReceivedLines.clear();
}

void TdmGSI::GSI8InitWrite() { LoadCodeTables(false); }

void TdmGSI::GSI8AfterRead() {
  LoadCodeTables(false);
  LoadCodeDefinitions();
}

// The library starts a coordinate (…02) or code (…03) upload by the option code.
void TdmGSI::BeforeWrite(const TGeraeteFormat& format) {
  TInstrument& instrument = geraete_.CurrentInstrument();
  const int base = instrument.TransferMethode / 100 * 100;
  if (format.TransferDatenart == tdaKoordinate) instrument.TransferMethode = base + 2;
  if (format.TransferDatenart == tdaPunktcode) instrument.TransferMethode = base + 3;
}

void TdmGSI::GSI8BeforeWrite() {
  if (gsi8_) BeforeWrite(*gsi8_);
}

void TdmGSI::GSI16BeforeWrite() {
  if (gsi16_) BeforeWrite(*gsi16_);
}

TTransferDatenart TdmGSI::GSI8GetDatenart(std::string& S) { return GsiLineKind(CurrentTransfer().FormatTag, S); }
TTransferDatenart TdmGSI::GSI16GetDatenart(std::string& S) { return GsiLineKind(CurrentTransfer().FormatTag, S); }

std::string TdmGSI::GSI8SetTDA(TTransferDatenart kind) { return gsi8_ ? SelectKind(*gsi8_, *this, kind) : ""; }
std::string TdmGSI::GSI16SetTDA(TTransferDatenart kind) { return gsi16_ ? SelectKind(*gsi16_, *this, kind) : ""; }

// ---- Record editor -------------------------------------------------------------------------

std::string GsiNumberPicture(char unit, int width) {
  const int decimals = std::min(GsiUnitDecimals(unit), width);
  std::string picture = "\xB1" + std::string(static_cast<size_t>(width - decimals), '9');
  if (decimals > 0) picture += "." + std::string(static_cast<size_t>(decimals), '9');
  return picture;
}

namespace {

// How an editor field maps to a word of the record's line.
enum class WordValue {
  None,      // the line has no word for the field
  Text,      // text data
  Code,      // point code: written as the coordinate writer writes it
  CodeText,  // point-code list entry: ANSI to OEM
  Number,    // number with the word's units digit
  Easting,   // number without the instrument's OffsetX
  Northing,  // number without OffsetY
};

struct EditorWord {
  const char* index;
  WordValue value;
  const std::string& (*get)(const TDaten&);
};

#define GSI_FIELD(path) +[](const TDaten& d) -> const std::string& { return d.path; }
constexpr EditorWord kNoWord = {"", WordValue::None, nullptr};

// The editor's fields in the label order of their panels.
// clang-format off
const EditorWord kKoordinatenWords[] = {
    {"11", WordValue::Text, GSI_FIELD(Punkt.Punktnummer)}, {"71", WordValue::Code, GSI_FIELD(Punkt.Code1)},
    {"81", WordValue::Easting, GSI_FIELD(Punkt.Y)},        {"82", WordValue::Northing, GSI_FIELD(Punkt.X)},
    {"83", WordValue::Number, GSI_FIELD(Punkt.Hoehe)},     kNoWord,
};
const EditorWord kPunkteWords[] = {
    {"11", WordValue::Text, GSI_FIELD(Punkt.Punktnummer)},
    {"71", WordValue::Code, GSI_FIELD(Punkt.Code1)},
    kNoWord,  // Code2
    {"87", WordValue::Number, GSI_FIELD(Punkt.Reflektorhoehe)},
    kNoWord, kNoWord, kNoWord, kNoWord, kNoWord, kNoWord, kNoWord,  // Kommentar to Anmerkung2
    {"31", WordValue::Number, GSI_FIELD(Punkt.Schraegdistanz)},
    {"32", WordValue::Number, GSI_FIELD(Punkt.Horizontaldistanz)},
    {"33", WordValue::Number, GSI_FIELD(Punkt.Vertikaldistanz)},
    {"22", WordValue::Number, GSI_FIELD(Punkt.Vertikalwinkel)},
    {"21", WordValue::Number, GSI_FIELD(Punkt.Horizontalwinkel)},
    kNoWord,  // Azimut
    {"81", WordValue::Easting, GSI_FIELD(Punkt.Y)},
    {"82", WordValue::Northing, GSI_FIELD(Punkt.X)},
    {"83", WordValue::Number, GSI_FIELD(Punkt.Hoehe)},
};
const EditorWord kPunktcodeWords[] = {
    {"41", WordValue::CodeText, GSI_FIELD(Punktcode.Code)},
    {"42", WordValue::CodeText, GSI_FIELD(Punktcode.Entity)},
    {"43", WordValue::CodeText, GSI_FIELD(Punktcode.Layer)},
};
// clang-format on
#undef GSI_FIELD

struct EditorTable {
  const char* panel = nullptr;
  const EditorWord* words = nullptr;
  size_t count = 0;
};

EditorTable EditorTableOf(TTransferDatenart kind) {
  switch (kind) {
    case tdaKoordinate:
      return {kPanelKoordinaten, kKoordinatenWords, std::size(kKoordinatenWords)};
    case tdaNeupunkt:
      return {kPanelPunkte, kPunkteWords, std::size(kPunkteWords)};
    case tdaPunktcode:
      return {kPanelPunktcodes, kPunktcodeWords, std::size(kPunktcodeWords)};
    default:
      return {};
  }
}

// The line of a record that carries its words: the code line of a
// point-code record, else the point line (a record may hold code blocks
// before or after it). npos when there is none.
size_t EditedLineIndex(TTransferDatenart kind, const TextLines& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (kind == tdaPunktcode ? IsGsiCodeBlockLine(lines[i]) : IsGsiPointLine(lines[i])) return i;
  return std::string::npos;
}

// The first field of that index in the words of a line; empty when none.
std::string_view FieldOf(const std::vector<Word>& words, const char* index) {
  for (const Word& w : words)
    if (SameIndex(w.index, index)) return w.field;
  return {};
}

std::string JoinWithCrLf(const TextLines& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines[i];
  }
  return out;
}

}  // namespace

void TdmGSI::GSI8InitEditor() {
  EditorPanelSetup* panels = EditorPanels();
  if (!panels) return;
  // Information and station records are shown, not written.
  panels->ConfigurePanel(kPanelInfos, "TTTTTTTTTTT", "", "FFFFFFFFFFF");
  panels->ConfigurePanel(kPanelStationen, "TTTTTTTT", "", "FFFFFFFF");
  // The edited panels until a record sets them up by its own words.
  for (TTransferDatenart kind : {tdaKoordinate, tdaNeupunkt, tdaPunktcode}) ConfigureEditor(kind, {});
}

bool TdmGSI::GSI8EditNext(const std::string& S) {
  const std::string& tag = CurrentTransfer().FormatTag;
  if (tag == "kGSI8" || tag == "kGSI16") return IsGsiPointLine(S);
  return GsiLineKind(tag, S) != tdaNone;
}

// Enabled are the fields whose word the record's line carries in full;
// pictures follow the width and, for numbers, the word's units digit.
// Without lines every word counts as present in millimetres.
void TdmGSI::ConfigureEditor(TTransferDatenart kind, const std::string& lines) {
  EditorPanelSetup* panels = EditorPanels();
  const EditorTable table = EditorTableOf(kind);
  if (!panels || !table.words) return;
  const int n = GsiDataWidth();
  const size_t full = static_cast<size_t>(n + kGsiFieldHead);
  const TextLines all = SplitLines(lines);
  const size_t at = EditedLineIndex(kind, all);
  std::vector<Word> words;
  if (at != std::string::npos) SplitWords(all[at], n, words);
  std::string enabled, required, pictures;
  for (size_t i = 0; i < table.count; ++i) {
    const EditorWord& w = table.words[i];
    std::string_view field = FieldOf(words, w.index);
    const bool present = w.value != WordValue::None && (lines.empty() || field.size() == full);
    const char unit = field.size() == full ? field[3] : '0';
    const bool number = w.value == WordValue::Number || w.value == WordValue::Easting || w.value == WordValue::Northing;
    enabled += present ? 'T' : 'F';
    required += present && (std::string_view(w.index) == "11" || std::string_view(w.index) == "41") ? 'T' : 'F';
    if (i > 0) pictures += '\r';
    if (present) pictures += number ? GsiNumberPicture(unit, n) : std::string(static_cast<size_t>(n), 'X');
  }
  panels->ConfigurePanel(table.panel, enabled, pictures, required);
}

std::string TdmGSI::WriteBack(TTransferDatenart kind, const std::string& Lines, const TDaten& Read,
                              const TDaten& Daten) {
  const EditorTable table = EditorTableOf(kind);
  TextLines lines = SplitLines(Lines);
  const size_t at = EditedLineIndex(kind, lines);
  if (!table.words || at == std::string::npos) return Lines;
  const int n = GsiDataWidth();
  const size_t width = static_cast<size_t>(n);
  std::string line = lines[at];
  std::vector<Word> words;
  SplitWords(line, n, words);
  // Start of each word's field in the line, before the line is changed.
  auto start = [&](std::string_view field) { return static_cast<size_t>(field.data() - line.data()); };
  struct Change {
    size_t from;
    std::string text;
  };
  std::vector<Change> changes;
  for (size_t i = 0; i < table.count; ++i) {
    const EditorWord& w = table.words[i];
    if (w.value == WordValue::None) continue;
    const std::string& value = w.get(Daten);
    if (value == w.get(Read)) continue;
    const std::string_view field = FieldOf(words, w.index);
    if (field.size() != width + kGsiFieldHead) continue;  // never offered for editing
    auto refuse = [&] {
      ShowMessageBox(FormatText(GetText(kTextGsiWordTooNarrow), {value, w.index, std::to_string(n)}), kMsgInformation,
                     kBtnOk);
      return std::string(kWriteError);
    };
    switch (w.value) {
      case WordValue::Text:
      case WordValue::Code:
      case WordValue::CodeText: {
        const std::string text = w.value == WordValue::Code       ? WrittenCode(value)
                                 : w.value == WordValue::CodeText ? TrimBlanks(geraete_.AnsiToOemText(value))
                                                                  : TrimBlanks(value);
        if (text.size() > width) return refuse();
        // The word keeps its fill: blanks where the instrument wrote them.
        const char fill = field[kGsiFieldHead] == ' ' ? ' ' : '0';
        changes.push_back({start(field) + kGsiFieldHead, PadLeft(text, fill, n)});
        break;
      }
      default: {
        std::string number = TrimBlanks(value);
        if (w.value == WordValue::Easting) number = geraete_.ApplyOffset(number, kOffsetRemoveX);
        if (w.value == WordValue::Northing) number = geraete_.ApplyOffset(number, kOffsetRemoveY);
        if (number.empty()) {
          changes.push_back({start(field) + kGsiFieldHead - 1, "+" + std::string(width, '-')});  // not measured
          break;
        }
        const auto data = GsiNumberWord(number, GsiUnitDecimals(field[3]), n);
        if (!data) return refuse();
        changes.push_back({start(field) + kGsiFieldHead - 1, *data});
        break;
      }
    }
  }
  for (const Change& c : changes) line.replace(c.from, c.text.size(), c.text);
  lines[at] = std::move(line);
  return JoinWithCrLf(lines);
}

std::string TdmGSI::NeupunkteWriteBack(const std::string& Lines, const TDaten& Read, TDaten& Daten) {
  return WriteBack(tdaNeupunkt, Lines, Read, Daten);
}

std::string TdmGSI::KoordinatenWriteBack(const std::string& Lines, const TDaten& Read, TDaten& Daten) {
  return WriteBack(tdaKoordinate, Lines, Read, Daten);
}

std::string TdmGSI::PunktcodesWriteBack(const std::string& Lines, const TDaten& Read, TDaten& Daten) {
  return WriteBack(tdaPunktcode, Lines, Read, Daten);
}

}  // namespace veltro
