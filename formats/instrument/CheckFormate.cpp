#include "formats/instrument/CheckFormate.h"

#include <array>
#include <string_view>

#include "core/TextUtils.h"
#include "formats/instrument/Rec500Line.h"

namespace veltro {
namespace {

bool Contains(std::string_view text, std::string_view sub) { return text.find(sub) != std::string_view::npos; }
bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// 1-based position of sub, 0 when absent.
size_t Pos(std::string_view text, std::string_view sub) {
  size_t p = text.find(sub);
  return p == std::string_view::npos ? 0 : p + 1;
}

bool HasLineEnd(std::string_view text) { return Contains(text, "\r\n"); }

// The text up to the first CR LF, or the whole text when it has none.
std::string_view FirstLine(std::string_view text) {
  size_t p = text.find("\r\n");
  return p == std::string_view::npos ? text : text.substr(0, p);
}

// GSI lines end at the first CR.
std::string_view FirstGsiLine(std::string_view text) {
  size_t p = text.find('\r');
  return p == std::string_view::npos ? text : text.substr(0, p);
}

int CountChar(std::string_view text, char c) {
  int n = 0;
  for (char x : text) n += x == c;
  return n;
}

// Field n (from 0) of a ","-separated text; empty beyond the last field.
std::string_view Field(std::string_view text, int n) {
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    size_t p = text.find(',', start);
    if (p == std::string_view::npos) return {};
    start = p + 1;
  }
  size_t end = text.find(',', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// "Numeric" of the detectors is the utilities' numeric-text test.
bool Numeric(std::string_view field) { return IsNumericText(std::string(field)); }

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> subs) {
  for (auto s : subs)
    if (Contains(text, s)) return true;
  return false;
}

std::string DetectFC5(std::string_view t) {
  std::string tag;
  if (Contains(t, "_ a")) tag = "dFC5";
  if (Contains(t, "_ f")) tag = "kFC5";
  return tag;
}

std::string DetectGTS6(std::string_view t) {
  std::string tag;
  if (ContainsAny(t, {"_ ?", "_ (", "_ R", "_ *", "_ <", "_ '", "_ U", "_ /", "_ W"}) && !Contains(t, "_ ["))
    tag = "dGTS6";
  if (Contains(t, "_ x") && static_cast<long>(Pos(t, "_ y")) - static_cast<long>(Pos(t, "_ x")) != 15) tag = "kGTS6";
  if (Contains(t, "_:")) tag = "pGTS6";
  return tag;
}

std::string DetectGTS6x(std::string_view t) {
  std::string tag;
  if (ContainsAny(t, {"_ ?", "_ (", "_ R", "_ *", "_ <", "_ '", "_ U", "_ /", "_ [W"})) tag = "dGTS6x";
  if (Contains(t, "_ x") && static_cast<long>(Pos(t, "_ y")) - static_cast<long>(Pos(t, "_ x")) == 15) tag = "kGTS6x";
  if (Contains(t, "_:")) tag = "pGTS6";
  return tag;
}

// The two GSI widths share one rule; line is the first line without a leading "*".
std::string DetectGsi(std::string_view line, int width, const char* name) {
  TGSICodes codes = GsiCodes(std::string(line), width);
  std::string first = codes.Codes.substr(0, std::min<size_t>(2, codes.Codes.size()));
  const size_t len = line.size();
  const bool blankAtEnd = len >= static_cast<size_t>(width) && line[static_cast<size_t>(width) - 1] == ' ';
  if (len > static_cast<size_t>(width) + 1 && first == "11" && Contains(codes.Codes, "81") && blankAtEnd &&
      codes.Anzahl <= 5)
    return std::string("k") + name;
  if (len > static_cast<size_t>(width) - 1 && (first == "11" || first == "41" || first == "01") && blankAtEnd)
    return std::string("d") + name;
  return {};
}

std::string DetectGSI8(std::string_view t) { return DetectGsi(FirstGsiLine(t), 16, "GSI8"); }

std::string DetectGSI16(std::string_view t) {
  std::string_view line = FirstGsiLine(t);
  if (!StartsWith(line, "*")) return {};
  return DetectGsi(line.substr(1), 24, "GSI16");
}

std::string DetectDL100(std::string_view t) {
  if (t.size() <= 2 || t[1] != ',') return {};
  char c = t[0];
  bool ok =
      c == 'A' || (c >= 'a' && c <= 'c') || (c >= 'f' && c <= 'n') || (c >= 't' && c <= 'w') || c == 'y' || c == 'z';
  return ok ? "dDL100" : "";
}

// A recorder's listing starts with headings: any line ended by CR LF may be
// the first coordinate.
std::string DetectREC500(std::string_view t) {
  for (size_t start = 0, end; (end = t.find("\r\n", start)) != std::string_view::npos; start = end + 2)
    if (IsRec500CoordinateLine(t.substr(start, end - start))) return "dREC500";
  return {};
}

// Field software may put notes ("--" lines) before the job record.
std::string DetectRW5(std::string_view t) {
  while (StartsWith(t, "--")) {
    const size_t end = t.find("\r\n");
    if (end == std::string_view::npos) return {};
    t.remove_prefix(end + 2);
  }
  return StartsWith(t, "JB,") ? "dRW5" : "";
}
std::string DetectSDR2x(std::string_view t) { return HasLineEnd(t) && Contains(t, "SDR2") ? "dSDR2x" : ""; }
std::string DetectSDR33(std::string_view t) { return HasLineEnd(t) && Contains(t, "SDR33") ? "dSDR33" : ""; }

std::string DetectDC1(std::string_view t) {
  const int parts = CountChar(t, ':') + 1;
  if (Contains(t, "00011") && parts >= 2) return "kDC1";
  if (parts == 5) return "kDC1";
  if (Contains(t, "ENQ:DC1")) return "dDC1";
  return {};
}

std::string DetectNMEA(std::string_view t) { return StartsWith(FirstLine(t), "$PMGNWPL") ? "kNMEA" : ""; }
std::string DetectMMW(std::string_view t) { return StartsWith(FirstLine(t), "$PMGNWPL") ? "kMMW" : ""; }
std::string DetectTAVRIN(std::string_view t) { return CountChar(FirstLine(t), ';') == 4 ? "kTAVRIN" : ""; }

std::string DetectOTS(std::string_view t) {
  for (std::string_view p : {"ST ", "SA ", "BS ", "SD "})
    if (StartsWith(t, p)) return "dOTS";
  return {};
}

std::string DetectOGTS7(std::string_view t) {
  // A keyword padded to 8 characters is GTS-7 (its detector's first rule).
  if (Contains(t, "GTS") || ContainsAny(t, {"JOB     ", "STN     ", "SS      "})) return {};
  size_t blank = t.find(' ');
  std::string_view two = t.substr(blank == std::string_view::npos ? 0 : blank, 2);
  if (two == "  ") return {};
  return ContainsAny(t, {"JOB ", "STN ", "SS "}) ? "dOGTS7" : "";
}

bool HasGts6Marks(std::string_view line) { return ContainsAny(line, {"_'", "_+", "_!", "_#", "_\""}); }

std::string DetectGTS7(std::string_view t) {
  if (ContainsAny(t, {"JOB     ", "STN     ", "SS      "})) return "dGTS7";
  if (StartsWith(t, "GTS") || StartsWith(t, "AP-L1") || StartsWith(t, "FC-6")) return "dGTS7";

  size_t sum = 0;
  for (std::string_view key : {"START", "STRAIGHT", "ARC", "SPIRAL", "PT"}) sum += Pos(t, key);
  if (sum == 1) {
    size_t blank = t.find(' ');
    if (blank != std::string_view::npos) {
      // Fields end at the line end as well as at ",".
      std::string_view rest = FirstLine(t.substr(blank + 1));
      if (Numeric(Field(rest, 0)) && Numeric(Field(rest, 1))) return "lGTS7";
    }
  }

  if (!HasLineEnd(t)) return {};
  std::string_view line = FirstLine(t);
  const int commas = CountChar(line, ',');
  const bool marks = HasGts6Marks(line);
  if (commas == 4 && !marks) return "kGTS7";
  if (!marks) {
    if ((commas == 2 || commas == 3) && Numeric(Field(line, 0)) && Numeric(Field(line, 1)) && Numeric(Field(line, 2)))
      return "qGTS7";
    std::string_view f0 = Field(line, 0);
    if (commas < 3 && !Numeric(f0) && f0.size() <= 16 && !StartsWith(line, "GTS") && !StartsWith(line, "FC-6"))
      return "pGTS7";
  }
  return {};
}

std::string DetectAP700(std::string_view t) { return StartsWith(FirstLine(t), "CO,") ? "dAP700" : ""; }

struct Detector {
  const char* name;
  std::string (*detect)(std::string_view);
};

constexpr std::array<Detector, 18> kDetectors{{
    {"FC5", DetectFC5},
    {"GTS6", DetectGTS6},
    {"GTS6x", DetectGTS6x},
    {"GSI8", DetectGSI8},
    {"GSI16", DetectGSI16},
    {"DL100", DetectDL100},
    {"REC500", DetectREC500},
    {"RW5", DetectRW5},
    {"SDR2x", DetectSDR2x},
    {"SDR33", DetectSDR33},
    {"DC1", DetectDC1},
    {"NMEA", DetectNMEA},
    {"TAVRIN", DetectTAVRIN},
    {"MMW", DetectMMW},
    {"OTS", DetectOTS},
    {"OGTS7", DetectOGTS7},
    {"GTS7", DetectGTS7},
    {"AP700", DetectAP700},
}};

std::string TryList(const std::string& list, std::string_view text) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    std::string name = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!name.empty()) {
      std::string tag = DetectCandidate(name, std::string(text));
      if (!tag.empty()) return tag;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

}  // namespace

TGSICodes GsiCodes(const std::string& line, int wordWidth) {
  TGSICodes codes;
  if (wordWidth <= 0) return codes;
  const size_t w = static_cast<size_t>(wordWidth);
  for (size_t at = 0; at + w <= line.size(); at += w) {
    if (codes.Anzahl) codes.Codes += ' ';
    codes.Codes += line.substr(at, 2);
    ++codes.Anzahl;
  }
  return codes;
}

std::string NormalizeForDetection(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 16);
  size_t i = 0;
  while (i < text.size() && (text[i] == '\r' || text[i] == '\n')) ++i;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string DetectCandidate(const std::string& candidate, const std::string& text) {
  for (const Detector& d : kDetectors)
    if (candidate == d.name) return d.detect(text);
  return {};
}

std::string DetectFormat(const std::string& text, const std::string& preferred) {
  std::string normal = NormalizeForDetection(text);
  if (normal.empty()) return {};
  std::string tag = TryList(preferred, normal);
  if (tag.empty()) tag = TryList(kDetectionOrder, normal);
  return tag;
}

}  // namespace veltro
