#include "formats/office/GisXml.h"

#include "core/TextUtils.h"
#include "formats/office/JsonReader.h"
#include "platform/CodePage1252.h"

namespace veltro {
namespace {

constexpr int kTextCannotRead = 879;  // %s caption, %s line, %s reason
constexpr int kTextNotAPoint = 876;   // %s caption, %s line, %s type
constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

bool HasDoctype(const std::string& bytes) {
  // In ASCII-based encodings the declaration stands as it is, in UTF-16/32
  // its letters are apart: both are searched.
  if (bytes.find("<!DOCTYPE") != std::string::npos) return true;
  std::string letters;
  for (char c : bytes)
    if (c != '\0') letters += c;
  return letters.find("<!DOCTYPE") != std::string::npos;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool NameStart(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool NameChar(char c) { return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// UTF-16 (little or big endian) as UTF-8; false on a broken surrogate pair.
bool Utf16ToUtf8(const std::string& bytes, size_t from, bool little, std::string& out) {
  const auto unit = [&](size_t i) {
    const unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return little ? a | (b << 8) : (a << 8) | b;
  };
  out.reserve((bytes.size() - from) / 2);
  for (size_t i = from; i + 1 < bytes.size(); i += 2) {
    unsigned cp = unit(i);
    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 3 >= bytes.size()) return false;
      const unsigned low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    json_detail::AppendUtf8(out, cp);
  }
  return bytes.size() % 2 == from % 2;
}

// The encoding named by the XML declaration, upper case ("" for none).
std::string DeclaredEncoding(const std::string& s, size_t at) {
  if (s.compare(at, 5, "<?xml") != 0) return {};
  const size_t end = s.find("?>", at);
  const size_t name = s.find("encoding", at);
  if (end == std::string::npos || name == std::string::npos || name > end) return {};
  const size_t quote = s.find_first_of("\"'", name);
  if (quote == std::string::npos || quote > end) return {};
  const size_t close = s.find(s[quote], quote + 1);
  if (close == std::string::npos || close > end) return {};
  std::string e = s.substr(quote + 1, close - quote - 1);
  for (char& c : e)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return e;
}

class XmlParser {
 public:
  XmlParser(const std::string& s, size_t from) : s_(s), pos_(from) {}

  bool Parse(size_t keepLevels, XmlElement& root) {
    std::vector<std::string> open;  // the names of the open elements
    std::vector<XmlElement*> kept;  // the open elements kept in the tree
    bool seenRoot = false;
    while (pos_ < s_.size()) {
      if (s_[pos_] != '<') {
        size_t lt = s_.find('<', pos_);
        if (lt == std::string::npos) lt = s_.size();
        if (open.empty()) {
          for (size_t i = pos_; i < lt; ++i)
            if (!Blank(s_[i])) return Fail("text outside the root element", i);
        } else {
          // Blanks alone between elements are layout, not text.
          bool blank = true;
          for (size_t i = pos_; i < lt && blank; ++i) blank = Blank(s_[i]);
          if (!blank && !Characters(lt, kept.size() == open.size() ? &kept.back()->text : nullptr, false)) return false;
        }
        Skip(lt);
      } else if (s_.compare(pos_, 4, "<!--") == 0) {
        const size_t end = s_.find("-->", pos_ + 4);
        if (end == std::string::npos) return Fail("unclosed comment", pos_);
        Skip(end + 3);
      } else if (s_.compare(pos_, 9, "<![CDATA[") == 0) {
        const size_t end = s_.find("]]>", pos_ + 9);
        if (open.empty()) return Fail("CDATA outside the root element", pos_);
        if (end == std::string::npos) return Fail("unclosed CDATA section", pos_);
        if (kept.size() == open.size()) AppendLines(pos_ + 9, end, kept.back()->text);
        Skip(end + 3);
      } else if (s_.compare(pos_, 2, "<!") == 0) {
        return Fail(s_.compare(pos_, 9, "<!DOCTYPE") == 0 ? "<!DOCTYPE>" : "markup declaration", pos_);
      } else if (s_.compare(pos_, 2, "<?") == 0) {
        const size_t end = s_.find("?>", pos_ + 2);
        if (end == std::string::npos) return Fail("unclosed processing instruction", pos_);
        Skip(end + 2);
      } else if (s_.compare(pos_, 2, "</") == 0) {
        const size_t at = pos_;
        Skip(pos_ + 2);
        const std::string name = Name();
        SkipBlanks();
        if (pos_ >= s_.size() || s_[pos_] != '>') return Fail("unclosed end tag", at);
        Skip(pos_ + 1);
        if (open.empty() || name != open.back())
          return Fail("</" + name + "> does not close " + (open.empty() ? "anything" : "<" + open.back() + ">"), at);
        if (kept.size() == open.size()) kept.pop_back();
        open.pop_back();
      } else {
        if (open.empty() && seenRoot) return Fail("a second root element", pos_);
        seenRoot = true;
        const size_t at = pos_, line = line_;
        Skip(pos_ + 1);
        std::string name = Name();
        if (name.empty()) return Fail("'<' without an element name", at);
        XmlElement* e = nullptr;
        if (open.size() < keepLevels) {
          e = open.empty() ? &root : &kept.back()->children.emplace_back();
          e->name = name;
          e->line = line;
        }
        bool closed = false;
        for (;;) {
          const size_t before = pos_;
          SkipBlanks();
          if (pos_ >= s_.size()) return Fail("unclosed start tag <" + name + ">", at);
          if (s_[pos_] == '>') {
            Skip(pos_ + 1);
            break;
          }
          if (s_.compare(pos_, 2, "/>") == 0) {
            Skip(pos_ + 2);
            closed = true;
            break;
          }
          if (before == pos_) return Fail("no blank before an attribute of <" + name + ">", pos_);
          std::string attribute = Name();
          if (attribute.empty()) return Fail("bad attribute in <" + name + ">", pos_);
          SkipBlanks();
          if (pos_ >= s_.size() || s_[pos_] != '=') return Fail("attribute " + attribute + " without a value", pos_);
          Skip(pos_ + 1);
          SkipBlanks();
          if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\'')) return Fail("unquoted attribute " + attribute, pos_);
          const size_t end = s_.find(s_[pos_], pos_ + 1);
          if (end == std::string::npos) return Fail("unclosed attribute " + attribute, pos_);
          Skip(pos_ + 1);
          std::string value;
          if (!Characters(end, e ? &value : nullptr, true)) return false;
          Skip(end + 1);
          if (e) e->attributes.emplace_back(std::move(attribute), std::move(value));
        }
        if (!closed) {
          open.push_back(std::move(name));
          if (e) kept.push_back(e);
        }
      }
    }
    if (!open.empty()) return Fail("<" + open.back() + "> is not closed", pos_);
    if (!seenRoot) return Fail("no root element", pos_);
    return true;
  }

  size_t errorLine = 0;
  std::string reason;

 private:
  bool Fail(std::string why, size_t at) {
    errorLine = line_;
    for (size_t i = pos_; i < at && i < s_.size(); ++i)
      if (s_[i] == '\n') ++errorLine;
    reason = std::move(why);
    return false;
  }

  // Moves to position to, counting the lines passed.
  void Skip(size_t to) {
    for (; pos_ < to; ++pos_)
      if (s_[pos_] == '\n') ++line_;
  }

  void SkipBlanks() {
    size_t to = pos_;
    while (to < s_.size() && Blank(s_[to])) ++to;
    Skip(to);
  }

  std::string Name() {
    size_t to = pos_;
    if (to < s_.size() && NameStart(s_[to]))
      while (to < s_.size() && NameChar(s_[to])) ++to;
    std::string name = s_.substr(pos_, to - pos_);
    Skip(to);
    return name;
  }

  // Text with line ends as "\n".
  void AppendLines(size_t from, size_t to, std::string& out) {
    for (size_t i = from; i < to; ++i) {
      if (s_[i] != '\r') out += s_[i];
      else if (i + 1 >= to || s_[i + 1] != '\n') out += '\n';
    }
  }

  // Character data from pos_ to end with references resolved into out (when
  // given); in attributes, line ends and tabs become blanks.
  bool Characters(size_t end, std::string* out, bool attribute) {
    for (size_t i = pos_; i < end; ++i) {
      char c = s_[i];
      if (c == '<') return Fail("'<' in an attribute value", i);
      if (c == '&') {
        const size_t semi = s_.find(';', i);
        if (semi == std::string::npos || semi >= end || semi - i > 12) return Fail("'&' without a reference", i);
        const std::string ref = s_.substr(i + 1, semi - i - 1);
        std::string value;
        if (ref == "lt") value = "<";
        else if (ref == "gt") value = ">";
        else if (ref == "amp") value = "&";
        else if (ref == "apos") value = "'";
        else if (ref == "quot") value = "\"";
        else if (ref.size() > 1 && ref[0] == '#') {
          const bool hex = ref[1] == 'x';
          unsigned long cp = 0;
          const size_t first = hex ? 2 : 1;
          if (first >= ref.size()) return Fail("bad character reference &" + ref + ";", i);
          for (size_t k = first; k < ref.size(); ++k) {
            const char d = ref[k];
            const int digit = d >= '0' && d <= '9' ? d - '0'
                              : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                              : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
            if (digit < 0) return Fail("bad character reference &" + ref + ";", i);
            cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
          }
          if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return Fail("bad character reference &" + ref + ";", i);
          json_detail::AppendUtf8(value, static_cast<unsigned>(cp));
        } else {
          return Fail("undefined entity &" + ref + ";", i);
        }
        if (out) *out += value;
        i = semi;
        continue;
      }
      if (c == '\r') {
        if (i + 1 < end && s_[i + 1] == '\n') continue;
        c = '\n';
      }
      if (attribute && (c == '\n' || c == '\t')) c = ' ';
      if (out) *out += c;
    }
    return true;
  }

  const std::string& s_;
  size_t pos_;
  size_t line_ = 1;
};

void Escape(const std::string& text, bool attribute, std::string& out) {
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>' && !attribute) out += "&gt;";
    else if (attribute && c == '"') out += "&quot;";
    // A raw carriage return would be read back as a line end.
    else if (u < 0x20 && (attribute || (c != '\t' && c != '\n'))) out += "&#" + std::to_string(u) + ";";
    else out += c;
  }
}

void PrintTo(const XmlElement& e, std::string& out) {
  out += '<';
  out += e.name;
  for (const auto& [name, value] : e.attributes) {
    out += ' ' + name + "=\"";
    Escape(value, true, out);
    out += '"';
  }
  if (e.text.empty() && e.children.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  Escape(e.text, false, out);
  for (const XmlElement& child : e.children) PrintTo(child, out);
  out += "</" + e.name + ">";
}

}  // namespace

const std::string& XmlElement::Attribute(const std::string& attribute) const {
  static const std::string kNone;
  for (const auto& [name, value] : attributes)
    if (name == attribute) return value;
  return kNone;
}

XmlElement& XmlElement::Set(const std::string& attribute, std::string value) {
  for (auto& [name, v] : attributes)
    if (name == attribute) {
      v = std::move(value);
      return *this;
    }
  attributes.emplace_back(attribute, std::move(value));
  return *this;
}

XmlElement& XmlElement::Append(std::string childName) {
  XmlElement& child = children.emplace_back();
  child.name = std::move(childName);
  return child;
}

std::string XmlElement::Print() const {
  std::string out;
  PrintTo(*this, out);
  return out;
}

bool ParseXml(const std::string& bytes, size_t keepLevels, XmlElement& root, size_t& errorLine, std::string& reason) {
  root = XmlElement();
  std::string converted;
  const std::string* text = &bytes;
  size_t from = 0;
  const auto at = [&](size_t i) { return i < bytes.size() ? bytes[i] : char(1); };
  const bool little = at(0) == '\xFF' && at(1) == '\xFE';
  const bool big = at(0) == '\xFE' && at(1) == '\xFF';
  if (little || big || (at(0) == '<' && at(1) == '\0') || (at(0) == '\0' && at(1) == '<')) {
    if (!Utf16ToUtf8(bytes, little || big ? 2 : 0, little || at(0) == '<', converted)) {
      errorLine = 1;
      reason = "broken UTF-16";
      return false;
    }
    text = &converted;
  } else {
    if (bytes.compare(0, 3, kUtf8Mark) == 0) from = 3;
    const std::string encoding = DeclaredEncoding(bytes, from);
    if (encoding == "ISO-8859-1" || encoding == "ISO8859-1" || encoding == "LATIN1" || encoding == "LATIN-1") {
      for (size_t i = from; i < bytes.size(); ++i) json_detail::AppendUtf8(converted, static_cast<unsigned char>(bytes[i]));
      text = &converted;
      from = 0;
    } else if (encoding == "WINDOWS-1252" || encoding == "CP1252") {
      converted = AnsiToUtf8(bytes.substr(from));
      text = &converted;
      from = 0;
    }
  }
  XmlParser parser(*text, from);
  if (parser.Parse(keepLevels, root)) return true;
  root = XmlElement();
  errorLine = parser.errorLine;
  reason = parser.reason;
  return false;
}

XmlElement& TdmGisXmlFormat::AddText(XmlElement& parent, const char* name, const std::string& utf8) {
  XmlElement& child = parent.Append(name);
  child.text = utf8;
  return child;
}

bool TdmGisXmlFormat::Load(XmlElement& root, const std::string& bytes, const char* rootName) {
  if (HasDoctype(bytes)) {
    Note(kTextCannotRead, LineOf(bytes.find("<!DOCTYPE")), "<!DOCTYPE>");
    return false;
  }
  size_t line = 0;
  std::string reason;
  // The readers walk kMaxDepth levels below the root and name what stands
  // one level further.
  if (!ParseXml(bytes, kMaxDepth + 2, root, line, reason)) {
    Note(kTextCannotRead, std::to_string(line), reason);
    return false;
  }
  if (LocalName(root) != rootName) {
    Note(kTextNotAPoint, Where(root), "<" + LocalName(root) + ">");
    return false;
  }
  return true;
}

std::string TdmGisXmlFormat::LocalName(const XmlElement& node) {
  const size_t colon = node.name.find(':');
  return colon == std::string::npos ? node.name : node.name.substr(colon + 1);
}

const XmlElement& TdmGisXmlFormat::Child(const XmlElement& node, const char* name) {
  static const XmlElement kNone;
  for (const XmlElement& c : node.children)
    if (LocalName(c) == name) return c;
  return kNone;
}

std::string TdmGisXmlFormat::ChildText(const XmlElement& node, const char* name) { return Child(node, name).text; }

std::string TdmGisXmlFormat::Where(const XmlElement& node) { return std::to_string(node.line); }

std::string TdmGisXmlFormat::Text(const std::string& utf8, const XmlElement& at) {
  return TrimBlanks(FromUtf8(utf8, Where(at)));
}

}  // namespace veltro
