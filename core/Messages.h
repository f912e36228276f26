// Texts by number and the one message-box routine through which every part
// of the program speaks to the user.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "platform/MessageBox.h"

namespace veltro {

// The text with that number in the interface language ("" when unknown).
std::string GetText(int number);

// Where GetText takes its texts from (the language library once loaded).
using TextProvider = std::function<std::string(int number)>;
void SetTextProvider(TextProvider provider);

// The single way to show a message: kind 0 warning, 1 error, 2 information,
// 3 confirmation; buttons a set of kBtn* flags. Answers the kAns* value.
int ShowMessageBox(const std::string& text, int kind, int buttons);

// The program's title, shown as the caption of every message box.
std::string ProgramTitle();
void SetProgramTitle(std::string title);

// Fills the placeholders of a language text in order with args. Only "%s",
// "%d" and "%%" are understood and each takes the next argument as text; a
// placeholder without argument is left out. The pattern is never handed to
// printf, so texts from language libraries cannot misformat.
std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args);

}  // namespace veltro
