#include "formats/instrument/TAVRIN.h"

#include <vector>

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr const char* kFormatName = "TAVRIN";
constexpr const char* kTavrinTemplate = "%s;%1.3f;%1.3f;%1.3f;%s";
constexpr char kSeparator = ';';
constexpr int kSeparators = 4;  // five fields
constexpr int kDecimals = 3;
enum : size_t { kPoint = 0, kY, kX, kHeight, kCode };

// A value written with either decimal separator, in the record's form; a
// text that is no number is kept as it stands.
std::string ReadValue(const std::string& field) {
  const std::string text = ReplaceChar(TrimBlanks(field), ',', ".");
  const std::string plain = PlainNumber(text);
  return plain.empty() ? text : plain;
}

// 3 decimals with the system's separator; "" for an empty value; nullopt
// for a value that is no number.
std::optional<std::string> WriteValue(const std::string& value) {
  const std::string trimmed = TrimBlanks(value);
  if (trimmed.empty()) return std::string();
  std::optional<std::string> text = FormatDecimalText(trimmed, kDecimals);
  if (!text) return std::nullopt;
  const char separator = SystemDecimalSeparator();
  for (char& c : *text)
    if (c == '.') c = separator;
  return text;
}

}  // namespace

TTransferDatenart TavrinLineKind(const std::string& line) {
  return CountChar(line, kSeparator) == kSeparators ? tdaKoordinate : tdaNone;
}

TdmTAVRIN::TdmTAVRIN(TGeraete& geraete)
    : TDataModule("dmTAVRIN"), geraete_(geraete), format_(geraete.Format(kFormatName)) {
  Koordinaten = AddFormatComponent(*this, "Koordinaten", tdaKoordinate, &TdmTAVRIN::KoordinatenRead,
                                   &TdmTAVRIN::KoordinatenWrite, &TdmTAVRIN::KoordinatenStatistik);
  if (!format_) return;
  format_->Koordinaten = kTavrinTemplate;
  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return TAVRINFormat(S, Buf); };
  h.OnSetup = [&geraete] { geraete.DefaultSetup(); };
  h.OnGetDatenart = [this](std::string& S) { return TAVRINGetDatenart(S); };
  h.OnSetTDA = [this](TTransferDatenart kind) { return TAVRINSetTDA(kind); };
  geraete.BindFormatHandlers(kFormatName, h);
}

TdmTAVRIN::~TdmTAVRIN() {
  if (format_) UnbindFormatHandlers(*format_, *this);
}

void TdmTAVRIN::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  if (TavrinLineKind(S) != tdaKoordinate) return;
  std::vector<std::string> f = SplitFields(RemoveLineEnds(S), kSeparator);
  f.resize(kCode + 1);
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfKoordinaten;
  p.Punktnummer = TrimBlanks(f[kPoint]);
  p.Y = ReadValue(f[kY]);
  p.X = ReadValue(f[kX]);
  p.Hoehe = ReadValue(f[kHeight]);
  p.Code1 = TrimBlanks(f[kCode]);
}

void TdmTAVRIN::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

std::string TdmTAVRIN::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  const auto y = WriteValue(p.Y), x = WriteValue(p.X), h = WriteValue(p.Hoehe);
  const std::string point = TrimBlanks(p.Punktnummer), code = TrimBlanks(p.Code1);
  if (!y || !x || !h || point.find(kSeparator) != std::string::npos || code.find(kSeparator) != std::string::npos)
    return kWriteError;
  return point + ";" + *y + ";" + *x + ";" + *h + ";" + code + "\r\n";
}

std::string TdmTAVRIN::TAVRINFormat(const std::string& S, const std::string& Buf) {
  if (!format_) return {};
  return RecogniseFormatLine(geraete_, *format_, kFormatName, S, Buf, [](const std::string&) { return tdaKoordinate; });
}

TTransferDatenart TdmTAVRIN::TAVRINGetDatenart(std::string& S) { return TavrinLineKind(S); }

std::string TdmTAVRIN::TAVRINSetTDA(TTransferDatenart kind) {
  return format_ ? SelectKind(*format_, *this, kind) : std::string();
}

}  // namespace veltro
