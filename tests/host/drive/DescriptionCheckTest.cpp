// A drive description as fwhost reads, builds and checks it before the plug-in sees it.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/drive/DescriptionCheck.h"
#include "host/drive/DriveInput.h"
#include "host/drive/TextEncoding.h"
#include "host/error/HostError.h"

namespace {

using fwhost::describe;
using fwhost::ErrorKind;
using fwhost::kMaxDocumentBytes;
using fwhost::refuseOversized;
constexpr ErrorKind invalidInput = ErrorKind::invalidInput;

std::string property(const std::string& key, const std::string& value,
                     const std::string& more = "category=\"attribute\" type=\"string\"") {
  return "<Property " + more + " name=\"" + key + "\" value=\"" + value + "\"/>";
}

// The six keys the rules read but the one without, then extra, as --set would describe them.
std::string described(const std::string& extra, const std::string& without = "") {
  std::vector<std::string> settings;
  for (const std::string setting :
       {"ModelNumber=QM 1TB NVMe", "SerialNumber=QM24A0001", "Product=Quarry Meadow",
        "Firmware=HPS0", "OEM=HP", "ConfigID=T2UB_256"}) {
    if (setting.rfind(without + "=", 0) != 0) settings.push_back(setting);
  }
  const std::string xml = describe(settings).xml();
  return xml.substr(0, xml.rfind("</Object>")) + extra + "</Object>";
}

// Each slip the plug-in passes over in silence is told once, under its code; text it cannot
// read at all is unreadable, for a reason fwhost names since the plug-in names none.
TEST(DescriptionCheckTest, WarnsOfEachSlipOnceByItsCodeOrFindsTheTextUnreadable) {
  EXPECT_TRUE(fwhost::checkDescription(described("")).warnings.empty());
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  struct Row {
    std::string xml;
    const char* code;
    const char* message;
  };
  const Row rows[] = {
      {described(property("Product", "Quarry Meadow", "type=\"string\"")), "skipped-property",
       "Property Product is skipped by the plug-in: its category is \"\", not \"attribute\""},
      {described(property("OEM", "HP", "category=\"attribute\" type=\"text\"")), "skipped-property",
       "Property OEM is skipped by the plug-in: it reads no type \"text\""},
      {described(property("Label", "x ")), "white-space",
       "Label: the value \"x \" has white space at its end"},
      {described(property("Firmwre", "HPS0")), "near-key", "Firmwre: did you mean Firmware?"},
      {described(property("firmware", "REV1")), "repeated-key",
       "Firmware is given 2 times (letter case aside); the plug-in reads one of them"},
      {described("", "ConfigID"), "missing-attribute",
       "no ConfigID attribute, which the update rules read"},
      {" \n", "unreadable", "line 1: no element"},
      {std::string("\0<Object/>", 10), "unreadable", "line 1: a NUL byte before any element"},
      {deep, "unreadable", "elements nested deeper than 256 levels, the most the plug-in reads"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    const fwhost::DescriptionCheck check = fwhost::checkDescription(row.xml);
    if (std::string(row.code) == "unreadable") {
      EXPECT_EQ(check.unreadable, row.message);
      continue;
    }
    ASSERT_EQ(check.warnings.size(), 1u);
    EXPECT_EQ(check.warnings[0].code, row.code);
    EXPECT_EQ(check.warnings[0].message, row.message);
  }
}

// What fwhost refuses of a description, or of the settings it builds one from, with the kind
// that picks the exit code: caps, UTF-16 (behind its mark, either byte order) that breaks its
// rules, malformed settings.
TEST(DescriptionCheckTest, RefusalsNameTheirCulpritAndKind) {
  std::string many = "<Object>";
  for (int i = 0; i < 1000; ++i) many += "<a/>";
  const auto oversized = [](std::string xml) { return [=] { refuseOversized({"d.xml", xml}); }; };
  const auto utf16 = [](const char* bytes, size_t size) {
    return [=] { fwhost::asUtf8({bytes, size}, "d.xml"); };
  };
  const auto settings = [](std::vector<std::string> given) { return [=] { describe(given); }; };
  struct Row {
    std::function<void()> call;
    ErrorKind kind;
    const char* shown;
  };
  const Row rows[] = {
    {oversized(many + "</Object>"), invalidInput, "d.xml: holds 1001 elements, more than the 1000"},
    {oversized(std::string(kMaxDocumentBytes + 1, ' ')), invalidInput,
     "d.xml: larger than 1048576 bytes"},
    {utf16("\xff\xfe<\0\0\xd8", 6), invalidInput,
     "d.xml: not valid UTF-16LE text (byte 4); save it as UTF-8"},
    {utf16("\xff\xfe\0\xdc<\0", 6), invalidInput, "d.xml: not valid UTF-16LE text (byte 2)"},
    {utf16("\xfe\xff\xd8\0\0<", 6), invalidInput, "d.xml: not valid UTF-16BE text (byte 2)"},
    {utf16("\xff\xfe<", 3), invalidInput, "d.xml: not valid UTF-16LE text (byte 2)"},
    {settings({"B=2", "A"}), ErrorKind::usage, "--set A: expected Key=Value or Key:type=Value"},
    {settings({"A:float=1"}), ErrorKind::usage, "--set A:float=1: unknown type float (one of "},
    // A value its type does not read, which the plug-in would read as 0 or as part of it.
    {settings({"A:uint8=256"}), ErrorKind::usage, "--set A:uint8=256: 256 is no uint8 (a whole"},
    {settings({"A:uint16=-1"}), ErrorKind::usage, "--set A:uint16=-1: -1 is no uint16"},
    {settings({"A:sint16=-32769"}), ErrorKind::usage, "--set A:sint16=-32769: -32769 is no"},
    {settings({"A:uint64=18446744073709551616"}), ErrorKind::usage, "--set A:uint64=1844674"},
    {settings({"A:uint32=0x1FFFFFFFF"}), ErrorKind::usage, "--set A:uint32=0x1FFFFFFFF: 0x1"},
    {settings({"A:uint32=12abc"}), ErrorKind::usage, "--set A:uint32=12abc: 12abc is no uint32"},
    {settings({"A:uint8="}), ErrorKind::usage, "--set A:uint8=:  is no uint8"},
    {settings({"A:boolean=yes"}), ErrorKind::usage, "--set A:boolean=yes: yes is no boolean (true"},
    {settings({"A:hexValue=0xg"}), ErrorKind::usage, "--set A:hexValue=0xg: 0xg is no hexValue"},
    {settings({"A:bytepointer=abc"}), ErrorKind::usage, "--set A:bytepointer=abc: abc is no"},
#if !defined(_WIN32)
    // An endless source costs no more than the cap.
    {[] { fwhost::readInput("/dev/full"); }, invalidInput, "/dev/full: larger than 1048576 bytes"},
#endif
  };
  for (const Row& row : rows) {
    try {
      row.call();
      ADD_FAILURE() << "accepted: " << row.shown;
    } catch (const fwhost::HostError& error) {
      EXPECT_EQ(error.kind(), row.kind) << row.shown;
      EXPECT_EQ(std::string(error.what()).rfind(row.shown, 0), 0u) << error.what();
    }
  }
  const std::pair<std::string, std::string> read[] = {
      {"<\xc3\xa4", "<\xc3\xa4"},
      {std::string("\xff\xfe<\0\xe4\0\x3d\xd8\x00\xde", 10), "<\xc3\xa4\xf0\x9f\x98\x80"},
      {std::string("\xfe\xff\0<\x6d\x4b", 6), "<\xe6\xb5\x8b"},
  };
  for (const auto& [bytes, utf8] : read) EXPECT_EQ(fwhost::asUtf8(bytes, "d.xml"), utf8);
  for (const char* typed :
       {"A:uint8=255", "A:uint8=0xFf", "A:sint64=-9223372036854775808", "A:boolean=False",
        "A:uint64=18446744073709551615", "A:bytepointer=", "A:list_uint64=00ff", "A:hexValue=ff",
        "A:sint16=32767", "A:string=", "A:vectorOfStrings=a~b"})
    EXPECT_NO_THROW(describe({typed})) << typed;
}

}  // namespace
