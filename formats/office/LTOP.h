// TdmLTOP: LTOP coordinate files ("Koord*.ltop"): a "$$PK" line, then one
// point per line in fixed columns (name, code, Y and X in 12 columns each,
// height, ...), 160 characters. A point without height leaves the height
// column blank, as LTOP's own files do. Measurement files ("$$ME") are
// neither read nor written.
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmLTOP : public TdmOfficeFormat {
 public:
  explicit TdmLTOP(TDFD& dfd);

  // The line fits the layout, holds numbers in its Y and X columns, and the
  // source holds "$$PK". A measurement file is not recognised, and the user
  // is told once.
  bool IsLTOPLine(const std::string& line, const std::string& buf);

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
  const std::string& KoordinatenLayout(const TPunkt& p) const override;

 private:
  // "$$PK" in the loaded source, searched once per source.
  bool SourceHasStart();
  std::string noHeightLayout_;
  struct SourceKey {
    const void* data = nullptr;
    size_t size = 0;
    std::string first;
    bool operator==(const SourceKey&) const = default;
  };
  SourceKey searched_;
  bool hasStart_ = false;
  std::string told_;
};

}  // namespace veltro
