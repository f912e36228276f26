// Number, picture and date parsing on texts from files.
// Input: text NUL picture-or-layout NUL n
#include <cstdint>

#include "core/TextUtils.h"
#include "platform/MessageBox.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2048) return 0;
  static veltro::ScriptedMessageBox box;
  veltro::SetMessageBoxBackend(&box);
  box.Clear();
  auto parts = veltro::fuzz::Parts(data, size, 3);
  const std::string& text = parts[0];
  const std::string& pattern = parts[1];
  int n = parts[2].empty() ? 3 : static_cast<signed char>(parts[2][0]);
  (void)veltro::ParseNumber(text);
  (void)veltro::ReformatNumber(text, n);
  (void)veltro::ScaleNumber(text, n);
  (void)veltro::FormatPicture(text, pattern);
  double d = veltro::ParseDate(pattern, text);
  double t = veltro::ParseTime(pattern, text);
  (void)veltro::FormatDate(pattern, d);
  (void)veltro::FormatTime(pattern, t);
  (void)veltro::FilterExtension(text);
  std::string s = text;
  veltro::ReplaceAll(s, pattern, "x");
  (void)veltro::ReplaceText(text, pattern, "y", n & 3);
  (void)veltro::FieldAt(text, ';', n);
  (void)veltro::ReplaceField("v", text, ';', n & 63);
  return 0;
}
