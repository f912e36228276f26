#include "formats/instrument/FormatHooks.h"

#include "formats/instrument/CheckFormate.h"
#include "instruments/FormatChange.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {

TDatenformatDefinitionen* OriginalFormat() {
  TDataModule* dfd = DFD();
  return dfd ? dynamic_cast<TDatenformatDefinitionen*>(dfd->FindComponent(kNativeFormatComponent)) : nullptr;
}

bool OfficeIsPassThrough() {
  const TDatenformatDefinitionen* office = FindActiveFormat();
  return office && office->Name == kNativeFormatComponent;
}

std::string RecogniseFormatLine(TGeraete& geraete, TGeraeteFormat& format, const char* candidate,
                                const std::string& S, const std::string& Buf,
                                const std::function<TTransferDatenart(const std::string& tag)>& kindOf) {
  const std::string tag = DetectCandidate(candidate, NormalizeForDetection(S));
  if (tag.empty()) return ChangeGeraeteFormat(geraete, S, Buf);
  const TTransferDatenart kind = kindOf(tag);
  TDatenformatDefinitionen* original = OriginalFormat();
  if (format.OnSetTDA && original && original->OnSetTDA) {
    format.OnSetTDA(kind);
    original->OnSetTDA(kind);
  }
  return tag;
}

void UnbindFormatHandlers(TGeraeteFormat& format, const TDataModule& module) {
  format.OnFormat = nullptr;
  format.OnSetup = nullptr;
  format.OnInitWrite = nullptr;
  format.OnAfterTrans = nullptr;
  format.OnAfterRead = nullptr;
  format.OnAfterWrite = nullptr;
  format.OnBeforeWrite = nullptr;
  format.OnGetDatenart = nullptr;
  format.OnSetTDA = nullptr;
  format.OnPrepEditor = nullptr;
  format.OnInitEditor = nullptr;
  format.OnEditNext = nullptr;
  if (format.ReadWrite && format.ReadWrite->Owner == &module) format.ReadWrite = nullptr;
}

void RemoveTrailingEndMark(TextLines& lines) {
  if (!lines.empty() && lines.back().find('\x04') != std::string::npos) lines.pop_back();
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace veltro
