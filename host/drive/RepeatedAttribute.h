// XML that repeats an attribute in one element is not well-formed, and readers resolve it each
// their own way: fwhost's takes the first value, the plug-in's keeps the last. Such a text is
// refused before either reads it.
#ifndef FWHOST_DRIVE_REPEATEDATTRIBUTE_H
#define FWHOST_DRIVE_REPEATEDATTRIBUTE_H

#include <string>

namespace fwhost {

// "line N: element E gives attribute A twice" for the first element that does, in document
// order; empty when none does or the text is no XML (said elsewhere). Linear in the text but for
// the sorting of each element's attribute names.
std::string repeatedAttribute(const std::string& text);

}  // namespace fwhost

#endif
