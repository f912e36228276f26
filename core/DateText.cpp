// Dates and times in the layouts of the instrument and office formats:
// "D"/"DD" day, "M"/"MM" month ("MMM" its name), "YY"/"YYYY" year, "HH"
// hours, "MM" after hours or "NN" minutes, "SS" seconds; any case.
#include <cmath>

#include "core/DateTime.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "platform/Clock.h"

namespace veltro {
namespace {
constexpr int kCenturyWindowYears = 10;  // two-digit years: from 10 years ago on

// Month abbreviations in their replacement order (English, German, French,
// Spanish), each replaced by its two-digit number.
constexpr struct {
  const char* name;
  const char* number;
} kMonthNames[] = {
    {"JAN", "01"}, {"FEB", "02"}, {"FEV", "02"}, {"MAR", "03"}, {"APR", "04"}, {"MAI", "05"},
    {"MAY", "05"}, {"JUN", "06"}, {"JUL", "07"}, {"AUG", "08"}, {"SEP", "09"}, {"OKT", "10"},
    {"OCT", "10"}, {"NOV", "11"}, {"DEZ", "12"}, {"DEC", "12"},
};

constexpr const char* kMonthAbbreviations[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr const char* kMonthFullNames[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                             "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
constexpr const char* kDayAbbreviations[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
constexpr const char* kDayFullNames[7] = {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY"};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The text is the program's own (its string table), not the language library's.
void ShowDateTimeError() { ShowMessageBox(DateTimeErrorText(), kMsgError, kBtnOk); }

// The separator of a layout: its first non-letter. A layout of letters only
// gets `fallback` between neighbouring letters that differ, and the text
// gets it at the same positions ("DDMMYY", "081226" -> "08.12.26"); such a
// text must be exactly as long as the layout.
bool SeparateParts(const std::string& layout, const std::string& text, char fallback, char& sep, std::string& out) {
  for (char c : layout) {
    if (!IsLetter(c)) {
      sep = c;
      out = text;
      return true;
    }
  }
  // Without separators every character has its letter: a text of another
  // length is no date ("0812266" is not 8.12.26 with a stray digit).
  if (text.size() != layout.size()) return false;
  sep = fallback;
  out.clear();
  for (size_t i = 0; i < layout.size(); ++i) {
    if (i > 0 && Upper(layout[i]) != Upper(layout[i - 1])) out += sep;
    out += text[i];
  }
  return true;
}

struct NumberPart {
  int value = 0;
  size_t digits = 0;  // as written, leading zeros included
};

// The sep-separated numbers of text; blanks around a number are allowed.
bool SplitNumbers(const std::string& text, char sep, std::vector<NumberPart>& parts) {
  parts.clear();
  size_t start = 0;
  for (;;) {
    size_t end = text.find(sep, start);
    std::string part = TrimBlanks(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (part.empty() || part.size() > 9) return false;
    NumberPart number;
    for (char c : part) {
      if (c < '0' || c > '9') return false;
      number.value = number.value * 10 + (c - '0');
    }
    number.digits = part.size();
    parts.push_back(number);
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

int CurrentYear() { return DecodeDate(NowDateTime()).year; }

// A year written with one or two digits lies in the 100 years that begin
// kCenturyWindowYears before the current year.
int WindowYear(int twoDigits) {
  const int first = CurrentYear() - kCenturyWindowYears;
  int year = first - first % 100 + twoDigits;
  if (year < first) year += 100;
  return year;
}

bool ReadDate(const std::string& layout, const std::string& text, double& result) {
  char sep = 0;
  std::string separated;
  if (!SeparateParts(layout, text, SystemDateSeparator(), sep, separated)) return false;
  // Order of day, month and year by their first appearance in the layout.
  std::string order;
  for (char c : layout) {
    char u = Upper(c);
    if ((u == 'D' || u == 'M' || u == 'Y') && order.find(u) == std::string::npos) order += u;
  }
  if (order.find('D') == std::string::npos || order.find('M') == std::string::npos) return false;
  std::vector<NumberPart> parts;
  if (!SplitNumbers(separated, sep, parts)) return false;
  if (parts.size() + 1 == order.size() && order.find('Y') != std::string::npos) {
    order.erase(order.find('Y'), 1);  // the year is left out: the current year
  } else if (parts.size() != order.size()) {
    return false;
  }
  int day = 0, month = 0, year = CurrentYear();
  for (size_t i = 0; i < order.size(); ++i) {
    switch (order[i]) {
      case 'D': day = parts[i].value; break;
      case 'M': month = parts[i].value; break;
      default: year = parts[i].digits <= 2 ? WindowYear(parts[i].value) : parts[i].value; break;
    }
  }
  if (!IsValidDate(year, month, day)) return false;
  result = EncodeDate(year, month, day);
  return true;
}

bool ReadTime(const std::string& layout, const std::string& text, double& result) {
  char sep = 0;
  std::string separated;
  if (!SeparateParts(layout, text, SystemTimeSeparator(), sep, separated)) return false;
  std::vector<NumberPart> parts;
  if (!SplitNumbers(separated, sep, parts) || parts.size() < 2 || parts.size() > 3) return false;
  return EncodeTime(parts[0].value, parts[1].value, parts.size() == 3 ? parts[2].value : 0, result);
}

std::string Number(int value, size_t width) { return PadLeft(std::to_string(value), '0', static_cast<int>(width)); }

// Date-times from 1 January 0001 to 31 December 9999.
bool InCalendar(double value) {
  return std::isfinite(value) && value >= EncodeDate(1, 1, 1) && value < EncodeDate(9999, 12, 31) + 1;
}

// Writes the date and time fields of the layout; other characters are
// copied. "M" right after an hour field means minutes.
std::string FormatLayout(const std::string& layout, const CivilDate& date, int dayOfWeek, int hour, int minute,
                         int second) {
  std::string out;
  char last = 0;
  for (size_t i = 0; i < layout.size();) {
    const char u = Upper(layout[i]);
    size_t count = 1;
    while (i + count < layout.size() && Upper(layout[i + count]) == u) ++count;
    switch (u) {
      case 'D':
        if (count <= 2)
          out += Number(date.day, count);
        else
          out += (count == 3 ? kDayAbbreviations : kDayFullNames)[dayOfWeek];
        break;
      case 'M':
        if (last == 'H' && count <= 2)
          out += Number(minute, count);
        else if (count <= 2)
          out += Number(date.month, count);
        else
          out += (count == 3 ? kMonthAbbreviations : kMonthFullNames)[date.month - 1];
        break;
      case 'Y': out += count <= 2 ? Number(date.year % 100, 2) : Number(date.year, 4); break;
      case 'H': out += Number(hour, count < 2 ? 1 : 2); break;
      case 'N': out += Number(minute, count < 2 ? 1 : 2); break;
      case 'S': out += Number(second, count < 2 ? 1 : 2); break;
      default:
        out.append(layout, i, count);
        i += count;
        continue;
    }
    last = u;
    i += count;
  }
  return out;
}
}  // namespace

std::string ReplaceMonthNames(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = Upper(c);
  for (const auto& month : kMonthNames) {
    size_t pos = out.find(month.name);
    if (pos != std::string::npos) out.replace(pos, 3, month.number);
  }
  return out;
}

double ParseDate(const std::string& layout, const std::string& text) {
  std::string numeric = ReplaceMonthNames(text);
  if (layout.empty() || numeric.empty()) return 0;
  double result = 0;
  if (ReadDate(layout, numeric, result)) return result;
  ShowDateTimeError();
  return 0;
}

double ParseTime(const std::string& layout, const std::string& text) {
  if (layout.empty() || text.empty()) return 0;
  double result = 0;
  if (ReadTime(layout, text, result)) return result;
  ShowDateTimeError();
  return 0;
}

std::string FormatDate(const std::string& layout, double value) {
  if (!InCalendar(value)) {
    ShowDateTimeError();
    return {};
  }
  const double day = std::floor(value);
  const int dayOfWeek = static_cast<int>(std::fmod(std::fmod(day + 6, 7) + 7, 7));  // 1899-12-30 was a Saturday
  return FormatLayout(layout, DecodeDate(day), dayOfWeek, 0, 0, 0);
}

std::string FormatTime(const std::string& layout, double value) {
  if (!InCalendar(value)) {
    ShowDateTimeError();
    return {};
  }
  int hour = 0, minute = 0, second = 0;
  DecodeTime(value, hour, minute, second);
  return FormatLayout(layout, DecodeDate(0), 6, hour, minute, second);
}

}  // namespace veltro
