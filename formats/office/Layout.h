// The layout language of the line formats: literal text with conversions
//
//   %[«][-][width][.precision]s|d|f     text, integer, fixed-point number
//   %%                                  a literal percent sign
//   [ ... ]                             optional group holding a conversion
//   { ... }                             one position that may hold any of the
//                                       listed characters ("{ -}": sign column)
//
// ("«" is the cp1252 byte 0xAB.) Layouts come from format definitions and
// user files and their arguments from instruments and users, so this is the
// program's own formatter: nothing here is ever handed to printf.
//
// A '[' without its ']', a ']' without its '[', a '{' without '}' and a
// bracket pair that holds no conversion are literal text.
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltro {

inline constexpr char kKeepLastMark = '\xAB';  // "%«": keep the last characters of a long text

// One argument of a record: a text, or a number given as its decimal text.
// A number always counts as present for optional groups; "d" and "f"
// accept a text argument too as long as it holds a number.
class LayoutArg {
 public:
  // Implicit: texts are the common case ({p.Punktnummer, p.Y, ...}).
  LayoutArg(std::string text) : text_(std::move(text)) {}
  LayoutArg(const char* text) : text_(text) {}
  static LayoutArg Number(std::string decimalText) {
    LayoutArg a(std::move(decimalText));
    a.number_ = true;
    return a;
  }
  static LayoutArg Integer(long long value) { return Number(std::to_string(value)); }

  const std::string& Text() const { return text_; }
  bool IsNumber() const { return number_; }
  bool IsPresent() const { return number_ || !text_.empty(); }

 private:
  std::string text_;
  bool number_ = false;
};

using LayoutArgs = std::vector<LayoutArg>;
// The arguments as the formatter reads them: a LayoutArgs, or a braced list
// of a writer ({p.Punktnummer, p.Y, ...}), read where it stands rather than
// copied into a vector first.
using LayoutArgSpan = std::span<const LayoutArg>;

// One argument of a braced list: a view of the text where it stands, valid
// for the call it is written in (the list and its temporaries live as long).
class LayoutArgView {
 public:
  LayoutArgView(const std::string& text) : text_(text) {}
  LayoutArgView(const char* text) : text_(text) {}
  LayoutArgView(std::string_view text) : text_(text) {}
  LayoutArgView(const LayoutArg& arg) : text_(arg.Text()), number_(arg.IsNumber()) {}

  std::string_view Text() const { return text_; }
  bool IsNumber() const { return number_; }
  bool IsPresent() const { return number_ || !text_.empty(); }

 private:
  std::string_view text_;
  bool number_ = false;
};

using LayoutArgViewSpan = std::span<const LayoutArgView>;
using LayoutArgList = std::initializer_list<LayoutArgView>;

// Writes a record: the arguments in order into the layout's conversions.
// Optional groups are kept (without brackets) when one of their conversions
// has a present argument, otherwise dropped whole; alternative positions are
// removed. "s" cuts to the precision and pads to the width ("-" left), with
// "«" keeping the last precision characters instead of the first; "d" writes
// an integer with at least precision digits; "f" rounds the argument's
// decimal text half away from zero to precision decimals (2 without one).
// nullopt is a formatting failure: a malformed layout, fewer arguments than
// conversions, or an argument of "d"/"f" that is not such a number.
std::optional<std::string> FormatLayout(const std::string& layout, LayoutArgSpan args);
std::optional<std::string> FormatLayout(const std::string& layout, LayoutArgList args);

// FormatLayout for fixed-column files, whose readers cut by column: a
// conversion with a width whose text is longer than that width fails
// instead of widening its field and moving the columns after it.
std::optional<std::string> FormatLayoutInColumns(const std::string& layout, LayoutArgSpan args);
std::optional<std::string> FormatLayoutInColumns(const std::string& layout, LayoutArgList args);

// FormatLayout for writers: the text, or exactly "Error" on failure.
std::string FormatLayoutOrError(const std::string& layout, LayoutArgSpan args);
std::string FormatLayoutOrError(const std::string& layout, LayoutArgList args);

// The text of FormatLayout (FormatLayoutInColumns with inColumns) appended
// to out; on a failure false, and out is left as it was.
bool AppendLayout(std::string& out, const std::string& layout, LayoutArgSpan args, bool inColumns = false);
bool AppendLayout(std::string& out, const std::string& layout, LayoutArgViewSpan args, bool inColumns = false);

// Tests a line against a layout (the recognisers). The layout needs a
// conversion; every literal must stand where the walk has got to. A sized
// conversion consumes its width, an unsized one up to the next literal
// character of the layout (the whole rest when that does not occur). An
// alternative position checks the character there without consuming it, as
// it is the first character of the following field. An optional group that
// starts where the line has ended is skipped.
bool FitsLayout(const std::string& layout, const std::string& line);

// Cuts a line into fields, one per conversion (the positional readers).
// The literal before a conversion is skipped by its length; a sized
// conversion takes its width and is trimmed of blanks; an unsized one runs up
// to the next literal character and is taken as it stands; the last unsized
// conversion takes the rest of the line. Nothing is read past the end of the
// line: fields there are empty. A malformed layout gives no fields.
std::vector<std::string> CutFields(const std::string& layout, std::string_view line);
// The same fields as views into line (valid as long as line is unchanged),
// into fields, whose capacity is kept from call to call.
void CutFieldViews(const std::string& layout, std::string_view line, std::vector<std::string_view>& fields);

// FitsLayout(layout, line), and when it fits, the fields of CutFieldViews
// into fields, in one walk where the layout allows it.
bool CutFieldViewsIfFits(const std::string& layout, const std::string& line, std::vector<std::string_view>& fields);

// The cutting width of each conversion in order (0 for an unsized one), as
// CutFields uses them; empty for a malformed layout.
std::vector<int> FieldWidths(const std::string& layout);

// Cuts a line by key (the searching readers). The separator is the layout's
// first character (its second when the first is '['). For each conversion the
// literal before it is the key and is searched anywhere in the line; the field
// follows it, as long as the conversion's precision (its width without one),
// or up to the next separator when that is 0 or missing. The field is trimmed
// and removed from the line with its key. An absent key gives an empty field.
std::vector<std::string> CutFieldsByKey(const std::string& layout, const std::string& line);

// Exact decimal arithmetic on texts: the number in text (blanks in front
// allowed, sign, digits, fraction, exponent "E"), multiplied by 10^shift and
// rounded half away from zero to `decimals` decimals, written with "." and no
// padding ("-" only when the rounded value is not zero). nullopt when the
// text is not a number.
std::optional<std::string> FormatDecimalText(std::string_view text, int decimals, int shift = 0);

}  // namespace veltro
