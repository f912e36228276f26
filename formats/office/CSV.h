// TdmCSV: comma-separated values (RFC 4180) for spreadsheets and GIS tools.
// A header line, then one point per line:
//
//   id,code,easting,northing,height,comment
//   1001,21,600123.456,200654.321,456.789,
//
// With measurement records the columns station, target_height, hz, v,
// slope_distance, horizontal_distance and height_difference follow (empty
// for coordinate lines). Separator and decimal point are options ("," and
// "." by default; ";" and "," offered). A field holding the separator, a
// quote or a line break is quoted, quotes doubled. Reading takes the
// header's column names in any order and any letter case (easting and
// northing are needed; y/x, e/n and h/z are taken too), and recognises the
// separator from the header.
#pragma once

#include "formats/office/GisFormat.h"

namespace veltro {

class TdmCSV : public TdmGisFormat {
 public:
  explicit TdmCSV(TDFD& dfd);

  std::string StationenWrite(TDaten& Daten) override;
  std::string AnschlusspunkteWrite(TDaten& Daten) override;
  std::string NeupunkteWrite(TDaten& Daten) override;

  // The fields of one CSV text, records by lines; each record with the
  // 1-based line it starts on.
  struct Record {
    size_t line = 0;
    std::vector<std::string> fields;
  };
  static std::vector<Record> SplitRecords(const std::string& text, char separator);

 protected:
  std::vector<std::string> Head() override;
  std::vector<std::string> Tail() override { return {}; }
  void FinishBody(LineList& lines, size_t first) override;
  std::string PointElement(const GisPoint& p) override;
  void Parse(const std::string& bytes) override;
  bool IsDocument(const std::string& text) const override;
  bool Geographic() const override { return false; }

 private:
  char Separator() const;
  bool DecimalComma() const;
  std::string Field(const std::string& value) const;
  std::string Number(const std::string& value) const;
  std::string Row(const std::vector<std::string>& fields) const;
  std::string ObservationRow(TDaten& Daten, bool withCoordinates);

  std::vector<size_t> shortRows_;  // output indexes of rows without observation columns
  bool observations_ = false;
};

}  // namespace veltro
