#include "instruments/FormatChange.h"

#include "core/Messages.h"
#include "core/TextUtils.h"
#include "formats/instrument/CheckFormate.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
std::string ChangeGeraeteFormat(TGeraete& geraete, const std::string& S, const std::string& Buf) {
  std::string tag = DetectFormat(S);
  if (tag.empty()) return tag;
  const std::string name = tag.substr(1);
  TInstrument& instrument = geraete.CurrentInstrument();
  TGeraeteFormat* found = geraete.Format(name);
  if (found && found == instrument.GeraeteFormat) return {};
  if (!found || !AcceptsGeraeteFormat(instrument, name)) {
    ShowMessageBox(FormatText(GetText(kTextFormatNotSupported), {name}), kMsgWarning, kBtnOk);
    return "End";
  }
  instrument.GeraeteFormat = found;
  if (found->OnFormat) return found->OnFormat(S, Buf);
  return tag;
}

}  // namespace veltro
