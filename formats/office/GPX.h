// TdmGPX: GPX 1.1 waypoints for GPS tools, one per line:
//
//   <wpt lat="46.951082877" lon="7.438632495"><ele>450.000</ele><name>100</name>
//        <cmt>comment</cmt><type>12</type></wpt>
//
// Latitude and longitude are WGS 84 through the active coordinate system;
// a point without height has no <ele>. The code goes into <type>. Reading
// takes every <wpt>; routes and tracks are lines and are listed.
#pragma once

#include "formats/office/GisXml.h"

namespace veltro {

class TdmGPX : public TdmGisXmlFormat {
 public:
  explicit TdmGPX(TDFD& dfd);

 protected:
  std::vector<std::string> Head() override;
  std::vector<std::string> Tail() override { return {"</gpx>"}; }
  std::string PointElement(const GisPoint& p) override;
  void Parse(const std::string& bytes) override;
  bool IsDocument(const std::string& text) const override;
};

}  // namespace veltro
