// TdmGeoJSON: GeoJSON (RFC 7946) for GIS tools. A FeatureCollection of
// Point features, one feature per line, with id, code and comment as
// properties:
//
//   {"type":"Feature","geometry":{"type":"Point","coordinates":[7.438632495,46.951082877,450.000]},
//    "properties":{"id":"100","code":"12","comment":""}}
//
// Coordinates are WGS 84 longitude and latitude (and the height when the
// point has one) through the active coordinate system. The option
// "GeoJSON\Grid coordinates" (1) writes the grid values as they are, with the
// active system named in a "crs" member; a file with a "crs" member of
// another system than WGS 84 is read as grid values too.
//
// Reading goes through the file as a stream of JSON events: features that
// are no points, coordinates that are no numbers and nesting deeper than
// kMaxDepth levels are listed with their line, and nothing else is kept in
// memory than the points.
#pragma once

#include "formats/office/GisFormat.h"

namespace veltro {

class TdmGeoJSON : public TdmGisFormat {
 public:
  explicit TdmGeoJSON(TDFD& dfd);
  static constexpr int kMaxDepth = 32;

 protected:
  std::vector<std::string> Head() override;
  std::vector<std::string> Tail() override;
  void FinishBody(LineList& lines, size_t first) override;
  std::string PointElement(const GisPoint& p) override;
  void Parse(const std::string& bytes) override;
  bool ParsesLines() const override { return true; }
  void ParseLines(const LineList& lines) override;
  bool IsDocument(const std::string& text) const override;
  bool Geographic() const override;

 private:
  friend class GeoJsonEvents;
  template <class Iterator>
  void ParseRange(Iterator first, Iterator last, size_t& line);
  std::string CrsName();
};

}  // namespace veltro
