#include "formats/office/LandXML.h"

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "platform/Clock.h"
#include "platform/CodePage1252.h"

namespace veltro {
namespace {

constexpr int kTextNotANumber = 877;     // %s caption, %s line, %s value
constexpr int kTextNotRead = 878;        // %s caption, %s line, %s element
constexpr int kTextNoCoordinates = 885;  // %s caption, %s line
constexpr int kTextTooDeep = 887;        // %s caption, %s line, %s levels

constexpr const char* kSettingAngleUnit = "LandXML\\Angle unit";  // "gon" or "degree"
constexpr const char* kUnitsLine = "<Units><Metric linearUnit=\"meter\" areaUnit=\"squareMeter\" "
                                   "volumeUnit=\"cubicMeter\" angularUnit=\"%s\" directionUnit=\"%s\"/></Units>";
constexpr const char* kGon = "grads";
constexpr const char* kDegree = "decimal degrees";
constexpr size_t kUnitsFromEnd = 2;  // the Units line stands two lines before the first point

// Root children that hold no points and are passed over without a note.
constexpr const char* kKnownElements[] = {"Units", "CoordinateSystem", "Project", "Application", "Survey",
                                          "FeatureDictionary"};

bool Known(const std::string& name) {
  for (const char* k : kKnownElements)
    if (name == k) return true;
  return false;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

TdmLandXML::TdmLandXML(TDFD& dfd) : TdmGisXmlFormat("dmLandXML", dfd, *dfd.LandXML) {
  AddOption(kSettingAngleUnit, "gon");
}

std::string TdmLandXML::UnitsLine() const {
  std::string line = kUnitsLine;
  const char* unit = degrees_ ? kDegree : kGon;
  for (int i = 0; i < 2; ++i) line.replace(line.find("%s"), 2, unit);
  return line;
}

std::vector<std::string> TdmLandXML::Head() {
  survey_ = XmlElement();
  survey_.name = "Survey";
  setup_ = nullptr;
  setups_ = 0;
  degrees_ = Upper(Option(kSettingAngleUnit)).rfind("DEG", 0) == 0;
  const double now = NowDateTime();
  XmlElement root;
  root.name = "LandXML";
  root.Set("xmlns", "http://www.landxml.org/schema/LandXML-1.2").Set("version", "1.2");
  root.Set("date", FormatDate("YYYY-MM-DD", now)).Set("time", FormatTime("HH:NN:SS", now));
  std::string open = root.Print();
  open.replace(open.size() - 2, 2, ">");  // "<LandXML .../>" opened
  return {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", open, UnitsLine(), "<CgPoints>"};
}

std::vector<std::string> TdmLandXML::Tail() {
  std::vector<std::string> tail{"</CgPoints>"};
  if (setups_ > 0) tail.push_back(survey_.Print());
  tail.push_back("</LandXML>");
  return tail;
}

void TdmLandXML::FinishBody(LineList& lines, size_t first) {
  if (first >= kUnitsFromEnd) lines.Replace(first - kUnitsFromEnd, UnitsLine());
}

std::string TdmLandXML::InformationenWrite(TDaten& Daten) {
  const std::string units = Upper(Daten.Info.Einheiten);
  if (units.find("DEG") != std::string::npos) degrees_ = true;
  else if (units.find("GON") != std::string::npos) degrees_ = false;
  return {};
}

std::string TdmLandXML::PointElement(const GisPoint& p) {
  XmlElement c;
  c.name = "CgPoint";
  if (!p.Punktnummer.empty()) c.Set("name", AnsiToUtf8(p.Punktnummer));
  if (!p.Code1.empty()) c.Set("code", AnsiToUtf8(p.Code1));
  if (!p.Kommentar.empty()) c.Set("desc", AnsiToUtf8(p.Kommentar));
  c.text = p.X + " " + p.Y + (p.Hoehe.empty() ? std::string() : " " + p.Hoehe);
  return c.Print();
}

std::string TdmLandXML::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  setup_ = &survey_.Append("InstrumentSetup").Set("id", "setup" + std::to_string(++setups_));
  if (!s.Punktnummer.empty()) setup_->Set("stationName", AnsiToUtf8(s.Punktnummer));
  if (auto h = NormalNumber(s.Instrumentenhoehe)) setup_->Set("instrumentHeight", *h);
  if (!s.Punktnummer.empty()) setup_->Append("InstrumentPoint").Set("pntRef", AnsiToUtf8(s.Punktnummer));
  return StationPointElement(s);
}

std::string TdmLandXML::Observation(TDaten& Daten, bool backsight) {
  const TPunkt& p = Daten.Punkt;
  std::string point;
  if (HasFlags(p.Messflags, mfKoordinaten)) {
    auto g = GridPoint(p);
    if (!g) return kWriteError;
    point = PointElement(*g);
  }
  const std::pair<const char*, const std::string*> values[] = {
      {"horizAngle", &p.Horizontalwinkel},  {"zenithAngle", &p.Vertikalwinkel},
      {"slopeDistance", &p.Schraegdistanz}, {"horizDistance", &p.Horizontaldistanz},
      {"vertDistance", &p.Vertikaldistanz}, {"targetHeight", &p.Reflektorhoehe}};
  bool any = false;
  for (const auto& [name, value] : values) {
    if (TrimBlanks(*value).empty()) continue;
    if (!NormalNumber(*value)) return kWriteError;
    any = true;
  }
  if (!any) return point;
  if (!setup_) setup_ = &survey_.Append("InstrumentSetup").Set("id", "setup" + std::to_string(++setups_));
  XmlElement& o = setup_->Append("RawObservation");
  if (backsight) o.Set("purpose", "backsight");
  for (const auto& [name, value] : values)
    if (auto n = NormalNumber(*value); n && !TrimBlanks(*value).empty()) o.Set(name, *n);
  XmlElement& target = o.Append("TargetPoint");
  if (!p.Punktnummer.empty()) target.Set(point.empty() ? "name" : "pntRef", AnsiToUtf8(p.Punktnummer));
  if (!p.Code1.empty()) target.Set("code", AnsiToUtf8(p.Code1));
  return point;
}

std::string TdmLandXML::AnschlusspunkteWrite(TDaten& Daten) { return Observation(Daten, true); }

std::string TdmLandXML::NeupunkteWrite(TDaten& Daten) { return Observation(Daten, false); }

bool TdmLandXML::IsDocument(const std::string& text) const { return text.find("<LandXML") != std::string::npos; }

void TdmLandXML::Parse(const std::string& bytes) {
  XmlElement root;
  if (!Load(root, bytes, "LandXML")) return;
  for (const XmlElement& n : root.children) {
    const std::string name = LocalName(n);
    if (name == "CgPoints")
      ReadPoints(n, 1);
    else if (!Known(name))
      Note(kTextNotRead, Where(n), "<" + name + ">");
  }
}

void TdmLandXML::ReadPoints(const XmlElement& group, int depth) {
  for (const XmlElement& n : group.children) {
    const std::string name = LocalName(n);
    if (name == "CgPoints") {
      if (depth >= kMaxDepth)
        Note(kTextTooDeep, Where(n), std::to_string(kMaxDepth));
      else
        ReadPoints(n, depth + 1);
      continue;
    }
    if (name != "CgPoint") {
      Note(kTextNotRead, Where(n), "<" + name + ">");
      continue;
    }
    // "northing easting [height]"
    std::vector<std::string> values;
    std::string value;
    for (char c : n.text + " ") {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        if (!value.empty()) values.push_back(std::move(value));
        value.clear();
      } else {
        value += c;
      }
    }
    if (values.empty()) {
      Note(kTextNoCoordinates, Where(n));
      continue;
    }
    GisPoint p;
    bool ok = values.size() == 2 || values.size() == 3;
    for (size_t i = 0; ok && i < values.size(); ++i) {
      auto number = GisNumber(values[i]);
      if (!number) ok = false;
      else (i == 0 ? p.X : i == 1 ? p.Y : p.Hoehe) = *number;
    }
    if (!ok) {
      Note(kTextNotANumber, Where(n), n.text);
      continue;
    }
    p.Punktnummer = Text(n.Attribute("name"), n);
    p.Code1 = Text(n.Attribute("code"), n);
    p.Kommentar = FromUtf8(n.Attribute("desc"), Where(n));
    Emit(p);
  }
}

}  // namespace veltro
