#include "formats/office/GeoJSON.h"

#include <iterator>

#include "core/Settings.h"
#include "core/TextUtils.h"
#include "formats/office/JsonReader.h"
#include "instruments/CoordinateSystem.h"
#include "platform/CodePage1252.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

constexpr int kTextNotAPoint = 876;     // %s caption, %s line, %s type
constexpr int kTextNotANumber = 877;    // %s caption, %s line, %s value
constexpr int kTextCannotRead = 879;    // %s caption, %s line, %s reason
constexpr int kTextNoCoordinates = 885; // %s caption, %s line
constexpr int kTextTooDeep = 887;       // %s caption, %s line, %s levels

constexpr const char* kSettingGrid = "GeoJSON\\Grid coordinates";
constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

// A JSON string of a record text.
std::string Quoted(const std::string& ansi) { return JsonQuoted(AnsiToUtf8(ansi)); }

bool IsSet(const std::string& option) { return option == "1" || option == "yes" || option == "true"; }

// The names of WGS 84 longitude/latitude a "crs" member may give.
bool IsWgs84Name(const std::string& name) {
  return name.find("CRS84") != std::string::npos || name.find("4326") != std::string::npos ||
         name.find("4979") != std::string::npos;
}

// Iterates the document's bytes and counts its lines, so that an event
// knows the line it comes from.
class LineCountingIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;
  LineCountingIterator(const char* p, size_t* line) : p_(p), line_(line) {}
  reference operator*() const { return *p_; }
  LineCountingIterator& operator++() {
    if (*p_ == '\n') ++*line_;
    ++p_;
    return *this;
  }
  LineCountingIterator operator++(int) {
    LineCountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const LineCountingIterator& o) const { return p_ == o.p_; }
  bool operator!=(const LineCountingIterator& o) const { return p_ != o.p_; }

 private:
  const char* p_;
  size_t* line_;
};

// The loaded lines as one text, each line followed by a line break, and
// the line it stands on.
class LinesIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;
  LinesIterator(const LineList* lines, size_t line, size_t at, size_t* number)
      : lines_(lines), line_(line), at_(at), number_(number) {}
  reference operator*() const {
    static const char kBreak = '\n';
    const std::string_view l = (*lines_)[line_];
    return at_ < l.size() ? l[at_] : kBreak;
  }
  LinesIterator& operator++() {
    if (at_ < (*lines_)[line_].size()) {
      ++at_;
    } else {
      ++line_;
      at_ = 0;
      *number_ = line_ + 1;
    }
    return *this;
  }
  LinesIterator operator++(int) {
    LinesIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const LinesIterator& o) const { return line_ == o.line_ && at_ == o.at_; }
  bool operator!=(const LinesIterator& o) const { return !(*this == o); }

 private:
  const LineList* lines_;
  size_t line_, at_;
  size_t* number_;
};

}  // namespace

// The JSON events of a document, turned into points.
class GeoJsonEvents {
 public:
  enum class Role { Root, Features, Feature, Geometry, Coordinates, Properties, Crs, CrsProperties, Other };

  GeoJsonEvents(TdmGeoJSON& module, bool grid, size_t& line) : line(line), module_(module), grid_(grid) {}
  size_t& line;  // the line the reader stands on

  bool Null() { return Scalar("null", false); }
  bool Boolean(bool v) { return Scalar(v ? "true" : "false", false); }
  bool Number(const std::string& raw) { return Scalar(raw, true); }
  bool String(const std::string& v) { return Scalar(v, false, true); }
  bool Key(const std::string& k) {
    stack_.back().key = k;
    return true;
  }
  bool StartObject() { return Open(true); }
  bool EndObject() { return Close(); }
  bool StartArray() { return Open(false); }
  bool EndArray() { return Close(); }
  bool Error(const std::string& reason) {
    module_.Note(kTextCannotRead, std::to_string(line), reason);
    return false;
  }

 private:
  struct Frame {
    Role role;
    bool object;
    std::string key;
  };
  struct Feature {
    size_t line = 0;
    bool hasGeometry = false;
    std::string type;
    std::vector<std::string> coordinates;
    std::string bad;     // a coordinate that is no number
    bool nested = false; // coordinates of a line or polygon
    std::string id, name, code, comment, description;
    std::string featureId;  // the feature's own "id" member
  };

  Role ChildRole(bool object) const {
    if (stack_.empty()) return Role::Root;
    const Frame& f = stack_.back();
    switch (f.role) {
      case Role::Root:
        if (f.key == "features" && !object) return Role::Features;
        if (f.key == "geometry" && object) return Role::Geometry;  // a Feature at the root
        if (f.key == "properties" && object) return Role::Properties;
        if (f.key == "crs" && object) return Role::Crs;
        return Role::Other;
      case Role::Features: return object ? Role::Feature : Role::Other;
      case Role::Feature:
        if (f.key == "geometry" && object) return Role::Geometry;
        if (f.key == "properties" && object) return Role::Properties;
        return Role::Other;
      case Role::Geometry: return f.key == "coordinates" && !object ? Role::Coordinates : Role::Other;
      case Role::Crs: return f.key == "properties" && object ? Role::CrsProperties : Role::Other;
      default: return Role::Other;
    }
  }

  bool Open(bool object) {
    if (stack_.size() >= static_cast<size_t>(TdmGeoJSON::kMaxDepth)) {
      module_.Note(kTextTooDeep, std::to_string(line), std::to_string(TdmGeoJSON::kMaxDepth));
      return false;
    }
    const Role role = ChildRole(object);
    if (!stack_.empty() && stack_.back().role == Role::Coordinates) feature_.nested = true;
    if (role == Role::Feature || role == Role::Root) {
      feature_ = Feature{};
      feature_.line = line;
    }
    if (role == Role::Geometry) feature_.hasGeometry = true;
    stack_.push_back({role, object, {}});
    return true;
  }

  bool Close() {
    const Role role = stack_.back().role;
    stack_.pop_back();
    if (role == Role::Feature || (role == Role::Root && rootType_ == "Feature")) Emit();
    else if (role == Role::Root && rootType_ != "FeatureCollection")
      module_.Note(kTextNotAPoint, std::to_string(feature_.line), rootType_.empty() ? "?" : rootType_);
    return true;
  }

  bool Scalar(const std::string& value, bool number, bool text = false) {
    if (stack_.empty()) return true;
    Frame& f = stack_.back();
    switch (f.role) {
      case Role::Root:
        if (f.key == "type" && text) rootType_ = value;
        if (f.key == "id") feature_.featureId = value;
        break;
      case Role::Feature:
        if (f.key == "id") feature_.featureId = value;
        break;
      case Role::Geometry:
        if (f.key == "type" && text) feature_.type = value;
        break;
      case Role::Coordinates:
        if (!number && feature_.bad.empty()) feature_.bad = text ? "\"" + value + "\"" : value;
        feature_.coordinates.push_back(value);
        break;
      case Role::Properties:
        if (number || text) {
          if (f.key == "id") feature_.id = value;
          else if (f.key == "name") feature_.name = value;
          else if (f.key == "code") feature_.code = value;
          else if (f.key == "comment") feature_.comment = value;
          else if (f.key == "description") feature_.description = value;
        }
        break;
      case Role::CrsProperties:
        if (f.key == "name" && text) grid_ = !IsWgs84Name(value);
        break;
      default: break;
    }
    return true;
  }

  void Emit() {
    const std::string where = std::to_string(feature_.line);
    if (!feature_.hasGeometry) {
      module_.Note(kTextNoCoordinates, where);
      return;
    }
    if (feature_.type != "Point") {
      module_.Note(kTextNotAPoint, where, feature_.type.empty() ? "?" : feature_.type);
      return;
    }
    if (!feature_.bad.empty() || feature_.nested || feature_.coordinates.size() < 2) {
      module_.Note(kTextNotANumber, where, feature_.bad.empty() ? "[...]" : feature_.bad);
      return;
    }
    GisPoint p;
    // The point number: the "id" property, else "name", else the feature's id.
    const std::string& id = !feature_.id.empty() ? feature_.id : !feature_.name.empty() ? feature_.name : feature_.featureId;
    p.Punktnummer = module_.FromUtf8(id, where);
    p.Code1 = module_.FromUtf8(feature_.code, where);
    p.Kommentar = module_.FromUtf8(feature_.comment.empty() ? feature_.description : feature_.comment, where);
    const std::vector<std::string>& c = feature_.coordinates;
    const std::string height = c.size() > 2 ? c[2] : std::string();
    if (grid_) {
      auto y = GisNumber(c[0]), x = GisNumber(c[1]);
      auto h = height.empty() ? std::optional<std::string>("") : GisNumber(height);
      if (!y || !x || !h) {
        module_.Note(kTextNotANumber, where, c[0]);
        return;
      }
      p.Y = *y;
      p.X = *x;
      p.Hoehe = *h;
    } else if (!module_.FromGeographic(c[0], c[1], height, where, p)) {
      return;
    }
    module_.Emit(p);
  }

  TdmGeoJSON& module_;
  bool grid_;
  std::vector<Frame> stack_;
  Feature feature_;
  std::string rootType_;
};

TdmGeoJSON::TdmGeoJSON(TDFD& dfd) : TdmGisFormat("dmGeoJSON", dfd, *dfd.GeoJSON) { AddOption(kSettingGrid, "0"); }

bool TdmGeoJSON::Geographic() const { return !IsSet(Option(kSettingGrid)); }

// The active system for the "crs" member: EPSG codes as OGC names, other
// system texts as they are.
std::string TdmGeoJSON::CrsName() {
  std::string text;
  if (TCoordinateSystem* cs = ActiveCoordinateSystem();
      cs && !cs->Disabled() && cs->ActivateFromSettings() == TCoordinateSystem::State::Usable)
    text = cs->Block().SystemText();
  if (text.empty()) text = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingGpsSystem), "");
  if (AnsiUpperCase(text).rfind("EPSG:", 0) == 0) return "urn:ogc:def:crs:EPSG::" + text.substr(5);
  return text;
}

std::vector<std::string> TdmGeoJSON::Head() {
  std::vector<std::string> head{"{", "\"type\": \"FeatureCollection\","};
  if (!Geographic()) {
    const std::string name = CrsName();
    if (!name.empty()) head.push_back("\"crs\": {\"type\": \"name\", \"properties\": {\"name\": " + Quoted(name) + "}},");
  }
  head.push_back("\"features\": [");
  return head;
}

std::vector<std::string> TdmGeoJSON::Tail() { return {"]", "}"}; }

// Features are separated by commas: every line but the last gets one.
void TdmGeoJSON::FinishBody(LineList& lines, size_t first) {
  for (size_t i = first; i + 1 < lines.size(); ++i) lines.Replace(i, std::string(lines[i]) + ',');
}

std::string TdmGeoJSON::PointElement(const GisPoint& p) {
  std::string coordinates;
  if (Geographic()) {
    auto g = ToGeographic(p);
    if (!g) return kWriteError;
    coordinates = g->lon + "," + g->lat + (g->height.empty() ? std::string() : "," + g->height);
  } else {
    coordinates = p.Y + "," + p.X + (p.Hoehe.empty() ? std::string() : "," + p.Hoehe);
  }
  return "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[" + coordinates +
         "]},\"properties\":{\"id\":" + Quoted(p.Punktnummer) + ",\"code\":" + Quoted(p.Code1) +
         ",\"comment\":" + Quoted(p.Kommentar) + "}}";
}

bool TdmGeoJSON::IsDocument(const std::string& text) const {
  size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  at = text.find_first_not_of(" \t\r\n", at);
  return at != std::string::npos && text[at] == '{' && text.find("\"type\"") != std::string::npos &&
         text.find("\"Feature") != std::string::npos;
}

template <class Iterator>
void TdmGeoJSON::ParseRange(Iterator first, Iterator last, size_t& line) {
  GeoJsonEvents events(*this, !Geographic(), line);
  JsonReader<Iterator>(first, last).Read(events);
}

void TdmGeoJSON::Parse(const std::string& bytes) {
  const size_t skip = bytes.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
  size_t line = 1;
  ParseRange(LineCountingIterator(bytes.data() + skip, &line),
                    LineCountingIterator(bytes.data() + bytes.size(), &line), line);
}

void TdmGeoJSON::ParseLines(const LineList& lines) {
  if (lines.empty()) return Parse({});
  const size_t skip = lines[0].compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
  size_t line = 1;
  ParseRange(LinesIterator(&lines, 0, skip, &line), LinesIterator(&lines, lines.size(), 0, &line), line);
}

}  // namespace veltro
