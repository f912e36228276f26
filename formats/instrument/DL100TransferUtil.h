// What DL-100 lines share: the unit codes of their record keys, the scaling
// of the integer values, the check character and the cut into fields.
//
// A line is a record letter and fields, each followed by ","; the level ends
// every line with a check character and ",":
//
//   g,011,01500,02345,,3,2,P12,,1432,',
//     key "011" (unit code "1": readings in millimetres), reading 1.500 m,
//     time 14:32, check character "'"
//
// Values are integers in units of the key's unit code; a value not measured is
// an empty field.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltro {

// Decimals of the values of one unit code: A coordinates, readings and
// computed heights, B start and end heights, C and D the levelling output of
// the office formats. A code outside the table is not known (0, 3, 0, 0).
struct Dl100Unit {
  int a = 0;
  int b = 3;
  int c = 0;
  int d = 0;
  const char* name = "";  // appended to a shown height: " m", " foots"
  bool known = false;
};
Dl100Unit Dl100UnitOf(char unitCode);

// The unit code of a record key: its second character, "1" for a key shorter
// than two characters.
char Dl100UnitCode(const std::string& key);

// The integer text divided by 10 to the power of the column's decimals and
// written with that many decimals; a value with decimals of its own keeps
// them too ("12.5" with 3 is "0.0125"). An empty text, or one that is not a
// number, gives the empty text.
std::string Dl100ScaleA(const std::string& value, char unitCode);
std::string Dl100ScaleB(const std::string& value, char unitCode);
std::string Dl100ScaleC(const std::string& value, char unitCode);
std::string Dl100ScaleD(const std::string& value, char unitCode);
std::string Dl100UnitName(char unitCode);

// Levelling method of a record key: bits 2 and 3 of its first character
// (1 BF, 2 BFFB, 3 BBFF; 0 none). 0 for an empty key.
int Dl100MethodCode(const std::string& key);

// The sum of the bytes, kept to 8 bits, masked with 0x3F, plus 32.
char Dl100CheckChar(std::string_view text);

// The fields of a line, the record letter being field 0: every field ends at
// the next ","; a line end, the "," after the last field and a check
// character that matches what precedes it are no part of any field. Views
// into line.
std::vector<std::string_view> Dl100Fields(std::string_view line);

// An integer field as the running values take it: optional sign, digits
// (leading zeros allowed), blanks around; nullopt when empty, not such an
// integer or outside the range of a 32-bit integer.
std::optional<int> Dl100Integer(std::string_view field);

}  // namespace veltro
