// The switch of the current instrument's data format when a line is not of
// that format: the general recognition names another format, which becomes
// the instrument's format when the instrument accepts it.
#pragma once

#include <string>

namespace veltro {

class TGeraete;

// The tag of S after the change. With the general recognition (all
// detectors, in their fixed order) answering tag "<kind><name>":
//   - name is the current format's component name: "" (nothing to change);
//   - name is one of the instrument's ValidGeraeteFormate (whole names): the
//     instrument's format becomes that format and the answer is that
//     format's own OnFormat(S, Buf) (the tag itself when it has none);
//   - otherwise the warning text 34 with the name, and "End".
// No recognition: "".
std::string ChangeGeraeteFormat(TGeraete& geraete, const std::string& S, const std::string& Buf);

// Text number of the warning "format %s not supported by this instrument".
inline constexpr int kTextFormatNotSupported = 34;

}  // namespace veltro
