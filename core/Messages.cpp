#include "core/Messages.h"

#include <array>
#include <vector>

#include "core/Language.h"

namespace veltro {
namespace {
TextProvider g_provider;
std::string g_title = "Datentransfer f\xFCr Tachymeter";

// Index 0 is the date/time error text, 1 to 4 the titles of kinds 0 to 3.
constexpr int kFirstProgramText = 37;
std::array<std::string, 5> g_programTexts = {"Error in date or time", "Warning", "Error", "Information",
                                             "Confirmation"};

bool Has(int buttons, int flags) { return (buttons & flags) == flags; }
}  // namespace

std::string GetText(int number) { return g_provider ? g_provider(number) : LanguageText(number); }

void SetTextProvider(TextProvider provider) { g_provider = std::move(provider); }

std::string ProgramTitle() { return g_title; }
void SetProgramTitle(std::string title) { g_title = std::move(title); }

void LoadMessageTitles(int languageId) {
  const int base = 100 * (languageId & 0x3FF) + 1000;
  for (size_t i = 0; i < g_programTexts.size(); ++i) {
    const int n = kFirstProgramText + static_cast<int>(i);
    std::string text = ProgramString(n + base);
    if (text.empty()) text = ProgramString(n + 1900);
    g_programTexts[i] = text;
  }
}

std::string MessageTitle(int kind) {
  if (kind < kMsgWarning || kind > kMsgConfirmation) return g_title;
  return g_programTexts[static_cast<size_t>(kind) + 1];
}

std::string DateTimeErrorText() { return g_programTexts[0]; }

int MessageBoxButtons(int buttons) {
  // Later sets win; no match leaves OK.
  static constexpr int kSets[] = {
      kBtnAbort | kBtnRetry | kBtnIgnore, kBtnOk, kBtnOk | kBtnCancel, kBtnRetry | kBtnCancel, kBtnYes | kBtnNo,
      kBtnYes | kBtnNo | kBtnCancel};
  int style = kBtnOk;
  for (int set : kSets)
    if (Has(buttons, set)) style = set;
  if (buttons & kBtnHelp) style |= kBtnHelp;
  return style;
}

int ShowMessageBox(const std::string& text, int kind, int buttons) {
  return CurrentMessageBox().Show(MessageTitle(kind), ExpandTextEscapes(text), kind, MessageBoxButtons(buttons));
}

std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args) {
  return FormatText(pattern, std::vector<std::string>(args));
}

std::string FormatText(const std::string& pattern, const std::vector<std::string>& a) {
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
