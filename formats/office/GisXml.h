// The XML side of the exchange formats (GPX, KML, LandXML), on pugixml.
// Elements are built as nodes and printed on one line, so that pugixml does
// all escaping. Reading refuses a document type declaration (no entity of a
// file is ever expanded), walks at most kMaxDepth levels and names the line
// of every element it lists.
#pragma once

#include <pugixml.hpp>

#include "formats/office/GisFormat.h"

namespace veltro {

class TdmGisXmlFormat : public TdmGisFormat {
 public:
  static constexpr int kMaxDepth = 32;

 protected:
  using TdmGisFormat::TdmGisFormat;

  // The node (and its children) on one line, without declaration.
  static std::string ElementLine(const pugi::xml_node& node);
  // An element with a text child.
  static pugi::xml_node AddText(pugi::xml_node parent, const char* name, const std::string& utf8);
  // Parses the file; false (noted) when it is no well-formed XML document,
  // declares a document type or its root is not rootName.
  bool Load(pugi::xml_document& doc, const std::string& bytes, const char* rootName);
  // The element name without its namespace prefix.
  static std::string LocalName(const pugi::xml_node& node);
  // The text of the first child element of that local name ("" for none).
  static std::string ChildText(const pugi::xml_node& node, const char* name);
  static pugi::xml_node Child(const pugi::xml_node& node, const char* name);
  // The line an element starts on.
  std::string Where(const pugi::xml_node& node);
  // The record text of a file text, trimmed.
  std::string Text(const std::string& utf8, const pugi::xml_node& at);
};

}  // namespace veltro
