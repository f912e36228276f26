// TdmKML: KML 2.2 placemarks for Google Earth and GIS tools, one per line:
//
//   <Placemark><name>100</name><description>comment</description>
//     <ExtendedData><Data name="code"><value>12</value></Data></ExtendedData>
//     <Point><altitudeMode>absolute</altitudeMode><coordinates>7.438632495,46.951082877,450.000</coordinates></Point>
//   </Placemark>
//
// Coordinates are WGS 84 longitude, latitude (and height) through the active
// coordinate system; a point without height is clamped to the ground.
// Reading walks Documents and Folders for Placemarks; a Placemark with a
// line, polygon or other geometry is listed.
#pragma once

#include "formats/office/GisXml.h"

namespace veltro {

class TdmKML : public TdmGisXmlFormat {
 public:
  explicit TdmKML(TDFD& dfd);

 protected:
  std::vector<std::string> Head() override;
  std::vector<std::string> Tail() override { return {"</Document>", "</kml>"}; }
  std::string PointElement(const GisPoint& p) override;
  void Parse(const std::string& bytes) override;
  bool IsDocument(const std::string& text) const override;

 private:
  void ReadContainer(const XmlElement& container, int depth);
  void ReadPlacemark(const XmlElement& placemark);
};

}  // namespace veltro
