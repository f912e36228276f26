// Texts of the code-list windows: the language text of a number, split into
// caption, items and hint, with the shipped German wording while the
// language has no text for it. Every translated widget carries its text
// number in the property "Tag".
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QAbstractButton;
class QLabel;
class QObject;

namespace veltro::codetexts {

// Language entry: caption, then "¦" items, "§" hint.
struct TextEntry {
  std::string caption;
  std::vector<std::string> items;
  std::string hint;
};
TextEntry SplitEntry(const std::string& entry);

// Caption part of GetText(number), or fallback when the language has none.
std::string TextOr(int number, const char* fallback);
QString Caption(int number, const char* fallback);
// Items of GetText(number), or fallback when the language has none.
QStringList Items(int number, const std::vector<std::string>& fallback);
QString Hint(int number);

void SetTag(QObject* object, int number);
// Label text by the label rule: a design text ending in ":" keeps its colon.
void TranslateLabel(QLabel* label, int number, const char* fallback);
void TranslateButton(QAbstractButton* button, int number, const char* fallback);

// "Beschreibung (*.x)|*.x|Alle (*.*)|*.*" as a Qt name filter list.
QStringList FileFilters(const std::string& filter);

}  // namespace veltro::codetexts
