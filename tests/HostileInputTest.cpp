// Drive descriptions far larger than any drive reports, through the mapping export: they answer
// exactly as their few meaningful properties say.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "provider/fwprovider.h"

namespace {

std::string property(const std::string& name, const std::string& type, const std::string& value) {
  return "<Property category=\"attribute\" name=\"" + name + "\" type=\"" + type + "\" value=\"" +
         value + "\"/>";
}

const std::string kUpdateProperties =
    property("Product", "string", "Quarry Meadow") + property("OEM", "string", "HP") +
    property("Firmware", "string", "HPS0") + property("ConfigID", "string", "T2UB_256");

std::string drive(const std::string& properties) {
  return "<Object category=\"attributeList\">" + properties + "</Object>";
}

struct Answer {
  uint32_t code;
  std::string text;
};

Answer mapDrive(const std::string& input) {
  std::vector<char> buffer(1 << 16);
  uint32_t length = static_cast<uint32_t>(buffer.size());
  const uint32_t code = GetTargetFirmwareMappingAttributes(
      input.data(), static_cast<uint32_t>(input.size()), buffer.data(), &length);
  return {code, code == FWPROVIDER_OK ? std::string(buffer.data(), length - 1) : std::string()};
}

TEST(HostileInputTest, TwentyThousandPropertiesAnswerAsTheirFewThatMatter) {
  std::string noise;
  for (int i = 0; i < 20'000; ++i) noise += property("Noise" + std::to_string(i), "uint32", std::to_string(i));
  const Answer expected = mapDrive(drive(kUpdateProperties));
  ASSERT_EQ(expected.code, FWPROVIDER_OK);
  for (const std::string& input : {drive(noise + kUpdateProperties), drive(kUpdateProperties + noise)}) {
    const Answer answer = mapDrive(input);
    EXPECT_EQ(answer.code, FWPROVIDER_OK);
    EXPECT_EQ(answer.text, expected.text);
  }
}

// A drive whose last property is a text of 64 MiB, built in place rather than piece by piece.
std::string driveWithHugeValue(const std::string& before, const std::string& name) {
  std::string input = "<Object>" + before + "<Property category=\"attribute\" name=\"" + name +
                      "\" type=\"string\" value=\"";
  input.append(64u << 20, 'A').append("\"/></Object>");
  return input;
}

TEST(HostileInputTest, AValueOf64MiBIsRead) {
  const Answer update = mapDrive(drive(kUpdateProperties));
  const Answer current = mapDrive(drive(property("Firmware", "string", "HPS1")));
  const Answer ignored = mapDrive(driveWithHugeValue(kUpdateProperties, "Blob"));
  EXPECT_EQ(ignored.code, FWPROVIDER_OK);
  EXPECT_EQ(ignored.text, update.text);
  const Answer firmware = mapDrive(driveWithHugeValue("", "Firmware"));
  EXPECT_EQ(firmware.code, FWPROVIDER_OK);
  EXPECT_EQ(firmware.text, current.text);
}

}  // namespace
