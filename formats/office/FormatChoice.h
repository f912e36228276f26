// The set of offered format pages of the main window ("Activ formats"): bit n
// set means page n shows its tab. Page 0 is always offered. The dialog
// "Datenformate" edits the set with one check box per page from page 1 on;
// this is its model, without any GUI.
#pragma once

#include <string>
#include <vector>

namespace veltro {

inline constexpr const char* kSettingActivFormats = "Activ formats";
inline constexpr int kDefaultActivFormats = 515;  // pages 0, 1 and 9
inline constexpr int kMaxFormatPages = 31;         // bits of the integer setting
inline constexpr int kTextSelectedPageStays = 325; // refusal to hide the page in use

bool PageOffered(int mask, int page);

class FormatChoice {
 public:
  // pages: number of option pages (boxes 1 to pages - 1); selectedPage: the
  // page shown at the moment, whose box cannot be unchecked.
  FormatChoice(int mask, int pages, int selectedPage);

  int Boxes() const { return static_cast<int>(checked_.size()); }
  bool Checked(int box) const;
  // Checks or unchecks box n (1 to Boxes()); false when refused, that is
  // when unchecking the selected page's box; the box then stays checked.
  bool SetChecked(int box, bool checked);
  // 1 plus 2^n for every checked box n.
  int Mask() const;

 private:
  std::vector<bool> checked_;  // index n - 1 for box n
  int selectedPage_;
};

// The setting, read with its default, and written back.
int ReadActivFormats();
void WriteActivFormats(int mask);

}  // namespace veltro
