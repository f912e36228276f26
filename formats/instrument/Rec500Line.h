// The lines of a Zeiss REC 500 coordinate listing, as the program writes them
// and as the recorders do. Columns count from 1:
//
//            1111111111222222222233333333334444444444555555555566666666667777777777
//   1234567890123456789012345678901234567890123456789012345678901234567890123456789
//         1 P1                        K Y     1234.500 X      2345.600 Z   400.000
//      0003                1001 MAUER   X  1200456.789 Y   2600123.456 Z   456.123
//
//   1-7    line number (right-aligned; recorders write four digits, zero-filled)
//   9-22   point number, left-aligned, then 23-35 the code, right-aligned
//          (the program's placement, recognised by a character in column 9);
//   9-27   point number, right-aligned, then 28-35 the code, with or without
//          a blank between them (the recorders' placement, column 9 blank)
//   37, 52, 68   the letters X (northing), Y (easting), Z (height), each in
//          any of the three columns; the value follows the letter up to the
//          blank before the next letter column (the last one to the line end)
//
// Lines of the related dialects (R4, R5, and Rec E in the M5 layout) start
// with the dialect's name and hold "|"-separated fields:
//
//   For M5|Adr 00012|PI1        1001 MAUER  |X     1200000.000 m  |...
//
// This unit serves the detector too, so it is built into the program and
// into the instrument library: it depends on core's text utilities only.
#pragma once

#include <string>
#include <string_view>

namespace veltro {

// 0-based positions and widths of the fields (columns above minus one).
inline constexpr size_t kRec500LineNumberEnd = 7;                // columns 1-7
inline constexpr size_t kRec500PointStart = 8;                   // column 9
inline constexpr size_t kRec500PointWidth = 14;                  // program: columns 9-22
inline constexpr size_t kRec500CodeEnd = 35;                     // code ends in column 35
inline constexpr size_t kRec500RecorderPointEnd = 27;            // recorder: point number ends in column 27
inline constexpr size_t kRec500LetterColumns[3] = {36, 51, 67};  // columns 37, 52, 68
// Widths of the written values: Y 12, X 13, Z 9 characters, 3 decimals.
inline constexpr int kRec500WidthY = 12;
inline constexpr int kRec500WidthX = 13;
inline constexpr int kRec500WidthZ = 9;
inline constexpr int kRec500CodeWidth = 13;
inline constexpr int kRec500Decimals = 3;
// Written line numbers run from 1 to 9999 and then wrap to 0, so that the
// columns never move.
inline constexpr int kRec500LineNumberModulus = 10000;

enum class Rec500LineType {
  Other,       // heading, parameter or height line, END, empty: carries no coordinate
  Coordinate,  // X and Y (and perhaps Z)
  NoPosition,  // a height, or only one of X and Y: no complete position
  BadValue,    // a letter whose value is not a number
  Dialect,     // a line of R4, R5 or Rec E (M5 layout)
};

struct Rec500Line {
  Rec500LineType type = Rec500LineType::Other;
  std::string point;    // trimmed
  std::string code;     // trimmed
  std::string x, y, z;  // values as written (trimmed); "" when absent
};

// Reads one line (without its line end; a trailing CR and blanks are
// allowed). Never reads past the end of the line.
Rec500Line ReadRec500Line(std::string_view line);

// The line test shared by the detector and the format: X and Y values in the
// letter columns.
inline bool IsRec500CoordinateLine(std::string_view line) {
  return ReadRec500Line(line).type == Rec500LineType::Coordinate;
}

}  // namespace veltro
