// Runs the built fwhost as a user would and checks what it prints, writes and exits with.
#if !defined(_WIN32)
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/Sha256.h"
#include "provider/fwprovider.h"
#include "tests/PluginLoader.h"
#include "tests/host/ChildProcess.h"
#include "tests/host/FakeSysfs.h"

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
const std::string kStubBigPlugin = hostPath(STUB_BIG_PLUGIN);
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

std::string sha256(const std::string& bytes) { return fwhost::sha256Hex(bytes); }

// The checksums fwhost prints are compared with this function's; it must be right itself.
TEST(Sha256Test, KnownAnswers) {
  EXPECT_EQ(sha256(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
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

  // fwhost started with these arguments in the temporary folder, stdin from input, stdout
  // into output (closed when empty), stderr into .err.
  ChildProcess start(const std::vector<std::string>& arguments, const fs::path& input = kNullDevice,
                     const fs::path& output = ".out") const {
    return ChildProcess(program_, arguments, dir_, input, output, ".err");
  }

  // The exit status (128 + N when ended by signal N) and what was written.
  Outcome finish(ChildProcess& child) const {
    Outcome result{child.wait(), slurp(dir_ / ".out"), slurp(dir_ / ".err")};
    fs::remove(dir_ / ".out");
    fs::remove(dir_ / ".err");
    return result;
  }

  Outcome run(const std::vector<std::string>& arguments, const fs::path& input = kNullDevice,
              const fs::path& output = ".out") const {
    ChildProcess child = start(arguments, input, output);
    return finish(child);
  }

  fs::path dir_;
  fs::path program_ = kFwhost;
};

// A file of the plan folder as fwhost names it, with the platform's separator.
std::string inPlan(const char* file) { return (fs::path("plan") / file).u8string(); }

std::string example(const std::string& name) { return kExamples + "/" + name + ".xml"; }

// One output mode a row: each mode prints the same answer, and each verdict shows in one.
TEST_F(FwhostTest, MapShowsTheVerdictOfEachExample) {
  struct Row {
    const char* file;
    const char* mode;
    int status;
    const char* shown;  // text: the first line; --json: the verdict
    const char* destination;
    size_t packages;
  };
  const Row rows[] = {
      {"update-available", "--json", 65, "update-available", "REV1", 3},
      {"current", "", 64, "no update offered (status 64)", "", 0},
      {"contact-support-update-match", "--xml", 68, "", "REV1", 0},
      {"contact-support", "--json", 68, "contact-support", "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    std::vector<std::string> arguments{"map", example(row.file)};
    if (*row.mode) arguments.push_back(row.mode);
    const Outcome mapped = run(arguments);
    ASSERT_EQ(mapped.exit, 0) << mapped.err;
    if (std::string(row.mode) == "--xml") {
      EXPECT_EQ(mapped.out.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?><Object", 0), 0u);
      EXPECT_NE(mapped.out.find("name=\"Status\" size=\"8\" type=\"uint64\" value=\"" +
                                std::to_string(row.status) + "\""),
                std::string::npos);
    } else if (*row.mode) {
      const json answer = json::parse(mapped.out);
      EXPECT_EQ(answer.at("status"), row.status);
      EXPECT_EQ(answer.at("verdict"), row.shown);
      EXPECT_EQ(answer.at("destination"), row.destination);
      EXPECT_EQ(answer.at("warnings"), json::array());
      ASSERT_EQ(answer.at("packages").size(), row.packages);
      for (size_t i = 0; i < row.packages; ++i) EXPECT_EQ(answer["packages"][i], kPackages[i]);
    } else {
      EXPECT_EQ(lines(mapped.out).at(0), row.shown);
    }
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

TEST_F(FwhostTest, InfoAndVersionNameThePlugInFileAndItsTypedAttributes) {
  const std::string plugin = fs::canonical(FWPROVIDER_PLUGIN).u8string();
  const Outcome table = run({"--plugin", plugin, "info"});
  ASSERT_EQ(table.exit, 0) << table.err;
  const auto rows = lines(table.out);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0], "plug-in " + plugin);
  EXPECT_EQ(rows[1], "sha256 " + sha256(slurp(plugin)));
  EXPECT_EQ(rows[3].rfind("NAME", 0), 0u);
  EXPECT_EQ(rows[7].rfind("ModuleType  Module Type   uint8", 0), 0u);

  const Outcome values = run({"--plugin", plugin, "info", "--json"});
  ASSERT_EQ(values.exit, 0) << values.err;
  EXPECT_EQ(json::parse(values.out),
            json({{"plugin", plugin},
                  {"sha256", sha256(slurp(plugin))},
                  {"attributes",
                   {{"Date", 1}, {"Version", "1.0.0"}, {"Audience", "HP"}, {"ModuleType", 0}}}}));

  const Outcome version = run({"--plugin", plugin, "--version"});
  EXPECT_EQ(version.out, "fwhost 1.0.0\nplug-in " + plugin + " Version 1.0.0\n");
}

// Run from a copy beside a copy of the plug-in, in a folder named with non-ASCII letters.
TEST_F(FwhostTest, FindsThePlugInBesideItselfInAFolderOfAnyName) {
  const fs::path folder = dir_ / fs::u8path("b\xc3\xafn");
  const fs::path plugin = folder / fs::path(FWPROVIDER_PLUGIN).filename();
  fs::create_directory(folder);
  program_ = folder / kFwhost.filename();
  fs::copy_file(kFwhost, program_);
  fs::copy_file(FWPROVIDER_PLUGIN, plugin);
  const Outcome info = run({"info", "--json"});
  ASSERT_EQ(info.exit, 0) << info.err;
  EXPECT_TRUE(fs::equivalent(fs::u8path(json::parse(info.out).at("plugin").get<std::string>()),
                             plugin))
      << info.out;
}

TEST_F(FwhostTest, HelpExplainsFwhostOrTheNamedCommand) {
  for (const std::string usage :
       {"Usage: fwhost [OPTIONS]", "Usage: fwhost plan", "Usage: fwhost verify"}) {
    std::vector<std::string> arguments{"help"};
    if (usage.find('[') == std::string::npos) arguments.push_back(usage.substr(14));
    const Outcome help = run(arguments);
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find(usage), std::string::npos) << help.out;
  }
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
  EXPECT_EQ(run({"fetch", FWPROVIDER_IMAGE_2, "-o", "-"}).out, exportedImage(FWPROVIDER_IMAGE_2));
  // Into an existing folder; a second time finds the same bytes in place.
  fs::create_directory(dir_ / "images");
  ASSERT_EQ(run({"fetch", FWPROVIDER_IMAGE_2, "-o", "images"}).exit, 0);
  const Outcome again = run({"fetch", FWPROVIDER_IMAGE_2, "-o", "images", "--json"});
  ASSERT_EQ(again.exit, 0) << again.err;
  EXPECT_EQ(json::parse(again.out).at("written"), false);
  EXPECT_EQ(slurp(dir_ / "images" / (std::string(FWPROVIDER_IMAGE_2) + ".bin")),
            exportedImage(FWPROVIDER_IMAGE_2));
}

TEST_F(FwhostTest, PlanWritesEachPackageSumsAndAManifestThatVerify) {
  const Outcome plan = run({"plan", example("update-available"), "-o", "out/plan"});
  ASSERT_EQ(plan.exit, 0) << plan.err;
  EXPECT_EQ(lines(plan.out).at(0), "update to REV1: 3 packages, 2651136 bytes, into out/plan");
  const fs::path out = dir_ / "out" / "plan";
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 5);

  const json manifest = json::parse(slurp(out / "manifest.json"));
  EXPECT_EQ(manifest.at("destination"), "REV1");
  EXPECT_EQ(manifest.at("status"), 65);
  EXPECT_EQ(manifest.at("verdict"), "update-available");
  EXPECT_EQ(
      manifest.at("drive"),
      json({{"ModelNumber", "QM 1TB NVMe"}, {"SerialNumber", "QM24A0001"}, {"Firmware", "HPS0"}}));
  EXPECT_EQ(manifest.at("plugin").at("version"), "1.0.0");
  EXPECT_EQ(manifest.at("created").get<std::string>().size(), 20u);
  std::string sums;
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
    sums += sha256(bytes) + "  " + entry.at("file").get<std::string>() + "\n";
  }
  EXPECT_EQ(slurp(out / "SHA256SUMS"), sums);

  // verify: each change an auditor must catch, undone before the next.
  const fs::path first = out / (std::string(kPackages[0]) + ".bin");
  const std::string original = slurp(first);
  struct Row {
    std::function<void()> change;
    int exit;
    std::string named;
  };
  const Row rows[] = {
      {[] {}, 0, "complete plan, 3 packages"},
      {[&] {
         std::string flipped = original;
         flipped[1000] ^= 1;
         spit(first, flipped);
       },
       3, first.filename().string() + ": sha256"},
      {[&] { spit(out / "extra", ""); }, 3, "extra: not in the manifest"},
      {[&] { fs::remove(out / "manifest.json"); }, 3, "manifest.json: missing"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.named);
    row.change();
    const Outcome verified = run({"verify", "out/plan"});
    EXPECT_EQ(verified.exit, row.exit) << verified.err;
    EXPECT_NE((verified.out + verified.err).find(row.named), std::string::npos)
        << verified.out << verified.err;
    spit(first, original);
    fs::remove(out / "extra");
  }
}

TEST_F(FwhostTest, PlanKeepsWhatIsInPlaceAndReplacesOtherBytesOnlyWithForce) {
  ASSERT_EQ(run({"plan", example("update-available"), "-o", "plan"}).exit, 0);
  const Outcome rerun = run({"plan", example("update-available"), "-o", "plan"});
  EXPECT_EQ(rerun.exit, 0) << rerun.err;
  EXPECT_EQ(lines(rerun.out).at(5).rfind("kept " + inPlan("manifest.json"), 0), 0u) << rerun.out;

  const fs::path first = dir_ / "plan" / (std::string(FWPROVIDER_IMAGE_1) + ".bin");
  spit(first, "changed");
  const Outcome refused = run({"plan", example("update-available"), "-o", "plan"});
  EXPECT_EQ(refused.exit, 2);
  EXPECT_NE(refused.err.find(first.filename().string() + ": exists with other content"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(slurp(first), "changed");

  ASSERT_EQ(run({"plan", example("update-available"), "-o", "plan", "--force"}).exit, 0);
  EXPECT_EQ(slurp(first), exportedImage(FWPROVIDER_IMAGE_1));
}

TEST_F(FwhostTest, PlanWritesNothingOnDryRunOrWithoutAnUpdate) {
  const Outcome dryRun = run({"plan", example("update-available"), "-o", "plan", "--dry-run"});
  EXPECT_EQ(dryRun.exit, 0) << dryRun.err;
  EXPECT_EQ(lines(dryRun.out).size(), 6u);
  EXPECT_EQ(
      lines(dryRun.out)
          .at(1)
          .rfind("would write " + inPlan(FWPROVIDER_IMAGE_1 ".bin") + "  1315840 bytes", 0),
      0u);
  EXPECT_FALSE(fs::exists(dir_ / "plan"));

  for (const char* drive : {"current", "contact-support-update-match"}) {
    const Outcome none = run({"plan", example(drive), "-o", "plan"});
    EXPECT_EQ(none.exit, 0) << drive;
    EXPECT_EQ(none.out.rfind("nothing written: ", 0), 0u) << none.out;
    EXPECT_FALSE(fs::exists(dir_ / "plan")) << drive;
  }
}

#if defined(_WIN32)
// Device names answer in every folder, and a raw drive to its own name; neither is written.
TEST_F(FwhostTest, WritesNeverReplaceWhatIsNotARegularFile) {
  const struct {
    const char* node;
    const char* what;
  } rows[] = {{"NUL", "a character device"}, {"\\\\.\\PhysicalDrive0", "a device"}};
  for (const auto& row : rows) {
    const Outcome refused = run({"fetch", FWPROVIDER_IMAGE_1, "-o", row.node, "--force"});
    EXPECT_EQ(refused.exit, 2) << row.node;
    EXPECT_NE(refused.err.find(std::string(row.node) + ": is " + row.what), std::string::npos)
        << refused.err;
  }
}
#else
// Only regular files are replaced; anything else is refused and left as it was.
TEST_F(FwhostTest, WritesNeverReplaceNorFollowWhatIsNotARegularFile) {
  spit(dir_ / "elsewhere", "keep me");
  const std::string planned = "plan/" + std::string(FWPROVIDER_IMAGE_1) + ".bin";
  struct Row {
    const char* what;
    std::function<bool()> make;  // false: this row cannot run here
    std::string node;
    std::vector<std::string> arguments;
  };
  const Row rows[] = {
      {"a FIFO",
       [&] { return ::mkfifo((dir_ / "fifo").c_str(), 0600) == 0; },
       "fifo",
       {"fetch", FWPROVIDER_IMAGE_1, "-o", "fifo"}},
      {"a symbolic link",
       [&] {
         fs::create_directory(dir_ / "plan");
         fs::create_symlink(dir_ / "elsewhere", dir_ / planned);
         return true;
       },
       planned,
       {"plan", example("update-available"), "-o", "plan", "--force"}},
      {"a character device",
       [&] { return ::mknod((dir_ / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; },
       "null",
       {"fetch", FWPROVIDER_IMAGE_1, "-o", "null", "--force"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (!row.make()) {
      std::cerr << "skipped: cannot make " << row.what << " here (mknod needs root)\n";
      continue;
    }
    struct stat before {
    }, after{};
    ::lstat((dir_ / row.node).c_str(), &before);
    const Outcome refused = run(row.arguments);
    EXPECT_EQ(refused.exit, 2);
    EXPECT_NE(refused.err.find(row.node + ": is " + row.what), std::string::npos) << refused.err;
    ASSERT_EQ(::lstat((dir_ / row.node).c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_rdev, before.st_rdev);
  }
  EXPECT_EQ(slurp(dir_ / "elsewhere"), "keep me");
}
#endif

// Ctrl-C reaches only a program on a console, which the tests under Wine do not give it.
#if !defined(_WIN32)
TEST_F(FwhostTest, AFailedOrInterruptedPlanLeavesNoTemporaryFileAndARerunCompletesIt) {
  const std::vector<std::string> plan{"--plugin", kStubBigPlugin, "plan", "--set", "A=1",
                                      "-o",       "plan"};
  ChildProcess child = start(plan);
  // The moment its temporary file shows, the package is being written.
  const auto writing = [&] {
    std::error_code error;
    for (fs::directory_iterator it(dir_ / "plan", error), end; !error && it != end; ++it)
      if (it->path().filename().string().rfind(".", 0) == 0) return true;
    return false;
  };
  while (!writing() && child.running()) std::this_thread::sleep_for(std::chrono::microseconds(100));
  child.interrupt();
  const Outcome interrupted = finish(child);
  EXPECT_EQ(interrupted.exit, 128 + SIGINT) << interrupted.err;
  EXPECT_FALSE(writing());
  EXPECT_FALSE(fs::exists(dir_ / "plan" / "manifest.json"));

  const Outcome rerun = run(plan);
  EXPECT_EQ(rerun.exit, 0) << rerun.err;
  EXPECT_EQ(run({"verify", "plan"}).exit, 0);
}
#endif

TEST_F(FwhostTest, DescriptionSlipsTheReaderPassesOverAreWarnedOf) {
  spit(dir_ / "skipped.xml",
       "<Object><Property name=\"Product\" type=\"string\" value=\"Quarry Meadow\"/>"
       "<Property category=\"attribute\" name=\"OEM\" type=\"text\" value=\"HP\"/></Object>");
  struct Row {
    std::vector<std::string> drive;
    const char* warning;
  };
  const Row rows[] = {
      {{"skipped.xml"}, "Property Product is skipped by the plug-in: its category is \"\""},
      {{"skipped.xml"}, "Property OEM is skipped by the plug-in: it reads no type \"text\""},
      {{"--set", "Firmwre=HPS0"}, "Firmwre: did you mean Firmware?"},
      {{"--set", "Firmware=HPS0 "}, "Firmware: the value \"HPS0 \" has white space at its end"},
      {{"--set", "firmware=HPS0"}, "no ConfigID attribute, which the update rules read"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.warning);
    std::vector<std::string> arguments{"map", "--json"};
    arguments.insert(arguments.end(), row.drive.begin(), row.drive.end());
    const Outcome mapped = run(arguments);
    ASSERT_EQ(mapped.exit, 0) << mapped.err;
    const json warnings = json::parse(mapped.out).at("warnings");
    const auto says = [&](const json& warning) {
      return warning.get<std::string>().find(row.warning) != std::string::npos;
    };
    EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(), says)) << warnings;
    EXPECT_NE(mapped.err.find(row.warning), std::string::npos) << mapped.err;
  }
}

TEST_F(FwhostTest, ThePlugInsLogIsShownBoundedUnlessVerbose) {
  // The plug-in logs the whole unreadable input as one of its records.
  spit(dir_ / "long.xml", "<Object " + std::string(100000, 'x'));
  const Outcome bounded = run({"map", "long.xml"});
  EXPECT_EQ(bounded.exit, 3);
  const auto shown = lines(bounded.err);
  ASSERT_EQ(shown.size(), 4u) << bounded.err;
  EXPECT_LE(shown[1].size(), 300u);
  EXPECT_NE(shown[2].find(" more bytes of plug-in log; --verbose shows all)"), std::string::npos);
  EXPECT_NE(shown[3].find("long.xml (not XML: line 1: "), std::string::npos) << shown[3];

  const Outcome verbose = run({"--verbose", "map", "long.xml"});
  EXPECT_GT(verbose.err.size(), 100000u);
}

TEST_F(FwhostTest, AFailedWriteToStandardOutputIsAnError) {
  std::vector<fs::path> outputs{fs::path()};  // closed
#if !defined(_WIN32)
  outputs.push_back("/dev/full");  // Windows has no device that is always full
#endif
  for (const fs::path& output : outputs) {
    SCOPED_TRACE(output);
    const Outcome failed = run({"map", example("current"), "--json"}, kNullDevice, output);
    EXPECT_EQ(failed.exit, 2);
    EXPECT_NE(failed.err.find("standard output: cannot write: "), std::string::npos) << failed.err;
  }
}

TEST_F(FwhostTest, FailuresExitWithTheirCodeAndOneLineNamingTheCulprit) {
  spit(dir_ / "malformed.xml", "<Object category=\"attributeList\"><Property");
  spit(dir_ / "malformed.json", "[{]");
  spit(dir_ / "afile", "");
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
      {{"map", "malformed.xml", "--json"}, 3, "malformed.xml (not XML: line 1: ", true},
      {{"plan", "malformed.xml", "-o", "p"}, 3, "refused this drive description (36", true},
      {{"fetch", "REV1", "--json"}, 2, "no image named REV1", false},
      {{"fetch", FWPROVIDER_IMAGE_1, "-o", "afile"}, 2, "afile: exists with other content", false},
      {{"--plugin", kStubOddPlugin, "info", "--json"}, 3, "not XML", false},
      {{"--plugin", kStubOddPlugin, "map", example("update-available")},
       3,
       "kept asking for a larger buffer",
       false},
#if !defined(_WIN32)  // fwhost.exe reads no sysfs tree
      {{"scan", "--sysfs-root", "nosuchdir"}, 2, "nosuchdir", false},
#endif
      {{"plan", example("update-available"), "-o", "afile", "--dry-run"},
       2,
       "afile: is a regular file, not a folder",
       false},
      {{"verify", "nosuchdir", "--json"}, 2, "nosuchdir: is no folder", false},
      {{}, 1, "subcommand", false},
      {{"map"}, 1, "--set settings (see fwhost map --help)", false},
      {{"map", "a.xml", "--json", "--xml"}, 1, "excludes", false},
      {{"describe", "--set", "A"}, 1, "--set A:", false},
      {{"describe", "--set", "A:float=1", "--json"}, 1, "unknown type float", false},
      {{"plan", "a.xml"}, 1, "--output", false},
      {{"scan", "--set", "SerialNumber=x"}, 1, "--set SerialNumber: scan reads it", false},
      {{"scan", "--attributes", "malformed.json"},
       2,
       "malformed.json: not JSON: parse error at line 1, column 3",
       false},
      {{"plan", "a.xml", "-o", ""}, 1, "--output: needs a non-empty value", false},
      {{"fetch", "x", "-o", "-", "--json"}, 1, "would both use standard output", false},
      {{"help", "nosuch"}, 1, "no command nosuch", false},
  };
  for (const Row& row : rows) {
    std::string command;
    for (const std::string& argument : row.arguments) command += argument + " ";
    SCOPED_TRACE(command);
    const Outcome failed = run(row.arguments);
    EXPECT_EQ(failed.exit, row.exit) << failed.err;
    const auto errors = lines(failed.err);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.size() > 1, row.pluginLogs) << failed.err;
    EXPECT_EQ(errors.back().rfind("fwhost: ", 0), 0u);
    EXPECT_NE(errors.back().find(row.named), std::string::npos) << errors.back();
    if (std::find(row.arguments.begin(), row.arguments.end(), "--json") == row.arguments.end()) {
      EXPECT_EQ(failed.out, "");
    } else {
      EXPECT_EQ(json::parse(failed.out),
                json({{"error", {{"exit_code", row.exit}, {"message", errors.back().substr(8)}}}}));
    }
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
  EXPECT_EQ(lines(scanned.err).back(),
            "fwhost: 1 of 7 drives could not be read or planned (see their rows)");
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
    // The description's own warnings may follow, for a drive without vendor attributes.
    ASSERT_EQ(drive.at("warnings").empty(), row.warning == nullptr) << drive.dump();
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

TEST_F(FwhostTest, ScanPlansEachDriveWithAnUpdateAsPlanDoes) {
  const std::string sys = makeSysfsTree(dir_ / "sys").string();
  const std::vector<std::string> scan = {"scan",         "--sysfs-root",
                                         sys,            "--attributes",
                                         kExamples + "/fleet-attributes.json",
                                         "--plan",       "plans"};
  ASSERT_EQ(run({"plan", example("update-available"), "-o", "single"}).exit, 0);
  for (const char* pass : {"first", "rerun"}) {
    SCOPED_TRACE(pass);
    const Outcome planned = run(scan);
    EXPECT_EQ(planned.exit, 2) << planned.err;  // sdd cannot be read
    const auto printed = lines(planned.out);
    ASSERT_EQ(printed.size(), 15u) << planned.out;
    EXPECT_EQ(printed[8].rfind("nvme2: update to REV1: 3 packages, ", 0), 0u) << printed[8];
    EXPECT_EQ(printed[9], "nvme10: no plan: no update offered");
    EXPECT_EQ(printed[10].rfind("sda: update to REV1: ", 0), 0u) << printed[10];
    EXPECT_EQ(printed[13], "sdd: no plan: unreadable");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "plans"), fs::directory_iterator()), 2);
    for (const char* folder : {"nvme2-QM24A0001", "sda-QM24B0002"}) {
      const fs::path plan = dir_ / "plans" / folder;
      EXPECT_EQ(slurp(plan / "SHA256SUMS"), slurp(dir_ / "single" / "SHA256SUMS")) << folder;
      const json manifest = json::parse(slurp(plan / "manifest.json"));
      EXPECT_EQ(std::string(folder).substr(std::string(folder).find('-') + 1),
                manifest.at("drive").at("SerialNumber"));
    }
  }
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
#endif

}  // namespace
