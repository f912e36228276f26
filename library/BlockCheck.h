// The block checks of the acknowledged line protocols, shared by the
// instrument libraries and the instrument simulator.
#pragma once

#include <cctype>
#include <cstdio>
#include <string>

namespace veltro {

inline constexpr char kAck = '\x06';
inline constexpr char kNak = '\x15';
inline constexpr char kEot = '\x04';
inline constexpr char kSub = '\x1a';  // end of the data of the GSI protocol
inline constexpr char kDc1 = '\x11';  // REC 500: ready
inline constexpr std::size_t kGsi8WordChars = 16;
inline constexpr std::size_t kGsi16WordChars = 24;  // after a leading "*"

// Two upper-case hex digits of the byte sum of text modulo 256.
inline std::string Sum8Hex(const std::string& text) {
  unsigned sum = 0;
  for (unsigned char c : text) sum += c;
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02X", sum % 256u);
  return buf;
}

// text + Sum8Hex(text): text is block without its check digits.
inline bool CheckSum8Hex(const std::string& block, std::string& text) {
  if (block.size() < 2) return false;
  text = block.substr(0, block.size() - 2);
  return block.compare(block.size() - 2, 2, Sum8Hex(text)) == 0;
}

// GSI words: 16 characters each (24 after a leading "*"), two digits first
// and a blank last.
inline bool CheckGsiWords(const std::string& block) {
  const bool wide = !block.empty() && block[0] == '*';
  const std::size_t width = wide ? kGsi16WordChars : kGsi8WordChars;
  const std::string words = wide ? block.substr(1) : block;
  if (words.empty() || words.size() % width != 0) return false;
  for (std::size_t w = 0; w < words.size(); w += width)
    if (!std::isdigit(static_cast<unsigned char>(words[w])) ||
        !std::isdigit(static_cast<unsigned char>(words[w + 1])) || words[w + width - 1] != ' ')
      return false;
  return true;
}

// The GPS receivers' command protocol: the request for the waypoints and
// the sentence that ends them.
inline constexpr const char* kGpsRequest = "PMGNCMD,WAYPOINT";
inline constexpr const char* kGpsEnd = "PMGNCMD,END";

// "$" + body + "*" + the XOR of the body's characters as two hex digits.
inline std::string NmeaSentence(const std::string& body) {
  unsigned x = 0;
  for (unsigned char c : body) x ^= c;
  char buf[4];
  std::snprintf(buf, sizeof buf, "*%02X", x);
  return "$" + body + buf;
}

}  // namespace veltro
