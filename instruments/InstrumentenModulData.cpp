// The shipped property values of the catalogue's components, in creation
// order: makers, instrument types, instruments, data formats.
#include <array>
#include <map>

#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

struct MakerRow {
  const char* name;
  const char* menuName;
  const char* menuCaption;
  int order;
};

constexpr MakerRow kMakers[] = {
    {"hsTopcon", "mnTopcon", "Topcon", 0}, {"hsLeica", "mnLeica", "Leica", 1},
    {"hsZeiss", "mnZeiss", "Zeiss", 2},    {"hsNikon", "mnNikon", "Nikon", 3},
    {"hsSokkia", "mnSokkia", "Sokkia", 4}, {"hsMagellan", "mnMagellan", "Magellan", 5},
    {"hsFoif", "mnFoif", "Foif", 6},       {"hsPentax", "mnPentax", "Pentax", 7},
};

struct TypeRow {
  const char* name;
  const char* caption;
  InstrumentKind kind;
};

constexpr TypeRow kTypes[] = {
    {"icTachymeter", "Theodolit", InstrumentKind::Tachymeter},
    {"icNivellier", "Nivellier", InstrumentKind::Nivellier},
    {"icGPS", "GPS", InstrumentKind::GPS},
};

// One instrument; members left out keep the construction defaults of
// TInstrument. Every instrument is shipped on COM1 with TransferMethode 0,
// offsets "0" and not active.
struct InstrumentRow {
  const char* name;
  const char* caption;
  const char* maker;
  const char* type;
  const char* dll = "";
  TBaudRate baud = tbr9600;
  TParity parity = tpNone;
  TDataBits dataBits = tdbEight;
  TStopBits stopBits = tsbOne;
  TFlowControl flow = tfcNone;
  const char* format = "";
  std::uint32_t lesezeit = 2000;
  std::uint32_t schreibzeit = 2000;
  std::uint32_t waitAfterCmd = 0;
  int cmdStrTag = 0;
  int dateifilter = 0;
  bool noNewTrans = false;
  TValidBaudRate validBaud = {};
  TValidDataBits validDataBits = {};
  TValidStopBits validStopBits = {};
  TValidParity validParity = {};
  TValidFlowControl validFlow = {};
  TValidEndofLine validEndofLine = {};
  const char* validFormats = "";
  bool ownOriginalPicture = false;
  bool ownTransferPicture = false;
};

// Accepted-setting sets that several instruments share.
const TValidBaudRate kBaud300To9600{tbr300, tbr600, tbr1200, tbr2400, tbr4800, tbr9600};
const TValidBaudRate kBaud300To19200No600{tbr300, tbr1200, tbr2400, tbr4800, tbr9600, tbr19200};
const TValidBaudRate kBaud2400To19200{tbr2400, tbr4800, tbr9600, tbr19200};
const TValidBaudRate kBaud110To4800{tbr110, tbr300, tbr600, tbr1200, tbr2400, tbr4800};
const TValidBaudRate kBaudGps{tbr1200, tbr4800, tbr9600, tbr19200, tbr57600, tbr115200};
const TValidDataBits kBits78{tdbSeven, tdbEight};
const TValidStopBits kStop12{tsbOne, tsbTwo};
const TValidParity kParityNOE{tpNone, tpOdd, tpEven};
const TValidEndofLine kCrOrCrlf{teolCR, teolCRLF};

// clang-format off
const std::vector<InstrumentRow>& Instruments() {
  static const std::vector<InstrumentRow> rows = {
      // ---- Topcon
      {.name = "itCR1", .caption = "Topcon CR-1", .maker = "hsTopcon", .type = "icTachymeter", .dll = "CR1",
       .flow = tfcACKNAK, .format = "FC5", .cmdStrTag = 567, .dateifilter = 19, .validBaud = kBaud300To9600,
       .validDataBits = kBits78, .validStopBits = kStop12, .validParity = kParityNOE, .validFlow = {tfcACKNAK},
       .validEndofLine = {teolCRLF}, .validFormats = "FC5"},
      {.name = "itGTS6", .caption = "Topcon GTS-6", .maker = "hsTopcon", .type = "icTachymeter", .dll = "GTS6",
       .stopBits = tsbTwo, .format = "GTS6", .dateifilter = 19, .validBaud = {tbr9600}, .validDataBits = {tdbEight},
       .validStopBits = {tsbTwo}, .validParity = {tpNone}, .validFlow = {tfcNone, tfcXONXOFF},
       .validEndofLine = {teolNone, teolCRLF}, .validFormats = "GTS6"},
      {.name = "itGTS210", .caption = "Topcon GTS-210 / 220 / 310", .maker = "hsTopcon", .type = "icTachymeter",
       .dll = "GTS210", .flow = tfcACKNAK, .format = "GTS6", .cmdStrTag = 131, .dateifilter = 19,
       .validBaud = kBaud300To9600, .validDataBits = kBits78, .validStopBits = kStop12, .validParity = kParityNOE,
       .validFlow = {tfcNone, tfcACKNAK}, .validEndofLine = {teolNone, teolCRLF}, .validFormats = "GTS6;GTS6x"},
      {.name = "itGPT1000", .caption = "Topcon GPT-1000 / 2000", .maker = "hsTopcon", .type = "icTachymeter",
       .dll = "GPT1000", .flow = tfcACKNAK, .format = "GTS6", .cmdStrTag = 314, .dateifilter = 19,
       .validBaud = kBaud300To9600, .validDataBits = kBits78, .validStopBits = kStop12, .validParity = kParityNOE,
       .validFlow = {tfcXONXOFF, tfcACKNAK}, .validEndofLine = {teolNone, teolCRLF}, .validFormats = "GTS6;GTS6x"},
      {.name = "itGTS700", .caption = "Topcon GTS-500 / 600 / 700 / 800A", .maker = "hsTopcon",
       .type = "icTachymeter", .dll = "GTS700", .flow = tfcXONXOFF, .format = "GTS7", .schreibzeit = 10000,
       .cmdStrTag = 61, .dateifilter = 19, .validBaud = kBaud300To19200No600, .validDataBits = kBits78,
       .validStopBits = kStop12, .validParity = kParityNOE, .validFlow = {tfcXONXOFF, tfcACKNAK},
       .validEndofLine = {teolCRLF}, .validFormats = "FC5;GTS6;GTS7"},
      {.name = "itGPT6000", .caption = "Topcon GPT-6000 / 8000", .maker = "hsTopcon", .type = "icTachymeter",
       .dll = "GTS700", .flow = tfcXONXOFF, .format = "GTS7", .schreibzeit = 10000, .dateifilter = 19,
       .validBaud = kBaud300To19200No600, .validDataBits = kBits78, .validStopBits = kStop12,
       .validParity = kParityNOE, .validFlow = {tfcXONXOFF, tfcACKNAK}, .validEndofLine = {teolCRLF},
       .validFormats = "FC5;GTS6;GTS7"},
      {.name = "itFC1000", .caption = "Topcon FC-1000", .maker = "hsTopcon", .type = "icTachymeter", .dll = "FS2",
       .flow = tfcXONXOFF, .format = "GTS7", .schreibzeit = 10000, .dateifilter = 19,
       .validBaud = kBaud300To19200No600, .validDataBits = kBits78, .validStopBits = kStop12,
       .validParity = kParityNOE, .validFlow = {tfcXONXOFF, tfcACKNAK}, .validEndofLine = {teolCRLF},
       .validFormats = "FC5;GTS6;GTS7"},
      {.name = "itFS2", .caption = "Topcon FS/2", .maker = "hsTopcon", .type = "icTachymeter", .dll = "FS2",
       .flow = tfcXONXOFF, .format = "FC6", .schreibzeit = 20000, .cmdStrTag = 61, .dateifilter = 19,
       .validBaud = {tbr300, tbr1200, tbr2400, tbr4800, tbr9600}, .validDataBits = kBits78,
       .validStopBits = kStop12, .validParity = kParityNOE, .validFlow = {tfcNone, tfcXONXOFF, tfcCTSRTS},
       .validEndofLine = kCrOrCrlf, .validFormats = "FC5;FC6"},
      {.name = "itDL100", .caption = "Topcon DL-100", .maker = "hsTopcon", .type = "icNivellier", .dll = "DL100",
       .parity = tpEven, .dataBits = tdbSeven, .flow = tfcACKNAK, .format = "DL100", .cmdStrTag = 524,
       .dateifilter = 338, .validBaud = kBaud300To9600, .validDataBits = {tdbSeven}, .validStopBits = {tsbOne},
       .validParity = kParityNOE, .validFlow = {tfcACKNAK}, .validEndofLine = {teolCRLF}, .validFormats = "DL100"},
      // ---- Leica
      {.name = "itGIF10", .caption = "Leica GIF 10", .maker = "hsLeica", .type = "icTachymeter", .dll = "GIF10",
       .baud = tbr2400, .parity = tpEven, .dataBits = tdbSeven, .stopBits = tsbTwo, .flow = tfcGSI,
       .format = "GSI8", .cmdStrTag = 350, .dateifilter = 19,
       .validBaud = {tbr300, tbr1200, tbr2400, tbr4800, tbr9600}, .validDataBits = {tdbSeven},
       .validStopBits = kStop12, .validParity = {tpNone, tpOdd, tpEven, tpMark, tpSpace},
       .validFlow = {tfcNone, tfcXONXOFF, tfcCTSRTS, tfcACKNAK, tfcGSI}, .validEndofLine = kCrOrCrlf,
       .validFormats = "GSI8"},
      {.name = "itTC600", .caption = "Leica TC 600/800 Series", .maker = "hsLeica", .type = "icTachymeter",
       .dll = "TC600", .parity = tpEven, .dataBits = tdbSeven, .flow = tfcGSI, .format = "GSI8", .lesezeit = 5000,
       .schreibzeit = 15000, .waitAfterCmd = 1000, .cmdStrTag = 352, .dateifilter = 19, .noNewTrans = true,
       .validBaud = kBaud300To9600, .validDataBits = {tdbSeven}, .validStopBits = {tsbOne},
       .validParity = kParityNOE, .validFlow = {tfcGSI}, .validEndofLine = kCrOrCrlf, .validFormats = "GSI8;GSI16",
       .ownTransferPicture = true},
      {.name = "itTPS100", .caption = "Leica TPS 100 Series", .maker = "hsLeica", .type = "icTachymeter",
       .dll = "TPS100", .baud = tbr19200, .flow = tfcGSI, .format = "GSI8", .lesezeit = 5000, .schreibzeit = 15000,
       .waitAfterCmd = 500, .cmdStrTag = 352, .dateifilter = 19, .noNewTrans = true, .validBaud = kBaud2400To19200,
       .validDataBits = kBits78, .validStopBits = {tsbOne}, .validParity = kParityNOE, .validFlow = {tfcGSI},
       .validEndofLine = kCrOrCrlf, .validFormats = "GSI8;GSI16", .ownOriginalPicture = true,
       .ownTransferPicture = true},
      {.name = "itTPS110", .caption = "Leica TPS 110 Series", .maker = "hsLeica", .type = "icTachymeter",
       .dll = "TPS110", .baud = tbr19200, .flow = tfcGSI, .format = "GSI16", .lesezeit = 5000,
       .schreibzeit = 15000, .waitAfterCmd = 500, .cmdStrTag = 352, .dateifilter = 19, .noNewTrans = true,
       .validBaud = kBaud2400To19200, .validDataBits = kBits78, .validStopBits = {tsbOne},
       .validParity = kParityNOE, .validFlow = {tfcGSI}, .validEndofLine = kCrOrCrlf, .validFormats = "GSI8;GSI16",
       .ownOriginalPicture = true, .ownTransferPicture = true},
      {.name = "itTPS700", .caption = "Leica TPS 700", .maker = "hsLeica", .type = "icTachymeter", .dll = "TPS700",
       .baud = tbr19200, .flow = tfcGSI, .format = "GSI8", .lesezeit = 5000, .schreibzeit = 5000, .cmdStrTag = 352,
       .dateifilter = 19, .validBaud = kBaud2400To19200, .validDataBits = kBits78, .validStopBits = {tsbOne},
       .validParity = kParityNOE, .validFlow = {tfcGSI}, .validEndofLine = kCrOrCrlf,
       .validFormats = "GSI8;GSI16"},
      // Accepts no setting at all: the port check always fails.
      {.name = "itTPS1100", .caption = "Leica TPS 1100", .maker = "hsLeica", .type = "icTachymeter",
       .dll = "TPS1100", .format = "GSI8", .dateifilter = 19, .validFormats = "GSI8;GSI16"},
      {.name = "itTC1600", .caption = "Leica TC 1000 / TC 1600", .maker = "hsLeica", .type = "icTachymeter",
       .dll = "TC1600", .baud = tbr2400, .parity = tpEven, .dataBits = tdbSeven, .stopBits = tsbTwo, .flow = tfcGSI,
       .format = "GSI8", .cmdStrTag = 352, .dateifilter = 19, .validBaud = kBaud300To9600,
       .validDataBits = {tdbSeven}, .validStopBits = {tsbTwo}, .validParity = kParityNOE, .validFlow = {tfcGSI},
       .validEndofLine = kCrOrCrlf, .validFormats = "GSI8"},
      // Accepts no setting at all: the port check always fails.
      {.name = "itNA3003", .caption = "Leica NA2002, NA3003", .maker = "hsLeica", .type = "icNivellier",
       .baud = tbr2400, .parity = tpEven, .dataBits = tdbSeven, .flow = tfcGSI, .format = "GSI8",
       .dateifilter = 338, .validFormats = "GSI8"},
      // ---- Zeiss
      {.name = "itREC500", .caption = "Zeiss REC 500", .maker = "hsZeiss", .type = "icTachymeter", .dll = "REC500",
       .baud = tbr4800, .parity = tpEven, .dataBits = tdbSeven, .stopBits = tsbTwo, .flow = tfcREC500,
       .format = "REC500", .cmdStrTag = 568, .dateifilter = 19, .validBaud = kBaud110To4800,
       .validDataBits = kBits78, .validStopBits = {tsbTwo}, .validParity = kParityNOE,
       .validFlow = {tfcXONXOFF, tfcREC500}, .validEndofLine = {teolCRLF}, .validFormats = "REC500"},
      {.name = "itDiNi10", .caption = "Zeiss DiNi 10,10T,20", .maker = "hsZeiss", .type = "icNivellier",
       .parity = tpEven, .dataBits = tdbSeven, .stopBits = tsbTwo, .flow = tfcXONXOFF, .format = "REC500",
       .dateifilter = 338, .validBaud = kBaud110To4800, .validDataBits = kBits78, .validStopBits = {tsbTwo},
       .validParity = kParityNOE, .validFlow = {tfcXONXOFF, tfcREC500}, .validEndofLine = {teolCRLF},
       .validFormats = "REC500"},
      // ---- Nikon
      {.name = "itDTM700", .caption = "Nikon DTM-700", .maker = "hsNikon", .type = "icTachymeter", .dll = "DTM700",
       .flow = tfcXONXOFF, .format = "AP700", .lesezeit = 20000, .dateifilter = 19, .validBaud = kBaud300To9600,
       .validDataBits = kBits78, .validStopBits = kStop12, .validParity = kParityNOE,
       .validFlow = {tfcXONXOFF, tfcCTSRTS}, .validEndofLine = {teolCRLF}, .validFormats = "AP700"},
      // ---- Sokkia
      {.name = "itSDR33", .caption = "SDR-33", .maker = "hsSokkia", .type = "icTachymeter", .dll = "SDR33",
       .flow = tfcXONXOFF, .format = "SDR33", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 19,
       .validBaud = {tbr300, tbr600, tbr1200, tbr2400, tbr4800, tbr9600, tbr19200}, .validDataBits = kBits78,
       .validStopBits = kStop12, .validParity = kParityNOE, .validFlow = {tfcXONXOFF},
       .validEndofLine = {teolCRLF}, .validFormats = "SDR2x;SDR33"},
      // ---- Magellan
      {.name = "itProMark2", .caption = "ProMark2", .maker = "hsMagellan", .type = "icGPS", .dll = "ProMark2",
       .baud = tbr115200, .format = "NMEA", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 628,
       .validBaud = kBaudGps, .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone},
       .validFlow = {tfcNone}, .validEndofLine = {teolCRLF}, .validFormats = "NMEA"},
      {.name = "itMeridian", .caption = "Meridian", .maker = "hsMagellan", .type = "icGPS", .baud = tbr115200,
       .format = "NMEA", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 628, .validBaud = kBaudGps,
       .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone}, .validFlow = {tfcNone},
       .validEndofLine = {teolCRLF}, .validFormats = "NMEA"},
      {.name = "itMAP330", .caption = "MAP 330", .maker = "hsMagellan", .type = "icGPS", .baud = tbr115200,
       .format = "NMEA", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 628, .validBaud = kBaudGps,
       .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone}, .validFlow = {tfcNone},
       .validEndofLine = {teolCRLF}, .validFormats = "NMEA"},
      {.name = "itSportrak", .caption = "Sportrak", .maker = "hsMagellan", .type = "icGPS", .baud = tbr115200,
       .format = "NMEA", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 628, .validBaud = kBaudGps,
       .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone}, .validFlow = {tfcNone},
       .validEndofLine = {teolCRLF}, .validFormats = "NMEA"},
      {.name = "itTavrin", .caption = "ProMark 500", .maker = "hsMagellan", .type = "icGPS", .dll = "TAVRIN",
       .baud = tbr115200, .format = "TAVRIN", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 632,
       .validBaud = kBaudGps, .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone},
       .validFlow = {tfcNone}, .validEndofLine = {teolCRLF}, .validFormats = "TAVRIN"},
      {.name = "itMobMap", .caption = "Mobile Mapper", .maker = "hsMagellan", .type = "icGPS", .dll = "ProMark2",
       .baud = tbr115200, .format = "NMEA", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 628,
       .validBaud = kBaudGps, .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone},
       .validFlow = {tfcNone}, .validEndofLine = {teolCRLF}, .validFormats = "NMEA"},
      {.name = "itMobMapOf", .caption = "Mobile Mapper Office", .maker = "hsMagellan", .type = "icGPS",
       .dll = "MobMapOf", .baud = tbr115200, .format = "MMW", .lesezeit = 5000, .schreibzeit = 5000,
       .dateifilter = 628, .validBaud = kBaudGps, .validDataBits = {tdbEight}, .validStopBits = {tsbOne},
       .validParity = {tpNone}, .validFlow = {tfcNone}, .validEndofLine = {teolCRLF}, .validFormats = "MMW"},
      {.name = "itSurvCE", .caption = "Fast Survey", .maker = "hsMagellan", .type = "icGPS", .dll = "SurvCE",
       .baud = tbr115200, .format = "RW5", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 632,
       .validBaud = kBaudGps, .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone},
       .validFlow = {tfcNone}, .validEndofLine = {teolCRLF}, .validFormats = "RW5"},
      // ---- Foif
      {.name = "itOTS600", .caption = "OTS600 Serie", .maker = "hsFoif", .type = "icTachymeter", .dll = "OTS600",
       .format = "OGTS7", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 19,
       .validBaud = {tbr2400, tbr4800, tbr9600, tbr19200, tbr38400}, .validDataBits = kBits78,
       .validStopBits = kStop12, .validParity = kParityNOE, .validFlow = {tfcNone, tfcXONXOFF},
       .validEndofLine = {teolCRLF}, .validFormats = "OGTS7"},
      {.name = "itOTS", .caption = "OTS Serie", .maker = "hsFoif", .type = "icTachymeter", .dll = "OTS",
       .format = "OTS", .lesezeit = 5000, .schreibzeit = 5000, .dateifilter = 19, .validBaud = {tbr1200},
       .validDataBits = {tdbEight}, .validStopBits = {tsbOne}, .validParity = {tpNone}, .validFlow = {tfcNone},
       .validEndofLine = {teolCRLF}, .validFormats = "OTS"},
      // ---- Pentax
      {.name = "itPentaxR300", .caption = "Pentax R-300 Series", .maker = "hsPentax", .type = "icTachymeter",
       .dll = "Pentax300", .flow = tfcACKNAK, .format = "DC1", .lesezeit = 5000, .schreibzeit = 5000,
       .dateifilter = 19, .validBaud = {tbr1200, tbr2400, tbr4800, tbr9600}, .validDataBits = kBits78,
       .validStopBits = kStop12, .validParity = kParityNOE, .validFlow = {tfcACKNAK}, .validEndofLine = kCrOrCrlf,
       .validFormats = "DC1"},
  };
  return rows;
}
// clang-format on

// One data format, in creation order (which is also the order of the format
// menus); Order is the format's number for the instrument library.
struct FormatRow {
  int order;
  const char* name;
  const char* caption;
  const char* maker;
  int dateifilter;
  TTransferDatenart tda = tdaInformation;
  const char* datumsformat = "";
  const char* uhrzeitformat = "";
  bool active = false;
  bool koordinatenUnit = false;
  bool noTransPCtoInst = false;
  bool modify = false;
  bool oemConvert = false;
  bool moreLine = false;
  const char* mainElement = "";
  const char* koordinaten = "";
  const char* messungen = "";
  const char* punktcode = "";
  const char* querprofile = "";
};

// clang-format off
constexpr FormatRow kFormats[] = {
    {.order = 0, .name = "FC5", .caption = "FC-5", .maker = "hsTopcon", .dateifilter = 373,
     .datumsformat = "MM-DD-YY", .active = true, .modify = true, .oemConvert = true, .mainElement = "_'",
     .koordinaten = "Koord*.xyz", .messungen = "Mess*.dat", .punktcode = "Code*.txt", .querprofile = "Profil*.txt"},
    {.order = 2, .name = "GTS6", .caption = "GTS-6", .maker = "hsTopcon", .dateifilter = 373,
     .datumsformat = "DD/MM/YY", .modify = true, .oemConvert = true, .mainElement = "_'", .koordinaten = "Koord*.xyz",
     .messungen = "Mess*.dat", .punktcode = "Code*.txt", .querprofile = "Profil*.txt"},
    {.order = 3, .name = "GTS6x", .caption = "GTS-6x", .maker = "hsTopcon", .dateifilter = 373,
     .datumsformat = "DD/MM/YY", .modify = true, .oemConvert = true, .mainElement = "_'", .koordinaten = "Koord*.xyz",
     .messungen = "Mess*.dat", .punktcode = "Code*.txt", .querprofile = "Profil*.txt"},
    {.order = 5, .name = "DL100", .caption = "DL-100", .maker = "hsTopcon", .dateifilter = 374,
     .datumsformat = "YYMMDD", .uhrzeitformat = "HHMM", .koordinatenUnit = true, .noTransPCtoInst = true,
     .modify = true, .mainElement = "a,;b,;c,;t,;u,;v,;w,", .koordinaten = "Koord*.xyz", .messungen = "Mess*.l"},
    {.order = 6, .name = "GSI8", .caption = "GSI 8", .maker = "hsLeica", .dateifilter = 375, .koordinatenUnit = true,
     .modify = true, .koordinaten = "Koord*.gsi", .messungen = "Mess*.gsi", .punktcode = "Code*.gsi", .querprofile = "Profil*.gsi"},
    {.order = 7, .name = "GSI16", .caption = "GSI 16", .maker = "hsLeica", .dateifilter = 375,
     .koordinatenUnit = true, .modify = true, .koordinaten = "Koord*.gsi", .messungen = "Mess*.gsi", .punktcode = "Code*.gsi",
     .querprofile = "Profil*.gsi"},
    {.order = 8, .name = "REC500", .caption = "Rec 500", .maker = "hsZeiss", .dateifilter = 371,
     .koordinaten = "Koord*.rec", .messungen = "Mess*.rec", .punktcode = "Code*.rec", .querprofile = "Profil*.rec"},
    {.order = 9, .name = "RECE", .caption = "Rec E", .maker = "hsZeiss", .dateifilter = 371,
     .koordinaten = "Koord*.rec", .messungen = "Mess*.rec", .punktcode = "Code*.rec", .querprofile = "Profil*.rec"},
    {.order = 10, .name = "AP700", .caption = "AP 700", .maker = "hsNikon", .dateifilter = 0},
    {.order = 19, .name = "RW5", .caption = "RW5", .maker = "hsMagellan", .dateifilter = 663, .tda = tdaKommentar,
     .datumsformat = "MM-DD-YYYY", .uhrzeitformat = "HH:MM:SS"},
    {.order = 11, .name = "SDR2x", .caption = "SDR 2x", .maker = "hsSokkia", .dateifilter = 599,
     .datumsformat = "DD-MMM-YY", .uhrzeitformat = "HH:MM", .koordinatenUnit = true, .modify = true,
     .mainElement = "02", .koordinaten = "Koord*.sdr", .messungen = "Mess*.sdr", .punktcode = "Code*.sdr",
     .querprofile = "Profil*.sdr"},
    {.order = 12, .name = "SDR33", .caption = "SDR 33", .maker = "hsSokkia", .dateifilter = 599,
     .tda = tdaKoordinate, .datumsformat = "DD-MMM-YY", .uhrzeitformat = "HH:MM", .koordinatenUnit = true,
     .modify = true, .mainElement = "02", .koordinaten = "Koord*.sdr", .messungen = "Mess*.sdr",
     .punktcode = "Code*.sdr", .querprofile = "Profil*.sdr"},
    {.order = 18, .name = "DC1", .caption = "DC1", .maker = "hsPentax", .dateifilter = 634,
     .datumsformat = "DD.MMM.YY", .uhrzeitformat = "HH:MM"},
    {.order = 13, .name = "NMEA", .caption = "NMEA", .maker = "hsMagellan", .dateifilter = 629,
     .datumsformat = "DD.MMM.YY", .uhrzeitformat = "HH:MM"},
    {.order = 14, .name = "TAVRIN", .caption = "Magellan", .maker = "hsMagellan", .dateifilter = 633,
     .datumsformat = "DD.MMM.YY", .uhrzeitformat = "HH:MM"},
    {.order = 15, .name = "MMW", .caption = "MMW", .maker = "hsMagellan", .dateifilter = 636,
     .datumsformat = "DD.MMM.YY", .uhrzeitformat = "HH:MM"},
    {.order = 17, .name = "OGTS7", .caption = "OTS7", .maker = "hsFoif", .dateifilter = 373,
     .datumsformat = "DD/MM/YY", .uhrzeitformat = "HH:MM:SS", .oemConvert = true, .moreLine = true,
     .mainElement = "STN", .koordinaten = "Koord*.xyz", .messungen = "Mess*.dat", .punktcode = "Code*.txt",
     .querprofile = "Profil*.txt"},
    {.order = 16, .name = "OTS", .caption = "OTS", .maker = "hsFoif", .dateifilter = 634,
     .datumsformat = "DD.MMM.YY", .uhrzeitformat = "HH:MM"},
    {.order = 4, .name = "GTS7", .caption = "GTS-7", .maker = "hsTopcon", .dateifilter = 373,
     .datumsformat = "DD/MM/YY", .uhrzeitformat = "HH:MM:SS", .modify = true, .oemConvert = true, .moreLine = true,
     .mainElement = "STN", .koordinaten = "Koord*.xyz", .messungen = "Mess*.dat", .punktcode = "Code*.txt",
     .querprofile = "Profil*.txt"},
    {.order = 1, .name = "FC6", .caption = "FC-6", .maker = "hsTopcon", .dateifilter = 373,
     .datumsformat = "DD/MM/YY", .uhrzeitformat = "HH:MM:SS", .modify = true, .oemConvert = true, .moreLine = true,
     .mainElement = "STN", .koordinaten = "Koord*.xyz", .messungen = "Mess*.dat", .punktcode = "Code*.txt",
     .querprofile = "Profil*.txt"},
};
// clang-format on

// The handlers bound to each format's events ("Event=Handler", blank
// separated). They are operations of the instrument transfer sequence and of
// the format modules; a format module binds them with BindFormatHandlers.
constexpr std::pair<const char*, const char*> kFormatHandlers[] = {
    {"FC5",
     "OnFormat=FC5Format OnSetup=DefaultSetup OnInitWrite=FC5InitWrite OnAfterTrans=FC5AfterTrans "
     "OnGetDatenart=FC5GetDatenart OnSetTDA=FC5SetTDA OnPrepEditor=FC5PrepEditor OnInitEditor=FC5InitEditor "
     "OnEditNext=FC5EditNext"},
    {"FC6",
     "OnFormat=FC6Format OnSetup=FC6Setup OnAfterTrans=FC6AfterTrans OnAfterRead=FC6AfterRead "
     "OnGetDatenart=FC6GetDatenart OnSetTDA=FC6SetTDA OnInitEditor=FC6InitEditor OnEditNext=FC6EditNext"},
    {"GTS6",
     "OnFormat=GTS6Format OnSetup=DefaultSetup OnInitWrite=GTS6InitWrite OnAfterTrans=GTS6AfterTrans "
     "OnGetDatenart=GTS6GetDatenart OnSetTDA=GTS6SetTDA OnPrepEditor=GTS6PrepEditor OnInitEditor=GTS6InitEditor "
     "OnEditNext=GTS6EditNext"},
    {"GTS6x",
     "OnFormat=GTS6xFormat OnSetup=DefaultSetup OnInitWrite=GTS6xInitWrite OnAfterTrans=GTS6xAfterTrans "
     "OnGetDatenart=GTS6xGetDatenart OnSetTDA=GTS6xSetTDA OnPrepEditor=GTS6xPrepEditor "
     "OnInitEditor=GTS6xInitEditor OnEditNext=GTS6xEditNext"},
    {"GTS7",
     "OnFormat=GTS7Format OnSetup=GTS7Setup OnAfterTrans=GTS7AfterTrans OnAfterRead=GTS7AfterRead "
     "OnGetDatenart=GTS7GetDatenart OnSetTDA=GTS7SetTDA OnInitEditor=GTS7InitEditor OnEditNext=GTS7EditNext"},
    {"DL100",
     "OnFormat=DL100Format OnSetup=DefaultSetup OnGetDatenart=DL100GetDatenart OnSetTDA=DL100SetTDA "
     "OnInitEditor=DL100InitEditor OnEditNext=DL100EditNext"},
    {"GSI8",
     "OnFormat=GSI8Format OnSetup=GSI8Setup OnInitWrite=GSI8InitWrite OnAfterRead=GSI8AfterRead "
     "OnBeforeWrite=GSI8BeforeWrite OnGetDatenart=GSI8GetDatenart OnSetTDA=GSI8SetTDA OnInitEditor=GSI8InitEditor "
     "OnEditNext=GSI8EditNext"},
    {"GSI16",
     "OnFormat=GSI16Format OnSetup=GSI16Setup OnInitWrite=GSI16InitWrite OnAfterRead=GSI16AfterRead "
     "OnBeforeWrite=GSI16BeforeWrite OnGetDatenart=GSI16GetDatenart OnSetTDA=GSI16SetTDA OnInitEditor=GSI16InitEditor "
     "OnEditNext=GSI16EditNext"},
    {"REC500", "OnFormat=REC500Format OnSetup=DefaultSetup OnGetDatenart=REC500GetDatenart OnSetTDA=REC500SetTDA"},
    {"RECE", "OnSetup=DefaultSetup"},
    {"AP700", "OnFormat=AP700Format OnSetup=DefaultSetup OnGetDatenart=AP700GetDatenart OnSetTDA=AP700SetTDA"},
    {"SDR2x",
     "OnFormat=SDR2xFormat OnSetup=SDR2xSetup OnInitWrite=SDR2xInitWrite OnAfterTrans=SDR2xAfterTrans "
     "OnAfterRead=SDR2xAfterRead OnAfterWrite=SDR2xAfterWrite OnBeforeWrite=SDR2xBeforeWrite "
     "OnGetDatenart=SDR2xGetDatenart OnSetTDA=SDR2xSetTDA OnInitEditor=SDR2xInitEditor OnEditNext=SDR2xEditNext"},
    {"SDR33",
     "OnFormat=SDR33Format OnSetup=SDR33Setup OnInitWrite=SDR33InitWrite OnAfterTrans=SDR33AfterTrans "
     "OnAfterRead=SDR33AfterRead OnAfterWrite=SDR33AfterWrite OnBeforeWrite=SDR33BeforeWrite "
     "OnGetDatenart=SDR33GetDatenart OnSetTDA=SDR33SetTDA OnInitEditor=SDR33InitEditor OnEditNext=SDR33EditNext"},
    {"NMEA", "OnFormat=NMEAFormat OnSetup=DefaultSetup OnAfterTrans=NMEAAfterTrans OnGetDatenart=NMEAGetDatenart OnSetTDA=NMEASetTDA"},
    {"TAVRIN", "OnFormat=TAVRINFormat OnSetup=DefaultSetup OnGetDatenart=TAVRINGetDatenart OnSetTDA=TAVRINSetTDA"},
    {"MMW", "OnFormat=MMWFormat OnSetup=MMWSetup OnAfterTrans=MMWAfterTrans OnGetDatenart=MMWGetDatenart OnSetTDA=MMWSetTDA"},
    {"OTS", "OnFormat=OTSFormat OnSetup=DefaultSetup OnGetDatenart=OTSGetDatenart OnSetTDA=OTSSetTDA"},
    {"OGTS7",
     "OnFormat=OGTS7Format OnSetup=DefaultSetup OnAfterTrans=OGTS7AfterTrans OnGetDatenart=OGTS7GetDatenart "
     "OnSetTDA=OGTS7SetTDA"},
    {"DC1",
     "OnFormat=DC1Format OnSetup=DefaultSetup OnInitWrite=DC1InitWrite OnAfterWrite=DC1AfterWrite "
     "OnGetDatenart=DC1GetDatenart OnSetTDA=DC1SetTDA"},
    {"RW5", "OnFormat=RW5Format OnSetup=DefaultSetup OnGetDatenart=RW5GetDatenart OnSetTDA=RW5SetTDA"},
};

constexpr std::pair<const char*, const char*> kInstrumentSetups[] = {
    {"itTC600", "itTC600Setup"},
    {"itTPS100", "itTPS100Setup"},
    {"itTPS110", "itTPS100Setup"},
    {"itTPS700", "itTPS700Setup"},
};

using HandlerNames = std::array<std::string, kFormatEventCount>;

const std::map<std::string, HandlerNames>& FormatHandlerTable() {
  static const std::map<std::string, HandlerNames> table = [] {
    std::map<std::string, HandlerNames> t;
    for (const auto& [format, bindings] : kFormatHandlers) {
      HandlerNames& names = t[format];
      std::string rest = bindings;
      while (!rest.empty()) {
        const size_t blank = rest.find(' ');
        const std::string pair = rest.substr(0, blank);
        rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
        const size_t eq = pair.find('=');
        const std::string event = pair.substr(0, eq);
        for (int e = 0; e < kFormatEventCount; ++e)
          if (event == FormatEventName(static_cast<FormatEvent>(e)))
            names[static_cast<size_t>(e)] = pair.substr(eq + 1);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

const char* FormatEventName(FormatEvent event) {
  switch (event) {
    case FormatEvent::OnFormat:
      return "OnFormat";
    case FormatEvent::OnSetup:
      return "OnSetup";
    case FormatEvent::OnInitWrite:
      return "OnInitWrite";
    case FormatEvent::OnAfterTrans:
      return "OnAfterTrans";
    case FormatEvent::OnAfterRead:
      return "OnAfterRead";
    case FormatEvent::OnAfterWrite:
      return "OnAfterWrite";
    case FormatEvent::OnBeforeWrite:
      return "OnBeforeWrite";
    case FormatEvent::OnGetDatenart:
      return "OnGetDatenart";
    case FormatEvent::OnSetTDA:
      return "OnSetTDA";
    case FormatEvent::OnPrepEditor:
      return "OnPrepEditor";
    case FormatEvent::OnInitEditor:
      return "OnInitEditor";
    case FormatEvent::OnEditNext:
      return "OnEditNext";
  }
  return "";
}

std::string TGeraete::FormatHandlerName(const std::string& formatName, FormatEvent event) {
  const auto& table = FormatHandlerTable();
  const auto it = table.find(formatName);
  return it == table.end() ? std::string() : it->second[static_cast<size_t>(event)];
}

std::string TGeraete::InstrumentSetupName(const std::string& instrumentName) {
  for (const auto& [instrument, handler] : kInstrumentSetups)
    if (instrumentName == instrument) return handler;
  return {};
}

void TGeraete::CreateComponents() {
  for (const MakerRow& row : kMakers) {
    auto& m = Add<THersteller>(row.name);
    m.MenuName = row.menuName;
    m.MenuCaption = row.menuCaption;
    m.Order = row.order;
  }
  for (const TypeRow& row : kTypes) {
    auto& t = Add<TInstrumententyp>(row.name);
    t.Caption = row.caption;
    t.Kind = row.kind;
    t.OriginalPicture.Resource = std::string(row.name) + ".OriginalPicture";
    t.TransferPicture.Resource = std::string(row.name) + ".TransferPicture";
  }
  for (const InstrumentRow& row : Instruments()) {
    auto& i = Add<TInstrument>(row.name);
    i.Caption = row.caption;
    i.Hersteller = Maker(row.maker);
    i.Instrumententyp = Type(row.type);
    i.InstrumentDLL = row.dll;
    i.Port = tptOne;
    i.BaudRate = row.baud;
    i.Parity = row.parity;
    i.DataBits = row.dataBits;
    i.StopBits = row.stopBits;
    i.FlowControl = row.flow;
    i.Lesezeit = row.lesezeit;
    i.Schreibzeit = row.schreibzeit;
    i.WaitAfterCmd = row.waitAfterCmd;
    i.CmdStrTag = row.cmdStrTag;
    i.Dateifilter = row.dateifilter;
    i.NoNewTrans = row.noNewTrans;
    i.ValidBaudRate = row.validBaud;
    i.ValidDataBits = row.validDataBits;
    i.ValidStopBits = row.validStopBits;
    i.ValidParity = row.validParity;
    i.ValidFlowControl = row.validFlow;
    i.ValidEndofLine = row.validEndofLine;
    i.ValidGeraeteFormate = row.validFormats;
    if (row.ownOriginalPicture) i.OriginalPicture.Resource = std::string(row.name) + ".OriginalPicture";
    if (row.ownTransferPicture) i.TransferPicture.Resource = std::string(row.name) + ".TransferPicture";
  }
  for (const FormatRow& row : kFormats) {
    auto& f = Add<TGeraeteFormat>(row.name);
    f.Caption = row.caption;
    f.Order = row.order;
    f.Hersteller = Maker(row.maker);
    f.Dateifilter = row.dateifilter;
    f.TransferDatenart = row.tda;
    f.Datumsformat = row.datumsformat;
    f.Uhrzeitformat = row.uhrzeitformat;
    f.Active = row.active;
    f.KoordinatenUnit = row.koordinatenUnit;
    f.NoTransPCtoInst = row.noTransPCtoInst;
    f.Modify = row.modify;
    f.OEMConvert = row.oemConvert;
    f.MoreLine = row.moreLine;
    f.MainElement = row.mainElement;
    f.KoordinatenDateiname = row.koordinaten;
    f.MessungenDateiname = row.messungen;
    f.PunktcodeDateiname = row.punktcode;
    f.QuerprofileDateiname = row.querprofile;
  }
  // Instruments name their format; formats are created after them.
  for (const InstrumentRow& row : Instruments()) Instrument(row.name)->GeraeteFormat = Format(row.format);
}

}  // namespace veltro
