// The shared base of the exchange formats of GIS and CAD tools (CSV,
// GeoJSON, GPX, KML, LandXML). These files are documents, not line lists:
//
//   writing   OnBeforeSave puts the document head into the output, every
//             point record answers its element (one line), OnAfterSave
//             closes the document
//   reading   OnBeforeLoad parses the whole file once into point lines
//             "\x1E" id "\x1F" code "\x1F" Y "\x1F" X "\x1F" height "\x1F"
//             comment, which OnTransform hands to the engine one by one
//             and KoordinatenRead takes apart
//
// Texts of the record are code page 1252 and become UTF-8 in the file;
// reading converts back, and a character the code page cannot hold is
// listed (written as '?'). Geographic formats convert through the active
// coordinate system; without a usable one the transfer stops before
// anything is written or read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/ReadWriteDaten.h"
#include "formats/office/DFDefs.h"
#include "formats/office/OfficeFormat.h"
#include "wgsxyz/CoordinateBlock.h"

namespace veltro {

// A point as a file holds it, in record texts (code page 1252).
struct GisPoint {
  std::string Punktnummer, Code1, Y, X, Hoehe, Kommentar;
};

// The point line of a read point, and back.
std::string GisPointLine(const GisPoint& p);
bool IsGisPointLine(const std::string& line);
GisPoint ParseGisPointLine(const std::string& line);

// A number text of a file as a record value: blanks trimmed, one decimal
// comma taken as point when allowed; nullopt when it is no number.
std::optional<std::string> GisNumber(const std::string& text, bool decimalComma = false);

// The text is valid UTF-8 (a file of another code page seldom is).
bool IsUtf8(const std::string& text);

using GisOption = OfficeOption;  // settings name below the configuration key ("CSV\Separator")

class TdmGisFormat : public TDataModule {
 public:
  ~TdmGisFormat() override;

  TReadWriteDaten* Koordinaten = nullptr;
  TReadWriteDaten* Informationen = nullptr;
  TReadWriteDaten* Stationen = nullptr;
  TReadWriteDaten* Anschlusspunkte = nullptr;
  TReadWriteDaten* Neupunkte = nullptr;
  TReadWriteDaten* Kommentare = nullptr;

  TDatenformatDefinitionen& Definition() const { return def_; }

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  virtual std::string KoordinatenWrite(TDaten& Daten);
  // Observations go into the files that have room for them (CSV, LandXML);
  // the others write the point when it carries coordinates and note once
  // that its observations are left out.
  virtual std::string InformationenWrite(TDaten&) { return {}; }
  virtual std::string StationenWrite(TDaten&) { return {}; }
  virtual std::string AnschlusspunkteWrite(TDaten& Daten);
  virtual std::string NeupunkteWrite(TDaten& Daten);

  // The recogniser: a point line, or a source whose first characters
  // (text) are a document of this format.
  bool IsKoordinate(const std::string& line, const std::string& text) const;
  // Parses the loaded source; false (messages shown) stops the transfer.
  void BeforeLoad();
  bool Transform(std::string& S);
  void BeforeSave();
  void AfterSave();

  // ---- Parsing and writing without the engine (tests, fuzzing, bench) ----
  // The points of a whole file; notes go to the transfer's messages.
  std::vector<GisPoint> ReadDocument(const std::string& bytes);
  // Geographic formats need a usable coordinate system.
  bool NeedsCoordinateSystem() const;

  // ---- Options ----------------------------------------------------------
  const std::vector<GisOption>& Options() const { return options_; }
  std::string Option(const std::string& name) const;
  bool SetOption(const std::string& name, const std::string& value);
  void ReadOptions();

 protected:
  TdmGisFormat(const char* moduleName, TDFD& dfd, TDatenformatDefinitionen& definition);
  void AddOption(std::string name, std::string value);

  // The document head and end as lines, and the fix-up of the written
  // element lines (from index first of the output) before the end.
  virtual std::vector<std::string> Head() = 0;
  virtual std::vector<std::string> Tail() = 0;
  virtual void FinishBody(LineList& lines, size_t first);
  // The element of one point, or "Error".
  virtual std::string PointElement(const GisPoint& p) = 0;
  // Geographic values can be read: the coordinate system is made ready on
  // first use; without one the user is told once and the transfer stops.
  bool GeographicReady();
  // The points of the document (UTF-8 or whatever it declares).
  // Parses the document, handing each point to Emit.
  virtual void Parse(const std::string& bytes) = 0;
  // Formats whose parser reads the loaded lines as they stand (UTF-8 text
  // without line breaks inside values) take them instead of the file's
  // bytes, so that the file is never held twice.
  virtual bool ParsesLines() const { return false; }
  virtual void ParseLines(const LineList&) {}
  // A point read: it becomes a point line at once.
  void Emit(const GisPoint& p) { pending_.push_back(GisPointLine(p)); }
  // The document's own test of its first characters.
  virtual bool IsDocument(const std::string& text) const = 0;
  // Geographic output (WGS 84 longitude, latitude) instead of grid values.
  virtual bool Geographic() const { return true; }

  // ---- Helpers for the members --------------------------------------------
  // The station as a point of its own when it has coordinates ("" when not,
  // "Error" when they are no numbers).
  std::string StationPointElement(const TStation& s);
  // The record text as UTF-8, and a file text as record text; a character
  // the code page lacks is noted with where it stands.
  static std::string ToUtf8(const std::string& text);
  std::string FromUtf8(const std::string& text, const std::string& where);
  // A note of this format: "<caption>: <text>" into the transfer's messages.
  void Note(int textNumber, const std::string& a = {}, const std::string& b = {});
  // Grid (Y, X, height text) to longitude, latitude, height texts with 9
  // decimals for the angles; false (noted) when the point cannot be
  // converted. The height stays empty when the point has none.
  struct Geo {
    std::string lon, lat, height;
  };
  std::optional<Geo> ToGeographic(const GisPoint& p);
  // Longitude, latitude (and height) texts of a file to a grid point;
  // false (noted with where) when they are no numbers or cannot be converted.
  bool FromGeographic(const std::string& lon, const std::string& lat, const std::string& height,
                      const std::string& where, GisPoint& p);
  // The 1-based line of a byte offset of the document being read.
  std::string LineOf(size_t offset);

  TDFD& dfd_;
  TDatenformatDefinitionen& def_;
  std::vector<GisOption> options_;
  const std::string* document_ = nullptr;  // while Parse runs
  std::vector<size_t> newlines_;            // offsets of its line ends, built on first use

 private:
  // The points read, or none when the coordinate system was missing; a
  // file without points is noted.
  void Finish();
  // Parses bytes into pending_.
  void Read(const std::string& bytes);

  std::vector<std::string> pending_;  // point lines not yet handed out
  size_t next_ = 0;
  size_t bodyStart_ = 0;  // output index of the first element line
  bool refused_ = false;  // BeforeSave stopped the transfer
  int ready_ = 0;         // GeographicReady: 0 not asked, 1 ready, -1 not
};

// The point's grid values, from the record; nullopt when it has no Y or X.
std::optional<GisPoint> GridPoint(const TPunkt& p);

// Decimal texts of a number with '.' exactly as the record has them but
// normalised ("+1.50" -> "1.50", ".5" -> "0.5"); nullopt for no number.
std::optional<std::string> NormalNumber(const std::string& text);

}  // namespace veltro
