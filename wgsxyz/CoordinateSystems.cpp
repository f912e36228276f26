#include "wgsxyz/CoordinateSystems.h"

#include <proj_experimental.h>

#include <cmath>
#include <cstring>

#include "platform/CodePage1252.h"
#include "platform/FileLookup.h"

namespace veltro::wgsxyz {
namespace {

constexpr int kWgs84Geographic3D = 4979;
constexpr int kWgs84Geographic2D = 4326;
constexpr double kRoundTripTolerance = 1e-5;  // metres; residual after refining an inverse
constexpr double kRoundTripLimit = 1e-3;      // metres; worse than this counts as failed
constexpr int kRefineSteps = 5;

struct PjDeleter {
  void operator()(PJ* p) const { proj_destroy(p); }
};
using PjPtr = std::unique_ptr<PJ, PjDeleter>;

struct Area {
  double west = -180, south = -90, east = 180, north = 90;
  bool Contains(double lon, double lat) const {
    if (lat < south || lat > north) return false;
    if (west <= east) return lon >= west && lon <= east;
    return lon >= west || lon <= east;  // across the antimeridian
  }
};

void AddArea(PJ_CONTEXT* ctx, PJ* object, std::vector<Area>& areas) {
  Area a;
  const char* name = nullptr;
  if (proj_get_area_of_use(ctx, object, &a.west, &a.south, &a.east, &a.north, &name) && a.west > -1000) areas.push_back(a);
}

bool InAreas(const std::vector<Area>& areas, double lon, double lat) {
  for (const Area& a : areas)
    if (!a.Contains(lon, lat)) return false;
  return true;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// Code of an "EPSG:<digits>" text, 0 when it is none.
int EpsgCode(const std::string& text) {
  static const std::string kPrefix = "EPSG:";
  if (text.size() <= kPrefix.size() || !EqualIgnoringCase(text.substr(0, kPrefix.size()), kPrefix)) return 0;
  std::string digits = text.substr(kPrefix.size());
  if (digits.size() > 9) return 0;
  for (char c : digits)
    if (c < '0' || c > '9') return 0;
  return std::stoi(digits);
}

std::string Name(PJ* object, size_t maxBytes) {
  const char* name = proj_get_name(object);
  std::string text = Utf8ToAnsi(name ? name : "");
  if (text.size() > maxBytes) text.resize(maxBytes);
  return text;
}

PJ_OBJ_LIST* CreateOperationList(PJ_CONTEXT* ctx, PJ* source, PJ* target) {
  PJ_OPERATION_FACTORY_CONTEXT* factory = proj_create_operation_factory_context(ctx, nullptr);
  if (!factory) return nullptr;
  proj_operation_factory_context_set_grid_availability_use(ctx, factory,
                                                           PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
  proj_operation_factory_context_set_allow_ballpark_transformations(ctx, factory, 0);
  proj_operation_factory_context_set_spatial_criterion(ctx, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
  PJ_OBJ_LIST* list = proj_create_operations(ctx, source, target, factory);
  proj_operation_factory_context_destroy(factory);
  return list;
}

// The first operation in PROJ's order of preference that uses no ballpark
// step and has every grid at hand; with needAccuracy its accuracy must be
// stated, with needGrid it must use a grid. The result takes longitude,
// latitude, height and gives easting, northing (or the target's longitude,
// latitude) and height.
PjPtr BestOperation(PJ_CONTEXT* ctx, PJ* source, PJ* target, bool needAccuracy, bool needGrid, double& accuracy,
                    std::vector<Area>& areas) {
  PJ_OBJ_LIST* list = CreateOperationList(ctx, source, target);
  if (!list) return nullptr;
  PjPtr chosen;
  const int count = proj_list_get_count(list);
  for (int i = 0; i < count && !chosen; ++i) {
    PjPtr op(proj_list_get(ctx, list, i));
    if (!op || proj_coordoperation_has_ballpark_transformation(ctx, op.get())) continue;
    if (!proj_coordoperation_is_instantiable(ctx, op.get())) continue;
    const double stated = proj_coordoperation_get_accuracy(ctx, op.get());
    if (needAccuracy && stated < 0) continue;
    if (needGrid && proj_coordoperation_get_grid_used_count(ctx, op.get()) == 0) continue;
    PjPtr normalised(proj_normalize_for_visualization(ctx, op.get()));
    if (!normalised) continue;
    accuracy = stated;
    AddArea(ctx, op.get(), areas);
    chosen = std::move(normalised);
  }
  proj_list_destroy(list);
  return chosen;
}

// PROJ keeps the input height aside around a datum shift ("push" and "pop"
// of the third coordinate) so that the height comes out as it went in. The
// horizontal operation's height is never used, so it is rebuilt without
// that pair: the same steps on the plane coordinates, two steps fewer.
PjPtr WithoutKeptHeight(PJ_CONTEXT* ctx, PJ* op) {
  const char* definition = proj_as_proj_string(ctx, op, PJ_PROJ_5, nullptr);
  if (!definition) return nullptr;
  std::string text = std::string(definition) + " ";
  static const std::string kPush = " +step +proj=push +v_3 ", kPop = " +step +proj=pop +v_3 ";
  const size_t push = text.find(kPush), pop = text.find(kPop);
  if (push == std::string::npos || pop == std::string::npos || pop < push) return nullptr;
  text.erase(pop, kPop.size() - 1);
  text.erase(push, kPush.size() - 1);
  if (text.find("+proj=push") != std::string::npos || text.find("+proj=pop") != std::string::npos) return nullptr;
  return PjPtr(proj_create(ctx, text.c_str()));
}

bool Apply(PJ* op, PJ_DIRECTION direction, const Triple& in, Triple& out) {
  proj_errno_reset(op);
  PJ_COORD c = proj_trans(op, direction, proj_coord(in.a, in.b, in.c, 0));
  out = {c.v[0], c.v[1], c.v[2]};
  return proj_errno(op) == 0 && std::isfinite(out.a) && std::isfinite(out.b) && std::isfinite(out.c) &&
         std::fabs(out.a) < 1e15 && std::fabs(out.b) < 1e15;
}

CatalogueEntry Entry(std::string text, std::string name, int epsg, int vertical, bool grid, Group group) {
  return CatalogueEntry{std::move(text), std::move(name), epsg, vertical, grid, group};
}

}  // namespace

const std::vector<CatalogueEntry>& Catalogue() {
  static const std::vector<CatalogueEntry> entries = [] {
    constexpr int kLN02 = 5728, kDHHN92 = 5783, kEGM96 = 5773;
    std::vector<CatalogueEntry> list;
    list.push_back(Entry(kDefaultSystem, "CH1903 / LV03", 21781, kLN02, true, Group::Switzerland));
    list.push_back(Entry("41;CH95", "CH1903+ / LV95", 2056, kLN02, false, Group::Switzerland));
    for (int zone = 2; zone <= 5; ++zone)
      list.push_back(Entry("49;GK" + std::to_string(zone), "DHDN / Gau\xDF-Kr\xFCger Streifen " + std::to_string(zone),
                           31464 + zone, kDHHN92, false, Group::Germany));
    for (int zone = 31; zone <= 33; ++zone)
      list.push_back(Entry("0;ETRS" + std::to_string(zone), "ETRS89 / UTM " + std::to_string(zone) + "N", 25800 + zone,
                           0, false, Group::EtrsUtm));
    for (int south = 0; south <= 1; ++south)
      for (int zone = 1; zone <= 60; ++zone) {
        const std::string z = std::to_string(zone) + (south ? "S" : "N");
        list.push_back(Entry("0;UTM" + z, "WGS 84 / UTM " + z, (south ? 32700 : 32600) + zone, kEGM96, false,
                             south ? Group::WgsUtmSouth : Group::WgsUtmNorth));
      }
    return list;
  }();
  return entries;
}

std::string NormaliseSystemText(const std::string& text) {
  std::string trimmed = Trim(text);
  for (const CatalogueEntry& e : Catalogue())
    if (EqualIgnoringCase(e.text, trimmed)) return e.text;
  if (int code = EpsgCode(trimmed)) return "EPSG:" + std::to_string(code);
  return trimmed;
}

struct CoordinateSystems::Vertical {
  PjPtr op;  // longitude, latitude, ellipsoidal height -> longitude, latitude, height
  std::vector<Area> areas;
  std::string name;
};

struct CoordinateSystems::Prepared {
  SystemInfo info;
  PjPtr horizontal;
  std::vector<Area> areas;
  std::shared_ptr<Vertical> vertical;  // none: ellipsoidal heights
};

CoordinateSystems::CoordinateSystems(bool slimOperations) : slimOperations_(slimOperations) {}

CoordinateSystems::~CoordinateSystems() {
  prepared_.clear();
  verticals_.clear();
  if (context_) proj_context_destroy(context_);
}

CoordinateSystems& Systems() {
  static CoordinateSystems systems;
  return systems;
}

void CoordinateSystems::Reset(const std::string& directory) {
  last_ = nullptr;
  lastText_.clear();
  prepared_.clear();
  verticals_.clear();
  if (context_) proj_context_destroy(context_);
  context_ = nullptr;

  searchDirectories_.clear();
  std::string dir = directory;
  for (char& c : dir)
    if (c == '\\') c = '/';
  if (!dir.empty()) searchDirectories_.push_back(dir.back() == '/' ? dir : dir + "/");
  const char* defaults = proj_info().searchpath;
  std::string paths = defaults ? defaults : "";
  size_t start = 0;
  while (start <= paths.size()) {
    size_t colon = paths.find(':', start);
    if (colon == std::string::npos) colon = paths.size();
    if (colon > start) searchDirectories_.push_back(paths.substr(start, colon - start) + "/");
    start = colon + 1;
  }

  context_ = proj_context_create();
  proj_log_level(context_, PJ_LOG_NONE);
  proj_context_set_file_finder(
      context_, [](PJ_CONTEXT*, const char* name, void* self) { return static_cast<CoordinateSystems*>(self)->FindFile(name); },
      this);
}

void CoordinateSystems::EnsureContext() {
  if (!context_) Reset("");
}

const char* CoordinateSystems::FindFile(const char* name) {
  if (!name || !*name || std::strchr(name, '/')) return nullptr;
  for (const std::string& dir : searchDirectories_) {
    foundFile_ = FindFileIgnoringCase(dir, name);
    if (!foundFile_.empty()) return foundFile_.c_str();
  }
  return nullptr;
}

std::shared_ptr<CoordinateSystems::Vertical> CoordinateSystems::PrepareVertical(PJ* verticalCrs) {
  const char* auth = proj_get_id_auth_name(verticalCrs, 0);
  const char* code = proj_get_id_code(verticalCrs, 0);
  const std::string key = auth && code ? std::string(auth) + ":" + code : Name(verticalCrs, 200);
  auto cached = verticals_.find(key);
  if (cached != verticals_.end()) return cached->second;

  std::shared_ptr<Vertical> result;
  PjPtr source(proj_create_from_database(context_, "EPSG", std::to_string(kWgs84Geographic3D).c_str(),
                                         PJ_CATEGORY_CRS, 0, nullptr));
  PjPtr geographic(proj_create_from_database(context_, "EPSG", std::to_string(kWgs84Geographic2D).c_str(),
                                             PJ_CATEGORY_CRS, 0, nullptr));
  if (source && geographic) {
    PjPtr target(proj_create_compound_crs(context_, "WGS 84 + heights", geographic.get(), verticalCrs));
    auto v = std::make_shared<Vertical>();
    double accuracy = -1;
    if (target) v->op = BestOperation(context_, source.get(), target.get(), false, false, accuracy, v->areas);
    if (v->op) {
      AddArea(context_, verticalCrs, v->areas);
      v->name = Name(verticalCrs, kSystemNameSize - 1);
      result = v;
    }
  }
  verticals_[key] = result;
  return result;
}

CoordinateSystems::Prepared& CoordinateSystems::Prepare(std::string_view text) {
  if (last_ && text == lastText_) return *last_;
  EnsureContext();
  const std::string normalised = NormaliseSystemText(std::string(text));
  auto found = prepared_.find(normalised);
  if (found == prepared_.end()) {
    found = prepared_.emplace(normalised, std::make_unique<Prepared>()).first;
    PrepareSystem(normalised, *found->second);
  }
  last_ = found->second.get();
  lastText_ = text;
  return *last_;
}

void CoordinateSystems::PrepareSystem(const std::string& normalised, Prepared& prepared) {
  SystemInfo& info = prepared.info;
  info.text = normalised;

  CatalogueEntry entry;
  bool known = false;
  for (const CatalogueEntry& e : Catalogue())
    if (e.text == normalised) {
      entry = e;
      known = true;
    }
  if (!known) {
    entry.epsg = EpsgCode(normalised);
    known = entry.epsg != 0;
  }
  info.name = entry.name;
  info.group = entry.group;
  if (!known || normalised.size() >= kSystemTextSize) return;

  PjPtr crs(proj_create_from_database(context_, "EPSG", std::to_string(entry.epsg).c_str(), PJ_CATEGORY_CRS, 0,
                                      nullptr));
  if (!crs) return;
  PjPtr horizontal, vertical;
  if (proj_get_type(crs.get()) == PJ_TYPE_PROJECTED_CRS) {
    horizontal = std::move(crs);
  } else if (proj_get_type(crs.get()) == PJ_TYPE_COMPOUND_CRS) {
    horizontal.reset(proj_crs_get_sub_crs(context_, crs.get(), 0));
    vertical.reset(proj_crs_get_sub_crs(context_, crs.get(), 1));
    if (!horizontal || proj_get_type(horizontal.get()) != PJ_TYPE_PROJECTED_CRS) return;
    if (info.name.empty()) info.name = Name(crs.get(), kSystemNameSize - 1);
  } else {
    return;
  }
  if (info.name.empty()) info.name = Name(horizontal.get(), kSystemNameSize - 1);
  if (!vertical && entry.verticalEpsg)
    vertical.reset(proj_create_from_database(context_, "EPSG", std::to_string(entry.verticalEpsg).c_str(),
                                             PJ_CATEGORY_CRS, 0, nullptr));

  PjPtr source(proj_create_from_database(context_, "EPSG", std::to_string(kWgs84Geographic3D).c_str(),
                                         PJ_CATEGORY_CRS, 0, nullptr));
  if (!source) return;
  info.problem = Problem::NoTransformation;
  prepared.horizontal =
      BestOperation(context_, source.get(), horizontal.get(), true, entry.officialGrid, info.accuracy, prepared.areas);
  if (!prepared.horizontal) return;
  if (slimOperations_)
    if (PjPtr slim = WithoutKeptHeight(context_, prepared.horizontal.get())) prepared.horizontal = std::move(slim);
  AddArea(context_, horizontal.get(), prepared.areas);
  if (vertical) prepared.vertical = PrepareVertical(vertical.get());
  if (prepared.vertical) info.heightName = prepared.vertical->name;
  info.problem = Problem::None;
  return;
}

const SystemInfo& CoordinateSystems::Describe(const std::string& text) { return Prepare(text).info; }

bool CoordinateSystems::ToGrid(std::string_view text, const Triple& geographic, Triple& grid) {
  Prepared& p = Prepare(text);
  const double lon = geographic.a, lat = geographic.b;
  if (!p.info.Usable() || !geographic.Finite() || std::fabs(lat) > 90 || std::fabs(lon) > 180) return false;
  if (!InAreas(p.areas, lon, lat)) return false;
  Triple projected;
  if (!Apply(p.horizontal.get(), PJ_FWD, geographic, projected)) return false;
  double height = geographic.c;
  if (p.vertical) {
    Triple heights;
    if (!InAreas(p.vertical->areas, lon, lat) || !Apply(p.vertical->op.get(), PJ_FWD, geographic, heights)) return false;
    height = heights.c;
  }
  grid = {projected.a, projected.b, height};
  return true;
}

bool CoordinateSystems::ToGeographic(std::string_view text, const Triple& grid, Triple& geographic) {
  Prepared& p = Prepare(text);
  if (!p.info.Usable() || !grid.Finite()) return false;
  PJ* op = p.horizontal.get();
  Triple start;
  if (!Apply(op, PJ_INV, grid, start)) return false;
  double height = grid.c;
  if (p.vertical) {
    Triple heights;
    if (!InAreas(p.vertical->areas, start.a, start.b) ||
        !Apply(p.vertical->op.get(), PJ_INV, {start.a, start.b, grid.c}, heights))
      return false;
    height = heights.c;
    if (!Apply(op, PJ_INV, {grid.a, grid.b, height}, start)) return false;
  }
  // PROJ's inverse of a datum shift that keeps the height aside is only
  // close; a few corrections make the result convert back to the grid.
  Triple result = start;
  double residual = 0;
  for (int step = 0; step <= kRefineSteps; ++step) {
    Triple forward, back;
    if (!Apply(op, PJ_FWD, {result.a, result.b, height}, forward)) return false;
    residual = std::hypot(forward.a - grid.a, forward.b - grid.b);
    if (residual < kRoundTripTolerance || step == kRefineSteps) break;
    if (!Apply(op, PJ_INV, {forward.a, forward.b, height}, back)) return false;
    result.a += start.a - back.a;
    result.b += start.b - back.b;
  }
  if (residual > kRoundTripLimit) return false;
  if (std::fabs(result.b) > 90 || !InAreas(p.areas, result.a, result.b)) return false;
  geographic = {result.a, result.b, height};
  return true;
}

}  // namespace veltro::wgsxyz
