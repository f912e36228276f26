#include "core/Language.h"

#include <cctype>
#include <cstdint>
#include <map>

#include "platform/DynamicLibrary.h"

namespace veltro {
namespace {

using LoadStrResFunction = const char* (*)(int32_t);

DynamicLibrary& ActiveLibrary() {
  static DynamicLibrary library;
  return library;
}

std::string g_activeFile;
bool g_showTextNumbers = false;
// LoadStrRes of the active library, found when it is loaded (writers ask
// for a label with every record).
LoadStrResFunction g_loadStrRes = nullptr;

}  // namespace

const std::vector<TSprache>& Sprachen() {
  static const std::vector<TSprache> kCatalogue = {
      {"Deutsch", "&Deutsch", "LANGDES.DLL", "SurtransDES.chm", 0, 0},
      {"Englisch", "&Englisch", "LANGENG.DLL", "Surtrans.chm", 1, 0},
      {"Finnisch", "Fi&nnisch", "LANGFIN.DLL", "Surtrans.chm", 2, 0},
      {"Franzoesisch", "&Franzoesisch", "LANGFRA.DLL", "SurtransFRA.chm", 3, 0},
      {"Hollaendisch", "&Holl\xE4ndisch", "LANGNLD.DLL", "Surtrans.chm", 4, 0},
      {"Italienisch", "&Italiensich", "LANGITS.DLL", "Surtrans.chm", 5, 0},
      {"Portugisisch", "&Portugisisch", "LANGPTG.DLL", "SurtransPTG.chm", 6, 0},
      {"Slawisch", "Sla&wisch", "LANGSLA.DLL", "SurtransDES.chm", 7, 0},
      {"Spanisch", "&Spanisch", "LANGESN.DLL", "Surtrans.chm", 8, 0},
  };
  return kCatalogue;
}

const TSprache* FindSprache(const std::string& name) {
  for (const TSprache& s : Sprachen())
    if (s.Name == name) return &s;
  return nullptr;
}

bool LoadLanguage(const TSprache& entry) {
  // The new library is loaded beside the old one and only then replaces it,
  // so a language whose library is missing leaves every caption readable.
  if (!LoadLibraryByName(entry.LanguageFile, ActiveLibrary())) return false;
  g_activeFile = entry.LanguageFile;
  g_loadStrRes = ActiveLibrary().Export<LoadStrResFunction>("LoadStrRes");
  return true;
}

void UnloadLanguage() {
  ActiveLibrary().Free();
  g_activeFile.clear();
  g_loadStrRes = nullptr;
}

bool LanguageLoaded() { return ActiveLibrary().IsLoaded(); }
std::string ActiveLanguageFile() { return g_activeFile; }
void* ActiveLanguageHandle() { return ActiveLibrary().Handle(); }

std::string LanguageText(int number) {
  const LoadStrResFunction load = g_loadStrRes;
  if (!load) return {};
  const char* text = load(static_cast<int32_t>(number));
  return text ? std::string(text) : std::string();
}

TextEntry SplitTextEntry(const std::string& entry) {
  TextEntry out;
  size_t start = 0;
  char introducer = 0;  // 0 = caption part
  bool hintSeen = false;
  for (size_t i = 0; i <= entry.size(); ++i) {
    if (i < entry.size() && entry[i] != kItemSeparator && entry[i] != kHintSeparator) continue;
    std::string part = entry.substr(start, i - start);
    if (introducer == 0) {
      out.caption = part;
    } else if (introducer == kItemSeparator) {
      out.items.push_back(part);
      out.hasItems = true;
    } else if (!hintSeen) {
      out.hint = part;
      hintSeen = true;
    }
    if (i < entry.size()) introducer = entry[i];
    start = i + 1;
  }
  return out;
}

std::string ExpandTextEscapes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '#') {
      size_t j = i + 1;
      int value = 0;
      while (j < text.size() && j - i <= 3 && std::isdigit(static_cast<unsigned char>(text[j]))) {
        value = value * 10 + (text[j] - '0');
        ++j;
      }
      if (j > i + 1 && value >= 1 && value <= 255) {
        out += static_cast<char>(value);
        i = j - 1;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string EscapeMessageData(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '#' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))
      out += "#035";
    else
      out += text[i];
  }
  return out;
}

std::string RemoveFirst(const std::string& text, char c) {
  std::string out = text;
  size_t p = out.find(c);
  if (p != std::string::npos) out.erase(p, 1);
  return out;
}

bool IsHintArgument(const std::string& firstArgument) {
  static const char kHint[] = "HINT";
  if (firstArgument.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i)
    if (std::toupper(static_cast<unsigned char>(firstArgument[i])) != kHint[i]) return false;
  return true;
}

void SetShowTextNumbers(bool on) { g_showTextNumbers = on; }
bool ShowTextNumbers() { return g_showTextNumbers; }

std::string ProgramString(int number) {
  // Texts 37 (date/time error), 38 to 41 (titles warning, error,
  // information, confirmation) for German, English, Spanish, Finnish,
  // French, Italian and Portuguese.
  static const std::map<int, std::string> kTable = {
      {1737, "Fehler bei Auswertung von Datum oder Zeit."},
      {1738, "Warnung"},
      {1739, "Fehler"},
      {1740, "Information"},
      {1741, "Best\xE4tigung"},
      {1937, "Error in date or time"},
      {1938, "Warning"},
      {1939, "Error"},
      {1940, "Information"},
      {1941, "Confirmation"},
      {2037, "Error en fecha o hora"},
      {2038, "Atenci\xF3n"},
      {2039, "Error"},
      {2040, "Informaci\xF3n"},
      {2041, "Confirmaci\xF3n"},
      {2137, "Virhe p\xE4iv\xE4m\xE4\xE4r\xE4ss\xE4 tai kellonajassa"},
      {2138, "Varoitus"},
      {2139, "Virhe"},
      {2140, "Tiedote"},
      {2141, "Vahvistus"},
      {2237, "Erreur d'exploitation de la date et de l'heure."},
      {2238, "Attention"},
      {2239, "Erreur"},
      {2240, "Information"},
      {2241, "Confirmation"},
      {2637, "Errore di indicazione della data \xE8 dell'ora."},
      {2638, "Attentione"},
      {2639, "Errore"},
      {2640, "Informazione"},
      {2641, "Conferma"},
      {3237, "Erro na data ou hora"},
      {3238, "Aten\xE7\xE3o"},
      {3239, "Erro"},
      {3240, "Informa\xE7\xE3o"},
      {3241, "Confirma\xE7\xE3o"},
  };
  auto it = kTable.find(number);
  return it == kTable.end() ? std::string() : it->second;
}

}  // namespace veltro
