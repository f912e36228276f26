#include "app/CodeListTexts.h"

#include <QAbstractButton>
#include <QLabel>

#include "core/Messages.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro::codetexts {
namespace {
constexpr char kItemMark = '\xA6';  // "¦"
constexpr char kHintMark = '\xA7';  // "§"
}  // namespace

TextEntry SplitEntry(const std::string& entry) {
  TextEntry result;
  size_t pos = entry.find_first_of(std::string{kItemMark, kHintMark});
  result.caption = entry.substr(0, pos);
  while (pos != std::string::npos) {
    const char mark = entry[pos];
    size_t next = entry.find_first_of(std::string{kItemMark, kHintMark}, pos + 1);
    std::string part = entry.substr(pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1);
    if (mark == kItemMark)
      result.items.push_back(part);
    else
      result.hint = part;
    pos = next;
  }
  return result;
}

std::string TextOr(int number, const char* fallback) {
  std::string caption = SplitEntry(GetText(number)).caption;
  return caption.empty() ? std::string(fallback) : caption;
}

QString Caption(int number, const char* fallback) { return FromAnsi(TextOr(number, fallback)); }

QStringList Items(int number, const std::vector<std::string>& fallback) {
  std::vector<std::string> items = SplitEntry(GetText(number)).items;
  if (items.empty()) items = fallback;
  QStringList list;
  for (const auto& item : items) list << FromAnsi(item);
  return list;
}

QString Hint(int number) { return FromAnsi(SplitEntry(GetText(number)).hint); }

void SetTag(QObject* object, int number) { object->setProperty("Tag", number); }

void TranslateLabel(QLabel* label, int number, const char* fallback) {
  SetTag(label, number);
  const bool colon = label->text().endsWith(':') || std::string(fallback).ends_with(':');
  QString text = Caption(number, fallback);
  if (colon && !text.endsWith(':')) text += ':';
  label->setText(text);
  const QString hint = Hint(number);
  if (!hint.isEmpty()) label->setToolTip(hint);
}

void TranslateButton(QAbstractButton* button, int number, const char* fallback) {
  SetTag(button, number);
  button->setText(Caption(number, fallback));
  const QString hint = Hint(number);
  if (!hint.isEmpty()) button->setToolTip(hint);
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
