// The transfer record: one process-wide TDaten through which every record of
// every transfer passes, and the record kind TTransferDatenart.
//
// Values are 8-bit decimal texts with "." as decimal point (code page 1252);
// an empty text means "not delivered". Date-times count days since
// 30 December 1899, the fraction being the time of day; 0 means "not set".
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace veltro {

enum TTransferDatenart : std::uint8_t {
  tdaInformation = 0,
  tdaStation = 1,
  tdaAnschlusspunkt = 2,
  tdaNeupunkt = 3,
  tdaKoordinate = 4,
  tdaNivKoordinate = 5,
  tdaLaengsprofil = 6,
  tdaQuerprofil = 7,
  tdaPunktcode = 8,
  tdaKommentar = 9,
  tdaStartdaten = 10,
  tdaMessdaten = 11,
  tdaEnddaten = 12,
  tdaNivKommentar = 13,
  tdaKonstanten = 14,
  tdaNone = 15,
};
static_assert(sizeof(TTransferDatenart) == 1);

constexpr int kTransferDatenartCount = 16;

// Component-style name of a kind ("tdaStation"); "" for values out of range.
const char* TransferDatenartName(TTransferDatenart tda);

using TDateTime = double;

// Messflags bits of TPunkt.

constexpr std::uint16_t mfAnschlussAzimut = 0x0001;      // backsight variant 1: by bearing (GTS-7 "BKB")
constexpr std::uint16_t mfAnschlussRueckblick = 0x0002;  // backsight variant 2: backsight observation ("BS")
constexpr std::uint16_t mfAnschlussVorblick = 0x0004;    // backsight variant 3: foresight observation ("FS")
constexpr std::uint16_t mfAnschlussResektion = 0x0008;   // backsight variant 4: resection observation ("RES_OBS")
constexpr std::uint16_t mfAzimut = 0x0010;
constexpr std::uint16_t mfHorizontalwinkel = 0x0020;
constexpr std::uint16_t mfVertikalwinkel = 0x0040;
constexpr std::uint16_t mfSchraegdistanz = 0x0080;
constexpr std::uint16_t mfHorizontaldistanz = 0x0100;
constexpr std::uint16_t mfOhneDistanz = 0x0200;
constexpr std::uint16_t mfVertikaldistanz = 0x0400;
constexpr std::uint16_t mfKoordinaten = 0x0800;
constexpr std::uint16_t mfBlockVariante1 = 0x1000;  // GTS-6 observation block variants
constexpr std::uint16_t mfBlockVariante2 = 0x2000;

// Combinations that writers test (all bits of one must be set).
constexpr std::uint16_t mfHzVzSd = 0x00E0;  // direction, vertical angle, slope distance
constexpr std::uint16_t mfHzVzHd = 0x0160;  // direction, vertical angle, horizontal distance
constexpr std::uint16_t mfHzVz = 0x0260;    // direction and vertical angle without distance
constexpr std::uint16_t mfHzSdDh = 0x04A0;  // direction, slope distance, height difference
constexpr std::uint16_t mfHzHdDh = 0x0520;  // direction, horizontal distance, height difference
constexpr std::uint16_t mfHzDh = 0x0620;    // direction and height difference without distance

inline bool HasFlags(std::uint16_t flags, std::uint16_t combination) {
  return (flags & combination) == combination;
}

struct TKonstanten {
  int Zeile = 0;
  int Punktzaehler = 0;
  int Startzeile = 0;
  std::string Originalzeilen;
  std::string Code;
  std::string Reflektorhoehe;
  std::string Querverschiebung;
  std::string Laengsverschiebung;
  std::string Vertikalverschiebung;
  std::string Anmerkung1;
  std::string Anmerkung2;
  std::string Kommentar;
  std::string Prismenkonstante;
  std::array<int, 4> Hilfswerte{};
};

struct TInfo {
  std::string Projekt;
  std::string Beobachter;
  std::string Instrument;
  std::string Beschreibung;
  std::string Umrechnungsfaktor;
  std::string Massstabsfaktor;
  std::string Meereshoehe;
  std::string Mutationsnummer;
  std::string Einheiten;
  TDateTime Zeitpunkt = 0;
};

struct TStation {
  bool StationOffen = false;
  std::string Punktart;
  std::string Punktnummer;
  std::string Code;
  std::string Instrumentenhoehe;
  std::string Temperatur;
  std::string Luftdruck;
  std::string Y;
  std::string X;
  std::string Hoehe;
};

struct TPunkt {
  std::uint16_t Messflags = 0;
  std::string Satzkennung;
  std::string Punktnummer;
  std::string Code1;
  std::string Code2;
  std::string Punktart;
  std::string Reflektorhoehe;
  std::string Zusatzwert1;
  std::string Zusatzwert2;
  std::string Kommentar;
  std::string Querverschiebung;
  std::string Laengsverschiebung;
  std::string Vertikalverschiebung;
  std::string Kontrollkodierung;
  std::string Anmerkung1;
  std::string Anmerkung2;
  std::string Schraegdistanz;
  std::string Horizontaldistanz;
  std::string Vertikaldistanz;
  std::string Atmosphaerenkorrektur;
  std::string Prismenkonstante;
  std::string Vertikalwinkel;
  std::string Horizontalwinkel;
  std::string Azimut;
  std::string Y;
  std::string X;
  std::string Hoehe;
};

struct TQuerprofil {
  std::string Stationierung;
  std::string Code;
  std::string Seitenabstand;
  std::string Hoehe;
};

struct TPunktcode {
  std::string Code;
  std::string Entity;
  std::string Layer;
};

struct TKommentar {
  std::string Satzart;
  std::string Beschreibung;
};

struct TStart {
  std::string Satzart;
  std::string Satzkennung;
  std::string Auftragsnummer;
  std::string AnzahlNivellements;
  std::string Hoehenbezugnummer;
  std::string Anmerkung1;
  std::string Anmerkung2;
  std::string Anmerkung3;
  std::string Messnummer;
  std::string Limite;
  std::string Bodenhoehe = "0";
  TDateTime Zeitpunkt = 0;
};

struct TEnde {
  std::string Satzart;
  std::string Satzkennung;
  std::string Auftragsnummer;
  std::string Hoehenbezugnummer;
  std::string Anmerkung1;
  std::string Anmerkung2;
  std::string Messnummer;
  std::string Wechselpunkt;
  std::string Bodenhoehe = "0";
  std::string RelHoehendiff = "0";
  std::string TotHoehendiff = "0";
  std::string Distanz = "0";
  std::string Totaldistanz = "0";
  TDateTime Zeitpunkt = 0;
};

struct TMessung {
  std::string Satzart;
  std::string Satzkennung;
  std::string AnzahlMessungen = "0";
  std::string Punktnummer;
  std::string Messnummer;
  std::string Hoehenbezugnummer;
  std::string Korrekturparameter;
  std::string Lattenablesung = "0";
  std::string Distanz = "0";
  std::string Standardabweichung = "0";
  std::string Bodenhoehe = "0";
  std::string Datendifferenz = "0";
  TDateTime Zeitpunkt = 0;
};

struct TDaten {
  TKonstanten Konstanten;
  TInfo Info;
  TStation Station;
  TPunkt Punkt;
  TQuerprofil Querprofil;
  TPunktcode Punktcode;
  TKommentar Kommentar;
  TStart Start;
  TEnde Ende;
  TMessung Messung;
};

}  // namespace veltro
