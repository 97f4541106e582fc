// Runs the built fwhost as a user would and checks what it prints, writes and exits with.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/Sha256.h"
#include "provider/fwprovider.h"
#include "tests/PluginLoader.h"
#include "tests/host/ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A path of the build as fwhost sees it: under Wine a path from / means the drive that maps /
// only while the current folder is on that drive, and fwhost runs in the temporary folder.
std::string hostPath(const char* path) { return fs::absolute(path).u8string(); }

const fs::path kFwhost = fs::absolute(FWHOST);
const std::string kExamples = hostPath(EXAMPLES_DIR);
const std::string kStubPartialPlugin = hostPath(STUB_PARTIAL_PLUGIN);
const std::string kStubOddPlugin = hostPath(STUB_ODD_PLUGIN);
const char* const kPackages[] = {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2, FWPROVIDER_IMAGE_3};

struct Outcome {
  int exit = -1;
  std::string out;
  std::string err;
};

std::string slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) all.push_back(line);
  return all;
}

// The bytes the plug-in's own export hands out, fetched without fwhost.
std::string exportedImage(const std::string& name) {
  const Plugin plugin(FWPROVIDER_PLUGIN);
  const auto binary = plugin.find<GetTargetFirmwareBinaryFn>("GetTargetFirmwareBinary");
  uint32_t length = 0;
  binary(name.data(), static_cast<uint32_t>(name.size()), nullptr, &length);
  std::string bytes(length, '\0');
  binary(name.data(), static_cast<uint32_t>(name.size()), reinterpret_cast<uint8_t*>(bytes.data()),
         &length);
  return bytes;
}

// The checksums fwhost prints are compared with this function's; it must be right itself.
TEST(Sha256Test, KnownAnswers) {
  EXPECT_EQ(fwhost::sha256Hex(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(fwhost::sha256Hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

class FwhostTest : public ::testing::Test {
 protected:
  // Letters beyond ASCII in the folder's name, so that every path fwhost is given or prints
  // crosses the system's boundary with them.
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           fs::u8path("fwhost-t\xc3\xabst-" + std::to_string(std::random_device()()));
    ASSERT_TRUE(fs::create_directory(dir_)) << dir_;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // fwhost with these arguments, in the temporary folder, reading stdin from a file if named.
  Outcome run(const std::vector<std::string>& arguments, const fs::path& input = kNullDevice) const {
    const fs::path out = dir_ / ".out", err = dir_ / ".err";
    const int exit = runProgram(program_, arguments, dir_, input, out, err);
    Outcome result{exit, slurp(out), slurp(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
  }

  fs::path dir_;
  fs::path program_ = kFwhost;
};

std::string example(const std::string& name) { return kExamples + "/" + name + ".xml"; }

TEST_F(FwhostTest, MapShowsTheVerdictOfEachExampleInEveryMode) {
  struct Row {
    const char* file;
    int status;
    const char* verdict;
    const char* words;
    const char* destination;
    size_t packages;
  };
  const Row rows[] = {
      {"update-available", 65, "update-available", "update available", "REV1", 3},
      {"current", 64, "current", "firmware is current", "", 0},
      {"contact-support-update-match", 68, "contact-support", "contact support", "REV1", 0},
      {"contact-support", 68, "contact-support", "contact support", "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    const Outcome text = run({"map", example(row.file)});
    ASSERT_EQ(text.exit, 0) << text.err;
    EXPECT_EQ(lines(text.out).at(0),
              std::string(row.words) + " (status " + std::to_string(row.status) + ")");

    const Outcome asJson = run({"map", example(row.file), "--json"});
    ASSERT_EQ(asJson.exit, 0) << asJson.err;
    const json answer = json::parse(asJson.out);
    EXPECT_EQ(answer.at("status"), row.status);
    EXPECT_EQ(answer.at("verdict"), row.verdict);
    EXPECT_EQ(answer.at("source"), "");
    EXPECT_EQ(answer.at("destination"), row.destination);
    ASSERT_EQ(answer.at("packages").size(), row.packages);
    for (size_t i = 0; i < row.packages; ++i) EXPECT_EQ(answer["packages"][i], kPackages[i]);

    const Outcome asXml = run({"map", "--xml", example(row.file)});
    ASSERT_EQ(asXml.exit, 0) << asXml.err;
    EXPECT_EQ(asXml.out.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?><Object", 0), 0u);
    EXPECT_NE(asXml.out.find("name=\"Status\" size=\"8\" type=\"uint64\" value=\"" +
                             std::to_string(row.status) + "\""),
              std::string::npos);
  }
}

TEST_F(FwhostTest, FileStandardInputAndSettingsDescribeTheSameDrive) {
  const std::vector<std::string> settings = {"--set", "Product=Quarry Meadow",
                                             "--set", "OEM=HP",
                                             "--set", "Firmware=hps0",
                                             "--set", "ConfigID=t2ub_256",
                                             "--set", "TCGSupported:boolean=true"};
  std::vector<std::string> describe{"describe"}, mapSettings{"map", "--json"};
  describe.insert(describe.end(), settings.begin(), settings.end());
  mapSettings.insert(mapSettings.end(), settings.begin(), settings.end());

  const Outcome described = run(describe);
  ASSERT_EQ(described.exit, 0) << described.err;
  EXPECT_NE(
      described.out.find("name=\"TCGSupported\" displayName=\"TCG Supported\" type=\"boolean\""),
      std::string::npos);
  spit(dir_ / "drive.xml", described.out);

  const Outcome fromFile = run({"map", "--json", "drive.xml"});
  const Outcome fromStdin = run({"map", "--json", "-"}, dir_ / "drive.xml");
  const Outcome fromSettings = run(mapSettings);
  ASSERT_EQ(fromFile.exit, 0) << fromFile.err;
  EXPECT_EQ(json::parse(fromFile.out).at("verdict"), "update-available");
  EXPECT_EQ(fromStdin.out, fromFile.out);
  EXPECT_EQ(fromSettings.out, fromFile.out);
}

// Run from a copy beside a copy of the plug-in, which it must find by itself.
TEST_F(FwhostTest, InfoShowsTheConfigurationAsTableAndJson) {
  const fs::path folder = dir_ / fs::u8path("b\xc3\xafn");
  fs::create_directory(folder);
  program_ = folder / kFwhost.filename();
  fs::copy_file(kFwhost, program_);
  fs::copy_file(FWPROVIDER_PLUGIN, folder / fs::path(FWPROVIDER_PLUGIN).filename());

  const Outcome table = run({"info"});
  ASSERT_EQ(table.exit, 0) << table.err;
  const auto rows = lines(table.out);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].rfind("NAME", 0), 0u);
  EXPECT_EQ(rows[4].rfind("ModuleType  Module Type   uint8", 0), 0u);

  const Outcome values = run({"info", "--json"});
  ASSERT_EQ(values.exit, 0) << values.err;
  EXPECT_EQ(json::parse(values.out),
            json({{"Date", "1"}, {"Version", "1.0.0"}, {"Audience", "HP"}, {"ModuleType", "0"}}));
}

TEST_F(FwhostTest, FetchWritesTheExportedBytesAndTheirChecksum) {
  for (const char* name : kPackages) {
    SCOPED_TRACE(name);
    const std::string bytes = exportedImage(name);
    const Outcome fetched = run({"fetch", name});
    ASSERT_EQ(fetched.exit, 0) << fetched.err;
    EXPECT_EQ(slurp(dir_ / (std::string(name) + ".bin")), bytes);
    EXPECT_EQ(fetched.out, std::string(name) + ".bin  " + std::to_string(bytes.size()) +
                               " bytes  sha256 " + fwhost::sha256Hex(bytes) + "\n");
  }
  ASSERT_EQ(run({"fetch", FWPROVIDER_IMAGE_2, "-o", "boot.img"}).exit, 0);
  EXPECT_EQ(slurp(dir_ / "boot.img"), exportedImage(FWPROVIDER_IMAGE_2));
}

TEST_F(FwhostTest, PlanWritesEachPackageAndAManifestThatMatchesThem) {
  const Outcome plan = run({"plan", example("update-available"), "-o", "out/plan"});
  ASSERT_EQ(plan.exit, 0) << plan.err;
  const fs::path out = dir_ / "out" / "plan";
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 4);

  const json manifest = json::parse(slurp(out / "manifest.json"));
  EXPECT_EQ(manifest.at("destination"), "REV1");
  EXPECT_EQ(manifest.at("status"), 65);
  ASSERT_EQ(manifest.at("packages").size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(kPackages[i]);
    const json& entry = manifest["packages"][i];
    const std::string bytes = exportedImage(kPackages[i]);
    EXPECT_EQ(entry.at("order"), i + 1);
    EXPECT_EQ(entry.at("name"), kPackages[i]);
    EXPECT_EQ(entry.at("file"), std::string(kPackages[i]) + ".bin");
    EXPECT_EQ(entry.at("size"), bytes.size());
    EXPECT_EQ(entry.at("sha256"), fwhost::sha256Hex(bytes));
    EXPECT_EQ(slurp(out / entry.at("file").get<std::string>()), bytes);
  }
}

TEST_F(FwhostTest, PlanOverwritesOnlyWithForce) {
  ASSERT_EQ(run({"plan", example("update-available"), "-o", "plan"}).exit, 0);
  const fs::path first = dir_ / "plan" / (std::string(FWPROVIDER_IMAGE_1) + ".bin");
  spit(first, "changed");

  const Outcome refused = run({"plan", example("update-available"), "-o", "plan"});
  EXPECT_EQ(refused.exit, 2);
  EXPECT_NE(refused.err.find(first.filename().string() + ": exists"), std::string::npos)
      << refused.err;
  EXPECT_EQ(slurp(first), "changed");

  ASSERT_EQ(run({"plan", example("update-available"), "-o", "plan", "--force"}).exit, 0);
  EXPECT_EQ(slurp(first), exportedImage(FWPROVIDER_IMAGE_1));
}

TEST_F(FwhostTest, PlanWritesNothingOnDryRunOrWithoutAnUpdate) {
  const Outcome dryRun = run({"plan", example("update-available"), "-o", "plan", "--dry-run"});
  EXPECT_EQ(dryRun.exit, 0) << dryRun.err;
  EXPECT_EQ(lines(dryRun.out).size(), 4u);
  EXPECT_EQ(dryRun.out.rfind(
                "would write " + (fs::path("plan") / FWPROVIDER_IMAGE_1).u8string() +
                    ".bin  1315840 bytes",
                0),
            0u);
  EXPECT_FALSE(fs::exists(dir_ / "plan"));

  for (const char* drive : {"current", "contact-support-update-match"}) {
    const Outcome none = run({"plan", example(drive), "-o", "plan"});
    EXPECT_EQ(none.exit, 0) << drive;
    EXPECT_EQ(none.out.rfind("nothing written: ", 0), 0u) << none.out;
    EXPECT_FALSE(fs::exists(dir_ / "plan")) << drive;
  }
}

TEST_F(FwhostTest, FailuresExitWithTheirCodeAndOneLineNamingTheCulprit) {
  spit(dir_ / "malformed.xml", "<Object category=\"attributeList\"><Property");
  struct Row {
    std::vector<std::string> arguments;
    int exit;
    const char* named;
    bool pluginLogs;  // the plug-in's own records come first on stderr
  };
  const Row rows[] = {
      {{"map", "/nowhere/missing.xml", "--json"}, 2, "missing.xml: cannot read", false},
      {{"--plugin", "/nowhere/libfwprovider.so", "info"}, 2, "/nowhere/libfwprovider.so", false},
      {{"--plugin", kStubPartialPlugin, "info"},
       2,
       "no export GetTargetFirmwareMappingAttributes",
       false},
      {{"map", "malformed.xml", "--json"}, 3, "malformed.xml: plug-in", true},
      {{"map", "malformed.xml", "--xml"}, 3, "malformed.xml: plug-in", true},
      {{"fetch", "REV1"}, 2, "no image named REV1", false},
      {{"--plugin", kStubOddPlugin, "info", "--json"}, 3, "not XML", false},
      {{"--plugin", kStubOddPlugin, "map", "--set", "A=1"},
       3,
       "kept asking for a larger buffer",
       false},
      {{"--plugin", kStubOddPlugin, "fetch", "x"}, 2, "no image named x", false},
#if !defined(_WIN32)
      {{"scan", "--sysfs-root", "nosuchdir"}, 2, "nosuchdir", false},
#endif
      {{}, 1, "subcommand", false},
      {{"map"}, 1, "FILE or --set", false},
      {{"map", "a.xml", "--set", "A=1"}, 1, "FILE or --set", false},
      {{"map", "a.xml", "--json", "--xml"}, 1, "excludes", false},
      {{"describe", "--set", "A"}, 1, "--set A:", false},
      {{"describe", "--set", "A:float=1"}, 1, "unknown type float", false},
      {{"plan", "a.xml"}, 1, "--output", false},
  };
  for (const Row& row : rows) {
    std::string command;
    for (const std::string& argument : row.arguments) command += argument + " ";
    SCOPED_TRACE(command);
    const Outcome failed = run(row.arguments);
    EXPECT_EQ(failed.exit, row.exit) << failed.err;
    EXPECT_EQ(failed.out, "");
    const auto errors = lines(failed.err);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.size() > 1, row.pluginLogs) << failed.err;
    EXPECT_EQ(errors.back().rfind("fwhost: ", 0), 0u);
    EXPECT_NE(errors.back().find(row.named), std::string::npos) << errors.back();
  }
}

// A sysfs tree is Linux's; fwhost.exe asks Windows for its physical drives.
#if defined(_WIN32)
// Wine answers for its drives as it likes; whatever it answers, the scan ends cleanly.
TEST_F(FwhostTest, ScanListsThePhysicalDrivesAndEndsCleanly) {
  const Outcome scanned = run({"scan", "--json"});
  ASSERT_EQ(scanned.exit, 0) << scanned.err;
  EXPECT_TRUE(json::parse(scanned.out).is_array()) << scanned.out;
}
#else
TEST_F(FwhostTest, ScanMapsEachDriveOfASysfsTree) {
  const fs::path sys = dir_ / "sys";
  const auto attribute = [](const fs::path& folder, const char* name, const std::string& text) {
    fs::create_directories(folder);
    spit(folder / name, text);
  };
  // Laid out as the kernel lays it out: class entries are links into devices/.
  const fs::path nvme0 = sys / "devices" / "nvme0";
  attribute(nvme0, "model", "QM 1TB NVMe                             \n");
  attribute(nvme0, "serial", "  QM24A0001   \n");
  attribute(nvme0, "firmware_rev", "HPS0    \n");
  attribute(sys / "class" / "nvme" / "nvme1", "model", "QM 1TB NVMe\n");
  attribute(sys / "class" / "nvme" / "nvme1", "firmware_rev", "REV1\n");
  fs::create_directory_symlink(nvme0, sys / "class" / "nvme" / "nvme0");
  attribute(sys / "block" / "sda" / "device", "model", "SATA SSD        \n");
  attribute(sys / "block" / "sda" / "device", "rev", "1.0 \n");
  fs::create_directories(sys / "block" / "nvme0n1");
  fs::create_directory_symlink(nvme0, sys / "block" / "nvme0n1" / "device");
  fs::create_directories(sys / "block" / "loop0");

  const std::vector<std::string> vendor = {"--set", "Product=Quarry Meadow", "--set", "OEM=HP",
                                           "--set", "ConfigID=T2UB_256"};
  std::vector<std::string> asJson{"scan", "--sysfs-root", sys.u8string(), "--json"};
  asJson.insert(asJson.end(), vendor.begin(), vendor.end());
  const Outcome scanned = run(asJson);
  ASSERT_EQ(scanned.exit, 0) << scanned.err;
  const json drives = json::parse(scanned.out);
  ASSERT_EQ(drives.size(), 3u) << drives.dump();
  EXPECT_EQ(drives[0].at("device"), "nvme0");
  EXPECT_EQ(drives[0].at("model"), "QM 1TB NVMe");
  EXPECT_EQ(drives[0].at("serial"), "QM24A0001");
  EXPECT_EQ(drives[0].at("firmware"), "HPS0");
  EXPECT_EQ(drives[0].at("verdict"), "update-available");
  EXPECT_EQ(drives[0].at("packages").size(), 3u);
  EXPECT_EQ(drives[1].at("device"), "nvme1");
  EXPECT_EQ(drives[1].at("serial"), "");
  EXPECT_EQ(drives[1].at("verdict"), "current");
  EXPECT_EQ(drives[2].at("device"), "sda");
  EXPECT_EQ(drives[2].at("firmware"), "1.0");
  EXPECT_EQ(drives[2].at("verdict"), "current");

  const Outcome table = run({"scan", "--sysfs-root", sys.u8string()});
  ASSERT_EQ(table.exit, 0) << table.err;
  const auto rows = lines(table.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].rfind("nvme0", 0), 0u);
  EXPECT_NE(rows[1].find("firmware is current"), std::string::npos);  // no vendor attributes given
}
#endif

}  // namespace
