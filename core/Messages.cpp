#include "core/Messages.h"

#include <vector>

namespace veltro {
namespace {
TextProvider g_provider;
std::string g_title = "Datentransfer f\xFCr Tachymeter";
}  // namespace

std::string GetText(int number) { return g_provider ? g_provider(number) : std::string(); }

void SetTextProvider(TextProvider provider) { g_provider = std::move(provider); }

std::string ProgramTitle() { return g_title; }
void SetProgramTitle(std::string title) { g_title = std::move(title); }

int ShowMessageBox(const std::string& text, int kind, int buttons) {
  return CurrentMessageBox().Show(g_title, text, kind, buttons);
}

std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args) {
  std::vector<std::string> a(args);
  size_t next = 0;
  std::string out;
  out.reserve(pattern.size() + 16);
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      char f = pattern[i + 1];
      if (f == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (f == 's' || f == 'd') {
        if (next < a.size()) out += a[next++];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace veltro
