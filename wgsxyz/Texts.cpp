#include "wgsxyz/Texts.h"

#include <map>

#include "wgsxyz/CoordinateBlock.h"

namespace veltro::wgsxyz {
namespace {

std::vector<std::string> g_lines;

const std::map<int, std::string>& Defaults() {
  static const std::map<int, std::string> texts = {
      {kTextOk, "&Ok"},
      {kTextCancel, "Ab&brechen"},
      {kTextCaption, "Koordinatensystem"},
      {kTextColumns, "System\xA6" "Bezeichnung\xA6Genauigkeit\xA6H\xF6hen"},
      {kTextGroups, "Schweiz\xA6" "Deutschland\xA6" "ETRS89 / UTM\xA6WGS 84 / UTM Nord\xA6WGS 84 / UTM S\xFC" "d\xA6" "EPSG"},
      {kTextEpsgLabel, "EPSG-&Code:"},
      {kTextAdd, "&Hinzuf\xFCgen"},
      {kTextEllipsoidalNote, "Die H\xF6hen sind ellipsoidisch (WGS 84): f\xFCr dieses System ist kein Geoidmodell installiert."},
      {kTextGeoidNote, "Die H\xF6hen beziehen sich auf %s (Geoidmodell installiert)."},
      {kTextEllipsoidal, "ellipsoidisch"},
      {kTextNotUsable, "Nicht verwendbar: keine Transformation mit angegebener Genauigkeit vorhanden (fehlendes Gitter?)."},
      {kTextUnknownSystem, "Unbekanntes oder nicht projiziertes Koordinatensystem: %s"},
  };
  return texts;
}

}  // namespace

void SetLanguageLines(const char* texts) {
  g_lines.clear();
  if (!texts) return;
  std::string line;
  for (const char* p = texts; *p; ++p) {
    if (*p == '\r' || *p == '\n') {
      g_lines.push_back(line);
      line.clear();
      if (*p == '\r' && p[1] == '\n') ++p;
    } else {
      line += *p;
    }
  }
  g_lines.push_back(line);
}

std::string Text(int number) {
  const int line = LanguageLine(number);
  if (line >= 0 && static_cast<size_t>(line) < g_lines.size() && !g_lines[line].empty()) return g_lines[line];
  auto it = Defaults().find(number);
  return it == Defaults().end() ? std::string() : it->second;
}

std::vector<std::string> TextParts(int number) {
  std::vector<std::string> parts(1);
  for (char c : Text(number)) {
    if (c == '\xA6')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

std::string TextWith(int number, const std::string& value) {
  std::string text = Text(number);
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

}  // namespace veltro::wgsxyz
