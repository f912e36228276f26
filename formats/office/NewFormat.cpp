#include "formats/office/NewFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "core/Language.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/office/ASCII.h"
#include "formats/office/Layout.h"
#include "formats/office/Original.h"
#include "instruments/InstrumentenModul.h"

namespace veltro {
namespace {

constexpr char kFollow = '\xBB';  // '»': the field continues at the next '»' + letter
constexpr char kOpenNeutral = '[';
constexpr char kOpenLeft = '<';
constexpr char kCloseNeutral = ']';
constexpr char kCloseRight = '>';
constexpr const char* kLineBreak = "\r\n";
constexpr int kReadDecimals = 5;  // numbers read are stored with 5 decimals
constexpr size_t kMaxFields = 22;

constexpr int kTextWriteFailed = 47;  // the file cannot be opened or written

std::string_view Trimmed(std::string_view t) {
  const size_t first = t.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return t.substr(first, t.find_last_not_of(' ') - first + 1);
}

// Alignment of a text field framed by '<' and '>': right when the trimmed
// text holds only '+', '-', '.' and digits (an empty text counts).
bool LooksNumeric(std::string_view text) {
  for (char c : Trimmed(text))
    if (!(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  return true;
}

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The line n of a CR LF separated text ("" beyond its end).
std::string_view LineOf(std::string_view text, size_t n) {
  size_t start = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t end = text.find(kLineBreak, start);
    if (end == std::string_view::npos) return {};
    start = end + 2;
  }
  const size_t end = text.find(kLineBreak, start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string JoinLines(const std::vector<std::string>& lines, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) {
    if (i > from) out += kLineBreak;
    out += lines[i];
  }
  return out;
}

LevelValue LevelKind(TemplateFieldType type) {
  switch (type) {
    case TemplateFieldType::LevelDistanz:
      return LevelValue::Distanz;
    case TemplateFieldType::LevelBodenhoehe:
      return LevelValue::Bodenhoehe;
    default:
      return LevelValue::Ablesung;
  }
}

bool IsLevelType(TemplateFieldType type) {
  return type == TemplateFieldType::LevelAblesung || type == TemplateFieldType::LevelDistanz ||
         type == TemplateFieldType::LevelBodenhoehe;
}

// The values of one record in the field order of its section.
struct FieldValues {
  std::array<std::string_view, kMaxFields> v{};
  std::string date;
  std::string time;
  const std::string* satzkennung = nullptr;  // unit digit of levelling values
};

std::string DateText(const std::string& layout, TDateTime t) {
  return std::trunc(t) != 0 ? FormatDate(layout, t) : std::string();
}
std::string TimeText(const std::string& layout, TDateTime t) { return t != 0 ? FormatTime(layout, t) : std::string(); }

void Collect(int section, const TDaten& d, const TemplateDefinition& def, FieldValues& out) {
  auto set = [&out](std::initializer_list<std::string_view> values) {
    size_t i = 0;
    for (std::string_view v : values) out.v[i++] = v;
  };
  const TPunkt& p = d.Punkt;
  const TMessung& m = d.Messung;
  switch (section) {
    case tsInformationen: {
      const TInfo& i = d.Info;
      out.date = DateText(def.DateFormat, i.Zeitpunkt);
      out.time = TimeText(def.TimeFormat, i.Zeitpunkt);
      set({i.Projekt, i.Beobachter, i.Instrument, out.date, out.time, i.Beschreibung, i.Umrechnungsfaktor,
           i.Massstabsfaktor, i.Meereshoehe, i.Mutationsnummer});
      break;
    }
    case tsStationspunkt: {
      const TStation& s = d.Station;
      set({s.Punktnummer, s.Code, s.Instrumentenhoehe, s.Y, s.X, s.Hoehe, s.Temperatur, s.Luftdruck});
      break;
    }
    case tsAnschlusspunkt:
    case tsDetailpunkt:
      set({p.Punktnummer,
           p.Azimut,
           p.Code1,
           p.Code2,
           p.Reflektorhoehe,
           p.Kommentar,
           p.Querverschiebung,
           p.Laengsverschiebung,
           p.Vertikalverschiebung,
           p.Kontrollkodierung,
           p.Anmerkung1,
           p.Anmerkung2,
           p.Schraegdistanz,
           p.Horizontaldistanz,
           p.Vertikaldistanz,
           p.Atmosphaerenkorrektur,
           p.Prismenkonstante,
           p.Vertikalwinkel,
           p.Horizontalwinkel,
           p.Y,
           p.X,
           p.Hoehe});
      // Detailpunkt: the same fields without Azimut.
      if (section == tsDetailpunkt) std::copy(out.v.begin() + 2, out.v.end(), out.v.begin() + 1);
      break;
    case tsKoordinaten:
    case tsNivKoordinaten:
      set({p.Punktnummer, p.Code1, p.Y, p.X, p.Hoehe, p.Kommentar});
      break;
    case tsQuerprofile: {
      const TQuerprofil& q = d.Querprofil;
      set({q.Stationierung, q.Code, q.Seitenabstand, q.Hoehe});
      break;
    }
    case tsPunktcodes:
      set({d.Punktcode.Code, d.Punktcode.Entity, d.Punktcode.Layer});
      break;
    case tsStartdaten: {
      const TStart& s = d.Start;
      out.date = DateText(def.DateFormat, s.Zeitpunkt);
      out.time = TimeText(def.TimeFormat, s.Zeitpunkt);
      out.satzkennung = &s.Satzkennung;
      set({s.Auftragsnummer, s.Messnummer, out.date, out.time, s.Anmerkung1, s.Anmerkung2, s.Anmerkung3,
           s.Hoehenbezugnummer, s.Bodenhoehe, s.AnzahlNivellements, s.Limite});
      break;
    }
    case tsMessdaten:
      out.date = DateText(def.DateFormat, m.Zeitpunkt);
      out.satzkennung = &m.Satzkennung;
      set({m.Messnummer, out.date, m.Lattenablesung, m.AnzahlMessungen, m.Standardabweichung, m.Punktnummer,
           m.Distanz});
      break;
    case tsRueckblick:
    case tsVorblick:
    case tsMittelblick:
    case tsAbsteckung:
      out.date = DateText(def.DateFormat, m.Zeitpunkt);
      out.satzkennung = &m.Satzkennung;
      set({out.date, m.Lattenablesung, m.AnzahlMessungen, m.Standardabweichung, m.Punktnummer, m.Distanz, m.Bodenhoehe,
           m.Hoehenbezugnummer});
      break;
    case tsJustierung:
      out.date = DateText(def.DateFormat, m.Zeitpunkt);
      out.satzkennung = &m.Satzkennung;
      set({out.date, m.Lattenablesung, m.AnzahlMessungen, m.Standardabweichung, m.Punktnummer, m.Distanz, m.Bodenhoehe,
           m.Datendifferenz, m.Korrekturparameter, m.Hoehenbezugnummer});
      break;
    case tsAbschlussdaten: {
      const TEnde& e = d.Ende;
      out.date = DateText(def.DateFormat, e.Zeitpunkt);
      out.time = TimeText(def.TimeFormat, e.Zeitpunkt);
      out.satzkennung = &e.Satzkennung;
      set({e.Auftragsnummer, e.Messnummer, out.date, out.time, e.Anmerkung1, e.Anmerkung2, e.Hoehenbezugnummer,
           e.Bodenhoehe, e.Wechselpunkt, e.RelHoehendiff, e.TotHoehendiff, e.Distanz, e.Totaldistanz});
      break;
    }
    case tsBeschreibung:
      set({d.Kommentar.Beschreibung});
      break;
    default:
      break;
  }
}

// The value written into a numeric run: scaled by 10^shift (a decimal
// shift) and rounded to the run's decimals; "" for an empty or non-numeric value.
std::string NumberText(std::string_view raw, int decimals, int shift) {
  const std::string_view t = Trimmed(raw);
  if (t.empty()) return {};
  auto text = FormatDecimalText(t, decimals, shift);
  return text ? std::move(*text) : std::string();
}

// A number read from a file: divided by 10^unit, with 5 decimals; "" when empty or not a number.
std::string ReadNumber(std::string_view text, int unit) { return NumberText(text, kReadDecimals, -unit); }

// A message whose arguments (names, paths) are shown as they are, '#' included.
void Tell(int text, int kind, std::initializer_list<std::string> args = {}) {
  std::vector<std::string> escaped;
  for (const std::string& a : args) escaped.push_back(EscapeMessageData(a));
  std::string message = GetText(text);
  if (!escaped.empty()) {
    message = escaped.size() == 1 ? FormatText(message, {escaped[0]}) : FormatText(message, {escaped[0], escaped[1]});
  }
  ShowMessageBox(message, kind, kBtnOk);
}

// A definition name to store or look up: none gives text 213, an unusable one its message.
bool CheckName(const std::string& name) {
  if (name.empty()) {
    Tell(kTextNoTemplateName, kMsgWarning);
    return false;
  }
  if (!IsValidTemplateName(name)) {
    Tell(kTextTemplateNameInvalid, kMsgError, {name});
    return false;
  }
  return true;
}

// The section a levelling measurement is written in, by its letter.
int MeasurementSection(const std::string& satzart) {
  const std::string letter = TrimBlanks(satzart);
  if (letter.size() != 1) return -1;
  switch (letter[0]) {
    case 'f':
      return tsMessdaten;
    case 'g':
    case 'h':
      return tsRueckblick;
    case 'i':
    case 'j':
      return tsVorblick;
    case 'k':
      return tsMittelblick;
    case 'l':
      return tsAbsteckung;
    case 'm':
    case 'n':
      return tsJustierung;
    default:
      return -1;
  }
}

}  // namespace

// ---- Module --------------------------------------------------------------------------

TdmNewFormat::TdmNewFormat(TDFD& dfd, TGeraete& geraete)
    : TDataModule("dmNewFormat"), dfd_(dfd), geraete_(geraete), def_(*dfd.NewFormat), parsed_(kTemplateSectionCount) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Querprofile = AddReadWriteDaten(*this, "Querprofile", tdaQuerprofil);
  Querprofile->OnRead = [this](const std::string& S, TDaten& D) { QuerprofileRead(S, D); };
  Querprofile->OnWrite = [this](TDaten& D) { return QuerprofileWrite(D); };
  Querprofile->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { QuerprofileStatistik(S, St); };
  Punktcodes = AddReadWriteDaten(*this, "Punktcodes", tdaPunktcode);
  Punktcodes->OnRead = [this](const std::string& S, TDaten& D) { PunktcodesRead(S, D); };
  Punktcodes->OnWrite = [this](TDaten& D) { return PunktcodesWrite(D); };
  Punktcodes->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { PunktcodesStatistik(S, St); };
  NivKoordinaten = AddReadWriteDaten(*this, "NivKoordinaten", tdaNivKoordinate);
  NivKoordinaten->OnRead = [this](const std::string& S, TDaten& D) { NivKoordinatenRead(S, D); };
  NivKoordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) {
    NivKoordinatenStatistik(S, St);
  };
  AddMeasurementWriters(*this);
  Kommentare->OnRead = [this](const std::string& S, TDaten& D) { KommentareRead(S, D); };
  Enddaten = AddReadWriteDaten(*this, "Enddaten", tdaEnddaten);
  Enddaten->OnWrite = [this](TDaten& D) { return EnddatenWrite(D); };
  Startdaten = AddReadWriteDaten(*this, "Startdaten", tdaStartdaten);
  Startdaten->OnWrite = [this](TDaten& D) { return StartdatenWrite(D); };
  Messdaten = AddReadWriteDaten(*this, "Messdaten", tdaMessdaten);
  Messdaten->OnWrite = [this](TDaten& D) { return MessdatenWrite(D); };
  NivKommentare = AddReadWriteDaten(*this, "NivKommentare", tdaNivKommentar);
  NivKommentare->OnWrite = [this](TDaten& D) { return NivKommentareWrite(D); };

  OfficeModuleHooks hooks;
  hooks.format = [this](const std::string& S, const std::string& Buf) { return Format(S, Buf); };
  hooks.beforeLoad = [this](bool IsLevel) { BeforeLoad(IsLevel); };
  hooks.isComment = [this](const std::string& line) { return IsComment(line); };
  dfd.AttachModule(def_, *this, std::move(hooks));
}

TdmNewFormat::~TdmNewFormat() { dfd_.DetachModule(def_); }

bool TdmNewFormat::LevellingInstrument() const {
  const TInstrument* i = SelectedInstrument(geraete_);
  return i && i->Instrumententyp && i->Instrumententyp->Kind == InstrumentKind::Nivellier;
}

// ---- Parsing a template --------------------------------------------------------------

const TdmNewFormat::Parsed& TdmNewFormat::ParsedSection(int section) {
  Parsed& p = parsed_[static_cast<size_t>(section)];
  const TemplateSection& s = Definition.Sections[static_cast<size_t>(section)];
  if (!p.valid || p.source != s.Template || p.titleLines != s.TitleLines || p.letters != Letters.Full(section)) {
    Parse(section, p);
    p.valid = true;
  }
  return p;
}

void TdmNewFormat::Parse(int section, Parsed& p) const {
  const TemplateSection& s = Definition.Sections[static_cast<size_t>(section)];
  p = Parsed{};
  p.source = s.Template;
  p.titleLines = s.TitleLines;
  p.letters = Letters.Full(section);
  const std::string fieldLetters = Letters.Letters(section);
  const int fieldCount = SectionInfo(section).fieldCount;

  const std::vector<std::string> lines = TemplateLines(s.Template);
  const size_t titles = std::min(lines.size(), static_cast<size_t>(std::max(0, s.TitleLines)));
  if (std::any_of(lines.begin(), lines.begin() + static_cast<long>(titles),
                  [](const std::string& l) { return !l.empty(); }))
    p.title = JoinLines(lines, 0, titles);
  p.text = JoinLines(lines, titles, lines.size());
  p.lineCount = static_cast<int>(lines.size() - titles);
  const std::string& t = p.text;
  const size_t n = t.size();

  // Lines are separated by CR LF only; a lone CR or LF is literal text.
  std::vector<char> lineBreak(n, 0);
  p.lineOf.assign(n, 0);
  p.lineStart.push_back(0);
  for (size_t i = 0; i < n; ++i) {
    p.lineOf[i] = static_cast<unsigned>(p.lineStart.size() - 1);
    if (t[i] == '\r' && i + 1 < n && t[i + 1] == '\n') {
      lineBreak[i] = lineBreak[i + 1] = 1;
      p.lineOf[i + 1] = p.lineOf[i];
      p.lineStart.push_back(static_cast<unsigned>(i + 2));
      ++i;
    }
  }

  // Blanks: from each opening marker or '»' over the section's letters,
  // markers, '.' and '»' that follow it.
  auto inBlankSet = [&](char c) { return c == kFollow || p.letters.find(c) != std::string::npos; };
  p.fill.assign(n, 0);
  for (size_t i = 0; i < n;) {
    if (t[i] == kOpenNeutral || t[i] == kOpenLeft || t[i] == kFollow) {
      size_t j = i;
      while (j < n && inBlankSet(t[j])) p.fill[j++] = 1;
      i = std::max(j, i + 1);
    } else {
      ++i;
    }
  }

  // Runs: '[' + letter, else '<' + letter; each occurrence is consumed.
  std::vector<char> consumed(n, 0);
  std::vector<int> owner(n, -1);
  std::vector<int> occurrence(n, 0);
  p.runs.assign(static_cast<size_t>(fieldCount), {});
  for (int f = 0; f < fieldCount; ++f) {
    const char letter = fieldLetters[static_cast<size_t>(f)];
    const bool numeric = IsNumericFieldType(WriteFieldType(section, f));
    auto inRun = [&](size_t q) {
      return !consumed[q] &&
             (t[q] == letter || t[q] == kCloseNeutral || t[q] == kCloseRight || (numeric && t[q] == '.'));
    };
    size_t from[2] = {0, 0};
    const char openers[2] = {kOpenNeutral, kOpenLeft};
    for (;;) {
      size_t start = std::string::npos;
      for (int o = 0; o < 2 && start == std::string::npos; ++o) {
        for (size_t i = from[o]; i + 1 < n; ++i) {
          if (t[i] == openers[o] && t[i + 1] == letter && !consumed[i] && !consumed[i + 1]) {
            start = i;
            from[o] = i + 1;
            break;
          }
        }
        if (start == std::string::npos) from[o] = n;
      }
      if (start == std::string::npos) break;

      Run run;
      run.left = t[start] == kOpenLeft;
      auto take = [&](size_t q) {
        run.positions.push_back(static_cast<unsigned>(q));
        consumed[q] = 1;
      };
      take(start);
      size_t q = start + 1;
      for (;;) {
        while (q < n && inRun(q)) take(q++);
        if (q >= n || consumed[q] || t[q] != kFollow) break;
        take(q);
        // The next piece: the next '»' followed by the letter (this '»' may be it).
        size_t r = q;
        while (r + 1 < n && !(t[r] == kFollow && t[r + 1] == letter && (r == q || !consumed[r]) && !consumed[r + 1]))
          ++r;
        if (r + 1 >= n) break;
        if (r != q) take(r);
        q = r + 1;
      }
      size_t point = run.positions.size();
      for (size_t k = 0; k < run.positions.size(); ++k) {
        const char c = t[run.positions[k]];
        if (c == kCloseRight) run.right = true;
        if (numeric && c == '.' && point == run.positions.size()) point = k;
      }
      run.decimals = point < run.positions.size() ? static_cast<int>(run.positions.size() - point - 1) : 0;
      const int occ = static_cast<int>(p.runs[static_cast<size_t>(f)].size());
      for (unsigned pos : run.positions) {
        owner[pos] = f;
        occurrence[pos] = occ;
      }
      p.runs[static_cast<size_t>(f)].push_back(std::move(run));
    }
  }

  // Free layout: per line, the literal texts and the fields between them;
  // blanked characters that belong to no field are left out.
  p.tokens.assign(static_cast<size_t>(p.lineCount), {});
  for (size_t i = 0; i < n; ++i) {
    if (lineBreak[i]) continue;
    std::vector<Token>& line = p.tokens[p.lineOf[i]];
    if (owner[i] >= 0) {
      if (line.empty() || line.back().field != owner[i] || line.back().occurrence != occurrence[i])
        line.push_back(Token{owner[i], occurrence[i], {}});
    } else if (!p.fill[i]) {
      if (line.empty() || line.back().field >= 0) line.push_back(Token{});
      line.back().text += t[i];
    }
  }
}

// ---- Writing ---------------------------------------------------------------------------

std::string TdmNewFormat::WriteSection(int section, const TDaten& Daten) {
  const Parsed& p = ParsedSection(section);
  if (p.text.empty()) return {};
  FieldValues values;
  Collect(section, Daten, Definition, values);
  const bool fixed = Definition.Sections[static_cast<size_t>(section)].FixedPosition;

  outBuf_.assign(p.text);
  fillBuf_.assign(p.fill.begin(), p.fill.end());
  std::vector<std::pair<unsigned, std::string>> overflow;  // free layout: the rest of a wide number
  bool any = false;
  auto place = [&](const Run& run, std::string_view chars, size_t at) {
    for (size_t k = 0; k < chars.size(); ++k) {
      const unsigned pos = run.positions[at + k];
      outBuf_[pos] = chars[k];
      fillBuf_[pos] = 0;
    }
  };

  const int fieldCount = SectionInfo(section).fieldCount;
  for (int f = 0; f < fieldCount; ++f) {
    const std::vector<Run>& runs = p.runs[static_cast<size_t>(f)];
    if (runs.empty()) continue;
    const std::string_view raw = values.v[static_cast<size_t>(f)];
    const TemplateFieldType type = WriteFieldType(section, f);
    if (!IsNumericFieldType(type)) {
      if (raw.empty()) continue;
      any = true;
      for (const Run& run : runs) {
        const size_t width = run.positions.size();
        const bool right = run.right && (!run.left || LooksNumeric(raw));
        if (!right) {
          place(run, raw.substr(0, width), 0);
        } else {
          std::string_view text = Trimmed(raw);
          if (text.size() > width) text = text.substr(text.size() - width);
          place(run, text, width - text.size());
        }
      }
      continue;
    }
    int shift = Definition.UnitOf(type);
    if (IsLevelType(type)) shift = values.satzkennung ? -LevelDecimals(*values.satzkennung, LevelKind(type)) : 0;
    for (const Run& run : runs) {
      const std::string number = NumberText(raw, run.decimals, shift);
      if (number.empty()) continue;
      any = true;
      const size_t width = run.positions.size();
      if (number.size() > width) {
        // Never cut a number to a plausible other value.
        if (fixed) return kWriteError;
        place(run, std::string_view(number).substr(0, width), 0);
        overflow.emplace_back(run.positions.back(), number.substr(width));
        continue;
      }
      place(run, number, run.left ? 0 : width - number.size());
    }
  }
  if (!any) return {};

  std::sort(overflow.begin(), overflow.end());
  std::string out;
  out.reserve(p.title.size() + outBuf_.size() + 4);
  if (!p.title.empty()) {
    out = p.title;
    out += kLineBreak;
  }
  size_t next = 0;
  for (size_t i = 0; i < outBuf_.size(); ++i) {
    if (!fillBuf_[i])
      out += outBuf_[i];
    else if (fixed)
      out += ' ';
    while (next < overflow.size() && overflow[next].first == i) out += overflow[next++].second;
  }
  // A template that ends in an empty line keeps it (the engine drops a last line end).
  if (p.lineCount > 1 && p.text.size() >= 2 && p.text.compare(p.text.size() - 2, 2, kLineBreak) == 0) out += kLineBreak;
  if (p.titleLines > 0) TakeTitleLines(section);
  return out;
}

void TdmNewFormat::TakeTitleLines(int section) {
  TemplateSection& s = Definition.Sections[static_cast<size_t>(section)];
  if (s.TitleLines <= 0) return;
  const std::vector<std::string> lines = TemplateLines(s.Template);
  const size_t titles = std::min(lines.size(), static_cast<size_t>(s.TitleLines));
  s.Template = JoinLines(lines, titles, lines.size());
  s.TitleLines = 0;
}

std::string TdmNewFormat::KoordinatenWrite(TDaten& Daten) { return WriteSection(tsKoordinaten, Daten); }
std::string TdmNewFormat::QuerprofileWrite(TDaten& Daten) { return WriteSection(tsQuerprofile, Daten); }
std::string TdmNewFormat::PunktcodesWrite(TDaten& Daten) { return WriteSection(tsPunktcodes, Daten); }
std::string TdmNewFormat::InformationenWrite(TDaten& Daten) { return WriteSection(tsInformationen, Daten); }
std::string TdmNewFormat::StationenWrite(TDaten& Daten) { return WriteSection(tsStationspunkt, Daten); }
std::string TdmNewFormat::AnschlusspunkteWrite(TDaten& Daten) { return WriteSection(tsAnschlusspunkt, Daten); }
std::string TdmNewFormat::NeupunkteWrite(TDaten& Daten) { return WriteSection(tsDetailpunkt, Daten); }
std::string TdmNewFormat::StartdatenWrite(TDaten& Daten) { return WriteSection(tsStartdaten, Daten); }
std::string TdmNewFormat::EnddatenWrite(TDaten& Daten) { return WriteSection(tsAbschlussdaten, Daten); }
std::string TdmNewFormat::NivKommentareWrite(TDaten& Daten) { return WriteSection(tsBeschreibung, Daten); }
std::string TdmNewFormat::KommentareWrite(TDaten&) { return {}; }

std::string TdmNewFormat::MessdatenWrite(TDaten& Daten) {
  const int section = MeasurementSection(Daten.Messung.Satzart);
  return section < 0 ? std::string() : WriteSection(section, Daten);
}

// ---- Reading ---------------------------------------------------------------------------

std::vector<std::string> TdmNewFormat::ReadSection(int section, const std::string& S) {
  const Parsed& p = ParsedSection(section);
  const int fieldCount = SectionInfo(section).fieldCount;
  std::vector<std::string> values(static_cast<size_t>(fieldCount));
  const std::vector<std::string_view> source = SplitText(S, kLineBreak);
  auto sourceLine = [&](size_t l) { return l < source.size() ? source[l] : std::string_view(); };

  if (Definition.Sections[static_cast<size_t>(section)].FixedPosition) {
    for (int f = 0; f < fieldCount; ++f) {
      const std::vector<Run>& runs = p.runs[static_cast<size_t>(f)];
      if (runs.empty()) continue;
      std::string text;
      for (unsigned pos : runs[0].positions) {
        const unsigned l = p.lineOf[pos];
        const size_t column = pos - p.lineStart[l];
        const std::string_view line = sourceLine(l);
        if (column < line.size()) text += line[column];
      }
      values[static_cast<size_t>(f)] = std::string(Trimmed(text));
    }
    return values;
  }

  // Free layout: a field is the text between the literal texts around it.
  for (size_t l = 0; l < p.tokens.size(); ++l) {
    const std::vector<Token>& tokens = p.tokens[l];
    const std::string_view line = sourceLine(l);
    size_t pos = 0;
    for (size_t k = 0; k < tokens.size(); ++k) {
      const Token& token = tokens[k];
      if (token.field < 0) {
        const size_t at = line.find(token.text, pos);
        pos = at == std::string_view::npos ? line.size() : at + token.text.size();
        continue;
      }
      size_t end = line.size();
      if (k + 1 < tokens.size() && tokens[k + 1].field < 0) end = std::min(end, line.find(tokens[k + 1].text, pos));
      if (token.occurrence == 0) values[static_cast<size_t>(token.field)] += line.substr(pos, end - pos);
      pos = end;
    }
  }
  return values;
}

std::string TdmNewFormat::WithContinuation(int section, const std::string& S, TDaten& Daten) {
  const int extra = ParsedSection(section).lineCount - 1;
  if (extra <= 0) return S;
  std::string joined = S;
  const LineList* lines = CurrentTransfer().ActiveLines;
  for (int i = 0; i < extra; ++i) {
    joined += kLineBreak;
    const int next = Daten.Konstanten.Zeile + 1;
    if (lines && next >= 0 && static_cast<size_t>(next) < lines->size()) {
      joined += (*lines)[static_cast<size_t>(next)];
      Daten.Konstanten.Zeile = next;
    }
  }
  return joined;
}

void TdmNewFormat::ReadPunkt(int section, const std::string& S, TDaten& Daten) {
  const std::string text = WithContinuation(section, S, Daten);
  Daten.Konstanten.Originalzeilen = text;
  const std::vector<std::string> v = ReadSection(section, text);
  const int unit = Definition.CoordinateUnit;
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = v[0];
  p.Code1 = v[1];
  p.Y = ReadNumber(v[2], unit);
  p.X = ReadNumber(v[3], unit);
  p.Hoehe = ReadNumber(v[4], unit);  // empty: a height not measured
  p.Kommentar = v[5];
}

void TdmNewFormat::KoordinatenRead(const std::string& S, TDaten& Daten) { ReadPunkt(tsKoordinaten, S, Daten); }
void TdmNewFormat::NivKoordinatenRead(const std::string& S, TDaten& Daten) { ReadPunkt(tsNivKoordinaten, S, Daten); }

void TdmNewFormat::QuerprofileRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const std::vector<std::string> v = ReadSection(tsQuerprofile, S);
  TQuerprofil& q = Daten.Querprofil;
  q.Stationierung = v[0];
  q.Code = v[1];
  q.Seitenabstand = ReadNumber(v[2], Definition.DistanceUnit);
  q.Hoehe = ReadNumber(v[3], Definition.CoordinateUnit);
}

void TdmNewFormat::PunktcodesRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const std::vector<std::string> v = ReadSection(tsPunktcodes, S);
  Daten.Punktcode.Code = v[0];
  Daten.Punktcode.Entity = v[1];
  Daten.Punktcode.Layer = v[2];
}

void TdmNewFormat::KommentareRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  Daten.Kommentar.Beschreibung = S;
}

void TdmNewFormat::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmNewFormat::NivKoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmNewFormat::QuerprofileStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmNewFormat::PunktcodesStatistik(const std::string&, TTransferStatistik& State) {
  ++State.Codes;
  ++State.Fortschritt;
}

// ---- Classification ------------------------------------------------------------------

bool TdmNewFormat::IsComment(const std::string& line) {
  if (markerSource_ != Definition.CommentMarkers) {
    markerSource_ = Definition.CommentMarkers;
    markers_ = TemplateLines(markerSource_);
    markers_.erase(std::remove(markers_.begin(), markers_.end(), std::string()), markers_.end());
  }
  for (const std::string& marker : markers_)
    if (line.compare(0, marker.size(), marker) == 0) return true;
  return false;
}

bool TdmNewFormat::Matches(int section, const std::string& text) {
  const Parsed& p = ParsedSection(section);
  if (p.lineCount == 0 || p.text.empty()) return false;
  const std::string_view line = LineOf(text, static_cast<size_t>(std::max(0, p.titleLines)));

  if (Definition.Sections[static_cast<size_t>(section)].FixedPosition) {
    // The first field present must hold something, every numeric field a number or nothing.
    const std::string letters = Letters.Letters(section);
    bool first = true;
    for (int f = 0; f < SectionInfo(section).fieldCount; ++f) {
      const std::vector<Run>& runs = p.runs[static_cast<size_t>(f)];
      if (runs.empty() || !IsAsciiAlnum(letters[static_cast<size_t>(f)]) || p.lineOf[runs[0].positions[0]] != 0)
        continue;
      std::string value;
      for (unsigned pos : runs[0].positions)
        if (p.lineOf[pos] == 0 && pos < line.size()) value += line[pos];
      const std::string_view v = Trimmed(value);
      if (first && v.empty()) return false;
      first = false;
      if (IsNumericFieldType(ReadFieldType(section, f)) && !v.empty() && !FormatDecimalText(v, 0)) return false;
    }
    return !first;
  }

  // Free layout: the literal characters of the first line are found in
  // turn; a line used up before one is missed still matches.
  if (Trimmed(line).empty()) return false;
  size_t pos = 0;
  for (const Token& token : p.tokens[0]) {
    if (token.field >= 0) continue;
    for (char c : token.text) {
      const size_t at = line.find(c, pos);
      if (at == std::string_view::npos) return pos >= line.size();
      pos = at + 1;
    }
  }
  return true;
}

std::string TdmNewFormat::Format(const std::string& line, const std::string& text) {
  auto answer = [this](TTransferDatenart kind) { return def_.OnSetTDA ? def_.OnSetTDA(kind) : std::string(); };
  if (IsComment(line)) return answer(tdaKommentar);
  if (!LevellingInstrument()) {
    if (Matches(tsKoordinaten, text)) return answer(tdaKoordinate);
    if (Matches(tsQuerprofile, text)) return answer(tdaQuerprofil);
    if (Matches(tsPunktcodes, text)) return answer(tdaPunktcode);
  } else if (Matches(tsNivKoordinaten, text)) {
    return answer(tdaNivKoordinate);
  }
  return {};
}

void TdmNewFormat::BeforeLoad(bool IsLevel) {
  int section;
  switch (def_.TransferDatenart) {
    case tdaKoordinate:
    case tdaNivKoordinate:
      section = IsLevel ? tsNivKoordinaten : tsKoordinaten;
      break;
    case tdaQuerprofil:
      section = tsQuerprofile;
      break;
    case tdaPunktcode:
      section = tsPunktcodes;
      break;
    default: {
      // Recognised by a comment line: the first section with a template in
      // the order lines are classified, so that a title line is not read
      // as data.
      const std::vector<int> order =
          IsLevel ? std::vector<int>{tsNivKoordinaten} : std::vector<int>{tsKoordinaten, tsQuerprofile, tsPunktcodes};
      auto withTemplate = std::find_if(order.begin(), order.end(), [this](int s) {
        return !Definition.Sections[static_cast<size_t>(s)].Template.empty();
      });
      if (withTemplate == order.end()) return;
      section = *withTemplate;
    }
  }
  const int titles = Definition.Sections[static_cast<size_t>(section)].TitleLines;
  if (titles <= 0) return;
  LineList& source = CurrentTransfer().InputLines;
  source.erase(source.begin(), source.begin() + std::min<long>(titles, static_cast<long>(source.size())));
  TakeTitleLines(section);
}

// ---- Stored definitions --------------------------------------------------------------

bool TdmNewFormat::LoadForTransfer(const std::string& name) {
  if (!CheckName(name)) return false;
  const auto stored = FindStoredTemplate(name);
  if (!stored) {
    Tell(kTextTemplateNotStored, kMsgError, {name});
    return false;
  }
  Letters = ReadFieldLetters();
  Definition = ReadStoredTemplate(*stored, Letters);
  DefinitionName = *stored;
  return true;
}

TemplateLoad TdmNewFormat::LoadFromFile(const std::string& path, std::string* fileName) {
  TextLines lines;
  if (!LoadTextFile(path, lines)) {
    Tell(kTextTemplateFileUnreadable, kMsgError, {path});
    return TemplateLoad::Failed;
  }
  std::string name;
  TemplateFileError error;
  auto loaded = ParseTemplateFile(lines, Letters, name, error);
  if (fileName) *fileName = name;
  if (!loaded) {
    if (error.text == kTextTitleCountNotInteger)
      Tell(error.text, kMsgError);
    else
      Tell(error.text, kMsgError, {path, std::to_string(error.line)});
    return TemplateLoad::Failed;
  }
  if (!IsValidTemplateName(name)) {
    Tell(kTextTemplateNameInvalid, kMsgError, {name});
    return TemplateLoad::Failed;
  }
  if (const auto stored = FindStoredTemplate(name)) {
    if (!(ReadStoredTemplate(*stored, Letters) == *loaded) &&
        ShowMessageBox(GetText(kTextReplaceTemplate), kMsgConfirmation, kBtnYesNo) != kAnsYes)
      return TemplateLoad::Declined;
    name = *stored;
  }
  Definition = std::move(*loaded);
  DefinitionName = name;
  WriteStoredTemplate(name, Definition, Letters);
  return TemplateLoad::Loaded;
}

bool TdmNewFormat::SaveToFile(const std::string& directory) {
  if (!CheckName(DefinitionName)) return false;
  const std::string file = TemplateFileName(directory.empty() ? TemplateDirectory() : directory, DefinitionName);
  if (!SaveTextFile(file, TemplateFileLines(DefinitionName, Definition, Letters))) {
    Tell(kTextWriteFailed, kMsgWarning);
    return false;
  }
  Tell(kTextTemplateSaved, kMsgInformation);
  return true;
}

bool TdmNewFormat::SaveToSettings() {
  return CheckName(DefinitionName) && WriteStoredTemplate(DefinitionName, Definition, Letters);
}

}  // namespace veltro
