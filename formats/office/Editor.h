// TdmEditor: the keyboard-input format. Its source is the manual point list
// (the editor lines of the transfer, filled by the coordinate input window)
// or a file of such lines: "Koord*.nez" coordinates
//
//   point;Y;X;height;code;comment
//
// and "Code*.cod" point codes "code¦entity¦layer". Read only.
#pragma once

#include "formats/office/OfficeFormat.h"
#include "platform/TextFile.h"

namespace veltro {

class TdmEditor : public TdmOfficeFormat {
 public:
  explicit TdmEditor(TDFD& dfd);

  TReadWriteDaten* Punktcodes = nullptr;

  // The manual point list, owned by the transfer state; the coordinate input
  // fills it and a transfer from the Editor page reads it.
  static TextLines& Punktliste();

  // The line tests: a coordinate line, a point-code line.
  bool IsPunktcodeLine(const std::string& line) const;
  void PunktcodesRead(const std::string& S, TDaten& Daten);
  void PunktcodesStatistik(const std::string& S, TTransferStatistik& State);

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt&) override { return std::nullopt; }
};

}  // namespace veltro
