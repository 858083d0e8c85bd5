// Fronts: short forms of the property wrappers that build the PropertyIdent on the stack (a
// numbered one {number, null}, a named one {0, name}) or fill fixed arguments, then call one
// wrapper of bridge/host_wrappers.h. Results and failures are the wrapper's.
#pragma once

#include <cstdint>

#include "bridge/host_wrappers.h"

// X(Form, Front, Wrapper, Type): Form is GetNumber, SetNumber, GetName or SetName; Type is what a
// getter returns or a setter passes.
#define HOST_PROPERTY_FRONTS(X)                                                     \
  X(GetNumber, HostGetInt, HostGetIntByIdent, int32_t)                              \
  X(GetName, HostGetIntByName, HostGetIntByIdent, int32_t)                          \
  X(SetNumber, HostSetInt, HostSetIntByIdent, int32_t)                              \
  X(SetName, HostSetIntByName, HostSetIntByIdent, int32_t)                          \
  X(GetNumber, HostGetWord, HostGetWordByIdent, uint32_t)                           \
  X(GetName, HostGetWordByName, HostGetWordByIdent, uint32_t)                       \
  X(SetNumber, HostSetWord, HostSetWordByIdent, uint32_t)                           \
  X(SetName, HostSetWordByName, HostSetWordByIdent, uint32_t)                       \
  X(GetNumber, HostGetTypedValue, HostGetTypedValueByIdent, TypedValue)             \
  X(SetNumber, HostSetTypedValue, HostSetTypedValueByIdent, const TypedValue*)      \
  X(GetNumber, HostGetPropertyValue, HostGetPropertyValueByIdent, PropertyValue)    \
  X(GetNumber, HostGetIntList, HostGetIntListByIdent, IntList)                      \
  X(SetNumber, HostSetIntList, HostSetIntListByIdent, const IntList*)               \
  X(GetNumber, HostGetId, HostGetIdByIdent, ObjectId)                               \
  X(SetNumber, HostSetId, HostSetIdByIdent, ObjectId)                               \
  X(GetNumber, HostGetQword, HostGetQwordByIdent, uint64_t)                         \
  X(SetNumber, HostSetQword, HostSetQwordByIdent, uint64_t)                         \
  X(GetNumber, HostGetRecord16, HostGetRecord16ByIdent, Block16)                    \
  X(SetNumber, HostSetRecord16, HostSetRecord16ByIdent, const Block16*)             \
  X(GetNumber, HostGetString, HostGetStringByIdent, char*)                          \
  X(SetNumber, HostSetString, HostSetStringByIdent, const char*)                    \
  X(GetNumber, HostGetStringList, HostGetStringListByIdent, StringList)             \
  X(SetNumber, HostSetStringList, HostSetStringListByIdent, const StringList*)      \
  X(GetNumber, HostGetIntList2, HostGetIntList2ByIdent, IntList)                    \
  X(SetNumber, HostSetIntList2, HostSetIntList2ByIdent, const IntList*)             \
  X(GetNumber, HostGetQwordList, HostGetQwordListByIdent, QwordList)                \
  X(SetNumber, HostSetQwordList, HostSetQwordListByIdent, const QwordList*)         \
  X(GetNumber, HostGetTextEntries, HostGetTextEntriesByIdent, TextEntryList)        \
  X(SetNumber, HostSetTextEntries, HostSetTextEntriesByIdent, const TextEntryList*) \
  X(GetNumber, HostGetRecord24, HostGetRecord24ByIdent, HostRecord24)               \
  X(SetNumber, HostSetRecord24, HostSetRecord24ByIdent, const HostRecord24*)        \
  X(GetNumber, HostGetTypedValue2, HostGetTypedValue2ByIdent, TypedValue)           \
  X(GetNumber, HostGetPropertyValue2, HostGetPropertyValue2ByIdent, PropertyValue)  \
  X(GetName, HostPropertyStatusByName, HostPropertyStatusByIdent, int32_t)          \
  X(GetName, HostGetByteListByName, HostGetByteListByIdent, ByteList)               \
  X(SetName, HostSetByteListByName, HostSetByteListByIdent, const ByteList*)

// X(Form, Front, Wrapper, Type, number): a front whose property number is fixed; it passes that
// number whatever the caller wants.
#define HOST_FIXED_FRONTS(X)                                                                       \
  X(GetFixed, HostGetQwordListFixed, HostGetQwordList2ByIdent, QwordList, 1488)                    \
  X(GetFixed, HostGetCompoundEntriesFixed, HostGetCompoundEntriesByIdent, CompoundEntryList, 1584) \
  X(SetFixed, HostSetCompoundEntriesFixed, HostSetCompoundEntriesByIdent,                          \
    const CompoundEntryList*, 1584)                                                                \
  X(GetFixed, HostGetNamedStringsFixed, HostGetNamedStringsByIdent, NamedStringsList, 1634)        \
  X(SetFixed, HostSetNamedStringsFixed, HostSetNamedStringsByIdent, const NamedStringsList*, 1634) \
  X(GetFixed, HostGetNamedStringsPairsFixed, HostGetNamedStringsPairsByIdent,                      \
    NamedStringsPairList, 1670)                                                                    \
  X(SetFixed, HostSetNamedStringsPairsFixed, HostSetNamedStringsPairsByIdent,                      \
    const NamedStringsPairList*, 1670)

// The property fronts are inline: a front costs its caller nothing beyond the wrapper's call.
#define HOST_FRONT_DEF_GetNumber(Front, Wrapper, T, number)            \
  inline T Front(ObjectId document, ObjectId object, int32_t number) { \
    const PropertyIdent ident = {number, nullptr};                     \
    return Wrapper(document, object, &ident);                          \
  }
#define HOST_FRONT_DEF_SetNumber(Front, Wrapper, T, number)                        \
  inline void Front(ObjectId document, ObjectId object, int32_t number, T value) { \
    const PropertyIdent ident = {number, nullptr};                                 \
    Wrapper(document, object, &ident, value);                                      \
  }
#define HOST_FRONT_DEF_GetName(Front, Wrapper, T, unused)                \
  inline T Front(ObjectId document, ObjectId object, const char* name) { \
    const PropertyIdent ident = {0, name};                               \
    return Wrapper(document, object, &ident);                            \
  }
#define HOST_FRONT_DEF_SetName(Front, Wrapper, T, unused)                            \
  inline void Front(ObjectId document, ObjectId object, const char* name, T value) { \
    const PropertyIdent ident = {0, name};                                           \
    Wrapper(document, object, &ident, value);                                        \
  }
#define HOST_FRONT_DEF_GetFixed(Front, Wrapper, T, fixed) \
  inline T Front(ObjectId document, ObjectId object) {    \
    const PropertyIdent ident = {fixed, nullptr};         \
    return Wrapper(document, object, &ident);             \
  }
#define HOST_FRONT_DEF_SetFixed(Front, Wrapper, T, fixed)          \
  inline void Front(ObjectId document, ObjectId object, T value) { \
    const PropertyIdent ident = {fixed, nullptr};                  \
    Wrapper(document, object, &ident, value);                      \
  }
#define HOST_FRONT_DEF(Form, Front, Wrapper, T) HOST_FRONT_DEF_##Form(Front, Wrapper, T, number)
#define HOST_FRONT_DEF_FIXED(Form, Front, Wrapper, T, fixed) \
  HOST_FRONT_DEF_##Form(Front, Wrapper, T, fixed)
HOST_PROPERTY_FRONTS(HOST_FRONT_DEF)
HOST_FIXED_FRONTS(HOST_FRONT_DEF_FIXED)
#undef HOST_FRONT_DEF
#undef HOST_FRONT_DEF_FIXED
#undef HOST_FRONT_DEF_GetNumber
#undef HOST_FRONT_DEF_SetNumber
#undef HOST_FRONT_DEF_GetName
#undef HOST_FRONT_DEF_SetName
#undef HOST_FRONT_DEF_GetFixed
#undef HOST_FRONT_DEF_SetFixed

// HostApi slot 25 with its three trailing arguments null, null and 0.
int32_t HostCall25Text(const char* text, char** out);
// HostApi slot 7 with the record {value, pointer} built from the two arguments.
int32_t HostCall7With(int32_t value, const void* pointer);
// HostApi slot 137 with arguments five and six 0, or with three and four 0.
int32_t HostCall137First(int32_t a1, int32_t a2, int32_t a3, int32_t a4);
int32_t HostCall137Last(int32_t a1, int32_t a2, int32_t a5, int32_t a6);
// HostApi slot 139 with its last argument 1, or 0.
int32_t HostCall139On(int32_t a1, int32_t a2, int32_t a3, int32_t a4);
int32_t HostCall139Off(int32_t a1, int32_t a2, int32_t a3, int32_t a4);
// Sets property 104 of the application (document 0, object 0) to value through the slot-86
// setter: 0 when the call succeeded, -1 when it wrote a nonzero code. HostErrno is left as it was.
int32_t HostSetOption104(int32_t value);
