// The text of one written record: lines joined with CR LF; one line that
// cannot be formatted makes the whole record "Error".
#pragma once

#include <string>
#include <string_view>

#include "core/DatenformatDefinitionen.h"
#include "core/ReadWriteDaten.h"
#include "formats/office/Layout.h"

namespace veltro {

class RecordText {
 public:
  // inColumns: fixed-column lines, where a value wider than its field fails
  // (FormatLayoutInColumns).
  explicit RecordText(bool inColumns = false) : inColumns_(inColumns) {}

  void Add(const TStringList& layouts, size_t index, LayoutArgSpan args) {
    if (failed_) return;
    if (index >= layouts.size()) {
      failed_ = true;
      return;
    }
    Add(layouts[index], args);
  }
  void Add(const TStringList& layouts, size_t index, std::initializer_list<LayoutArg> args) {
    Add(layouts, index, LayoutArgSpan(args.begin(), args.size()));
  }
  void Add(const std::string& layout, LayoutArgSpan args) {
    if (failed_) return;
    auto line = inColumns_ ? FormatLayoutInColumns(layout, args) : FormatLayout(layout, args);
    if (!line) {
      failed_ = true;
      return;
    }
    AddLine(*line);
  }
  void Add(const std::string& layout, std::initializer_list<LayoutArg> args) {
    Add(layout, LayoutArgSpan(args.begin(), args.size()));
  }
  void AddLine(std::string_view line) {
    if (failed_) return;
    if (lines_ > 0) text_ += "\r\n";
    text_ += line;
    ++lines_;
  }
  // Appends the lines of another record's text; "Error" fails this one too.
  void AddText(const std::string& text) {
    if (text == kWriteError) failed_ = true;
    if (failed_ || text.empty()) return;
    AddLine(text);
  }
  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }
  bool Empty() const { return lines_ == 0; }
  // The text without line ends at its end; called once, at the end.
  std::string Result() {
    if (failed_) return std::string(kWriteError);
    while (!text_.empty() && (text_.back() == '\r' || text_.back() == '\n')) text_.pop_back();
    return std::move(text_);
  }

 private:
  std::string text_;
  int lines_ = 0;
  bool failed_ = false;
  bool inColumns_ = false;
};

}  // namespace veltro
