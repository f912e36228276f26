// What the instrument format modules share: the pass-through office format,
// the recognition handler behind every OnFormat, the binding of a recognised
// kind, the engine's line list for readers that consume continuation lines,
// the notes of a transfer and small text helpers of the writers.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/DatenformatDefinitionen.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"
#include "platform/TextFile.h"
#include "core/TextUtils.h"

namespace veltro {

class TGeraete;

// The raw pass-through office format "Original" of TDFD, or nullptr.
TDatenformatDefinitionen* OriginalFormat();
// The active office format is the pass-through format.
bool OfficeIsPassThrough();

// Clears every event handler of format, and its bound transfer component
// when it belongs to module (a format module going away).
void UnbindFormatHandlers(TGeraeteFormat& format, const TDataModule& module);

// After a line was recognised as format: binds the format and the
// pass-through format to kind, when both have OnSetTDA.
void BindRecognisedKind(TGeraeteFormat& format, TTransferDatenart kind);

// The line after Daten.Konstanten.Zeile in the engine's active line list;
// nullptr at its end or without a list. The line is a copy that stays
// valid until the next call.
const std::string* NextLine(const TDaten& Daten);
// Moves Zeile onto the next line (which must exist), which becomes part of
// the record's source lines; answers it.
std::string ConsumeNextLine(TDaten& Daten);

// The OnFormat handler of a format: runs the detector of `candidate` on S.
// With an answer, the kind of the tag is bound (BindRecognisedKind) and the
// tag is returned; without one the general recognition decides
// (ChangeGeraeteFormat).
std::string RecogniseFormatLine(TGeraete& geraete, TGeraeteFormat& format, const char* candidate,
                                const std::string& S, const std::string& Buf,
                                const std::function<TTransferDatenart(const std::string& tag)>& kindOf);

// Removes the last line when it contains the end mark EOT (0x04).
void RemoveTrailingEndMark(LineList& lines);

// a to z in upper case; other bytes unchanged.
std::string UpperAscii(std::string text);

// Appends a language text filled with args to the transfer's message list.
void AddNote(int text, std::initializer_list<std::string> args);

// A transfer component of module for kind with the module's handlers; a
// handler not given stays unset ("not supported").
template <class Module>
TReadWriteDaten* AddFormatComponent(
    Module& module, const char* name, TTransferDatenart kind,
    std::type_identity_t<void (Module::*)(const std::string&, TDaten&)> read,
    std::type_identity_t<std::string (Module::*)(TDaten&)> write = nullptr,
    std::type_identity_t<void (Module::*)(const std::string&, TTransferStatistik&)> statistik = nullptr) {
  TReadWriteDaten* rw = AddReadWriteDaten(module, name, kind);
  Module* m = &module;
  if (read) rw->OnRead = [m, read](const std::string& S, TDaten& D) { (m->*read)(S, D); };
  if (write) rw->OnWrite = [m, write](TDaten& D) { return (m->*write)(D); };
  if (statistik) rw->OnStatistik = [m, statistik](const std::string& S, TTransferStatistik& St) { (m->*statistik)(S, St); };
  return rw;
}

// Appends to the transfer's error list: the language text filled with the
// line number, then the line itself.
void AddLineError(int text, int lineNumber, const std::string& line);

// text without leading and trailing blanks (a view into it).
inline std::string_view TrimBlanksView(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// A decimal text as written in a file ("00512", "+1.50") in its plain form
// ("512", "1.50"); a text that is no number comes back trimmed.
std::string PlainNumber(std::string_view text);

// The point a line classifier converted while phase 2 converts the received
// lines, kept for the reader of the same line (a coordinate system is asked
// once per point). The classifier fills Start()'s point: its flags, number,
// codes, comment and coordinates, every one of them each time; Take hands
// those fields to the reader's point, whose other fields keep their reset
// values. The kept point lives on, so its texts keep their buffers.
class ConvertedPoint {
 public:
  TPunkt& Start() {
    line_ = -1;
    return point_;
  }
  void Keep(int line, const std::string& text) {
    line_ = line;
    text_ = text;
  }
  // The kept point's fields when it belongs to this line; given out once.
  bool Take(int line, const std::string& text, TPunkt& point) {
    if (line_ < 0 || line_ != line || text_ != text) return false;
    point.Messflags = point_.Messflags;
    point.Punktnummer = point_.Punktnummer;
    point.Code1 = point_.Code1;
    point.Kommentar = point_.Kommentar;
    point.Y = point_.Y;
    point.X = point_.X;
    point.Hoehe = point_.Hoehe;
    line_ = -1;
    return true;
  }

 private:
  int line_ = -1;
  std::string text_;
  TPunkt point_;
};

}  // namespace veltro
