// TdmNMEA and its twin TdmMMW: Magellan waypoint files. A waypoint is one
// "$PMGNWPL" sentence; every other sentence of a log (fixes, satellites,
// routes, maker sentences) and "#" comment lines are no points:
//
//   $PMGNWPL,4723.12345,N,00826.54321,E,0000512,M,P17,Mauer Ecke,a*5C
//
// Fields after the sentence name: latitude ddmm.mmmmm, N/S, longitude
// dddmm.mmmmm, E/W, altitude, "M", name, comment, icon (the code), then "*"
// and the checksum: the exclusive-or of every byte between "$" and "*", two
// hexadecimal digits. Fields end at "," and "*", whatever their width.
//
// With the coordinate-system library the position goes through it in the
// degrees-and-minutes form (ddmm.mmmmm / 100), grid Y, X and height coming
// back; without it the signed latitude is X and the longitude Y, both ways.
#pragma once

#include <string>
#include <string_view>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"
#include "formats/instrument/InstrumentFormat.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

inline constexpr const char* kWaypointSentence = "$PMGNWPL";

// One waypoint as written: latitude and longitude signed ("-4723.12345" for
// south and west), plain numbers or "" when the field holds none.
struct Waypoint {
  std::string latitude;
  std::string longitude;
  std::string altitude;
  std::string name;
  std::string comment;
  std::string code;
};

enum class WaypointLine { NoWaypoint, Waypoint, BadChecksum };

// Reads a line; a sentence with a checksum (either case) must match it.
WaypointLine ReadWaypoint(const std::string& line, Waypoint& waypoint);
// Exclusive-or of the bytes as two lower-case hexadecimal digits.
std::string NmeaChecksum(std::string_view body);

// Text numbers of the waypoint modules and the other GPS formats.
enum : int {
  kTextGpsChecksum = 855,    // %s line number
  kTextGpsConversion = 856,  // %s line number
};

class TdmNMEA : public TDataModule {
 public:
  // Fills the templates of the catalogue's format of that name and binds
  // its handlers (NMEA here, MMW for the twin). The catalogue must outlive it.
  explicit TdmNMEA(TGeraete& geraete, const char* formatName = "NMEA");
  ~TdmNMEA() override;

  TReadWriteDaten* Koordinaten;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);

  std::string NMEAFormat(const std::string& S, const std::string& Buf);
  TTransferDatenart NMEAGetDatenart(std::string& S);
  std::string NMEASetTDA(TTransferDatenart kind);
  void NMEAAfterTrans() { CloseWaypointList(); }

 protected:
  std::string WaypointFormat(const std::string& S, const std::string& Buf);
  // Kind of a line; while phase 2 converts the received lines, a waypoint
  // that cannot be read or converted is listed as an error and skipped.
  TTransferDatenart WaypointKind(std::string& S);
  std::string WaypointSetTDA(TTransferDatenart kind);
  // Ends written waypoints with the definition's closing command, which
  // tells a receiver that the upload is complete.
  void CloseWaypointList();

  TGeraete& geraete_;
  TGeraeteFormat* format_;
  const char* name_;

 private:
  // The point of a waypoint line in grid or as written; false when the
  // conversion failed.
  bool PointOf(const Waypoint& w, TPunkt& p);
  ConvertedPoint converted_;
};

class TdmMMW : public TdmNMEA {
 public:
  explicit TdmMMW(TGeraete& geraete);

  std::string MMWFormat(const std::string& S, const std::string& Buf) { return WaypointFormat(S, Buf); }
  TTransferDatenart MMWGetDatenart(std::string& S) { return WaypointKind(S); }
  void MMWAfterTrans() { CloseWaypointList(); }
  std::string MMWSetTDA(TTransferDatenart kind) { return WaypointSetTDA(kind); }
  void MMWSetup();
};

}  // namespace veltro
