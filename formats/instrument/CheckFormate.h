// Recognises the instrument format and file kind of a text: the file tag, a
// kind letter ("d" measurements, "k" coordinates, "p" point codes,
// "l" alignment, "q" cross sections) followed by the component name of the
// instrument data format ("kGSI8", "dGTS7"). Built into the program and the
// instrument library from the same sources: depends on the text utilities and
// the REC 500 line test only, never on the GUI or the catalogue.
#pragma once

#include <string>
#include <vector>

namespace veltro {

// Fixed order in which the detectors are tried.
inline constexpr const char* kDetectionOrder =
    "FC5;GTS6;GTS6x;GSI8;GSI16;DL100;REC500;RW5;SDR2x;SDR33;DC1;NMEA;TAVRIN;MMW;OTS;OGTS7;GTS7;AP700";

// Word indices of a GSI line: each word's first two characters, separated by
// single blanks, and the number of whole words.
struct TGSICodes {
  std::string Codes;
  int Anzahl = 0;
};

// Words of wordWidth characters; a trailing partial word is not counted.
TGSICodes GsiCodes(const std::string& line, int wordWidth);

// The tag of a text, trying the ";"-separated preferred candidates first and
// then the fixed order; "" when no detector recognises it. Any line ends are
// accepted (the text is compared as lines joined with CR LF) and leading
// empty lines are skipped.
std::string DetectFormat(const std::string& text, const std::string& preferred = "");

// One detector by candidate name; "" for an unknown name or no match. The
// text must already be in CR LF form (see NormalizeForDetection).
std::string DetectCandidate(const std::string& candidate, const std::string& text);

// Text with every line end as CR LF and leading empty lines removed.
std::string NormalizeForDetection(const std::string& text);

// The REC 500 coordinate line layout, shared with the catalogue.
inline constexpr const char* kRec500KoordinatenLayout =
    "   %4d %-14.14s%13.13s Y %12.3f X %13.3f Z %9.3f";

}  // namespace veltro
