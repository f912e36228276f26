#include "formats/office/FormatChoice.h"

#include <algorithm>

#include "core/Settings.h"
#include "platform/Registry.h"

namespace veltro {

bool PageOffered(int mask, int page) {
  if (page == 0) return true;
  if (page < 0 || page > kMaxFormatPages - 1) return false;
  return (static_cast<unsigned>(mask) >> page) & 1u;
}

FormatChoice::FormatChoice(int mask, int pages, int selectedPage) : selectedPage_(selectedPage) {
  const int boxes = std::clamp(pages - 1, 0, kMaxFormatPages - 1);
  checked_.resize(static_cast<size_t>(boxes));
  for (int n = 1; n <= boxes; ++n) checked_[static_cast<size_t>(n - 1)] = PageOffered(mask, n);
}

bool FormatChoice::Checked(int box) const {
  return box >= 1 && box <= Boxes() && checked_[static_cast<size_t>(box - 1)];
}

bool FormatChoice::SetChecked(int box, bool checked) {
  if (box < 1 || box > Boxes()) return false;
  if (!checked && box == selectedPage_) {
    checked_[static_cast<size_t>(box - 1)] = true;
    return false;
  }
  checked_[static_cast<size_t>(box - 1)] = checked;
  return true;
}

int FormatChoice::Mask() const {
  unsigned mask = 1;
  for (int n = 1; n <= Boxes(); ++n)
    if (Checked(n)) mask |= 1u << n;
  return static_cast<int>(mask);
}

int ReadActivFormats() {
  return ReadRegInteger(RegistryRoot::CurrentUser, ConfigPath(kSettingActivFormats), kDefaultActivFormats) | 1;
}

void WriteActivFormats(int mask) {
  WriteRegInteger(RegistryRoot::CurrentUser, ConfigPath(kSettingActivFormats), mask | 1, true);
}

}  // namespace veltro
