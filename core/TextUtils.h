// Text, number and date helpers shared by every reader and writer. They decide
// exactly what lands in a file. Positions count from 1; "blank" is character 32.
// Built into the program and into the instrument library: no Qt, no GUI, no
// catalogue.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltro {

// ---- Text -------------------------------------------------------------------
std::string TrimBlanks(const std::string& text);
// The same as a view into text.
std::string_view TrimBlanksView(std::string_view text);
std::string TrimLeftChar(const std::string& text, char c);
std::string TrimRightChar(const std::string& text, char c);
std::string LeftText(const std::string& text, int n);
std::string RightText(const std::string& text, int n);
std::string CharString(char c, int n);
std::string Blanks(int n);
std::string PadLeft(const std::string& text, char c, int n);
std::string PadRight(const std::string& text, char c, int n);
std::string PadLeftBlanks(const std::string& text, int n);
std::string PadRightBlanks(const std::string& text, int n);
std::string ZeroPad(const std::string& text, int n);
std::string AddBackslash(const std::string& path);
std::string RemoveBackslash(const std::string& path);
std::string RemoveLineEnds(const std::string& text);
char LastChar(const std::string& text);
std::string CutToken(std::string& text, char c);
int TokenCount(const std::string& text, char c);
std::string FieldAt(const std::string& text, char c, int n);
void SplitToList(const std::string& text, char c, std::vector<std::string>& list);
// The fields of text between the separators, empty ones included ("a,,b"
// gives three).
std::vector<std::string> SplitFields(const std::string& text, char separator);
std::string ReplaceField(const std::string& value, const std::string& text, char c, int n);
int CountChar(const std::string& text, char c);
std::string ReplaceChar(const std::string& text, char c, const std::string& s);
int PosFrom(const std::string& sub, const std::string& text, int start);
void ReplaceAll(std::string& text, const std::string& sub, const std::string& s);
enum : int { kReplaceMatchCase = 1, kReplaceAll = 2 };
std::string ReplaceText(const std::string& text, const std::string& sub, const std::string& s, int flags);
// Code page 850 <-> 1252, byte for byte (same length); a character the
// other page lacks becomes "?".
std::string OemToAnsi(const std::string& text);
std::string AnsiToOem(const std::string& text);

// ---- Numbers ----------------------------------------------------------------
// The no-value number: what ParseNumber answers for a text that is not a
// number, and what FormatNumber turns into the empty text.
constexpr double kNoValue = 2147483647.0;
inline bool IsNoValue(double v) { return v == kNoValue; }

// kNoValue for anything but [blanks][sign]digits[.digits][E[sign]digits]
// and for values beyond the double range.
double ParseNumber(std::string_view text);
// Rounds the shortest decimal text of value half away from zero; a value
// that rounds to zero has no "-". Decimals are clamped to 0..64.
std::string FormatNumber(int decimals, double value);
// The same on the text's own decimal digits.
std::string ReformatNumber(const std::string& text, int decimals);
// 10^n for n from 0 to 9; n is clamped to that range.
int PowerOfTen(int n);
// n >= 0: the value in units of 10^-n, rounded half to even, as a 64-bit
// integer text; n < 0: the value divided by 10^-n with -n decimals (at most
// 64). Missing, non-numeric or unrepresentable input answers the empty text.
std::string ScaleNumber(const std::string& text, int n);
std::string RemoveDecimalPoint(const std::string& text);
bool IsNumericText(const std::string& text);
// Fixed-width number for instrument lines: the value in units of the
// picture's last decimal, zero-filled to the picture's width (without "."),
// a leading "±" (0xB1) becoming "+" or "-". nullopt when the value does not
// fit the picture, is missing, or is negative for a picture without sign.
std::optional<std::string> FormatPicture(const std::string& value, const std::string& picture);

// ---- Dates and times (days since 30 December 1899) ----------------------------
std::string ReplaceMonthNames(const std::string& text);
double ParseDate(const std::string& layout, const std::string& text);
double ParseTime(const std::string& layout, const std::string& text);
std::string FormatDate(const std::string& layout, double value);
std::string FormatTime(const std::string& layout, double value);

// ---- Locale -----------------------------------------------------------------
// Start-up rule: the program works with "." whatever the system uses; the
// system's own separators are remembered for the few exchanges that need them.
void InitLocale();
char SystemDecimalSeparator();
char SystemDateSeparator();
char SystemTimeSeparator();
void SetSystemSeparators(char decimal, char date, char time);  // tests

// ---- Other ------------------------------------------------------------------
// True when the serial device configured for "COM"n exists.
bool PortExists(int n);
// Waits on the monotonic clock, letting window messages run meanwhile.
void WaitMilliseconds(int ms);
std::string FilterExtension(const std::string& filter);

}  // namespace veltro
