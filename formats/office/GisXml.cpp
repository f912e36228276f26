#include "formats/office/GisXml.h"

#include <sstream>

#include "core/TextUtils.h"

namespace veltro {
namespace {

constexpr int kTextCannotRead = 879;  // %s caption, %s line, %s reason
constexpr int kTextNotAPoint = 876;   // %s caption, %s line, %s type

bool HasDoctype(const std::string& bytes) {
  // Any encoding pugixml reads puts the declaration in ASCII or in UTF-16/32,
  // where the letters are apart: both are searched.
  if (bytes.find("<!DOCTYPE") != std::string::npos) return true;
  std::string letters;
  for (char c : bytes)
    if (c != '\0') letters += c;
  return letters.find("<!DOCTYPE") != std::string::npos;
}

}  // namespace

std::string TdmGisXmlFormat::ElementLine(const pugi::xml_node& node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

pugi::xml_node TdmGisXmlFormat::AddText(pugi::xml_node parent, const char* name, const std::string& utf8) {
  pugi::xml_node child = parent.append_child(name);
  child.text().set(utf8.c_str());
  return child;
}

bool TdmGisXmlFormat::Load(pugi::xml_document& doc, const std::string& bytes, const char* rootName) {
  if (HasDoctype(bytes)) {
    Note(kTextCannotRead, LineOf(bytes.find("<!DOCTYPE")), "<!DOCTYPE>");
    return false;
  }
  const pugi::xml_parse_result result =
      doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default & ~pugi::parse_doctype, pugi::encoding_auto);
  if (!result) {
    Note(kTextCannotRead, LineOf(static_cast<size_t>(result.offset)), result.description());
    return false;
  }
  const pugi::xml_node root = doc.document_element();
  if (LocalName(root) != rootName) {
    Note(kTextNotAPoint, Where(root), "<" + LocalName(root) + ">");
    return false;
  }
  return true;
}

std::string TdmGisXmlFormat::LocalName(const pugi::xml_node& node) {
  const std::string name = node.name();
  const size_t colon = name.find(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

pugi::xml_node TdmGisXmlFormat::Child(const pugi::xml_node& node, const char* name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && LocalName(c) == name) return c;
  return {};
}

std::string TdmGisXmlFormat::ChildText(const pugi::xml_node& node, const char* name) {
  return Child(node, name).text().get();
}

std::string TdmGisXmlFormat::Where(const pugi::xml_node& node) {
  return LineOf(static_cast<size_t>(std::max<std::ptrdiff_t>(node.offset_debug(), 0)));
}

std::string TdmGisXmlFormat::Text(const std::string& utf8, const pugi::xml_node& at) {
  return TrimBlanks(FromUtf8(utf8, Where(at)));
}

}  // namespace veltro
