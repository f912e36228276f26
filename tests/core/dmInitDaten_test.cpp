#include "core/dmInitDaten.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/DatenformatDefinitionen.h"

namespace veltro::test {
namespace {

using Texts = std::vector<std::string>;

Texts TextsOf(const TInfo& i) {
  return {i.Projekt,         i.Beobachter,  i.Instrument,      i.Beschreibung, i.Umrechnungsfaktor,
          i.Massstabsfaktor, i.Meereshoehe, i.Mutationsnummer, i.Einheiten};
}
Texts TextsOf(const TStation& s) {
  return {s.Punktart, s.Punktnummer, s.Code, s.Instrumentenhoehe, s.Temperatur, s.Luftdruck, s.Y, s.X, s.Hoehe};
}
Texts TextsOf(const TPunkt& p) {
  return {p.Satzkennung,
          p.Punktnummer,
          p.Code1,
          p.Code2,
          p.Punktart,
          p.Reflektorhoehe,
          p.Zusatzwert1,
          p.Zusatzwert2,
          p.Kommentar,
          p.Querverschiebung,
          p.Laengsverschiebung,
          p.Vertikalverschiebung,
          p.Kontrollkodierung,
          p.Anmerkung1,
          p.Anmerkung2,
          p.Schraegdistanz,
          p.Horizontaldistanz,
          p.Vertikaldistanz,
          p.Atmosphaerenkorrektur,
          p.Prismenkonstante,
          p.Vertikalwinkel,
          p.Horizontalwinkel,
          p.Azimut,
          p.Y,
          p.X,
          p.Hoehe};
}
Texts TextsOf(const TKommentar& k) { return {k.Satzart, k.Beschreibung}; }
Texts TextsOf(const TQuerprofil& q) { return {q.Stationierung, q.Code, q.Seitenabstand, q.Hoehe}; }
Texts TextsOf(const TPunktcode& p) { return {p.Code, p.Entity, p.Layer}; }
Texts TextsOf(const TStart& s) {
  return {s.Satzart,           s.Satzkennung, s.Auftragsnummer, s.AnzahlNivellements,
          s.Hoehenbezugnummer, s.Anmerkung1,  s.Anmerkung2,     s.Anmerkung3,
          s.Messnummer,        s.Limite,      s.Bodenhoehe};
}
Texts TextsOf(const TEnde& e) {
  return {e.Satzart,       e.Satzkennung, e.Auftragsnummer, e.Hoehenbezugnummer, e.Anmerkung1,
          e.Anmerkung2,    e.Messnummer,  e.Wechselpunkt,   e.Bodenhoehe,        e.RelHoehendiff,
          e.TotHoehendiff, e.Distanz,     e.Totaldistanz};
}
Texts TextsOf(const TMessung& m) {
  return {m.Satzart,    m.Satzkennung,        m.AnzahlMessungen,    m.Punktnummer,
          m.Messnummer, m.Hoehenbezugnummer,  m.Korrekturparameter, m.Lattenablesung,
          m.Distanz,    m.Standardabweichung, m.Bodenhoehe,         m.Datendifferenz};
}
Texts TextsOf(const TKonstanten& k) {
  return {k.Originalzeilen,       k.Code,       k.Reflektorhoehe, k.Querverschiebung, k.Laengsverschiebung,
          k.Vertikalverschiebung, k.Anmerkung1, k.Anmerkung2,     k.Kommentar,        k.Prismenkonstante};
}

// Every text of the record, with its part's name, and every number.
Texts Everything(const TDaten& d) {
  Texts all;
  auto add = [&](const char* part, const Texts& texts) {
    for (const auto& t : texts) all.push_back(std::string(part) + ":" + t);
  };
  add("Info", TextsOf(d.Info));
  add("Station", TextsOf(d.Station));
  add("Punkt", TextsOf(d.Punkt));
  add("Kommentar", TextsOf(d.Kommentar));
  add("Querprofil", TextsOf(d.Querprofil));
  add("Punktcode", TextsOf(d.Punktcode));
  add("Start", TextsOf(d.Start));
  add("Ende", TextsOf(d.Ende));
  add("Messung", TextsOf(d.Messung));
  add("Konstanten", TextsOf(d.Konstanten));
  for (double v : {d.Info.Zeitpunkt, d.Start.Zeitpunkt, d.Ende.Zeitpunkt, d.Messung.Zeitpunkt})
    all.push_back(std::to_string(v));
  for (int v : {d.Konstanten.Zeile, d.Konstanten.Punktzaehler, d.Konstanten.Startzeile, d.Konstanten.Hilfswerte[0],
                d.Konstanten.Hilfswerte[1], d.Konstanten.Hilfswerte[2], d.Konstanten.Hilfswerte[3],
                static_cast<int>(d.Punkt.Messflags), static_cast<int>(d.Station.StationOffen)})
    all.push_back(std::to_string(v));
  return all;
}

// A record in which every field holds something other than its initial value.
TDaten Dirty() {
  TDaten d;
  int n = 0;
  auto set = [&](std::string& s) { s = "x" + std::to_string(++n); };
  for (auto* s :
       {&d.Info.Projekt, &d.Info.Beobachter, &d.Info.Instrument, &d.Info.Beschreibung, &d.Info.Umrechnungsfaktor,
        &d.Info.Massstabsfaktor, &d.Info.Meereshoehe, &d.Info.Mutationsnummer, &d.Info.Einheiten})
    set(*s);
  for (auto* s : {&d.Station.Punktart, &d.Station.Punktnummer, &d.Station.Code, &d.Station.Instrumentenhoehe,
                  &d.Station.Temperatur, &d.Station.Luftdruck, &d.Station.Y, &d.Station.X, &d.Station.Hoehe})
    set(*s);
  TPunkt& p = d.Punkt;
  for (auto* s : {&p.Satzkennung,
                  &p.Punktnummer,
                  &p.Code1,
                  &p.Code2,
                  &p.Punktart,
                  &p.Reflektorhoehe,
                  &p.Zusatzwert1,
                  &p.Zusatzwert2,
                  &p.Kommentar,
                  &p.Querverschiebung,
                  &p.Laengsverschiebung,
                  &p.Vertikalverschiebung,
                  &p.Kontrollkodierung,
                  &p.Anmerkung1,
                  &p.Anmerkung2,
                  &p.Schraegdistanz,
                  &p.Horizontaldistanz,
                  &p.Vertikaldistanz,
                  &p.Atmosphaerenkorrektur,
                  &p.Prismenkonstante,
                  &p.Vertikalwinkel,
                  &p.Horizontalwinkel,
                  &p.Azimut,
                  &p.Y,
                  &p.X,
                  &p.Hoehe})
    set(*s);
  for (auto* s :
       {&d.Kommentar.Satzart, &d.Kommentar.Beschreibung, &d.Querprofil.Stationierung, &d.Querprofil.Code,
        &d.Querprofil.Seitenabstand, &d.Querprofil.Hoehe, &d.Punktcode.Code, &d.Punktcode.Entity, &d.Punktcode.Layer})
    set(*s);
  TStart& s0 = d.Start;
  for (auto* s : {&s0.Satzart, &s0.Satzkennung, &s0.Auftragsnummer, &s0.AnzahlNivellements, &s0.Hoehenbezugnummer,
                  &s0.Anmerkung1, &s0.Anmerkung2, &s0.Anmerkung3, &s0.Messnummer, &s0.Limite, &s0.Bodenhoehe})
    set(*s);
  TEnde& e = d.Ende;
  for (auto* s :
       {&e.Satzart, &e.Satzkennung, &e.Auftragsnummer, &e.Hoehenbezugnummer, &e.Anmerkung1, &e.Anmerkung2,
        &e.Messnummer, &e.Wechselpunkt, &e.Bodenhoehe, &e.RelHoehendiff, &e.TotHoehendiff, &e.Distanz, &e.Totaldistanz})
    set(*s);
  TMessung& m = d.Messung;
  for (auto* s :
       {&m.Satzart, &m.Satzkennung, &m.AnzahlMessungen, &m.Punktnummer, &m.Messnummer, &m.Hoehenbezugnummer,
        &m.Korrekturparameter, &m.Lattenablesung, &m.Distanz, &m.Standardabweichung, &m.Bodenhoehe, &m.Datendifferenz})
    set(*s);
  TKonstanten& k = d.Konstanten;
  for (auto* s : {&k.Originalzeilen, &k.Code, &k.Reflektorhoehe, &k.Querverschiebung, &k.Laengsverschiebung,
                  &k.Vertikalverschiebung, &k.Anmerkung1, &k.Anmerkung2, &k.Kommentar, &k.Prismenkonstante})
    set(*s);
  d.Info.Zeitpunkt = d.Start.Zeitpunkt = d.Ende.Zeitpunkt = d.Messung.Zeitpunkt = 45000.5;
  k.Zeile = 11;
  k.Punktzaehler = 12;
  k.Startzeile = 13;
  k.Hilfswerte = {1, 2, 3, 4};
  p.Messflags = mfHzVzSd | mfKoordinaten;
  d.Station.StationOffen = true;
  return d;
}

// Runs the handler of the named component on a dirty record; answers the record.
TDaten RunReset(const TdmInit& dm, const std::string& name) {
  TDaten d = Dirty();
  auto* init = dynamic_cast<TInitDaten*>(dm.FindComponent(name));
  EXPECT_NE(init, nullptr) << name;
  if (init && init->OnInit) init->OnInit(d);
  return d;
}

// Only the fields whose text starts with part + ":" may differ from Dirty().
void ExpectOthersUntouched(const TDaten& d, std::initializer_list<std::string> parts) {
  Texts before = Everything(Dirty());
  Texts after = Everything(d);
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    bool inPart = false;
    for (const auto& part : parts) inPart = inPart || before[i].rfind(part + ":", 0) == 0;
    if (!inPart && before[i].find(':') != std::string::npos) {
      EXPECT_EQ(before[i], after[i]);
    }
  }
}

Texts Empty(size_t n) { return Texts(n, ""); }

class dmInitTest : public ::testing::Test {
 protected:
  TdmInit dm;
};

TEST_F(dmInitTest, FifteenComponentsInCreationOrderWithTheirKinds) {
  const std::vector<std::pair<std::string, TTransferDatenart>> expected = {
      {"Informationen", tdaInformation},  {"Stationen", tdaStation},          {"Anschlusspunkte", tdaAnschlusspunkt},
      {"Neupunkte", tdaNeupunkt},         {"Kommentare", tdaKommentar},       {"Koordinaten", tdaKoordinate},
      {"Querprofile", tdaQuerprofil},     {"Punktcodes", tdaPunktcode},       {"StartDaten", tdaStartdaten},
      {"Messdaten", tdaMessdaten},        {"Enddaten", tdaEnddaten},          {"NivKoordinaten", tdaNivKoordinate},
      {"NivKommentare", tdaNivKommentar}, {"Laengsprofile", tdaLaengsprofil}, {"Konstanten", tdaKonstanten}};
  ASSERT_EQ(dm.ComponentCount(), 15);
  for (size_t i = 0; i < expected.size(); ++i) {
    auto* init = dynamic_cast<TInitDaten*>(dm.Components()[i].get());
    ASSERT_NE(init, nullptr);
    EXPECT_EQ(init->Name, expected[i].first);
    EXPECT_EQ(init->TransferDatenart, expected[i].second) << init->Name;
    EXPECT_EQ(init->Owner, &dm);
    EXPECT_EQ(static_cast<bool>(init->OnInit), init->Name != "Laengsprofile") << init->Name;
    EXPECT_NE(init->TransferDatenart, tdaNone);
  }
  EXPECT_EQ(dm.Stationen, dm.Components()[1].get());
  EXPECT_EQ(dm.Konstanten, dm.Components()[14].get());
}

TEST_F(dmInitTest, RegistersItselfAsDmInitAndLeavesOnDestruction) {
  EXPECT_EQ(DmInit(), &dm);
  {
    TdmInit second;
    EXPECT_EQ(DmInit(), &second);
  }
  EXPECT_EQ(DmInit(), nullptr);
  SetDmInit(&dm);
}

TEST_F(dmInitTest, InformationenClearsInfoAndItsTime) {
  TDaten d = RunReset(dm, "Informationen");
  EXPECT_EQ(TextsOf(d.Info), Empty(9));
  EXPECT_EQ(d.Info.Zeitpunkt, 0);
  ExpectOthersUntouched(d, {"Info"});
  EXPECT_EQ(d.Start.Zeitpunkt, 45000.5);
}

TEST_F(dmInitTest, StationenClosesTheStationAndClearsItsTexts) {
  TDaten d = RunReset(dm, "Stationen");
  EXPECT_FALSE(d.Station.StationOffen);
  EXPECT_EQ(TextsOf(d.Station), Empty(9));
  ExpectOthersUntouched(d, {"Station"});
}

TEST_F(dmInitTest, TheFourPointKindsClearTheWholePunkt) {
  for (const char* name : {"Anschlusspunkte", "Neupunkte", "Koordinaten", "NivKoordinaten"}) {
    SCOPED_TRACE(name);
    TDaten d = RunReset(dm, name);
    EXPECT_EQ(d.Punkt.Messflags, 0);
    EXPECT_EQ(TextsOf(d.Punkt), Empty(26));
    ExpectOthersUntouched(d, {"Punkt"});
    EXPECT_TRUE(d.Station.StationOffen);
  }
}

TEST_F(dmInitTest, TheTwoCommentKindsClearTheWholeKommentar) {
  for (const char* name : {"Kommentare", "NivKommentare"}) {
    SCOPED_TRACE(name);
    TDaten d = RunReset(dm, name);
    EXPECT_EQ(TextsOf(d.Kommentar), Empty(2));
    ExpectOthersUntouched(d, {"Kommentar"});
  }
}

TEST_F(dmInitTest, QuerprofileAndPunktcodesClearTheirTexts) {
  TDaten q = RunReset(dm, "Querprofile");
  EXPECT_EQ(TextsOf(q.Querprofil), Empty(4));
  ExpectOthersUntouched(q, {"Querprofil"});
  TDaten c = RunReset(dm, "Punktcodes");
  EXPECT_EQ(TextsOf(c.Punktcode), Empty(3));
  ExpectOthersUntouched(c, {"Punktcode"});
}

TEST_F(dmInitTest, StartDatenKeepsGroundHeightZero) {
  TDaten d = RunReset(dm, "StartDaten");
  Texts expected = Empty(11);
  expected[10] = "0";  // Bodenhoehe
  EXPECT_EQ(TextsOf(d.Start), expected);
  EXPECT_EQ(d.Start.Zeitpunkt, 0);
  ExpectOthersUntouched(d, {"Start"});
  EXPECT_EQ(d.Ende.Zeitpunkt, 45000.5);
}

TEST_F(dmInitTest, MessdatenSetsTheLevellingValuesToZero) {
  TDaten d = RunReset(dm, "Messdaten");
  const Texts expected = {"", "", "0", "", "", "", "", "0", "0", "0", "0", "0"};
  EXPECT_EQ(TextsOf(d.Messung), expected);
  EXPECT_EQ(d.Messung.Zeitpunkt, 0);
  ExpectOthersUntouched(d, {"Messung"});
}

TEST_F(dmInitTest, EnddatenClearsEightTextsAndZeroesTheSums) {
  TDaten d = RunReset(dm, "Enddaten");
  const Texts expected = {"", "", "", "", "", "", "", "", "0", "0", "0", "0", "0"};
  EXPECT_EQ(TextsOf(d.Ende), expected);
  EXPECT_EQ(d.Ende.Zeitpunkt, 0);
  ExpectOthersUntouched(d, {"Ende"});
}

TEST_F(dmInitTest, KonstantenClearsCountersTextsAndHelpers) {
  TDaten d = RunReset(dm, "Konstanten");
  EXPECT_EQ(d.Konstanten.Zeile, 0);
  EXPECT_EQ(d.Konstanten.Punktzaehler, 0);
  EXPECT_EQ(d.Konstanten.Startzeile, 0);
  EXPECT_EQ(TextsOf(d.Konstanten), Empty(10));
  EXPECT_EQ(d.Konstanten.Hilfswerte, (std::array<int, 4>{0, 0, 0, 0}));
  ExpectOthersUntouched(d, {"Konstanten"});
}

TEST_F(dmInitTest, LaengsprofileChangesNothing) {
  TDaten d = RunReset(dm, "Laengsprofile");
  EXPECT_EQ(Everything(d), Everything(Dirty()));
}

TEST_F(dmInitTest, InitialiseAllPutsTheWholeRecordBack) {
  TDaten d = Dirty();
  InitialiseAll(d);
  EXPECT_EQ(Everything(d), Everything(TDaten{}));
  EXPECT_EQ(d.Messung.Lattenablesung, "0");
  EXPECT_EQ(d.Ende.Totaldistanz, "0");
}

TEST_F(dmInitTest, SelectKindBindsTheResetOfTheKind) {
  TDatenformatDefinitionen office;
  TDataModule formats;
  SelectKind(office, formats, tdaNivKoordinate);
  EXPECT_EQ(office.Init, dm.NivKoordinaten);
  SelectKind(office, formats, tdaNone);
  EXPECT_EQ(office.Init, nullptr);
}

}  // namespace
}  // namespace veltro::test
