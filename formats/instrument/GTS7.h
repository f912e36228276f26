// TdmGTS7 (formats GTS7 and FC6) and its twin TdmOGTS7 (OGTS7): the job
// files of Topcon total stations and field computers and of Foif
// instruments. Every line begins with a keyword, padded with blanks to 8
// characters (OGTS7: followed by one blank); values are comma-separated.
// A record is a group of lines, a head and its continuation lines:
//
//   JOB     BAU7,Strasse          information (JOB, NAME, INST, SCALE, DATE, UNITS)
//   TEMP    12,1013               read with the station that follows
//   STN     S1,1.550,MARK         station, coordinates may follow
//   XYZ     600000.000,200000.000,450.000
//   BS      S2,1.600              backsight (BKB, BS, FS, RES_OBS)
//   HV      123.45670,98.76540    observation lines (HV, SD, HD, OFFSET, NOTE, CTL)
//   SS      P7,1.600,KERB         side shot, coordinates may follow, then observations
//   SD      123.45670,95.12340,45.1230
//
// Coordinate, point-code, cross-section and long-profile files hold one
// record per line ("P7,100.0000,200.0000,10.0000,KERB"); their kind comes
// from the file tag. The readers walk the lines of a group themselves
// through Konstanten.Zeile over the transfer's active line list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/Components.h"
#include "core/DatenformatDefinitionen.h"
#include "core/EditorPanels.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"
#include "platform/TextFile.h"

namespace veltro {

class TGeraete;

// Keyword groups of a line.
enum class Gts7Group { Information, Continuation, Station, Backsight, SideShot, Other };

// Keyword of a line: GTS7/FC6 its first 8 characters trimmed ("GTS" when
// that is empty); OGTS7 the text before its first blank ("OGTS" without a
// blank). A view into line (or a literal).
std::string_view Gts7Keyword(std::string_view line, bool ogts7);
// Group of a keyword (an exact member of the group's list); OGTS7 counts
// ATMOS as information.
Gts7Group Gts7GroupOf(std::string_view keyword, bool ogts7);
// The line's keyword starts a record for the editor (JOB, STN, SS, BKB, BS,
// RES_OBS, FS).
bool Gts7IsRecordStart(const std::string& line);

// Merging of repeated receives: lines[held...] were received after the
// lines held before. A repeat starts at the first line from `held` on that
// equals the first line; the lines from there on that repeat the held lines
// one by one are removed, later new lines stay. Answers the number removed.
size_t MergeRepeatedLines(LineList& lines, size_t held);

// Coordinate merge: after every line (but the first) that is the side shot
// of the coordinate line's point ("SS      P7," / OGTS7 "SS P7,") and is
// not already followed by a coordinate line, an XYZ line ("XYZ     " /
// OGTS7 "XYZ ") with the coordinate line's first three values is inserted. Answers the number of
// lines inserted; stops early when stop() answers true.
template <class Stop>
size_t MergeCoordinateLine(LineList& lines, const std::string& coordinateLine, bool ogts7, Stop&& stop);

// The record editor's panels for GTS-7 and FC-6 texts; dates and times in
// the format's Datumsformat and Uhrzeitformat.
std::vector<EditorPanelSpec> Gts7EditorPanels(const TGeraeteFormat& format);

class TdmGTS7 : public TDataModule {
 public:
  // Creates the components, fills the templates of the catalogue's formats
  // GTS7 and FC6 and binds their handlers. The catalogue must outlive it.
  explicit TdmGTS7(TGeraete& geraete);
  ~TdmGTS7() override;

  TReadWriteDaten* Koordinaten = nullptr;
  TReadWriteDaten* Punktcodes = nullptr;
  TReadWriteDaten* Querprofile = nullptr;  // not in TdmOGTS7
  TReadWriteDaten* Informationen = nullptr;
  TReadWriteDaten* Stationen = nullptr;
  TReadWriteDaten* Anschlusspunkte = nullptr;
  TReadWriteDaten* Neupunkte = nullptr;
  TReadWriteDaten* Kommentare = nullptr;
  TReadWriteDaten* Laengsprofile = nullptr;  // not in TdmOGTS7

  // Kind of the line at Konstanten.Zeile of the active lines (S when there
  // are none) under a file tag; sets MoreLine of the format. A continuation
  // line has the kind of its head only when the head's record takes it.
  TTransferDatenart Gts7LineKind(const std::string& tag, const std::string& line);
  TTransferDatenart Ogts7LineKind(const std::string& line) { return LineKind(CurrentFormat(), "", line); }

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void PunktcodesRead(const std::string& S, TDaten& Daten);
  std::string PunktcodesWrite(TDaten& Daten);
  void PunktcodesStatistik(const std::string& S, TTransferStatistik& State);
  void QuerprofileRead(const std::string& S, TDaten& Daten);
  std::string QuerprofileWrite(TDaten& Daten);
  void QuerprofileStatistik(const std::string& S, TTransferStatistik& State);
  void InformationenRead(const std::string& S, TDaten& Daten);
  std::string InformationenWrite(TDaten& Daten);
  void StationenRead(const std::string& S, TDaten& Daten);
  std::string StationenWrite(TDaten& Daten);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);
  void AnschlusspunkteRead(const std::string& S, TDaten& Daten);
  std::string AnschlusspunkteWrite(TDaten& Daten);
  void AnschlusspunkteStatistik(const std::string& S, TTransferStatistik& State);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  std::string NeupunkteWrite(TDaten& Daten);
  void NeupunkteStatistik(const std::string& S, TTransferStatistik& State);
  std::string KommentareWrite(TDaten& Daten);
  void LaengsprofileRead(const std::string& S, TDaten& Daten);
  std::string LaengsprofileWrite(TDaten& Daten);
  void LaengsprofileStatistik(const std::string& S, TTransferStatistik& State);

  // Catalogue handlers; the format is the one they are bound to.
  std::string Format(TGeraeteFormat& format, const std::string& S, const std::string& Buf);
  // GTS7Setup/FC6Setup keep the received lines while merging.
  void Setup();
  void AfterTrans();
  // GTS7AfterRead/FC6AfterRead: starts, continues and ends the merging of
  // receives under the setting "Data Merging".
  void AfterRead(TGeraeteFormat& format);
  TTransferDatenart GetDatenart(TGeraeteFormat& format, std::string& S);
  std::string SetTDA(TGeraeteFormat& format, TTransferDatenart kind);
  bool EditNext(TGeraeteFormat& format, const std::string& S);
  // GTS7InitEditor, FC6InitEditor.
  void InitEditor(TGeraeteFormat& format) { ConfigurePanels(Gts7EditorPanels(format)); }

 protected:
  enum class Dialect { Gts7, Ogts7 };
  TdmGTS7(TGeraete& geraete, Dialect dialect);

 private:
  struct Walk;
  struct HeadCache {
    const LineList* lines = nullptr;
    size_t size = 0;
    long head = -1;  // line above the continuation lines (head or not), -1 none
    std::string headLine;
    size_t to = 0;   // continuation lines head+1..to were scanned
    long groupEnd = -1;
    TTransferDatenart headKind = tdaNone;  // the kind the head's record has
  };

  TGeraeteFormat& CurrentFormat() const;
  TTransferDatenart LineKind(TGeraeteFormat& format, const std::string& tag, const std::string& line);
  Gts7Group GroupOf(std::string_view line) const;
  long GroupEnd(const LineList& lines, size_t head) const;
  bool ReadHead(Walk& w, Gts7Group group);
  void ReadObservations(Walk& w, const TStringList& templates);
  void ReadCoordinates(Walk& w, const std::string& layout, std::string& y, std::string& x, std::string& h);
  void Finish(Walk& w, TDaten& Daten);
  std::string CoordinateLine(const std::string& layout, const std::string& y, const std::string& x,
                             const std::string& h);
  std::string ObservationBlock(const TDaten& Daten);
  const std::string& Layout(const TStringList& list, size_t index) const;

  TGeraete& geraete_;
  const bool ogts7_;
  TGeraeteFormat* gts7_ = nullptr;
  TGeraeteFormat* fc6_ = nullptr;
  TGeraeteFormat* ogts7Format_ = nullptr;
  HeadCache cache_;
  std::vector<std::string_view> cut_;  // fields of the line being read
  size_t held_ = 0;  // received lines kept by Setup while merging
};

class TdmOGTS7 : public TdmGTS7 {
 public:
  // Creates the components, fills the templates of OGTS7, binds its handlers.
  explicit TdmOGTS7(TGeraete& geraete) : TdmGTS7(geraete, Dialect::Ogts7) {}
};

// ---- Template definitions ----------------------------------------------------------

template <class Stop>
size_t MergeCoordinateLine(LineList& lines, const std::string& coordinateLine, bool ogts7, Stop&& stop) {
  const size_t comma = coordinateLine.find(',');
  if (comma == std::string::npos || comma == 0) return 0;
  const std::string number = coordinateLine.substr(0, comma);
  // The first three values: the coordinates without the code and the
  // optional values.
  std::string values;
  size_t pos = comma + 1;
  for (int i = 0; i < 3; ++i) {
    const size_t end = coordinateLine.find(',', pos);
    if (end == std::string::npos && i < 2) return 0;
    values += (i ? "," : "") + coordinateLine.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    pos = end == std::string::npos ? coordinateLine.size() : end + 1;
  }
  const std::string head = (ogts7 ? std::string("SS ") : std::string("SS      ")) + number + ",";
  const std::string xyz = ogts7 ? "XYZ " : "XYZ     ";
  size_t inserted = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (stop()) break;
    if (lines[i].compare(0, head.size(), head) != 0) continue;
    if (i + 1 < lines.size() && Gts7Keyword(lines[i + 1], ogts7) == "XYZ") continue;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, xyz + values);
    ++inserted;
    ++i;
  }
  return inserted;
}

}  // namespace veltro
