// The XML side of the exchange formats (GPX, KML, LandXML): a small element
// tree, written on one line with all escaping, and read from UTF-8, UTF-16
// or ISO-8859-1 documents. Reading refuses a document type declaration (no
// entity of a file is ever expanded), keeps the tree only kMaxDepth levels
// and a little more deep (deeper elements are checked, not kept), and names
// the line of every element it lists.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formats/office/GisFormat.h"

namespace veltro {

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;  // the element's own character data, entities resolved
  size_t line = 0;   // the line its start tag stands on
  std::vector<XmlElement> children;

  bool empty() const { return name.empty(); }
  // The attribute's value ("" for none).
  const std::string& Attribute(const std::string& attribute) const;
  XmlElement& Set(const std::string& attribute, std::string value);
  XmlElement& Append(std::string childName);
  // The element and its children on one line.
  std::string Print() const;
};

// Parses a whole document into root. Elements below keepLevels levels (the
// root is level 1) are checked but not kept. False, with the line and the
// reason, when it is no well-formed document or declares a document type.
bool ParseXml(const std::string& bytes, size_t keepLevels, XmlElement& root, size_t& errorLine,
              std::string& reason);

class TdmGisXmlFormat : public TdmGisFormat {
 public:
  static constexpr int kMaxDepth = 32;

 protected:
  using TdmGisFormat::TdmGisFormat;

  // An element with a text child.
  static XmlElement& AddText(XmlElement& parent, const char* name, const std::string& utf8);
  // Parses the file; false (noted) when it is no well-formed XML document,
  // declares a document type or its root is not rootName.
  bool Load(XmlElement& root, const std::string& bytes, const char* rootName);
  // The element name without its namespace prefix.
  static std::string LocalName(const XmlElement& node);
  // The text of the first child element of that local name ("" for none).
  static std::string ChildText(const XmlElement& node, const char* name);
  // The first child element of that local name (an empty one for none).
  static const XmlElement& Child(const XmlElement& node, const char* name);
  // The line an element starts on.
  static std::string Where(const XmlElement& node);
  // The record text of a file text, trimmed.
  std::string Text(const std::string& utf8, const XmlElement& at);
};

}  // namespace veltro
