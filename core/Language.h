// Interface languages: the language catalogue, the active language library
// with its export "LoadStrRes", the encoding of a catalogue entry, and the
// program's own small string table (message titles, date error text).
//
// A language library is a shared library exporting
//   extern "C" const char* LoadStrRes(int32_t number);
// which answers a zero-terminated code page 1252 text that stays valid until
// the next call; a number it does not hold answers "" (NULL counts as "").
//
// Catalogue entry encoding: the part before the first 0xA6 (broken bar) or
// 0xA7 (section sign) is the caption; each further part introduced by 0xA6 is
// a list item; the part introduced by 0xA7 is the hint, ending at the next
// 0xA6 or 0xA7 or at the end.
#pragma once

#include <string>
#include <vector>

namespace veltro {

inline constexpr char kItemSeparator = '\xA6';  // broken bar
inline constexpr char kHintSeparator = '\xA7';  // section sign

// One interface language (component TSprache).
struct TSprache {
  std::string Name;          // component name
  std::string Caption;       // menu caption with accelerator
  std::string LanguageFile;  // language library, e.g. "LANGDES.DLL"
  std::string HelpFile;      // compiled help file of the language
  int Order = 0;             // position in the language menu
  int Tag = 0;               // text number of the caption; 0 = not translated
};

// The nine shipped languages in menu order.
const std::vector<TSprache>& Sprachen();
// The entry with that component name, nullptr when there is none.
const TSprache* FindSprache(const std::string& name);

// Loads the entry's language library from the installation directory and
// makes it the active one. When it cannot be loaded the previous library
// stays active and the answer is false.
bool LoadLanguage(const TSprache& entry);
// Frees the active language library; texts are empty afterwards.
void UnloadLanguage();
bool LanguageLoaded();
// Library file name of the active language ("" when none) and its platform
// handle (handed to helper libraries that fetch texts themselves).
std::string ActiveLanguageFile();
void* ActiveLanguageHandle();

// The text with that number from the active language library: "" when no
// library is loaded, the export is missing or the library does not hold it.
std::string LanguageText(int number);

// A catalogue entry split into its parts.
struct TextEntry {
  std::string caption;
  std::vector<std::string> items;
  std::string hint;
  bool hasItems = false;  // the entry holds at least one 0xA6
};
TextEntry SplitTextEntry(const std::string& entry);

// Expands "#" escapes: "#" followed by one to three decimal digits with a
// value from 1 to 255 stands for the byte of that code ("#13#10" is a line
// break). Anything else, such as "#" before a blank, "#0" or "#256", stays
// as it is.
std::string ExpandTextEscapes(const std::string& text);

// text without its first occurrence of c.
std::string RemoveFirst(const std::string& text, char c);

// Translator aid: when on, every translated hint shows the text number of its
// component instead. On when the first command-line argument is "HINT" in any
// case.
bool IsHintArgument(const std::string& firstArgument);
void SetShowTextNumbers(bool on);
bool ShowTextNumbers();

// The program's own string table (code page 1252): message titles and the
// date/time error text per primary language, number n + 100 x primary
// language + 1000 for n = 37 to 41. "" for numbers it does not hold.
std::string ProgramString(int number);

}  // namespace veltro
