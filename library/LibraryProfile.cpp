// The profiles of the family libraries, one row per library: the data
// formats of the instruments that name it (their `ValidGeraeteFormate`), the
// flow controls they accept, and the protocol figures. A library is built
// with VELTRO_LIBRARY_NAME set to its row's name.
#include <string>
#include <string_view>

#include "library/LibraryEngine.h"

namespace veltro {
namespace {

// Format names by format number (`Order`).
constexpr const char* kFormatNames[] = {"FC5",   "FC6",    "GTS6",  "GTS6x", "GTS7", "DL100", "GSI8",
                                        "GSI16", "REC500", "RECE",  "AP700", "SDR2x", "SDR33", "NMEA",
                                        "TAVRIN", "MMW",   "OTS",   "OGTS7", "DC1",  "RW5"};
constexpr const char* kKinds[] = {"d", "k", "p", "q", "l"};

// The recognition looks at as much of the data as the program does.
constexpr std::size_t kRecognitionChars = 1024;
constexpr const char* kEndMarks = "\x04\x1a";  // EOT, SUB
constexpr int kRetries = 3;
constexpr int kNmeaFormat = 13, kMmwFormat = 15;                     // a block is asked for / sent again this often

struct TProfileRow {
  const char* name;
  const char* formats;  // ";"-separated, in the order the recognition tries them
  TValidFlowControl flows;
};

// clang-format off
const TProfileRow kProfiles[] = {
    {"CR1",       "FC5",                {tfcACKNAK}},
    {"GTS6",      "GTS6",               {tfcNone, tfcXONXOFF}},
    {"GTS210",    "GTS6;GTS6x",         {tfcNone, tfcACKNAK}},
    {"GPT1000",   "GTS6;GTS6x",         {tfcXONXOFF, tfcACKNAK}},
    {"GTS700",    "FC5;GTS6;GTS7",      {tfcXONXOFF, tfcACKNAK}},
    {"FS2",       "FC5;GTS6;GTS7;FC6",  {tfcNone, tfcXONXOFF, tfcCTSRTS, tfcACKNAK}},
    {"DL100",     "DL100",              {tfcACKNAK}},
    {"GIF10",     "GSI8",               {tfcNone, tfcXONXOFF, tfcCTSRTS, tfcACKNAK, tfcGSI}},
    {"TC600",     "GSI8;GSI16",         {tfcGSI}},
    {"TPS100",    "GSI8;GSI16",         {tfcGSI}},
    {"TPS110",    "GSI8;GSI16",         {tfcGSI}},
    {"TPS700",    "GSI8;GSI16",         {tfcGSI}},
    // The catalogue accepts no setting of the TPS 1100: what it would use.
    {"TPS1100",   "GSI8;GSI16",         {tfcNone, tfcGSI}},
    {"TC1600",    "GSI8",               {tfcGSI}},
    {"REC500",    "REC500",             {tfcXONXOFF, tfcREC500}},
    {"DTM700",    "AP700",              {tfcXONXOFF, tfcCTSRTS}},
    {"SDR33",     "SDR2x;SDR33",        {tfcXONXOFF}},
    {"ProMark2",  "NMEA",               {tfcNone}},
    {"MobMapOf",  "MMW",                {tfcNone}},
    {"SurvCE",    "RW5",                {tfcNone}},
    {"OTS600",    "OGTS7",              {tfcNone, tfcXONXOFF}},
    {"OTS",       "OTS",                {tfcNone}},
    {"Pentax300", "DC1",                {tfcACKNAK}},
    // Instruments without a library of their own: NA2002/NA3003 (GSI),
    // DiNi (REC 500 over XON/XOFF), Meridian, MAP 330, Sportrak (NMEA).
    {"Dummy",     "GSI8;REC500;NMEA",   {tfcNone, tfcXONXOFF, tfcGSI, tfcREC500}},
};
// clang-format on

std::vector<std::string> Split(std::string_view list) {
  std::vector<std::string> parts;
  while (!list.empty()) {
    const size_t p = list.find(';');
    parts.emplace_back(list.substr(0, p));
    list = p == std::string_view::npos ? std::string_view() : list.substr(p + 1);
  }
  return parts;
}

TLibraryProfile MakeProfile(std::string_view name) {
  TLibraryProfile profile{};
  profile.name = "unknown library";
  for (const TProfileRow& row : kProfiles) {
    if (name != row.name) continue;
    profile.name = row.name;
    profile.preferredFormats = row.formats;
    profile.flowControls = row.flows;
    std::vector<std::string> names = Split(row.formats);
    for (const std::string& format : names)
      for (int n = 0; n < static_cast<int>(std::size(kFormatNames)); ++n)
        if (format == kFormatNames[n]) profile.formatNumbers.push_back(n);
    // FC-6 text is recognised as GTS-7 text.
    if (std::string(row.formats).find("FC6") != std::string::npos) names.push_back("GTS7");
    for (const std::string& format : names)
      for (const char* kind : kKinds) profile.acceptedTags += ";" + std::string(kind) + format;
    profile.acceptedTags += ";";
  }
  profile.recognitionChars = kRecognitionChars;
  profile.silenceEndsData = true;
  profile.endMarks = kEndMarks;
  profile.retries = kRetries;
  // The GPS receivers send their waypoints on request.
  for (const int n : profile.formatNumbers)
    if (n == kNmeaFormat || n == kMmwFormat) profile.requestFormats.push_back(n);
  return profile;
}

}  // namespace

const TLibraryProfile& LibraryProfile() {
  static const TLibraryProfile profile = MakeProfile(VELTRO_LIBRARY_NAME);
  return profile;
}

}  // namespace veltro
