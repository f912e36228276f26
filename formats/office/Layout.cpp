#include "formats/office/Layout.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>

#include "core/DecimalText.h"

namespace veltro {
namespace {

// Widths and precisions beyond this are refused: a layout from a file must
// not be able to make the writer allocate gigabytes.
constexpr int kMaxFieldSize = 4096;
// Exponents beyond this are refused for the same reason ("1E999999").
constexpr int kMaxExponent = 1000;
// Decimals of "f" without precision, as the standard format function.
constexpr int kDefaultDecimals = 2;

struct Conversion {
  bool keepLast = false;  // "%«"
  bool left = false;      // "-"
  int width = -1;         // -1: none
  int precision = -1;     // -1: none
  char letter = 's';

  // The width that testing and cutting use: none when the width is smaller
  // than the precision ("%1.4f") or zero.
  int CutWidth() const {
    if (width <= 0) return 0;
    if (precision >= 0 && width < precision) return 0;
    return width;
  }
  // The field length for cutting by key: the precision, else the width.
  int KeyLength() const { return precision >= 0 ? precision : (width > 0 ? width : 0); }
};

enum class Kind { Literal, Alternative, Conversion, Open, Close };

struct Token {
  Kind kind = Kind::Literal;
  char c = 0;           // Literal
  std::string choices;  // Alternative
  Conversion conv;      // Conversion
  size_t partner = 0;   // Open/Close: index of the other bracket
  size_t argIndex = 0;  // Conversion: position in the argument list
  int next = -1;        // the first literal character after the token, -1 at the end
  size_t run = 0;       // Literal: literal tokens in a row from here, as text at runStart
  size_t runStart = 0;  //          of Parsed::literals
};

struct Parsed {
  std::vector<Token> tokens;
  size_t conversions = 0;
  std::string literals;  // the literal characters of tokens, in order
  // The length of the line written last: the next one gets that room at
  // once, and a little more for a line a bit longer or a character a writer
  // adds, but not much more (a written line is kept with its capacity).
  mutable size_t lastLength = 0;
  // Literals and conversions only, and the index of the last conversion in
  // them: what the positional readers walk (made once per layout).
  std::vector<Token> flat;
  size_t lastFlatConversion = 0;
  // Every conversion is "s": a line's length is bounded before it is written.
  bool textOnly = true;
};

Token LiteralToken(char c) {
  Token t;
  t.kind = Kind::Literal;
  t.c = c;
  return t;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads digits at layout[i]; false when the number exceeds kMaxFieldSize.
bool ReadCount(const std::string& layout, size_t& i, int& value) {
  value = 0;
  while (i < layout.size() && IsDigit(layout[i])) {
    value = value * 10 + (layout[i] - '0');
    if (value > kMaxFieldSize) return false;
    ++i;
  }
  return true;
}

// Parses a conversion after its '%' (i at the character after '%').
bool ParseConversion(const std::string& layout, size_t& i, Conversion& conv) {
  if (i < layout.size() && layout[i] == kKeepLastMark) {
    conv.keepLast = true;
    ++i;
  }
  if (i < layout.size() && layout[i] == '-') {
    conv.left = true;
    ++i;
  }
  if (i < layout.size() && IsDigit(layout[i]) && !ReadCount(layout, i, conv.width)) return false;
  if (i < layout.size() && layout[i] == '.') {
    ++i;
    if (!ReadCount(layout, i, conv.precision)) return false;
  }
  if (i >= layout.size()) return false;
  char letter = layout[i];
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  if (letter != 's' && letter != 'd' && letter != 'f') return false;
  conv.letter = letter;
  ++i;
  return true;
}

std::optional<Parsed> ParseLayout(const std::string& layout) {
  Parsed p;
  std::vector<size_t> open;
  size_t i = 0;
  while (i < layout.size()) {
    const char c = layout[i];
    if (c == '%') {
      if (i + 1 < layout.size() && layout[i + 1] == '%') {
        p.tokens.push_back(LiteralToken('%'));
        i += 2;
        continue;
      }
      ++i;
      Token t;
      t.kind = Kind::Conversion;
      if (!ParseConversion(layout, i, t.conv)) return std::nullopt;
      t.argIndex = p.conversions++;
      p.tokens.push_back(t);
      continue;
    }
    if (c == '{') {
      size_t close = layout.find('}', i + 1);
      if (close != std::string::npos && layout.find('%', i + 1) > close) {
        Token t;
        t.kind = Kind::Alternative;
        t.choices = layout.substr(i + 1, close - i - 1);
        p.tokens.push_back(t);
        i = close + 1;
        continue;
      }
    } else if (c == '[') {
      Token t;
      t.kind = Kind::Open;
      open.push_back(p.tokens.size());
      p.tokens.push_back(t);
      ++i;
      continue;
    } else if (c == ']' && !open.empty()) {
      size_t o = open.back();
      open.pop_back();
      Token t;
      t.kind = Kind::Close;
      t.partner = o;
      p.tokens[o].partner = p.tokens.size();
      p.tokens.push_back(t);
      ++i;
      continue;
    }
    p.tokens.push_back(LiteralToken(c));
    ++i;
  }
  for (size_t o : open) p.tokens[o] = LiteralToken('[');
  // A bracket pair without a conversion inside is literal text.
  for (size_t k = 0; k < p.tokens.size(); ++k) {
    if (p.tokens[k].kind != Kind::Open) continue;
    const size_t close = p.tokens[k].partner;
    bool holds = false;
    for (size_t j = k + 1; j < close && !holds; ++j) holds = p.tokens[j].kind == Kind::Conversion;
    if (!holds) {
      p.tokens[k] = LiteralToken('[');
      p.tokens[close] = LiteralToken(']');
    }
  }
  int next = -1;
  for (size_t k = p.tokens.size(); k-- > 0;) {
    p.tokens[k].next = next;
    if (p.tokens[k].kind == Kind::Literal) next = static_cast<unsigned char>(p.tokens[k].c);
  }
  for (size_t k = 0; k < p.tokens.size();) {
    if (p.tokens[k].kind != Kind::Literal) {
      ++k;
      continue;
    }
    size_t end = k;
    const size_t start = p.literals.size();
    for (; end < p.tokens.size() && p.tokens[end].kind == Kind::Literal; ++end) p.literals += p.tokens[end].c;
    p.tokens[k].run = end - k;
    p.tokens[k].runStart = start;
    k = end;
  }
  for (const Token& t : p.tokens)
    if (t.kind == Kind::Literal || t.kind == Kind::Conversion) p.flat.push_back(t);
  for (size_t k = 0; k < p.flat.size(); ++k)
    if (p.flat[k].kind == Kind::Conversion) p.lastFlatConversion = k;
  for (const Token& t : p.tokens)
    if (t.kind == Kind::Conversion && t.conv.letter != 's') p.textOnly = false;
  return p;
}

// Writers and readers use the same few layouts for every line: the parsed
// form of the most recent ones is kept.
constexpr size_t kParsedLayoutCache = 16;
// Room beyond the previous line's length that a line gets at once.
constexpr size_t kLineSlack = 2;

const std::optional<Parsed>& Parse(const std::string& layout) {
  static std::deque<std::pair<std::string, std::optional<Parsed>>> cache;
  static size_t next = 0;
  static size_t last = 0;  // the entry found last: a writer asks for the same layout line after line
  if (last < cache.size() && cache[last].first == layout) return cache[last].second;
  for (size_t i = 0; i < cache.size(); ++i)
    if (cache[i].first == layout) {
      last = i;
      return cache[i].second;
    }
  if (cache.size() < kParsedLayoutCache) {
    cache.emplace_back(layout, ParseLayout(layout));
    last = cache.size() - 1;
    return cache.back().second;
  }
  last = next;
  auto& slot = cache[next];
  next = (next + 1) % kParsedLayoutCache;
  slot = {layout, ParseLayout(layout)};
  return slot.second;
}

// Appends text padded with blanks to width, on the right when left-aligned.
void AppendPadded(std::string& out, std::string_view text, int width, bool left) {
  const size_t fill =
      width > 0 && static_cast<int>(text.size()) < width ? static_cast<size_t>(width) - text.size() : 0;
  if (fill == 0) {
    out.append(text);
    return;
  }
  if (!left) out.append(fill, ' ');
  out.append(text);
  if (left) out.append(fill, ' ');
}

std::string_view TrimSpaces(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

// Integer text: blanks in front, optional sign, digits, nothing after.
bool AppendInteger(std::string& out, std::string_view text, int precision, int width, bool left) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  const size_t first = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == first || i != text.size()) return false;
  std::string_view digits = text.substr(first);
  const size_t nz = digits.find_first_not_of('0');
  digits = nz == std::string_view::npos ? std::string_view("0") : digits.substr(nz);
  const size_t zeros =
      precision > 0 && digits.size() < static_cast<size_t>(precision) ? static_cast<size_t>(precision) - digits.size() : 0;
  const bool sign = negative && digits != "0";
  const size_t length = (sign ? 1 : 0) + zeros + digits.size();
  const size_t fill = width > 0 && length < static_cast<size_t>(width) ? static_cast<size_t>(width) - length : 0;
  if (!left) out.append(fill, ' ');
  if (sign) out += '-';
  out.append(zeros, '0');
  out.append(digits);
  if (left) out.append(fill, ' ');
  return true;
}

// Appends the conversion of text to out; false when text does not fit it.
bool AppendConversion(std::string& out, const Conversion& conv, std::string_view text) {
  switch (conv.letter) {
    case 's': {
      if (conv.precision < 0 && conv.width <= 0) {  // the usual "%s"
        out.append(text);
        return true;
      }
      if (conv.precision >= 0 && static_cast<int>(text.size()) > conv.precision) {
        const size_t n = static_cast<size_t>(conv.precision);
        text = conv.keepLast ? text.substr(text.size() - n) : text.substr(0, n);
      }
      AppendPadded(out, text, conv.width, conv.left);
      return true;
    }
    case 'd': return AppendInteger(out, text, conv.precision, conv.width, conv.left);
    default: {
      auto v = FormatDecimalText(text, conv.precision >= 0 ? conv.precision : kDefaultDecimals);
      if (!v) return false;
      AppendPadded(out, *v, conv.width, conv.left);
      return true;
    }
  }
}

// Copies the few bytes of a field or literal; memcpy's call costs more than
// the copy of a short text.
char* CopyShort(char* to, const char* from, size_t n) {
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {  // two words that may overlap
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + n - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + n - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + n - 4, &tail, 4);
  } else {
    for (size_t i = 0; i < n; ++i) to[i] = from[i];
  }
  return to + n;
}

// AppendTokens for a layout of "s" conversions only: the room for the line
// (every text uncut plus its width) is made once and the text written into
// it in place, as AppendTokens writes it.
// Whether an optional part (the tokens after its Open at k) holds a
// conversion whose argument is present; an absent part is skipped whole.
template <class Arg>
bool AnyPresent(const std::vector<Token>& tokens, size_t k, std::span<const Arg> args) {
  for (size_t j = k + 1; j < tokens[k].partner; ++j)
    if (tokens[j].kind == Kind::Conversion && args[tokens[j].argIndex].IsPresent()) return true;
  return false;
}

template <class Arg>
bool AppendTextTokens(std::string& out, const Parsed& parsed, std::span<const Arg> args, bool inColumns) {
  const std::vector<Token>& tokens = parsed.tokens;
  size_t room = parsed.literals.size();
  for (const Token& t : tokens)
    if (t.kind == Kind::Conversion) room += args[t.argIndex].Text().size() + static_cast<size_t>(std::max(t.conv.width, 0));
  const size_t start = out.size();
  out.resize(start + room);
  char* const begin = out.data() + start;
  char* at = begin;
  for (size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    switch (t.kind) {
      case Kind::Literal:
        if (t.run <= 1) {  // one character, or not the start of its run (not reached by the walk)
          *at++ = t.c;
          break;
        }
        at = CopyShort(at, parsed.literals.data() + t.runStart, t.run);
        k += t.run - 1;
        break;
      case Kind::Alternative:
      case Kind::Close: break;
      case Kind::Open:
        if (!AnyPresent(tokens, k, args)) k = t.partner;
        break;
      case Kind::Conversion: {
        std::string_view text = args[t.argIndex].Text();
        const Conversion& conv = t.conv;
        if (conv.precision < 0 && conv.width <= 0) {  // the usual "%s"
          at = CopyShort(at, text.data(), text.size());
          break;
        }
        if (conv.precision >= 0 && text.size() > static_cast<size_t>(conv.precision)) {
          const size_t n = static_cast<size_t>(conv.precision);
          text = conv.keepLast ? text.substr(text.size() - n) : text.substr(0, n);
        }
        const size_t fill =
            conv.width > 0 && text.size() < static_cast<size_t>(conv.width) ? static_cast<size_t>(conv.width) - text.size() : 0;
        if (const int w = conv.CutWidth(); inColumns && w > 0 && text.size() + fill > static_cast<size_t>(w)) {
          out.resize(start);
          return false;
        }
        if (!conv.left) at = std::fill_n(at, fill, ' ');
        at = CopyShort(at, text.data(), text.size());
        if (conv.left) at = std::fill_n(at, fill, ' ');
        break;
      }
    }
  }
  out.resize(start + static_cast<size_t>(at - begin));
  parsed.lastLength = out.size() - start;
  return true;
}

template <class Arg>
bool AppendTokens(std::string& out, const std::string& layout, std::span<const Arg> args, bool inColumns) {
  const auto& parsed = Parse(layout);
  if (!parsed || parsed->conversions > args.size()) return false;
  if (parsed->textOnly) return AppendTextTokens(out, *parsed, args, inColumns);
  const std::vector<Token>& tokens = parsed->tokens;
  const size_t start = out.size();
  out.reserve(start + parsed->lastLength + kLineSlack);
  for (size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    switch (t.kind) {
      case Kind::Literal:
        if (t.run == 0) {  // not the start of its run (not reached by the walk)
          out += t.c;
          break;
        }
        out.append(parsed->literals, t.runStart, t.run);
        k += t.run - 1;
        break;
      case Kind::Alternative:
      case Kind::Close: break;
      case Kind::Open:
        if (!AnyPresent(tokens, k, args)) k = t.partner;
        break;
      case Kind::Conversion: {
        const size_t before = out.size();
        bool ok = AppendConversion(out, t.conv, args[t.argIndex].Text());
        if (const int w = t.conv.CutWidth(); ok && inColumns && w > 0 && out.size() - before > static_cast<size_t>(w))
          ok = false;
        if (!ok) {
          out.resize(start);
          return false;
        }
        break;
      }
    }
  }
  parsed->lastLength = out.size() - start;
  return true;
}

template <class Args>
std::optional<std::string> FormatTokens(const std::string& layout, Args args, bool inColumns) {
  std::string out;
  if (!AppendTokens(out, layout, args, inColumns)) return std::nullopt;
  return out;
}

LayoutArgViewSpan Views(LayoutArgList args) { return LayoutArgViewSpan(args.begin(), args.size()); }

}  // namespace

std::optional<std::string> FormatLayout(const std::string& layout, LayoutArgSpan args) {
  return FormatTokens(layout, args, false);
}

std::optional<std::string> FormatLayout(const std::string& layout, LayoutArgList args) {
  return FormatTokens(layout, Views(args), false);
}

std::optional<std::string> FormatLayoutInColumns(const std::string& layout, LayoutArgSpan args) {
  return FormatTokens(layout, args, true);
}

std::optional<std::string> FormatLayoutInColumns(const std::string& layout, LayoutArgList args) {
  return FormatTokens(layout, Views(args), true);
}

std::string FormatLayoutOrError(const std::string& layout, LayoutArgSpan args) {
  auto text = FormatLayout(layout, args);
  return text ? std::move(*text) : std::string("Error");
}

std::string FormatLayoutOrError(const std::string& layout, LayoutArgList args) {
  auto text = FormatLayout(layout, args);
  return text ? std::move(*text) : std::string("Error");
}

bool AppendLayout(std::string& out, const std::string& layout, LayoutArgSpan args, bool inColumns) {
  return AppendTokens(out, layout, args, inColumns);
}

bool AppendLayout(std::string& out, const std::string& layout, LayoutArgViewSpan args, bool inColumns) {
  return AppendTokens(out, layout, args, inColumns);
}

bool FitsLayout(const std::string& layout, const std::string& line) {
  const auto& parsed = Parse(layout);
  if (!parsed || parsed->conversions == 0) return false;
  const std::vector<Token>& tokens = parsed->tokens;
  size_t pos = 0;
  for (size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    switch (t.kind) {
      case Kind::Literal:
        if (pos >= line.size() || line[pos] != t.c) return false;
        ++pos;
        break;
      case Kind::Alternative:
        if (pos >= line.size() || t.choices.find(line[pos]) == std::string::npos) return false;
        break;
      case Kind::Open:
        if (pos >= line.size()) k = t.partner;
        break;
      case Kind::Close: break;
      case Kind::Conversion: {
        if (int w = t.conv.CutWidth(); w > 0) {
          pos = std::min(line.size(), pos + static_cast<size_t>(w));
        } else if (t.next >= 0) {
          size_t found = line.find(static_cast<char>(t.next), pos);
          pos = found == std::string::npos ? line.size() : found;
        } else {
          pos = line.size();
        }
        break;
      }
    }
  }
  return true;
}

namespace {
// The positional cut behind CutFields and CutFieldViews: emit(field) for
// each conversion in order; false for a malformed layout.
template <class Emit>
bool CutPositions(const std::string& layout, std::string_view line, Emit emit) {
  const auto& parsed = Parse(layout);
  if (!parsed) return false;
  const std::vector<Token>& flat = parsed->flat;
  const size_t lastConversion = parsed->lastFlatConversion;
  size_t pos = 0;
  for (size_t k = 0; k < flat.size(); ++k) {
    const Token& t = flat[k];
    if (t.kind == Kind::Literal) {
      pos = std::min(line.size(), pos + 1);
      continue;
    }
    const int w = t.conv.CutWidth();
    if (w > 0) {
      emit(TrimSpaces(line.substr(pos, static_cast<size_t>(w))));
      pos = std::min(line.size(), pos + static_cast<size_t>(w));
      continue;
    }
    size_t end = line.size();
    if (k != lastConversion && t.next >= 0) {
      size_t found = line.find(static_cast<char>(t.next), pos);
      if (found != std::string_view::npos) end = found;
    }
    emit(line.substr(pos, end - pos));
    pos = end;
  }
  return true;
}
}  // namespace

void CutFieldViews(const std::string& layout, std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  CutPositions(layout, line, [&fields](std::string_view field) { fields.push_back(field); });
}

bool CutFieldViewsIfFits(const std::string& layout, const std::string& line, std::vector<std::string_view>& fields) {
  fields.clear();
  const auto& parsed = Parse(layout);
  if (!parsed || parsed->conversions == 0) return false;
  const std::vector<Token>& flat = parsed->flat;
  if (flat.size() != parsed->tokens.size()) {  // groups or alternative positions: both walks
    if (!FitsLayout(layout, line)) return false;
    CutFieldViews(layout, line, fields);
    return true;
  }
  // Literals and conversions only: the walks of FitsLayout and CutPositions
  // stand at the same place, except that the cut gives the last conversion
  // the rest of the line.
  const std::string_view text = line;
  size_t pos = 0;
  for (size_t k = 0; k < flat.size(); ++k) {
    const Token& t = flat[k];
    if (t.kind == Kind::Literal) {
      if (pos >= text.size() || text[pos] != t.c) return false;
      ++pos;
      continue;
    }
    if (const int w = t.conv.CutWidth(); w > 0) {
      fields.push_back(TrimSpaces(text.substr(pos, static_cast<size_t>(w))));
      pos = std::min(text.size(), pos + static_cast<size_t>(w));
      continue;
    }
    size_t end = text.size();
    if (t.next >= 0) {
      const size_t found = text.find(static_cast<char>(t.next), pos);
      if (found != std::string_view::npos) end = found;
    }
    fields.push_back(k == parsed->lastFlatConversion ? text.substr(pos) : text.substr(pos, end - pos));
    pos = end;
  }
  return true;
}

std::vector<std::string> CutFields(const std::string& layout, std::string_view line) {
  std::vector<std::string> fields;
  if (const auto& parsed = Parse(layout)) fields.reserve(parsed->conversions);
  CutPositions(layout, line, [&fields](std::string_view field) { fields.emplace_back(field); });
  return fields;
}

std::vector<int> FieldWidths(const std::string& layout) {
  std::vector<int> widths;
  const auto& parsed = Parse(layout);
  if (!parsed) return widths;
  for (const Token& t : parsed->tokens)
    if (t.kind == Kind::Conversion) widths.push_back(t.conv.CutWidth());
  return widths;
}

std::vector<std::string> CutFieldsByKey(const std::string& layout, const std::string& line) {
  std::vector<std::string> fields;
  const auto& parsed = Parse(layout);
  if (!parsed || layout.empty()) return fields;
  const char separator = layout[0] == '[' && layout.size() > 1 ? layout[1] : layout[0];
  const std::vector<Token>& flat = parsed->flat;
  std::string rest = line;
  std::string key;
  for (const Token& t : flat) {
    if (t.kind == Kind::Literal) {
      key += t.c;
      continue;
    }
    size_t at = rest.find(key);
    if (at == std::string::npos) {
      fields.emplace_back();
    } else {
      const size_t start = at + key.size();
      size_t length;
      if (int n = t.conv.KeyLength(); n > 0) {
        length = std::min(static_cast<size_t>(n), rest.size() - start);
      } else {
        size_t next = rest.find(separator, start);
        length = (next == std::string::npos ? rest.size() : next) - start;
      }
      fields.emplace_back(TrimSpaces(std::string_view(rest).substr(start, length)));
      rest.erase(at, key.size() + length);
    }
    key.clear();
  }
  return fields;
}

std::optional<std::string> FormatDecimalText(std::string_view text, int decimals, int shift) {
  if (decimals < 0) decimals = 0;
  if (shift > kMaxExponent || shift < -kMaxExponent || decimals > kMaxFieldSize) return std::nullopt;
  DecimalValue value;
  int64_t written = 0;
  if (!ReadDecimal(text, value, &written)) return std::nullopt;
  // An exponent beyond any field.
  if (const size_t e = text.find_first_of("Ee"); e != std::string_view::npos) {
    int64_t exponent = 0;
    for (size_t i = e + 1; i < text.size() && exponent <= kMaxExponent; ++i)
      if (IsDigit(text[i])) exponent = exponent * 10 + (text[i] - '0');
    if (exponent > kMaxExponent) return std::nullopt;
  }
  if (!value.IsZero()) value.exponent += shift;
  RoundDecimal(value, decimals, DecimalRounding::HalfAwayFromZero);
  return FixedDecimalText(value, decimals);
}

}  // namespace veltro
