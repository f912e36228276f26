// The dialog's texts: the lines passed to SetLanguageStrings, with German
// defaults for the lines the library uses when a line is missing or empty.
#pragma once

#include <string>
#include <vector>

namespace veltro::wgsxyz {

inline constexpr int kTextOk = 98;
inline constexpr int kTextCancel = 99;
inline constexpr int kTextCaption = 760;
inline constexpr int kTextColumns = 761;       // list items: one per column
inline constexpr int kTextGroups = 762;        // list items: one per Group
inline constexpr int kTextEpsgLabel = 763;
inline constexpr int kTextAdd = 764;
inline constexpr int kTextEllipsoidalNote = 765;
inline constexpr int kTextGeoidNote = 766;     // %s: the height system
inline constexpr int kTextEllipsoidal = 767;
inline constexpr int kTextNotUsable = 768;
inline constexpr int kTextUnknownSystem = 769;  // %s: the system text

// Stores the lines of texts (CR LF, LF or CR between them); NULL clears.
void SetLanguageLines(const char* texts);

// The text by number (code page 1252).
std::string Text(int number);
// The "¦"-separated parts of a text.
std::vector<std::string> TextParts(int number);
// The text with its first "%s" replaced by value.
std::string TextWith(int number, const std::string& value);

}  // namespace veltro::wgsxyz
