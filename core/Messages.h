// Texts by number and the one message-box routine through which every part
// of the program speaks to the user.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace veltro {

// The text with that number in the interface language ("" when unknown):
// from the active language library (core/Language.h) unless a provider is
// installed.
std::string GetText(int number);

// Replaces the language library as the source of GetText (tests, the
// headless converter); nullptr goes back to the language library.
using TextProvider = std::function<std::string(int number)>;
void SetTextProvider(TextProvider provider);

// The single way to show a message: kind 0 warning, 1 error, 2 information,
// 3 confirmation; buttons a set of kBtn* flags. The "#" escapes of the text
// are expanded, the title is the word for the kind, and the buttons are one
// of the standard sets (MessageBoxButtons). Answers the kAns* value.
int ShowMessageBox(const std::string& text, int kind, int buttons);

// The button set actually offered for the flags, each later rule overriding
// the earlier ones: Abort+Retry+Ignore, OK, OK+Cancel, Retry+Cancel, Yes+No,
// Yes+No+Cancel; anything else OK. Help is added when asked for.
int MessageBoxButtons(int buttons);

// Message titles per kind and the date/time error text, taken from the
// program's string table for a Windows language identifier (only the
// primary language, the low 10 bits, counts; English when the table has no
// text). Before the first call the titles are the English ones.
void LoadMessageTitles(int languageId);
std::string MessageTitle(int kind);
std::string DateTimeErrorText();

// The program's title (the application title shown by the main window).
std::string ProgramTitle();
void SetProgramTitle(std::string title);

// Fills the placeholders of a language text in order with args. Only "%s",
// "%d" and "%%" are understood and each takes the next argument as text; a
// placeholder without argument is left out. The pattern is never handed to
// printf, so texts from language libraries cannot misformat.
std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args);
std::string FormatText(const std::string& pattern, const std::vector<std::string>& args);

}  // namespace veltro
