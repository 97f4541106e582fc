// Whether a value given on the command line reads as its type. The plug-in reads a number that
// does not parse as 0 or as its leading digits, so a slip would silently describe another drive.
#ifndef FWHOST_DRIVE_TYPEDVALUE_H
#define FWHOST_DRIVE_TYPEDVALUE_H

#include <string>

namespace fwhost {

// What a value of the type looks like when value is not one ("a whole number from 0 to 255,
// decimal or 0x hexadecimal"); empty when it is, or when the type takes any text.
std::string typeMismatch(const std::string& type, const std::string& value);

}  // namespace fwhost

#endif
