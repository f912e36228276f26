#include "formats/instrument/REC500.h"

#include "core/ConvertedLine.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/instrument/Rec500Line.h"
#include "formats/office/Layout.h"
#include "instruments/FormatChange.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr const char* kFormatName = "REC500";
constexpr const char* kFileTag = "dREC500";

// A value in its column: rounded to 3 decimals, at most width characters.
bool FitsColumn(const std::string& value, int width) {
  const auto text = FormatDecimalText(value, kRec500Decimals);
  return text && static_cast<int>(text->size()) <= width;
}

// Text cut to its field; the cut is noted.
std::string CutNoted(const std::string& text, size_t width, int note) {
  if (text.size() <= width) return text;
  std::string cut = text.substr(0, width);
  AddNote(note, {text, cut});
  return cut;
}

}  // namespace

TTransferDatenart Rec500LineKind(const std::string& line) {
  return IsRec500CoordinateLine(line) ? tdaKoordinate : tdaNone;
}

TdmREC500::TdmREC500(TGeraete& geraete)
    : TDataModule("dmREC500"), geraete_(geraete), format_(geraete.Format(kFormatName)), rece_(geraete.Format("RECE")) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Kommentare = AddReadWriteDaten(*this, "Kommentare", tdaKommentar);
  Kommentare->OnWrite = [this](TDaten& D) { return KommentareWrite(D); };

  // Rec E has nothing the program reads: only the catalogue's set-up.
  if (rece_) {
    GeraeteFormatHandlers e;
    e.OnSetup = [&geraete] { geraete.DefaultSetup(); };
    geraete.BindFormatHandlers("RECE", e);
  }
  if (!format_) return;
  format_->Koordinaten = kRec500KoordinatenLayout;
  GeraeteFormatHandlers h;
  h.OnFormat = [this](const std::string& S, const std::string& Buf) { return REC500Format(S, Buf); };
  h.OnSetup = [&geraete] { geraete.DefaultSetup(); };
  h.OnGetDatenart = [this](std::string& S) { return REC500GetDatenart(S); };
  // Headings, parameters and END of a listing carry no coordinate by design.
  h.OnFrameLine = [](const std::string& S) { return ReadRec500Line(S).type == Rec500LineType::Other; };
  h.OnSetTDA = [this](TTransferDatenart kind) { return REC500SetTDA(kind); };
  geraete.BindFormatHandlers(kFormatName, h);
}

TdmREC500::~TdmREC500() {
  if (format_) UnbindFormatHandlers(*format_, *this);
  if (rece_) UnbindFormatHandlers(*rece_, *this);
}

// ---- Reading ----------------------------------------------------------------------

void TdmREC500::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const Rec500Line line = ReadRec500Line(S);
  if (line.type != Rec500LineType::Coordinate) return;
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfKoordinaten;
  p.Punktnummer = line.point;
  p.Code1 = geraete_.OemToAnsiText(line.code);
  p.Y = geraete_.ApplyOffset(line.y, kOffsetAddX);
  p.X = geraete_.ApplyOffset(line.x, kOffsetAddY);
  p.Hoehe = line.z;
}

void TdmREC500::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

// ---- Writing ----------------------------------------------------------------------

// A value that does not fit its column gives "Error" rather than moving the
// columns behind it, so that every written line reads back. An empty height
// and an empty point number are errors too: the line would not read back.
std::string TdmREC500::KoordinatenWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  const std::string y = geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX);
  const std::string x = geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY);
  const std::string z = TrimBlanks(p.Hoehe);
  const std::string number = TrimBlanks(p.Punktnummer);
  if (number.empty() || !FitsColumn(y, kRec500WidthY) || !FitsColumn(x, kRec500WidthX) || !FitsColumn(z, kRec500WidthZ))
    return kWriteError;
  const std::string point = CutNoted(number, kRec500PointWidth, kTextRec500PointCut);
  const std::string code = CutNoted(TrimBlanks(geraete_.AnsiToOemText(p.Code1)), kRec500CodeWidth, kTextRec500CodeCut);
  const long long lineNumber =
      static_cast<long long>((CurrentTransfer().ReceivedLines.size() + 1) % kRec500LineNumberModulus);
  return FormatLayoutOrError(
      format_ ? format_->Koordinaten : std::string(kRec500KoordinatenLayout),
      {LayoutArg::Integer(lineNumber), point, code, LayoutArg::Number(y), LayoutArg::Number(x), LayoutArg::Number(z)});
}

std::string TdmREC500::KommentareWrite(TDaten&) { return {}; }

// ---- Catalogue handlers -------------------------------------------------------------

std::string TdmREC500::REC500Format(const std::string& S, const std::string& Buf) {
  if (!IsRec500CoordinateLine(S)) return ChangeGeraeteFormat(geraete_, S, Buf);
  if (format_) BindRecognisedKind(*format_, Rec500LineKind(S));
  return kFileTag;
}

TTransferDatenart TdmREC500::REC500GetDatenart(std::string& S) {
  const Rec500Line line = ReadRec500Line(S);
  if (line.type == Rec500LineType::Coordinate) return tdaKoordinate;
  if (const int number = ConvertedLineNumber(); number > 0) {
    const std::string n = std::to_string(number);
    switch (line.type) {
      case Rec500LineType::Dialect:
        AddNote(kTextRec500Dialect, {n});
        break;
      case Rec500LineType::NoPosition:
        AddNote(kTextRec500NoPosition, {n});
        break;
      case Rec500LineType::BadValue:
        AddNote(kTextRec500BadValue, {n});
        break;
      default:
        break;
    }
  }
  return tdaNone;
}

std::string TdmREC500::REC500SetTDA(TTransferDatenart kind) {
  return format_ ? SelectKind(*format_, *this, kind) : std::string();
}

}  // namespace veltro
