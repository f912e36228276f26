#include "app/CodeListTexts.h"

#include "core/Language.h"
#include "core/Messages.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro::codetexts {

std::string TextOr(int number, const char* fallback) {
  std::string caption = SplitTextEntry(GetText(number)).caption;
  return caption.empty() ? std::string(fallback) : caption;
}

QString Caption(int number, const char* fallback) { return FromAnsi(TextOr(number, fallback)); }

QStringList Items(int number, const std::vector<std::string>& fallback) {
  std::vector<std::string> items = SplitTextEntry(GetText(number)).items;
  if (items.empty()) items = fallback;
  QStringList list;
  for (const auto& item : items) list << FromAnsi(item);
  return list;
}

QStringList FileFilters(const std::string& filter) {
  QStringList parts = FromAnsi(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QString patterns = parts[i + 1].trimmed().replace(';', ' ');
    filters << (description.contains('(') ? description : description + " (" + patterns + ")");
  }
  if (filters.isEmpty()) filters << "* (*)";
  return filters;
}

}  // namespace veltro::codetexts
