// TdmLandXML: LandXML 1.2 for current CAD and road design tools. Every
// coordinate point is a CgPoint of the one CgPoints element, northing,
// easting and height in that order:
//
//   <CgPoint name="100" code="12" desc="comment">200000.000 600000.000 450.00</CgPoint>
//
// Measurements also go into a Survey element after the points: an
// InstrumentSetup per station (instrument height, InstrumentPoint) holding a
// RawObservation per target (horizontal and zenith angle, slope and
// horizontal distance, height difference, target height; purpose
// "backsight" for backsights). Angles are gon unless the record's units
// line or the option "LandXML\Angle unit" says degree.
//
// Reading takes the CgPoints (also nested ones); an element this program
// does not know is listed with its line.
#pragma once

#include "formats/office/GisXml.h"

namespace veltro {

class TdmLandXML : public TdmGisXmlFormat {
 public:
  explicit TdmLandXML(TDFD& dfd);

  std::string InformationenWrite(TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;
  std::string AnschlusspunkteWrite(TDaten& Daten) override;
  std::string NeupunkteWrite(TDaten& Daten) override;

 protected:
  std::vector<std::string> Head() override;
  std::vector<std::string> Tail() override;
  void FinishBody(LineList& lines, size_t first) override;
  std::string PointElement(const GisPoint& p) override;
  void Parse(const std::string& bytes) override;
  bool IsDocument(const std::string& text) const override;
  bool Geographic() const override { return false; }

 private:
  std::string Observation(TDaten& Daten, bool backsight);
  void ReadPoints(const XmlElement& points, int depth);
  std::string UnitsLine() const;

  XmlElement survey_;             // the Survey element, filled while writing
  XmlElement* setup_ = nullptr;  // the current InstrumentSetup in it
  int setups_ = 0;
  bool degrees_ = false;
};

}  // namespace veltro
