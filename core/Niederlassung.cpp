#include "core/Niederlassung.h"

namespace veltro {
namespace {

struct Row {
  const char* name;
  const char* caption;
  bool showXY;
  int languageId;
  const char* sprache;
};

// Captions in code page 1252.
constexpr Row kShipped[] = {
    {"Australien", "Australien", false, 3081, "Englisch"},
    {"Austria", "\xD6sterreich", false, 3079, "Deutsch"},
    {"Belgien", "Belgien", false, 2311, "Deutsch"},
    {"BelgienF", "Belgien", false, 2060, "Franzoesisch"},
    {"BelgienH", "Belgien", false, 2067, "Hollaendisch"},
    {"Bosnien", "Bosnien", false, 1, "Slawisch"},
    {"Bulgarien", "Bulgarien", false, 1026, "Englisch"},
    {"Deutschland", "Deutschland", false, 1031, "Deutsch"},
    {"Daenemark", "D\xE4nemark", false, 1030, "Englisch"},
    {"Estland", "Estland", false, 2, "Englisch"},
    {"Europa", "Europa", false, kEuropaLanguageID, "Englisch"},
    {"Finnland", "Finnland", false, 1035, "Finnisch"},
    {"Frankreich", "Frankreich", true, 1036, "Franzoesisch"},
    {"Griechenland", "Griechenland", false, 1032, "Englisch"},
    {"Grossbritanien", "Grossbritanien", true, 2057, "Englisch"},
    {"Holland", "Holland", false, 1043, "Hollaendisch"},
    {"Irland", "Irland", false, 6153, "Englisch"},
    {"Island", "Island", false, 1039, "Englisch"},
    {"Italien", "Italien", false, 1040, "Italienisch"},
    {"Serbien", "Serbien", false, 4, "Slawisch"},
    {"Kroatien", "Kroatien", false, 5, "Slawisch"},
    {"Litauen", "Litauen", false, 6, "Englisch"},
    {"Malta", "Malta", false, 7, "Englisch"},
    {"Norwegen", "Norwegen", false, 1044, "Englisch"},
    {"Polen", "Polen", false, 1045, "Englisch"},
    {"Portugal", "Portugal", true, 2070, "Portugisisch"},
    {"Rumaenien", "Rum\xE4nien", false, 1048, "Englisch"},
    {"Schweden", "Schweden", false, 1053, "Englisch"},
    {"Schweiz", "Schweiz", false, 2055, "Deutsch"},
    {"SchweizF", "Schweiz", false, 4108, "Franzoesisch"},
    {"SchweizI", "Schweiz", false, 2064, "Italienisch"},
    {"Slowakei", "Slowakei", false, 1051, "Englisch"},
    {"Spanien", "Spanien", true, 1034, "Spanisch"},
    {"Tschechien", "Tschechien", false, 1029, "Englisch"},
    {"Tuerkei", "T\xFCrkei", false, 1055, "Englisch"},
    {"Ungarn", "Ungarn", false, 1038, "Englisch"},
};

constexpr const char* kActiveAtStart = "Schweiz";

}  // namespace

std::vector<TNiederlassung> ShippedNiederlassungen() {
  std::vector<TNiederlassung> entries;
  int order = 0;
  for (const Row& r : kShipped) {
    TNiederlassung n;
    n.Name = r.name;
    n.Caption = r.caption;
    n.ShowXY = r.showXY;
    n.LanguageID = r.languageId;
    n.Sprache = r.sprache;
    n.Order = order++;
    n.Active = n.Name == kActiveAtStart;
    entries.push_back(std::move(n));
  }
  return entries;
}

std::vector<TNiederlassung>& Niederlassungen() {
  static std::vector<TNiederlassung> entries = ShippedNiederlassungen();
  return entries;
}

TNiederlassung* FindNiederlassung(std::vector<TNiederlassung>& entries, int languageId) {
  for (TNiederlassung& n : entries)
    if (n.LanguageID == languageId) return &n;
  return nullptr;
}

TNiederlassung& ActivateNiederlassung(std::vector<TNiederlassung>& entries, int languageId) {
  TNiederlassung* chosen = FindNiederlassung(entries, languageId);
  if (!chosen) chosen = FindNiederlassung(entries, kEuropaLanguageID);
  if (!chosen && !entries.empty()) chosen = &entries.front();
  if (!chosen) {
    static TNiederlassung europa{"Europa", "Europa", true, false, 0, kEuropaLanguageID, "Englisch"};
    return europa;
  }
  for (TNiederlassung& n : entries) n.Active = &n == chosen;
  return *chosen;
}

TNiederlassung& ActivateNiederlassung(int languageId) { return ActivateNiederlassung(Niederlassungen(), languageId); }

TNiederlassung& ActiveNiederlassung() {
  for (TNiederlassung& n : Niederlassungen())
    if (n.Active) return n;
  return ActivateNiederlassung(kEuropaLanguageID);
}

}  // namespace veltro
