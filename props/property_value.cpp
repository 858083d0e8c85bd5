// Copy and release of property value list entries and their idents.
#include "props/property_value.h"

#include "props/string_copy.h"
#include "strings/memory.h"

PropertyValue PropValueCopy(const PropertyValue* source) {
  if (source == nullptr) return PropertyValue{{0, nullptr}, {PropInt, {}}};
  return PropertyValue{PropIdentCopy(&source->ident), TypedValueCopy(&source->value)};
}

void PropValueFree(PropertyValue* entry) {
  if (entry == nullptr) return;
  PropIdentFree(&entry->ident);
  entry->ident.name = nullptr;
  TypedValueFree(&entry->value);
}

PropertyIdent PropIdentCopy(const PropertyIdent* source) {
  if (source == nullptr) return PropertyIdent{0, nullptr};
  PropertyIdent copy = *source;
  // Only a named ident owns its name; a numbered one's pointer (normally null) is the caller's.
  if (copy.num == 0 && copy.name != nullptr) copy.name = PropStringCopy(source->name);
  return copy;
}

void PropIdentFree(PropertyIdent* ident) {
  if (ident == nullptr || ident->num != 0) return;
  MemFree(const_cast<char*>(ident->name));
  ident->name = nullptr;
}
