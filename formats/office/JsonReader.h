// A JSON (RFC 8259) event reader over any forward iterator of chars, so that
// a document is read as it streams by and never held as a tree. Comments
// (// and /* */) are taken as blanks. Nesting is kept on a small stack of
// its own, not on the call stack: the handler decides how deep it follows.
//
// The handler offers Null(), Boolean(bool), Number(raw text),
// String(text), Key(text), StartObject(), EndObject(), StartArray(),
// EndArray() and Error(reason); each answers false to stop reading.
// Strings reach it as UTF-8, checked; numbers as they are written.
#pragma once

#include <charconv>
#include <string>
#include <system_error>
#include <vector>

namespace veltro {

// A JSON string literal of UTF-8 text.
std::string JsonQuoted(const std::string& utf8);

namespace json_detail {

// The reason for a character where it does not belong.
std::string Unexpected(int c);
// Whether raw follows the number grammar and its value is finite.
bool ValidNumber(const std::string& raw, std::string& reason);
// Appends code point cp as UTF-8.
void AppendUtf8(std::string& out, unsigned cp);
// Checks that text is well-formed UTF-8.
bool ValidUtf8(const std::string& text);

}  // namespace json_detail

template <class Iterator>
class JsonReader {
 public:
  JsonReader(Iterator first, Iterator last) : p_(first), end_(last) {}

  // Reads one document; false when it stopped early (handler or error).
  template <class Handler>
  bool Read(Handler& h) {
    std::vector<bool> open;  // true: object, false: array
    std::string text;
    for (;;) {
      // A value is expected here.
      if (!Blanks()) return h.Error(error_);
      if (p_ == end_) return h.Error("unexpected end of input");
      const char c = *p_;
      if (c == '{' || c == '[') {
        ++p_;
        const bool object = c == '{';
        if (!(object ? h.StartObject() : h.StartArray())) return false;
        open.push_back(object);
        if (!Blanks()) return h.Error(error_);
        if (p_ != end_ && *p_ == (object ? '}' : ']')) {
          ++p_;
          if (!(object ? h.EndObject() : h.EndArray())) return false;
          open.pop_back();
        } else {
          if (object && !Key(h, text)) return false;
          continue;
        }
      } else if (!Scalar(h, text)) {
        return false;
      }
      // After a value: separators and the ends of containers.
      for (;;) {
        if (!Blanks()) return h.Error(error_);
        if (open.empty()) return p_ == end_ ? true : h.Error(json_detail::Unexpected(*p_) + " after the document");
        if (p_ == end_) return h.Error("unexpected end of input");
        const char d = *p_;
        if (d == ',') {
          ++p_;
          if (!open.back()) break;
          if (!Blanks()) return h.Error(error_);
          if (!Key(h, text)) return false;
          break;
        }
        if (d != (open.back() ? '}' : ']')) return h.Error(json_detail::Unexpected(d));
        ++p_;
        if (!(open.back() ? h.EndObject() : h.EndArray())) return false;
        open.pop_back();
      }
    }
  }

 private:
  // Skips blanks and comments; false (error_) on an unclosed comment.
  bool Blanks() {
    while (p_ != end_) {
      const char c = *p_;
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        ++p_;
      } else if (c == '/') {
        ++p_;
        if (p_ == end_ || (*p_ != '/' && *p_ != '*')) return Fail("'/' outside a string");
        if (*p_ == '/') {
          while (p_ != end_ && *p_ != '\n') ++p_;
        } else {
          ++p_;
          char before = 0;
          while (p_ != end_ && !(before == '*' && *p_ == '/')) before = *p_++;
          if (p_ == end_) return Fail("unclosed comment");
          ++p_;
        }
      } else {
        break;
      }
    }
    return true;
  }

  bool Fail(std::string reason) {
    error_ = std::move(reason);
    return false;
  }

  // A member name and its colon; false after telling the handler.
  template <class Handler>
  bool Key(Handler& h, std::string& text) {
    if (p_ == end_) return h.Error("unexpected end of input");
    if (*p_ != '"') return h.Error(json_detail::Unexpected(*p_) + " instead of a member name");
    if (!String(text)) return h.Error(error_);
    if (!h.Key(text)) return false;
    if (!Blanks()) return h.Error(error_);
    if (p_ == end_) return h.Error("unexpected end of input");
    if (*p_ != ':') return h.Error(json_detail::Unexpected(*p_) + " instead of ':'");
    ++p_;
    return true;
  }

  template <class Handler>
  bool Scalar(Handler& h, std::string& text) {
    const char c = *p_;
    if (c == '"') {
      if (!String(text)) return h.Error(error_);
      return h.String(text);
    }
    if (c == 't' || c == 'f' || c == 'n') {
      const char* word = c == 't' ? "true" : c == 'f' ? "false" : "null";
      for (const char* w = word; *w; ++w, ++p_)
        if (p_ == end_ || *p_ != *w) return h.Error(std::string("not a literal (") + word + ")");
      return c == 'n' ? h.Null() : h.Boolean(c == 't');
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      text.clear();
      while (p_ != end_ && ((*p_ >= '0' && *p_ <= '9') || *p_ == '-' || *p_ == '+' || *p_ == '.' || *p_ == 'e' ||
                            *p_ == 'E')) {
        if (text.size() > 4096) return h.Error("number too long");
        text += *p_++;
      }
      std::string reason;
      if (!json_detail::ValidNumber(text, reason)) return h.Error(reason);
      return h.Number(text);
    }
    return h.Error(json_detail::Unexpected(c));
  }

  // A string literal at p_ into text (UTF-8); false (error_) when malformed.
  bool String(std::string& text) {
    text.clear();
    ++p_;  // the opening quote
    for (;;) {
      if (p_ == end_) return Fail("unclosed string");
      const unsigned char c = static_cast<unsigned char>(*p_++);
      if (c == '"') break;
      if (c < 0x20) return Fail("control character in a string");
      if (c != '\\') {
        text += static_cast<char>(c);
        continue;
      }
      if (p_ == end_) return Fail("unclosed string");
      const char e = *p_++;
      switch (e) {
        case '"': text += '"'; break;
        case '\\': text += '\\'; break;
        case '/': text += '/'; break;
        case 'b': text += '\b'; break;
        case 'f': text += '\f'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'u': {
          unsigned cp = 0;
          if (!Hex4(cp)) return false;
          if (cp >= 0xDC00 && cp <= 0xDFFF) return Fail("lone surrogate \\u in a string");
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            unsigned low = 0;
            if (p_ == end_ || *p_ != '\\') return Fail("lone surrogate \\u in a string");
            ++p_;
            if (p_ == end_ || *p_ != 'u') return Fail("lone surrogate \\u in a string");
            ++p_;
            if (!Hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return Fail("lone surrogate \\u in a string");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          json_detail::AppendUtf8(text, cp);
          break;
        }
        default: return Fail("unknown escape in a string");
      }
    }
    if (!json_detail::ValidUtf8(text)) return Fail("ill-formed UTF-8 in a string");
    return true;
  }

  bool Hex4(unsigned& cp) {
    for (int i = 0; i < 4; ++i) {
      if (p_ == end_) return Fail("unclosed string");
      const char h = *p_++;
      const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10
                        : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
      if (digit < 0) return Fail("bad \\u escape in a string");
      cp = cp * 16 + static_cast<unsigned>(digit);
    }
    return true;
  }

  Iterator p_, end_;
  std::string error_;
};

}  // namespace veltro
