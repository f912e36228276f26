// The country entries (TNiederlassung) that choose the interface language.
// The table is the shipped installation data; exactly one entry is active.
#pragma once

#include <string>
#include <vector>

namespace veltro {

struct TNiederlassung {
  std::string Name;     // component name, e.g. "Schweiz"
  std::string Caption;  // menu caption, code page 1252
  bool Active = false;
  bool ShowXY = false;  // read by the SDR coordinate writer
  int Order = 0;        // position in the table
  int LanguageID = 0;   // Windows language identifier
  std::string Sprache;  // name of the language entry whose library and help file are used
};

// Identifier of the fallback entry Europa.
inline constexpr int kEuropaLanguageID = 9999;

// The process-wide entries in table order; Schweiz is active until a
// language is chosen.
std::vector<TNiederlassung>& Niederlassungen();
// The entries as shipped (a fresh copy).
std::vector<TNiederlassung> ShippedNiederlassungen();

// The entry with that identifier, or nullptr.
TNiederlassung* FindNiederlassung(std::vector<TNiederlassung>& entries, int languageId);
// Makes the entry with that identifier the only active one; Europa when none
// has it. Answers the active entry.
TNiederlassung& ActivateNiederlassung(std::vector<TNiederlassung>& entries, int languageId);
TNiederlassung& ActivateNiederlassung(int languageId);
// The active entry of Niederlassungen() (Europa when none is active).
TNiederlassung& ActiveNiederlassung();

}  // namespace veltro
