#include "formats/instrument/DL100TransferUtil.h"

#include <limits>

#include "core/DecimalText.h"
#include "core/TextUtils.h"

namespace veltro {
namespace {

constexpr char kSeparator = ',';
constexpr char kCoordinateLetter = 'z';  // written without a check character
constexpr unsigned kCheckMask = 0x3F;
constexpr unsigned kCheckOffset = 32;

// Exact: the value's digits with the point moved left by decimals.
std::string Scale(const std::string& value, int decimals) {
  std::optional<DecimalNumber> number = ParseDecimal(TrimBlanks(value));
  if (!number) return {};
  number->scale += decimals;
  return FormatDecimal(*number, number->scale);
}

}  // namespace

Dl100Unit Dl100UnitOf(char unitCode) {
  constexpr const char* kMetre = " m";
  constexpr const char* kFoot = " foots";
  switch (unitCode) {
    case '1': return {3, 3, 2, 4, kMetre, true};
    case '2': return {4, 3, 2, 4, kMetre, true};
    case '3': return {5, 4, 3, 4, kMetre, true};
    case '4': return {2, 2, 2, 4, kFoot, true};
    case '5': return {3, 2, 2, 4, kFoot, true};
    case '6': return {4, 3, 2, 4, kFoot, true};
    case '7': return {4, 4, 2, 4, kMetre, true};
    case '8': return {5, 5, 3, 4, kMetre, true};
    case '9': return {3, 3, 2, 4, kFoot, true};
    case 'A': return {4, 4, 2, 4, kFoot, true};
    default: return {};
  }
}

char Dl100UnitCode(const std::string& key) { return key.size() < 2 ? '1' : key[1]; }

std::string Dl100ScaleA(const std::string& value, char unitCode) { return Scale(value, Dl100UnitOf(unitCode).a); }
std::string Dl100ScaleB(const std::string& value, char unitCode) { return Scale(value, Dl100UnitOf(unitCode).b); }
std::string Dl100ScaleC(const std::string& value, char unitCode) { return Scale(value, Dl100UnitOf(unitCode).c); }
std::string Dl100ScaleD(const std::string& value, char unitCode) { return Scale(value, Dl100UnitOf(unitCode).d); }
std::string Dl100UnitName(char unitCode) { return Dl100UnitOf(unitCode).name; }

int Dl100MethodCode(const std::string& key) {
  if (key.empty()) return 0;
  return (static_cast<unsigned char>(key[0]) >> 2) & 3;
}

char Dl100CheckChar(std::string_view text) {
  unsigned sum = 0;
  for (const char c : text) sum += static_cast<unsigned char>(c);
  return static_cast<char>((sum & 0xFF & kCheckMask) + kCheckOffset);
}

std::vector<std::string_view> Dl100Fields(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  std::vector<std::string_view> fields;
  if (line.empty()) return fields;
  for (size_t start = 0;;) {
    const size_t end = line.find(kSeparator, start);
    if (end == std::string_view::npos) {
      if (start < line.size()) fields.push_back(line.substr(start));
      break;
    }
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  // The check character closes the line: "...,<c>," with c computed over
  // everything before it.
  if (line[0] != kCoordinateLetter && fields.size() > 1 && fields.back().size() == 1 && line.back() == kSeparator) {
    const size_t checkAt = line.size() - 2;
    if (Dl100CheckChar(line.substr(0, checkAt)) == line[checkAt]) fields.pop_back();
  }
  return fields;
}

std::optional<int> Dl100Integer(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  bool negative = false;
  if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
    negative = field.front() == '-';
    field.remove_prefix(1);
  }
  if (field.empty()) return std::nullopt;
  long long value = 0;
  constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
  for (const char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace veltro
