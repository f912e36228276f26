// The record editor's panels as the instrument format modules set them up.
//
// A format binds its editor set-up in two places:
//   - its OnInitEditor handler (called once when the viewer shows a text of
//     the format) configures each panel it edits with ConfigurePanel;
//   - its kind-of-line handler (OnGetDatenart) or its reader may adjust the
//     fields of the record at hand with EnablePanel, SetDecimals, SetCaption
//     and SetRemark.
// Both reach the editor through EditorPanels(), which is set only while the
// viewer runs those handlers for the editor; during a transfer it is nullptr,
// so a handler tests it and does nothing else.
//
// Panels are named as the editor names them (kPanel... below). Flags and
// pictures go by label in the panel's label order.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace veltro {

inline constexpr const char* kPanelInfos = "Infos";
inline constexpr const char* kPanelStationen = "Stationen";
inline constexpr const char* kPanelPunkte = "Punkte";
inline constexpr const char* kPanelKoordinaten = "Koordinaten";
inline constexpr const char* kPanelQuerprofile = "Querprofile";
inline constexpr const char* kPanelPunktcodes = "Punktcodes";
inline constexpr const char* kPanelStartdaten = "Startdaten";
inline constexpr const char* kPanelMessdaten = "Messdaten";
inline constexpr const char* kPanelEnddaten = "Enddaten";
inline constexpr const char* kPanelBeschreibung = "Beschreibung";

class EditorPanelSetup {
 public:
  virtual ~EditorPanelSetup() = default;
  // Per label: the i-th character of enabled ("F" false, anything else
  // true) enables the label and its field, the i-th CR-separated item of
  // pictures becomes the field's picture (missing items: no picture), the
  // i-th character of required sets whether a value is needed ("F" no).
  virtual void ConfigurePanel(const std::string& panel, const std::string& enabled, const std::string& pictures,
                              const std::string& required) = 0;
  // Per label: "0" leaves it, "F" disables it, anything else enables it.
  virtual void EnablePanel(const std::string& panel, const std::string& flags) = 0;
  // Per label: "0" leaves it; a digit n moves the decimals of the field's
  // picture one step towards n (a shorter picture, or a "9" appended).
  virtual void SetDecimals(const std::string& panel, const std::string& digits) = 0;
  // The window caption for the record about to be shown.
  virtual void SetCaption(const std::string& caption) = 0;
  // The remark of the reading shown on the measurement panel.
  virtual void SetRemark(const std::string& remark) = 0;
};

// The editor being prepared, or nullptr.
EditorPanelSetup* EditorPanels();

// Makes setup the editor being prepared for the scope's lifetime.
class EditorPanelsScope {
 public:
  explicit EditorPanelsScope(EditorPanelSetup* setup);
  ~EditorPanelsScope();
  EditorPanelsScope(const EditorPanelsScope&) = delete;
  EditorPanelsScope& operator=(const EditorPanelsScope&) = delete;

 private:
  EditorPanelSetup* previous_;
};

// The picture of a date or time field: "D", "H", "M", "S", "Y" (any case)
// become "9", "-" becomes "X" (any character); "DD/MM/YY" gives "99/99/99".
std::string PictureFromDateFormat(const std::string& format);

// Items joined into a pictures argument of ConfigurePanel (CR-separated).
std::string PictureItems(std::initializer_list<std::string> items);

// The set-up of one panel as ConfigurePanel takes it.
struct EditorPanelSpec {
  const char* panel;
  const char* enabled;
  const char* required;
  std::string pictures;
};
// ConfigurePanel of the editor being prepared for every spec (nothing
// without one).
void ConfigurePanels(const std::vector<EditorPanelSpec>& specs);

}  // namespace veltro
