// Tavrin: the library of the ProMark 500 receiver. It takes only its own
// coordinate records, one per line, without handshake:
//   point;easting;northing;height;code      e.g. "P17;2600012.345;1200034.567;512.300;MAUER"
#include <algorithm>
#include <string_view>

#include "library/LibraryEngine.h"

namespace veltro {
namespace {

constexpr int kTavrinFormatNumber = 14;  // `Order` of the data format TAVRIN
constexpr int kRecordSeparators = 4;     // five fields

// "kTAVRIN" when the first line (up to its CR) holds exactly four ";".
std::string TavrinShapeTag(const std::string& text) {
  if (text.find("\r\n") == std::string::npos) return {};
  const std::string_view first(text.data(), text.find('\r') + 1);
  return std::count(first.begin(), first.end(), ';') == kRecordSeparators ? "kTAVRIN" : "";
}

}  // namespace

const TLibraryProfile& LibraryProfile() {
  static const TLibraryProfile profile = [] {
    TLibraryProfile p{};
    p.name = "Tavrin";
    p.formatNumbers = {kTavrinFormatNumber};
    p.shapeTag = TavrinShapeTag;
    p.preferredFormats = "TAVRIN";
    p.acceptedTags = "kTAVRIN";
    p.flowControls = TValidFlowControl{tfcNone};
    return p;
  }();
  return profile;
}

}  // namespace veltro
