// Runs the built fwhost as a user would and checks what it prints, writes and exits with.
#include <fcntl.h>
#include <openssl/sha.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "provider/fwprovider.h"
#include "tests/PluginLoader.h"
#include "tests/host/FakeSysfs.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kExamples = EXAMPLES_DIR;
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

std::string sha256(const std::string& bytes) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
  std::ostringstream hex;
  for (unsigned char byte : digest)
    hex << std::hex << std::setw(2) << std::setfill('0') << int{byte};
  return hex.str();
}

class FwhostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fwhost-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // fwhost with these arguments, in the temporary folder, reading stdin from a file if named.
  Outcome run(const std::vector<std::string>& arguments,
              const fs::path& input = "/dev/null") const {
    const fs::path out = dir_ / ".out", err = dir_ / ".err";
    const pid_t child = ::fork();
    if (child == 0) {
      std::vector<char*> argv{const_cast<char*>(FWHOST)};
      for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      if (::chdir(dir_.c_str()) != 0) ::_exit(126);
      ::dup2(::open(input.c_str(), O_RDONLY), STDIN_FILENO);
      ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
      ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
      ::execv(FWHOST, argv.data());
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
  }

  fs::path dir_;
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

TEST_F(FwhostTest, InfoShowsTheConfigurationAsTableAndJson) {
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
                               " bytes  sha256 " + sha256(bytes) + "\n");
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
    EXPECT_EQ(entry.at("sha256"), sha256(bytes));
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
                "would write plan/" + std::string(FWPROVIDER_IMAGE_1) + ".bin  1315840 bytes", 0),
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
  spit(dir_ / "malformed.json", "[{]");
  struct Row {
    std::vector<std::string> arguments;
    int exit;
    const char* named;
    bool pluginLogs;  // the plug-in's own records come first on stderr
  };
  const Row rows[] = {
      {{"map", "missing.xml", "--json"}, 2, "missing.xml: cannot read", false},
      {{"--plugin", "/nowhere/libfwprovider.so", "info"}, 2, "/nowhere/libfwprovider.so", false},
      {{"--plugin", STUB_PARTIAL_PLUGIN, "info"},
       2,
       "no export GetTargetFirmwareMappingAttributes",
       false},
      {{"map", "malformed.xml", "--json"}, 3, "malformed.xml: plug-in", true},
      {{"map", "malformed.xml", "--xml"}, 3, "malformed.xml: plug-in", true},
      {{"fetch", "REV1"}, 2, "no image named REV1", false},
      {{"--plugin", STUB_ODD_PLUGIN, "info", "--json"}, 3, "not XML", false},
      {{"--plugin", STUB_ODD_PLUGIN, "map", "--set", "A=1"},
       3,
       "kept asking for a larger buffer",
       false},
      {{"--plugin", STUB_ODD_PLUGIN, "fetch", "x"}, 2, "no image named x", false},
      {{"scan", "--sysfs-root", "nosuchdir"}, 2, "nosuchdir", false},
      {{}, 1, "subcommand", false},
      {{"map"}, 1, "FILE or --set", false},
      {{"map", "a.xml", "--set", "A=1"}, 1, "FILE or --set", false},
      {{"map", "a.xml", "--json", "--xml"}, 1, "excludes", false},
      {{"describe", "--set", "A"}, 1, "--set A:", false},
      {{"describe", "--set", "A:float=1"}, 1, "unknown type float", false},
      {{"plan", "a.xml"}, 1, "--output", false},
      {{"scan", "--set", "SerialNumber=x"}, 1, "--set SerialNumber: scan reads it", false},
      {{"scan", "--attributes", "malformed.json"},
       2,
       "malformed.json: not JSON: parse error at line 1, column 3",
       false},
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

// A machine's drives as the kernel lists them, one of each kind discovery tells apart.
fs::path makeSysfsTree(const fs::path& sys) {
  const std::string model40 = "QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE";
  const std::pair<const char*, std::string> files[] = {
      {"devices/nvme2/model", "QM 1TB NVMe                             \n"},
      {"devices/nvme2/serial", "  QM24A0001   \n"},
      {"devices/nvme2/firmware_rev", "HPS0    \n"},
      {"class/nvme/nvme10/model", "QM 1TB NVMe\n"},
      {"class/nvme/nvme10/serial", "QM24A0010\n"},
      {"class/nvme/nvme10/firmware_rev", "REV1\n"},
      // The INQUIRY strings of libata's translation cut what the drive reports.
      {"block/sda/device/vendor", "ATA     \n"},
      {"block/sda/device/model", model40.substr(0, 16) + "\n"},
      {"block/sda/device/rev", "HPS1\n"},
      {"block/sda/device/vpd_pg89",
       ataInformationPage(ataIdentifyData("QM24B0002", "BRHPS1", model40))},
      {"block/sdb/device/vendor", "ATA     \n"},
      {"block/sdb/device/model", "QM SATA SSD 256G\n"},
      {"block/sdb/device/rev", "HPS0\n"},
      {"block/sdb/device/vpd_pg89",
       ataInformationPage(ataIdentifyData("QMASSERT03", "HPS0", "QM SATA SSD 256GB"))},
      {"block/sdc/device/vendor", "ATA     \n"},
      {"block/sdc/device/model", "QM SATA SSD 256G\n"},
      {"block/sdc/device/rev", "HPS1\n"},
      {"block/sdc/device/vpd_pg80", unitSerialNumberPage("QM24B0004")},
      {"block/sdd/device/rev", "HPS0\n"},
      {"block/sdd/device/model/name", "a folder where the model belongs\n"},
      {"block/sdaa/device/vendor", "SEAGATE \n"},
      {"block/sdaa/device/model", "ST4000NM0023    \n"},
      {"block/sdaa/device/rev", "0004\n"},
      {"block/sdaa/device/vpd_pg80", unitSerialNumberPage("   Z1Z0ABCD")},
      {"block/loop0/size", "0\n"},
  };
  for (const auto& [path, bytes] : files) writeFile(sys / path, bytes);
  // Class entries and a namespace's device link into devices/, as the kernel lays them out.
  fs::create_directory_symlink(sys / "devices" / "nvme2", sys / "class" / "nvme" / "nvme2");
  fs::create_directories(sys / "block" / "nvme2n1");
  fs::create_directory_symlink(sys / "devices" / "nvme2", sys / "block" / "nvme2n1" / "device");
  return sys;
}

TEST_F(FwhostTest, ScanMapsEachDriveAsItIdentifiesItself) {
  const std::string sys = makeSysfsTree(dir_ / "sys").string();
  // The first rule needs both globs to match; the second gives every QM drive its attributes.
  spit(dir_ / "fleet.json", R"([
    {"match": {"ModelNumber": "ST4000*", "SerialNumber": "none"}, "set": {}},
    {"match": {"ModelNumber": "QM *"},
     "set": {"Product": "Quarry Meadow", "OEM": "HP", "ConfigID": "T2UB_256"}}])");
  const Outcome scanned =
      run({"scan", "--sysfs-root", sys, "--json", "--attributes", "fleet.json"});
  EXPECT_EQ(scanned.exit, 2) << scanned.err;
  EXPECT_EQ(lines(scanned.err).back(), "fwhost: 1 of 7 drives could not be read (see their rows)");
  struct Row {
    const char* device;
    const char* source;
    const char* identity;
    const char* model;
    const char* serial;
    const char* firmware;
    const char* verdict;
    const char* warning;  // a part of the only warning, or nullptr
  };
  const Row rows[] = {
      {"nvme2", "nvme-sysfs", "whole", "QM 1TB NVMe", "QM24A0001", "HPS0", "update-available",
       nullptr},
      {"nvme10", "nvme-sysfs", "whole", "QM 1TB NVMe", "QM24A0010", "REV1", "current", nullptr},
      {"sda", "ata-identify-vpd", "whole", "QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE", "QM24B0002",
       "BRHPS1", "update-available", nullptr},
      {"sdb", "ata-identify-vpd", "whole", "QM SATA SSD 256GB", "QMASSERT03", "HPS0",
       "contact-support", nullptr},
      {"sdc", "scsi-inquiry", "truncated", "QM SATA SSD 256G", "QM24B0004", "HPS1", "current",
       "sdc/device/vpd_pg89 (kernel 5.18 and later) and no IDENTIFY through SG_IO"},
      {"sdd", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
      {"sdaa", "scsi-inquiry", "whole", "ST4000NM0023", "Z1Z0ABCD", "0004", "current",
       "no rule of fleet.json matches it"},
  };
  const json drives = json::parse(scanned.out);
  ASSERT_EQ(drives.size(), std::size(rows)) << drives.dump();
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const json& drive = drives[i];
    SCOPED_TRACE(row.device);
    EXPECT_EQ(drive.at("device"), row.device);
    if (row.source == nullptr) {
      EXPECT_EQ(drive.at("error"), sys + "/block/sdd/device/model: not a regular file");
      continue;
    }
    EXPECT_EQ(drive.at("source"), row.source);
    EXPECT_EQ(drive.at("identity"), row.identity);
    EXPECT_EQ(drive.at("model"), row.model);
    EXPECT_EQ(drive.at("serial"), row.serial);
    EXPECT_EQ(drive.at("firmware"), row.firmware);
    EXPECT_EQ(drive.at("verdict"), row.verdict);
    ASSERT_EQ(drive.at("warnings").size(), row.warning ? 1u : 0u);
    if (row.warning) {
      const std::string warning = drive["warnings"][0];
      EXPECT_NE(warning.find(row.warning), std::string::npos) << warning;
      EXPECT_NE(scanned.err.find("fwhost: warning: " + std::string(row.device) + ": " + warning),
                std::string::npos);
    }
  }

  const Outcome table = run({"scan", "--sysfs-root", sys, "--device", "sdaa", "--device",
                             "nvme2", "--set", "Product=Quarry Meadow", "--set", "OEM=HP",
                             "--set", "ConfigID=T2UB_256"});
  ASSERT_EQ(table.exit, 0) << table.err;
  const auto printed = lines(table.out);
  ASSERT_EQ(printed.size(), 3u) << table.out;
  EXPECT_EQ(printed[1].rfind("nvme2 ", 0), 0u);
  EXPECT_NE(printed[1].find("update available"), std::string::npos);
  EXPECT_EQ(printed[2].rfind("sdaa ", 0), 0u);

  const Outcome fleet = run({"scan", "--sysfs-root", sys, "--device", "sda", "--json",
                             "--attributes", kExamples + "/fleet-attributes.json"});
  ASSERT_EQ(fleet.exit, 0) << fleet.err;
  EXPECT_EQ(json::parse(fleet.out).at(0).at("verdict"), "update-available");
}

TEST_F(FwhostTest, ScanRefusesVendorAttributesThatCouldReachTheWrongDrive) {
  const std::string sys = makeSysfsTree(dir_ / "sys").string();
  spit(dir_ / "identity.json", R"([{"set": {"Firmware": "HPS0"}}])");
  spit(dir_ / "unknown.json", R"([{"match": {"Model": "QM*"}, "set": {}}])");
  struct Row {
    std::vector<std::string> arguments;
    int exit;
    const char* named;
  };
  const Row rows[] = {
      {{"--set", "OEM=HP"}, 1, "needs --device when there is more than one drive (found: "
                               "nvme2, nvme10, sda, sdb, sdc, sdd, sdaa)"},
      {{"--device", "sde"}, 1, "--device sde: no such drive"},
      {{"--device", "sda", "--set", "firmware=HPS0"}, 1, "--set Firmware: scan reads it"},
      {{"--attributes", "identity.json"}, 2, "identity.json: rule 1: set Firmware"},
      {{"--attributes", "unknown.json"}, 2, "rule 1: match Model: only ModelNumber and"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> arguments{"scan", "--sysfs-root", sys};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    SCOPED_TRACE(arguments.back());
    const Outcome refused = run(arguments);
    EXPECT_EQ(refused.exit, row.exit);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find(row.named), std::string::npos) << refused.err;
  }
}

}  // namespace
