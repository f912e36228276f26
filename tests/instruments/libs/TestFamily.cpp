// A family library for the transfer tests: the library engine taking every
// format number and every tag, over plain lines (no handshake or XON/XOFF),
// so that any instrument of the catalogue can be played by the simulator or
// read from its files. Tests install it under the instrument's library name.
#include <string>

#include "library/LibraryEngine.h"

namespace veltro {
namespace {

constexpr int kFormatCount = 20;  // `Order` 0 to 19
const char* const kFormatNames[] = {"FC5",   "FC6",  "GTS6",  "GTS6x", "GTS7",   "DL100", "GSI8",
                                    "GSI16", "REC500", "RECE", "AP700", "SDR2x", "SDR33", "NMEA",
                                    "TAVRIN", "MMW",  "OTS",   "OGTS7", "DC1",    "RW5"};

std::vector<int> AllFormatNumbers() {
  std::vector<int> numbers;
  for (int n = 0; n < kFormatCount; ++n) numbers.push_back(n);
  return numbers;
}

// Every kind letter before every format name.
std::string AllTags() {
  std::string tags;
  for (const char* kind : {"d", "k", "p", "q", "l"})
    for (const char* name : kFormatNames) tags += std::string(kind) + name + ";";
  return tags;
}

}  // namespace

const TLibraryProfile& LibraryProfile() {
  static const TLibraryProfile profile = [] {
    TLibraryProfile p{};
    p.name = "TestFamily";
    p.formatNumbers = AllFormatNumbers();
    p.acceptedTags = AllTags();
    p.flowControls = TValidFlowControl{tfcNone, tfcXONXOFF};
    return p;
  }();
  return profile;
}

}  // namespace veltro
