// The strict XML reader of the tests.
#include "tests/hostsim/xml_reader.h"

#include <cctype>
#include <cstdlib>

namespace {

struct Reader {
  const std::string& text;
  size_t at = 0;
  std::string error;

  bool Fail(const std::string& why) {
    if (error.empty()) error = why + " at byte " + std::to_string(at);
    return false;
  }
  bool Starts(const char* s) const { return text.compare(at, std::string(s).size(), s) == 0; }
  void Spaces() {
    while (at < text.size() &&
           (text[at] == ' ' || text[at] == '\n' || text[at] == '\t' || text[at] == '\r')) {
      ++at;
    }
  }
  bool Name(std::string& name) {
    const size_t start = at;
    while (at < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[at])) || text[at] == '-' ||
            text[at] == '_' || text[at] == ':' || text[at] == '.')) {
      ++at;
    }
    name = text.substr(start, at - start);
    return !name.empty() || Fail("a name expected");
  }
  // Character data up to stop, with references resolved; '<' and a bare '&' are refused.
  bool Chars(char stop, std::string& out) {
    while (at < text.size() && text[at] != stop) {
      const char c = text[at];
      if (c == '<') return Fail("'<' inside a value");
      if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') {
        return Fail("a control character");
      }
      if (c != '&') {
        out += c;
        ++at;
        continue;
      }
      const size_t semicolon = text.find(';', at);
      if (semicolon == std::string::npos) return Fail("an unterminated reference");
      const std::string ref = text.substr(at + 1, semicolon - at - 1);
      static const std::map<std::string, char> named = {
          {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
      if (named.count(ref) != 0) {
        out += named.at(ref);
      } else if (ref.size() > 1 && ref[0] == '#') {
        const long code = std::strtol(ref.c_str() + 1, nullptr, 10);
        if (code <= 0 || code >= 0x80) return Fail("a character reference this reader skips");
        out += static_cast<char>(code);
      } else {
        return Fail("an unknown reference &" + ref + ";");
      }
      at = semicolon + 1;
    }
    return true;
  }
  bool Element(XmlElement& e) {
    if (!Starts("<")) return Fail("'<' expected");
    ++at;
    if (!Name(e.name)) return false;
    for (;;) {
      Spaces();
      if (Starts("/>")) {
        at += 2;
        return true;
      }
      if (Starts(">")) {
        ++at;
        break;
      }
      std::string attribute;
      if (!Name(attribute)) return false;
      if (!Starts("=\"")) return Fail("=\" expected");
      at += 2;
      std::string value;
      if (!Chars('"', value)) return false;
      if (at >= text.size()) return Fail("an unterminated value");
      ++at;
      if (!e.attributes.emplace(attribute, value).second) return Fail("a repeated attribute");
    }
    for (;;) {
      if (!Chars('<', e.text)) return false;
      if (at >= text.size()) return Fail("an unclosed <" + e.name + ">");
      if (Starts("</")) {
        at += 2;
        std::string name;
        if (!Name(name)) return false;
        if (name != e.name) return Fail("</" + name + "> closes <" + e.name + ">");
        Spaces();
        if (!Starts(">")) return Fail("'>' expected");
        ++at;
        return true;
      }
      e.children.push_back(std::make_unique<XmlElement>());
      if (!Element(*e.children.back())) return false;
    }
  }
};

}  // namespace

std::vector<const XmlElement*> XmlElement::Children(const std::string& childName) const {
  std::vector<const XmlElement*> found;
  for (const auto& child : children) {
    if (child->name == childName) found.push_back(child.get());
  }
  return found;
}

std::string XmlElement::Attribute(const std::string& attribute) const {
  const auto it = attributes.find(attribute);
  return it == attributes.end() ? std::string() : it->second;
}

std::unique_ptr<XmlElement> ReadXml(const std::string& text, std::string& error) {
  Reader r{text, 0, {}};
  if (r.Starts("<?xml")) {
    const size_t end = text.find("?>");
    if (end == std::string::npos) {
      error = "an unterminated declaration";
      return nullptr;
    }
    r.at = end + 2;
  }
  r.Spaces();
  auto root = std::make_unique<XmlElement>();
  if (r.Element(*root)) {
    r.Spaces();
    if (r.at == text.size()) return root;
    r.Fail("text after the root element");
  }
  error = r.error;
  return nullptr;
}
