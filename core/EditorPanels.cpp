#include "core/EditorPanels.h"

namespace veltro {
namespace {
EditorPanelSetup* g_panels = nullptr;
}  // namespace

EditorPanelSetup* EditorPanels() { return g_panels; }

EditorPanelsScope::EditorPanelsScope(EditorPanelSetup* setup) : previous_(g_panels) { g_panels = setup; }

EditorPanelsScope::~EditorPanelsScope() { g_panels = previous_; }

std::string PictureFromDateFormat(const std::string& format) {
  std::string picture = format;
  for (char& c : picture) {
    switch (c) {
      case 'D':
      case 'd':
      case 'H':
      case 'h':
      case 'M':
      case 'm':
      case 'S':
      case 's':
      case 'Y':
      case 'y':
        c = '9';
        break;
      case '-':
        c = 'X';
        break;
      default:
        break;
    }
  }
  return picture;
}

std::string PictureItems(std::initializer_list<std::string> items) {
  std::string out;
  bool first = true;
  for (const std::string& item : items) {
    if (!first) out += '\r';
    out += item;
    first = false;
  }
  return out;
}

void ConfigurePanels(const std::vector<EditorPanelSpec>& specs) {
  if (!g_panels) return;
  for (const EditorPanelSpec& spec : specs)
    g_panels->ConfigurePanel(spec.panel, spec.enabled, spec.pictures, spec.required);
}

}  // namespace veltro
