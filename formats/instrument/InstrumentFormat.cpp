#include "formats/instrument/InstrumentFormat.h"

#include <optional>
#include <vector>

#include "core/DecimalText.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "instruments/FormatChange.h"
#include "formats/office/Layout.h"
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

void UnbindFormatHandlers(TGeraeteFormat& format, const TDataModule& module) {
  format.OnFormat = nullptr;
  format.OnSetTDA = nullptr;
  format.OnSetup = nullptr;
  format.OnInitWrite = nullptr;
  format.OnAfterTrans = nullptr;
  format.OnAfterRead = nullptr;
  format.OnAfterWrite = nullptr;
  format.OnBeforeWrite = nullptr;
  format.OnInitEditor = nullptr;
  format.OnGetDatenart = nullptr;
  format.OnPrepEditor = nullptr;
  format.OnEditNext = nullptr;
  format.OnFrameLine = nullptr;
  if (format.ReadWrite && format.ReadWrite->Owner == &module) format.ReadWrite = nullptr;
}

void BindRecognisedKind(TGeraeteFormat& format, TTransferDatenart kind) {
  TDatenformatDefinitionen* original = OriginalFormat();
  if (format.OnSetTDA && original && original->OnSetTDA) {
    format.OnSetTDA(kind);
    original->OnSetTDA(kind);
  }
}

const std::string* NextLine(const TDaten& Daten) {
  const LineList* lines = CurrentTransfer().ActiveLines;
  if (!lines || Daten.Konstanten.Zeile < 0) return nullptr;
  const size_t next = static_cast<size_t>(Daten.Konstanten.Zeile) + 1;
  if (next >= lines->size()) return nullptr;
  static std::string line;  // keeps its capacity from call to call
  line = (*lines)[next];
  return &line;
}

std::string ConsumeNextLine(TDaten& Daten) {
  std::string line = *NextLine(Daten);
  ++Daten.Konstanten.Zeile;
  Daten.Konstanten.Originalzeilen += "\r\n" + line;
  return line;
}

std::string RecogniseFormatLine(TGeraete& geraete, TGeraeteFormat& format, const char* candidate,
                                const std::string& S, const std::string& Buf,
                                const std::function<TTransferDatenart(const std::string& tag)>& kindOf) {
  const std::string tag = DetectCandidate(candidate, NormalizeForDetection(S));
  if (tag.empty()) return ChangeGeraeteFormat(geraete, S, Buf);
  BindRecognisedKind(format, kindOf(tag));
  return tag;
}

void RemoveTrailingEndMark(LineList& lines) {
  if (!lines.empty() && lines.back().find('\x04') != std::string::npos) lines.pop_back();
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The values are data: a "#" in them is never taken for an escape when shown.
void AddNote(int text, std::initializer_list<std::string> args) {
  std::vector<std::string> escaped;
  for (const std::string& a : args) escaped.push_back(EscapeMessageData(a));
  CurrentTransfer().Messages.push_back(FormatText(GetText(text), escaped));
}

void AddLineError(int text, int lineNumber, const std::string& line) {
  CurrentTransfer().Errors.push_back(FormatText(GetText(text), {std::to_string(lineNumber)}) + "\r\n" +
                                     EscapeMessageData(line));
}

namespace {
constexpr size_t kQuickPlainLength = 1000;

// The plain form of [+-]digits[.digits] (digits on both sides of a point)
// without the decimal engine: no "+", no leading zeros, no sign on a zero.
std::optional<std::string> QuickPlain(std::string_view t) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  // Far more decimals than any field: left to the engine, which refuses them.
  if (t.size() > kQuickPlainLength) return std::nullopt;
  const bool signed_ = !t.empty() && (t[0] == '+' || t[0] == '-');
  size_t i = signed_ ? 1 : 0;
  const size_t start = i;
  while (i < t.size() && digit(t[i])) ++i;
  const size_t integerEnd = i;
  if (integerEnd == start) return std::nullopt;
  if (i < t.size()) {
    if (t[i] != '.') return std::nullopt;
    const size_t fraction = ++i;
    while (i < t.size() && digit(t[i])) ++i;
    if (i == fraction || i != t.size()) return std::nullopt;
  }
  size_t lead = start;
  while (lead + 1 < integerEnd && t[lead] == '0') ++lead;
  std::string out;
  if (signed_ && t[0] == '-' && t.find_first_of("123456789", start) != std::string_view::npos) out += '-';
  out.append(t.substr(lead));
  return out;
}
}  // namespace

std::string PlainNumber(std::string_view text) {
  const std::string_view view = TrimBlanksView(text);
  if (auto quick = QuickPlain(view)) return std::move(*quick);
  const std::string trimmed(view);
  return FormatDecimalText(trimmed, DecimalsAfterPoint(trimmed)).value_or(trimmed);
}

}  // namespace veltro
