// A strict reader of the XML that reports are made of (elements, attributes, text, character and
// the five named references, a declaration): enough to take a JUnit file apart in a test, and to
// refuse one that is not well-formed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

struct XmlElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;  // the character data directly inside, references resolved
  std::vector<std::unique_ptr<XmlElement>> children;

  // The children named name, in order.
  std::vector<const XmlElement*> Children(const std::string& childName) const;
  // The attribute's value; empty when missing.
  std::string Attribute(const std::string& attribute) const;
};

// The document's root element; null (and error set) when the text is not well-formed.
std::unique_ptr<XmlElement> ReadXml(const std::string& text, std::string& error);
