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

  void Add(const TStringList& layouts, size_t index, LayoutArgSpan args) { AddAt(layouts, index, args); }
  void Add(const TStringList& layouts, size_t index, LayoutArgViewSpan args) { AddAt(layouts, index, args); }
  void Add(const TStringList& layouts, size_t index, LayoutArgList args) {
    AddAt(layouts, index, LayoutArgViewSpan(args.begin(), args.size()));
  }
  // Formats straight into the record's text.
  void Add(const std::string& layout, LayoutArgSpan args) { Append(layout, args); }
  void Add(const std::string& layout, LayoutArgViewSpan args) { Append(layout, args); }
  void Add(const std::string& layout, LayoutArgList args) {
    Append(layout, LayoutArgViewSpan(args.begin(), args.size()));
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
  template <class Args>
  void AddAt(const TStringList& layouts, size_t index, Args args) {
    if (index >= layouts.size()) {
      failed_ = true;
      return;
    }
    Append(layouts[index], args);
  }
  template <class Args>
  void Append(const std::string& layout, Args args) {
    if (failed_) return;
    if (lines_ > 0) text_ += "\r\n";
    if (!AppendLayout(text_, layout, args, inColumns_)) {
      failed_ = true;
      return;
    }
    ++lines_;
  }

  std::string text_;
  int lines_ = 0;
  bool failed_ = false;
  bool inColumns_ = false;
};

}  // namespace veltro
