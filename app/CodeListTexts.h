// Texts the code-list windows build themselves (labels put together at run
// time, items, messages): the language text of a number, with the shipped
// German wording while the language has no text for it. Controls with a
// fixed text number are translated by TranslateForm.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace veltro::codetexts {

// Caption part of GetText(number), or fallback when the language has none.
std::string TextOr(int number, const char* fallback);
QString Caption(int number, const char* fallback);
// Items of GetText(number), or fallback when the language has none.
QStringList Items(int number, const std::vector<std::string>& fallback);

// "Beschreibung (*.x)|*.x|Alle (*.*)|*.*" as a Qt name filter list.
QStringList FileFilters(const std::string& filter);

}  // namespace veltro::codetexts
