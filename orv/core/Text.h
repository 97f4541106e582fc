// Text and number functions shared by the core: 8-bit texts, "C" locale rules throughout.
#ifndef ORV_CORE_TEXT_H
#define ORV_CORE_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orv/core/Payload.h"

namespace orv::core {

// ASCII letters only change; every other byte stays, whatever locale the host has set.
std::string asciiLowerCase(std::string text);
std::string asciiUpperCase(std::string text);

// With ignoreCase, only ASCII letters match in either case, whatever locale the host has set.
bool equalsText(std::string_view a, std::string_view b, bool ignoreCase);
bool containsIgnoringCase(const std::string& text, const std::string& part);
bool startsWithIgnoringCase(const std::string& text, const std::string& prefix);

// Replaces every occurrence of pattern in text, searching on after each inserted replacement.
void replaceAll(std::string& text, const std::string& pattern, const std::string& replacement);

// Splits at any character of `separators`, keeping empty pieces; never returns an empty list.
std::vector<std::string> splitText(const std::string& text, const std::string& separators);

std::string decimalText(uint64_t number);
std::string decimalText(int64_t number);

bool isDecimalText(const std::string& text);
// True for hexadecimal digits after an optional "0x"/"0X"; the empty text and "0x" count.
bool isHexText(const std::string& text);

// Stream-style reads: leading blanks skipped, digits up to the first non-digit, saturating on
// overflow; a text with no digits (also the empty or all-blank text) gives 0.
uint64_t hexTextToNumber(const std::string& text);
// Decimal when all digits, else hexadecimal when hex text, else decimal with an optional sign;
// negative results come back as their two's-complement bits.
uint64_t textToNumber(const std::string& text);

// The bytes spelled by hexadecimal digit pairs, first pair first, after every occurrence of
// prefix is removed; an odd count of digits gives an empty payload.
Payload hexTextToBytes(std::string text, const std::string& prefix);

}  // namespace orv::core

#endif
