// Code page 1252 (the program's 8-bit text) to and from UTF-8, for terminals
// and toolkits. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the code page
// leaves undefined, map to the C1 controls of the same value and back.
#pragma once

#include <string>

namespace veltro {

std::string AnsiToUtf8(const std::string& text);
// Characters the code page lacks become '?'; invalid UTF-8 bytes are taken
// as Latin-1.
std::string Utf8ToAnsi(const std::string& text);

// Strict form: false (out unspecified) for invalid UTF-8 or a character the
// code page lacks.
bool Utf8ToAnsiExact(const std::string& text, std::string& out);

// Upper case of code page 1252 text: a-z, the accented letters 0xE0-0xFE
// but 0xF7, and the letters 0x9A, 0x9C, 0x9E, 0xFF; every other byte stays.
std::string AnsiUpperCase(std::string text);

// The Unicode code point of a code page 1252 byte, and back (0 when none).
char32_t Cp1252ToUnicode(unsigned char c);
int UnicodeToCp1252(char32_t u);

}  // namespace veltro
