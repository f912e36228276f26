// Instrument format "Edit" for the viewer and the record editor, added to
// any catalogue module. Blank-separated lines:
//   ST <nr>                station (a MainElement marker)
//   STATION <nr>           station too (a longer marker)
//   PT <nr> <y> <x> <h>    coordinate; its writer answers "Error" when y or x
//                          is empty
//   NP <nr>                new point; the lines after it that begin with two
//                          blanks are its remarks (one record, several lines)
//   REM <text>             comment: read, but no writer
//   IN <project> <date> <time>  information; date "DD.MM.YY", time "HH:MM"
//                          (the format's Datumsformat and Uhrzeitformat)
//   QP <station> <code> <offset> <height>  cross section
//   MD <point> <reading> <ground height>    levelling reading
//   LP <nr>                long profile (a kind the record editor has no
//                          panel for)
//   anything else          no record (tdaNone)
// Modify and MoreLine are set, OnEditNext stops at every record, and
// OnPrepEditor cuts a raw stream into lines at every "|".
#pragma once

#include <string>

#include "core/Components.h"
#include "core/DatenformatDefinitionen.h"

namespace veltro::test {

struct EditFormat {
  explicit EditFormat(TDataModule& catalogue);

  // "dEdit" when a line of text begins with "ST " or "PT ", else "".
  static std::string Detect(const std::string& text);

  TDataModule module{"dmEdit"};
  TGeraeteFormat* format = nullptr;
  TReadWriteDaten* Neupunkte = nullptr;
  int initEditorCalls = 0;
  int prepEditorCalls = 0;
};

}  // namespace veltro::test
