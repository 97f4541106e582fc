#include "provider/TargetFirmwareMapping.h"

#include <locale>
#include <map>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "orv/core/KeyedAttributes.h"

namespace fwprovider {
namespace {

using orv::core::Attribute;
using orv::core::AttributeMap;
using Drive = std::map<std::string, std::string>;

const std::string kPackages =
    "1BRHPS1_H2L018T2PB_256~2_QM_77K_2262_BootISPTotal_A1_Package_signed~3REV1_H2L018T2PB_256";

const Drive kUpdatable = {{"Product", "Quarry Meadow"}, {"OEM", "HP"},
                          {"Firmware", "hps0"},         {"ConfigID", "t2ub_256"},
                          {"ModelNumber", "QM 512GB"},  {"SerialNumber", "S123"}};

Drive with(Drive drive, const std::string& key, const std::string& value) {
  drive[key] = value;
  return drive;
}

Drive without(Drive drive, const std::string& key) {
  drive.erase(key);
  return drive;
}

AttributeMap mapOf(const Drive& drive, const std::string& type = "string") {
  AttributeMap map;
  for (const auto& [key, value] : drive) {
    orv::core::writeStringAttribute(map, Attribute(key, "", type), value);
  }
  return map;
}

// Destination, Package and Status.
using Answer = std::vector<std::string>;

Answer answerOf(const Drive& drive) {
  AttributeMap answer = mapTargetFirmware(mapOf(drive));
  EXPECT_EQ(answer.size(), 4u);
  EXPECT_EQ(answer["Source"].valueText(), "");
  return {answer["Destination"].valueText(), answer["Package"].valueText(),
          answer["Status"].valueText()};
}

void expectRules() {
  const Answer update{"REV1", kPackages, "65"};
  const Answer current{"", "", "64"};
  const Answer supportAfterMatch{"REV1", "", "68"};
  const Answer support{"", "", "68"};
  const struct {
    const char* name;
    Drive drive;
    Answer answer;
  } rows[] = {
      {"update match", kUpdatable, update},
      {"boot-ROM firmware", with(kUpdatable, "Firmware", "BRHPS1"), update},
      {"keys in other cases",
       {{"PRODUCT", "Quarry Meadow"},
        {"oem", "HP"},
        {"firmware", "HPS0"},
        {"CONFIGID", "T2UB_256"}},
       update},
      {"bootloader and TCG have no effect",
       with(with(kUpdatable, "Bootloader", "boot"), "TCGSupported", "True"), update},
      {"target firmware already", with(kUpdatable, "Firmware", "REV1"), current},
      {"other config", with(kUpdatable, "ConfigID", "T2UB_512"), current},
      {"product in lower case", with(kUpdatable, "Product", "quarry meadow"), current},
      {"product with a blank", with(kUpdatable, "Product", "Quarry Meadow "), current},
      {"OEM in lower case", with(kUpdatable, "OEM", "hp"), current},
      {"firmware prefix only", with(kUpdatable, "Firmware", "HPS"), current},
      {"no config", without(kUpdatable, "ConfigID"), current},
      {"empty drive", {}, current},
      {"serial starts with *", with(kUpdatable, "SerialNumber", "*S1"), supportAfterMatch},
      {"serial holds * later", with(kUpdatable, "SerialNumber", "S*1"), update},
      {"model holds boot", with(kUpdatable, "ModelNumber", "QM BoOtLoader"), supportAfterMatch},
      {"serial holds assert", with(kUpdatable, "SerialNumber", "xASSERTx"), supportAfterMatch},
      {"serial holds context", with(kUpdatable, "SerialNumber", "ConText"), supportAfterMatch},
      {"error string alone", {{"ErrorString", "E1"}}, support},
      {"error string, no match", with(with(kUpdatable, "OEM", "X"), "ErrorString", " "), support},
  };
  for (const auto& row : rows) EXPECT_EQ(answerOf(row.drive), row.answer) << row.name;
}

TEST(TargetFirmwareMappingTest, Rules) { expectRules(); }

// A host in Turkey, where "I" is not the upper case of "i"; ctest makes its locale with localedef.
TEST(TargetFirmwareMappingTest, RulesUnderATurkishLocale) {
  try {
    std::locale::global(std::locale("tr_TR.ISO-8859-9"));
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "no tr_TR.ISO-8859-9 locale here (localedef and the locales package make it)";
  }
  expectRules();
  std::locale::global(std::locale::classic());
}

TEST(TargetFirmwareMappingTest, LookupsReadRawBytesWhateverTheType) {
  // Typed otherwise, the values still read as their bytes less the last one.
  EXPECT_EQ(mapTargetFirmware(mapOf(kUpdatable, "uint64"))["Status"].valueText(), "65");
  AttributeMap drive = mapOf(kUpdatable);
  Attribute numeric("Firmware", "Firmware", "uint64");
  numeric.setUint64(0x30535048);  // "HPS0" and four 0 bytes: seven bytes read as text
  drive["Firmware"] = numeric;
  EXPECT_EQ(mapTargetFirmware(std::move(drive))["Status"].valueText(), "64");
}

}  // namespace
}  // namespace fwprovider
