// The value types the XML reader turns into attributes; a Property of any other type is skipped.
#ifndef ORV_CORE_READTYPES_H
#define ORV_CORE_READTYPES_H

namespace orv::core {

inline constexpr const char* kReadTypeNames[] = {
    "string", "boolean", "uint8",    "sint16",          "uint16",      "sint32",     "uint32",
    "sint64", "uint64",  "hexValue", "vectorOfStrings", "bytepointer", "list_uint64"};

}  // namespace orv::core

#endif
