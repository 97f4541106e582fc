// verify reads a manifest as strictly as plan writes it: each edit an auditor must catch.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/error/HostError.h"
#include "host/plan/Manifest.h"

namespace {

using nlohmann::json;

TEST(ManifestTest, AManifestThatPlanWouldNotWriteIsAMismatchNamingWhatIsWrong) {
  fwhost::MappedDrive mapped;
  mapped.answer = {65, fwhost::Verdict::updateAvailable, "", "REV1", {"first", "second"}};
  mapped.ruleAttributes = {{"ModelNumber", "QM 1TB NVMe"}, {"OEM", "HP"}};
  const std::vector<fwhost::ListedFile> files = {{"first", "first.bin", 1315840, "aa"},
                                                 {"second", "second.bin", 7, "bb"}};
  const std::string written =
      fwhost::manifestText(fwhost::manifestHead({"/p/plug.so", "cc", std::nullopt}, mapped), files);
  const auto read = fwhost::readManifest(written, "m.json");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].file, "second.bin");
  EXPECT_EQ(read[0].size, 1315840u);
  json twice = json::parse(written)["package_files"][0];
  twice["order"] = 2;
  struct Edit {
    const char* field;
    json value;
    const char* shown;
  };
  const Edit edits[] = {
      {"/package_files/0/size", "1315840", "package_files/0/size is not a whole number"},
      {"/package_files/0/size", 1315840.5, "package_files/0/size is not a whole number"},
      {"/package_files/0/file", 5, "package_files/0/file is not text"},
      {"/plugin", "x", "plugin is not an object"},
      {"/package_files", "x", "package_files is not a list"},
      {"/package_files/1/order", 3, "package_files/1 is not listed as plan lists a package"},
      {"/mapping/verdict", "no-update-offered", "its verdict is no update"},
      {"/package_files", json::array(), "lists no package"},
      {"/package_files/1", twice, "lists first.bin twice"},
      {"/mapping/packages/0", "other", "mapping/packages is not the list of package_files"},
      {"/schema_version", 2, "schema_version 2 is not the 1 this fwhost reads"},
  };
  std::vector<std::pair<std::string, std::string>> texts;  // a manifest, what is said of it
  for (const Edit& edit : edits) {
    json edited = json::parse(written);
    edited[json::json_pointer(edit.field)] = edit.value;
    texts.emplace_back(edited.dump(), edit.shown);
  }
  // Read strictly: a reader that kept one of two values could be shown the other.
  texts.emplace_back("{\"schema_version\": 1, " + written.substr(1),
                     "gives \"schema_version\" twice");
  texts.emplace_back(written + "x", "not JSON: ");
  for (const auto& [text, shown] : texts) {
    try {
      fwhost::readManifest(text, "m.json");
      ADD_FAILURE() << "accepted: " << shown;
    } catch (const fwhost::HostError& error) {
      EXPECT_EQ(error.kind(), fwhost::ErrorKind::mismatch);
      EXPECT_EQ(std::string(error.what()).rfind("m.json: " + shown, 0), 0u) << error.what();
    }
  }
}

}  // namespace
