// Serial settings of an instrument. The ordinal of every value (its position
// from 0) travels as a plain number across the instrument library interface
// and is stored in the settings: never reorder or renumber.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace veltro {

// Value n is serial port "COM"n; 0 is no port.
enum TPort : std::uint8_t {
  tptNone = 0,
  tptOne = 1,
  tptTwo = 2,
  tptThree = 3,
  tptFour = 4,
  tptFive = 5,
  tptSix = 6,
  tptSeven = 7,
  tptEight = 8,
};
constexpr int kPortCount = 9;

// The number is the bit rate in bit/s.
enum TBaudRate : std::uint8_t {
  tbr110 = 0,
  tbr300 = 1,
  tbr600 = 2,
  tbr1200 = 3,
  tbr2400 = 4,
  tbr4800 = 5,
  tbr9600 = 6,
  tbr14400 = 7,
  tbr19200 = 8,
  tbr38400 = 9,
  tbr56000 = 10,
  tbr57600 = 11,
  tbr115200 = 12,
  tbr230400 = 13,
  tbr460800 = 14,
  tbr921600 = 15,
};
constexpr int kBaudRateCount = 16;

enum TParity : std::uint8_t { tpNone = 0, tpOdd = 1, tpEven = 2, tpMark = 3, tpSpace = 4 };
constexpr int kParityCount = 5;

// 4 to 8 data bits.
enum TDataBits : std::uint8_t { tdbFour = 0, tdbFive = 1, tdbSix = 2, tdbSeven = 3, tdbEight = 4 };
constexpr int kDataBitsCount = 5;

enum TStopBits : std::uint8_t { tsbOne = 0, tsbOnePointFive = 1, tsbTwo = 2 };
constexpr int kStopBitsCount = 3;

// ACK/NAK, GSI and REC 500 are instrument protocols run inside the
// instrument libraries, not by the port.
enum TFlowControl : std::uint8_t {
  tfcNone = 0,
  tfcXONXOFF = 1,
  tfcCTSRTS = 2,
  tfcDSRDTR = 3,
  tfcACKNAK = 4,
  tfcGSI = 5,
  tfcREC500 = 6,
};
constexpr int kFlowControlCount = 7;

// "", "\r", "\n", "\r\n", "\n\r".
enum TEndofLine : std::uint8_t { teolNone = 0, teolCR = 1, teolLF = 2, teolCRLF = 3, teolLFCR = 4 };
constexpr int kEndofLineCount = 5;

// Number of values of each enumeration.
template <class E>
constexpr int EnumCount();
template <>
constexpr int EnumCount<TPort>() {
  return kPortCount;
}
template <>
constexpr int EnumCount<TBaudRate>() {
  return kBaudRateCount;
}
template <>
constexpr int EnumCount<TParity>() {
  return kParityCount;
}
template <>
constexpr int EnumCount<TDataBits>() {
  return kDataBitsCount;
}
template <>
constexpr int EnumCount<TStopBits>() {
  return kStopBitsCount;
}
template <>
constexpr int EnumCount<TFlowControl>() {
  return kFlowControlCount;
}
template <>
constexpr int EnumCount<TEndofLine>() {
  return kEndofLineCount;
}

// Whether n is the ordinal of a value of E.
template <class E>
constexpr bool IsOrdinalOf(int n) {
  return n >= 0 && n < EnumCount<E>();
}

// A set of values of E stored as a bit set: bit n is the value with ordinal n.
template <class E, class Bits>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }
  constexpr void Include(E v) { bits_ = static_cast<Bits>(bits_ | (Bits{1} << static_cast<int>(v))); }
  constexpr void Exclude(E v) { bits_ = static_cast<Bits>(bits_ & ~(Bits{1} << static_cast<int>(v))); }
  constexpr bool Contains(E v) const {
    const int n = static_cast<int>(v);
    return n >= 0 && n < static_cast<int>(sizeof(Bits) * 8) && (bits_ >> n) & 1;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Bits ToBits() const { return bits_; }
  static constexpr TEnumSet FromBits(Bits bits) {
    TEnumSet s;
    s.bits_ = bits;
    return s;
  }
  friend constexpr bool operator==(const TEnumSet&, const TEnumSet&) = default;

 private:
  Bits bits_ = 0;
};

using TValidBaudRate = TEnumSet<TBaudRate, std::uint16_t>;
using TValidDataBits = TEnumSet<TDataBits, std::uint8_t>;
using TValidStopBits = TEnumSet<TStopBits, std::uint8_t>;
using TValidParity = TEnumSet<TParity, std::uint8_t>;
using TValidFlowControl = TEnumSet<TFlowControl, std::uint8_t>;
using TValidEndofLine = TEnumSet<TEndofLine, std::uint8_t>;

// Bit rate in bit/s (110 ... 921600).
constexpr int BaudRateValue(TBaudRate b) {
  constexpr int kRates[kBaudRateCount] = {110,   300,   600,   1200,  2400,   4800,   9600,   14400,
                                          19200, 38400, 56000, 57600, 115200, 230400, 460800, 921600};
  return IsOrdinalOf<TBaudRate>(b) ? kRates[b] : 0;
}

// Names as the port explanation lists them: "4" ... "8" and "1", "1.5", "2".
inline std::string DataBitsName(TDataBits d) {
  return IsOrdinalOf<TDataBits>(d) ? std::to_string(4 + d) : std::string();
}
inline std::string StopBitsName(TStopBits s) {
  switch (s) {
    case tsbOne:
      return "1";
    case tsbOnePointFive:
      return "1.5";
    case tsbTwo:
      return "2";
  }
  return {};
}

// The characters that end a line on the serial line.
inline std::string EndofLineText(TEndofLine e) {
  switch (e) {
    case teolNone:
      return "";
    case teolCR:
      return "\r";
    case teolLF:
      return "\n";
    case teolCRLF:
      return "\r\n";
    case teolLFCR:
      return "\n\r";
  }
  return {};
}

}  // namespace veltro
