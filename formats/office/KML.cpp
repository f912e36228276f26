#include "formats/office/KML.h"

#include "core/TextUtils.h"
#include "platform/CodePage1252.h"

namespace veltro {
namespace {

constexpr int kTextNotAPoint = 876;     // %s caption, %s line, %s type
constexpr int kTextNotANumber = 877;    // %s caption, %s line, %s value
constexpr int kTextNoCoordinates = 885; // %s caption, %s line
constexpr int kTextTooDeep = 887;       // %s caption, %s line, %s levels

constexpr const char* kCodeData = "code";  // ExtendedData/Data name of the point code
constexpr const char* kGeometries[] = {"LineString", "LinearRing", "Polygon", "MultiGeometry", "Model", "Track",
                                       "MultiTrack"};

}  // namespace

TdmKML::TdmKML(TDFD& dfd) : TdmGisXmlFormat("dmKML", dfd, *dfd.KML) {}

std::vector<std::string> TdmKML::Head() {
  return {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<kml xmlns=\"http://www.opengis.net/kml/2.2\">",
          "<Document>"};
}

std::string TdmKML::PointElement(const GisPoint& p) {
  auto g = ToGeographic(p);
  if (!g) return kWriteError;
  XmlElement m;
  m.name = "Placemark";
  if (!p.Punktnummer.empty()) AddText(m, "name", AnsiToUtf8(p.Punktnummer));
  if (!p.Kommentar.empty()) AddText(m, "description", AnsiToUtf8(p.Kommentar));
  if (!p.Code1.empty()) AddText(m.Append("ExtendedData").Append("Data").Set("name", kCodeData), "value", AnsiToUtf8(p.Code1));
  XmlElement& point = m.Append("Point");
  if (!g->height.empty()) AddText(point, "altitudeMode", "absolute");
  AddText(point, "coordinates", g->lon + "," + g->lat + (g->height.empty() ? std::string() : "," + g->height));
  return m.Print();
}

bool TdmKML::IsDocument(const std::string& text) const { return text.find("<kml") != std::string::npos; }

void TdmKML::Parse(const std::string& bytes) {
  XmlElement root;
  if (Load(root, bytes, "kml")) ReadContainer(root, 1);
}

void TdmKML::ReadContainer(const XmlElement& container, int depth) {
  for (const XmlElement& n : container.children) {
    const std::string name = LocalName(n);
    if (name == "Placemark") {
      ReadPlacemark(n);
    } else if (name == "Document" || name == "Folder") {
      if (depth >= kMaxDepth) {
        Note(kTextTooDeep, Where(n), std::to_string(kMaxDepth));
        continue;
      }
      ReadContainer(n, depth + 1);
    }
  }
}

void TdmKML::ReadPlacemark(const XmlElement& m) {
  const XmlElement& point = Child(m, "Point");
  if (point.empty()) {
    for (const char* geometry : kGeometries)
      if (!Child(m, geometry).empty()) {
        Note(kTextNotAPoint, Where(m), std::string("<") + geometry + ">");
        return;
      }
    Note(kTextNoCoordinates, Where(m));
    return;
  }
  // "lon,lat[,alt]", blanks around it allowed.
  std::vector<std::string> values;
  SplitToList(TrimBlanks(ReplaceChar(ReplaceChar(ChildText(point, "coordinates"), '\n', " "), '\t', " ")), ',',
              values);
  GisPoint p;
  if (values.size() < 2 || values.size() > 3) {
    Note(kTextNotANumber, Where(point), ChildText(point, "coordinates"));
    return;
  }
  if (!FromGeographic(values[0], values[1], values.size() > 2 ? values[2] : std::string(), Where(point), p)) return;
  p.Punktnummer = Text(ChildText(m, "name"), m);
  p.Kommentar = FromUtf8(ChildText(m, "description"), Where(m));
  for (const XmlElement& d : Child(m, "ExtendedData").children)
    if (LocalName(d) == "Data" && d.Attribute("name") == kCodeData)
      p.Code1 = Text(ChildText(d, "value"), d);
  Emit(p);
}

}  // namespace veltro
