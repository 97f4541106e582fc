// Runs the built fwhost as a user would and checks what it prints, writes and exits with.
#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/discovery/ScannedDrive.h"
#include "host/plan/Sha256.h"
#include "host/platform/PluginLibrary.h"
#include "host/platform/SafeWrite.h"
#include "host/platform/SystemError.h"
#include "host/platform/WideText.h"
#include "host/platform/WorkerSandbox.h"
#include "provider/fwprovider.h"
#include "tests/NullDevice.h"
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
#if defined(_WIN32)
const std::string kLinks = hostPath(LINKS_DIR);
#endif
const char* const kPackages[] = {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2, FWPROVIDER_IMAGE_3};

struct Outcome {
  int exit = -1;
  std::string out;
  std::string err;
};

// Every JSON document fwhost printed or wrote, kept for the check against the schemas that runs
// after these tests; named by the test, so that tests run side by side never share a name.
void keepDocument(const std::string& text, const std::string& kind) {
  static int kept = 0;
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::create_directories(FWHOST_JSON_DIR);
  std::ofstream(
      fs::path(FWHOST_JSON_DIR) / (test + "-" + std::to_string(++kept) + "-" + kind + ".json"),
      std::ios::binary)
      << text;
}

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
  const fwhost::PluginLibrary plugin(FWPROVIDER_PLUGIN);
  const auto binary =
      reinterpret_cast<GetTargetFirmwareBinaryFn>(plugin.symbol("GetTargetFirmwareBinary"));
  uint32_t length = 0;
  binary(name.data(), static_cast<uint32_t>(name.size()), nullptr, &length);
  std::string bytes(length, '\0');
  binary(name.data(), static_cast<uint32_t>(name.size()), reinterpret_cast<uint8_t*>(bytes.data()),
         &length);
  return bytes;
}

std::string sha256(const std::string& bytes) { return fwhost::sha256Hex(bytes); }

// The stub plug-in's mapping document: an update to the packages, joined by ~, and more
// properties when given.
std::string update(const std::string& packages, const std::string& more = "") {
  return "<Object><Property name=\"Status\" value=\"65\"/><Property name=\"Destination\" "
         "value=\"X\"/><Property name=\"Package\" value=\"" +
         packages + "\"/>" + more + "</Object>";
}

// What the stub plug-in answers (StubPlugin.c); empty: unset.
void setEnvironment(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  if (value.empty()) {
    ::unsetenv(name);
  } else {
    ::setenv(name, value.c_str(), 1);
  }
#endif
}

// The checksums fwhost prints are compared with this function's; it must be right itself.
TEST(Sha256Test, KnownAnswers) {
  EXPECT_EQ(sha256(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// --device as each platform names its drives: Linux's exactly, as /dev/ paths too, an NVMe
// controller by its namespaces; Windows' in any case, also as the device path or the number.
TEST(ScannedDriveTest, DeviceNames) {
  struct Row {
    const char* device;
    const char* name;
    bool answers;
  };
  const Row rows[] = {
      {"sda", "sda", true},
      {"sda", "SDA", false},
      {"sda", "/dev/sda", true},
      {"sda", "/dev/sda1", false},
      {"nvme0", "nvme0n1", true},
      {"nvme0", "/dev/nvme0n12", true},
      {"nvme0", "/dev/nvme0", true},
      {"nvme0", "nvme0n1p1", false},
      {"nvme0", "nvme0n", false},
      {"nvme1", "nvme10n1", false},
      {"PhysicalDrive10", "PhysicalDrive10", true},
      {"PhysicalDrive10", "physicaldrive10", true},
      {"PhysicalDrive10", "\\\\.\\PHYSICALDRIVE10", true},
      {"PhysicalDrive10", "10", true},
      {"PhysicalDrive10", "1", false},
      {"PhysicalDrive10", "PhysicalDrive1", false},
      {"PhysicalDrive10", "\\\\.\\10", false},
      {"PhysicalDrive10", "\\\\?\\PhysicalDrive10", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(fwhost::answersTo(row.device, row.name), row.answers)
        << row.device << " " << row.name;
}

#if defined(_WIN32)
// UTF-8 inside, UTF-16 at the system: what a console is sent, and what a system error says.
TEST(WideTextTest, ConversionsAndSystemMessages) {
  const std::string name = "nicht-da-\xc3\xa4\xe6\xb5\x8b.xml";
  EXPECT_EQ(fwhost::wide(name), L"nicht-da-\u00e4\u6d4b.xml");
  EXPECT_EQ(fwhost::utf8(fwhost::wide(name)), name);
  EXPECT_EQ(fwhost::wide("\xff"), L"\ufffd");
  EXPECT_EQ(fwhost::utf8(L"\xd800"), "\xef\xbf\xbd");
  // A character cut by the end of a write waits for its last bytes; a byte no character starts
  // with does not wait.
  const std::pair<std::string, size_t> cuts[] = {
      {"a\xe6\xb5", 1}, {"a\xe6\xb5\x8b", 4}, {"\xf0\x9f\x98", 0}, {"a\xff", 2}, {"\x80\x80", 2}};
  for (const auto& [bytes, complete] : cuts) EXPECT_EQ(fwhost::completeUtf8Length(bytes), complete);
  // The system's own words with their number; an insert ("Bad EXE format for %1") not left raw.
  const std::string message = fwhost::systemMessage(193);
  EXPECT_EQ(message.find('%'), std::string::npos) << message;
  EXPECT_EQ(message.substr(message.size() - 12), " (error 193)") << message;
}
#endif

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
    setEnvironment("FWHOST_STUB", stub_);
    return ChildProcess(program_, arguments, dir_, input, output, ".err");
  }

  // The exit status (128 + N when ended by signal N) and what was written.
  Outcome finish(ChildProcess& child) const {
    Outcome result{child.wait(), slurp(dir_ / ".out"), slurp(dir_ / ".err")};
    fs::remove(dir_ / ".out");
    fs::remove(dir_ / ".err");
    const json document = json::parse(result.out, nullptr, false);
    if (document.is_object() && document.contains("schema_version"))
      keepDocument(result.out, document.contains("error") ? "error" : "answer");
    return result;
  }

  Outcome run(const std::vector<std::string>& arguments, const fs::path& input = kNullDevice,
              const fs::path& output = ".out") const {
    ChildProcess child = start(arguments, input, output);
    return finish(child);
  }

  // Runs fwhost and expects that exit status and, on stdout or stderr, this text.
  void expect(const std::vector<std::string>& arguments, int exit, const std::string& text) const {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exit, exit) << outcome.err;
    EXPECT_NE((outcome.out + outcome.err).find(text), std::string::npos)
        << outcome.out << outcome.err;
  }

  fs::path dir_;
  fs::path program_ = kFwhost;
  std::string stub_;  // the stub plug-in's mapping document, as StubPlugin.c takes it
};

std::string example(const std::string& name) { return kExamples + "/" + name + ".xml"; }

std::string binOf(const std::string& name) { return name + ".bin"; }

// A file of the plan folder out/plan as fwhost names it, with the platform's separator.
std::string inPlan(const std::string& file) {
  return (fs::path("out/plan") / file).make_preferred().u8string();
}

// One output mode a row, and a row for each mode. What a command does its work with shows on
// stdout, its warnings on stderr too; a failure exits with its code and one line naming the
// culprit, which --json prints as an object as well.
TEST_F(FwhostTest, EachCommandAnswersOrNamesTheCulpritInOneLine) {
  const std::string plugin = fs::canonical(FWPROVIDER_PLUGIN).u8string();
  const std::string stub = hostPath(STUB_HOSTILE_PLUGIN);
  spit(dir_ / "malformed.json", "[{]");
  spit(dir_ / "afile", "");
  // Input that is not what it seems: UTF-16, a key twice.
  const std::string drive = slurp(example("update-available"));
  std::string utf16 = "\xff\xfe";
  for (const char c : drive) utf16 += {c, '\0'};
  spit(dir_ / "utf16.xml", utf16);
  // Two values of one attribute: fwhost's reader took the first, the plug-in's the last.
  std::string twoValues = drive;
  twoValues.replace(twoValues.find("value=\"HPS0\""), 12, "value=\"HPS0\"\n value=\"REV1\"");
  spit(dir_ / "two-values.xml", twoValues);
  std::string latin1 = drive;
  latin1.replace(latin1.find("QM24A0001"), 9, "QM24\xff");
  spit(dir_ / "latin1.xml", latin1);
  spit(dir_ / "twice.xml", drive.substr(0, drive.rfind("</Object>")) +
                               "<Property category=\"attribute\" name=\"firmware\" "
                               "type=\"string\" value=\"REV1\"/></Object>");
#if !defined(_WIN32)
  const std::string sys = makeSysfsTree(dir_ / "sys");
  // A device name that would set the terminal's title.
  const std::string title = "sdb\x1b]0;x\x07";
  SysfsFiles hostile = scsiDevice(title, "SEAGATE", "ST4000", "0004");
  hostile.push_back({"block/" + title + "/device/vpd_pg80", unitSerialNumberPage("Z1Z0ABCD")});
  writeSysfsFiles(dir_ / "hostile", hostile);
  spit(dir_ / "identity.json", R"([{"set": {"Firmware": "HPS0"}}])");
  spit(dir_ / "unknown.json", R"([{"match": {"Model": "QM*"}, "set": {}}])");
  // Only regular files are replaced; anything else is refused, left as it was, not followed.
  const std::string link = "plan/" + binOf(FWPROVIDER_IMAGE_1);
  spit(dir_ / "elsewhere", "keep me");
  fs::create_directory(dir_ / "plan");
  fs::create_symlink(dir_ / "elsewhere", dir_ / link);
  fs::create_directory_symlink(dir_ / "plan", dir_ / "planlink");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  // Should fwhost open the FIFO, it reads these bytes instead of waiting for a writer forever.
  const int fifo = ::open((dir_ / "fifo").c_str(), O_RDWR | O_NONBLOCK);
  const std::string junk(4096, 'x');
  ASSERT_EQ(::write(fifo, junk.data(), junk.size()), 4096);
  const bool device = ::mknod((dir_ / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  if (!device) std::cerr << "skipped: cannot make a character device here (mknod needs root)\n";
  // A name that would clear the screen, colour it (CSI raw and as U+009B), set the title (OSC,
  // BEL) and turn the line around (U+202E); escaped wherever it is printed for people.
  const std::string loud =
      "\x1b[2J\x9b"
      "31m\xc2\x9b"
      "0m\x1b]0;t\x07\xe2\x80\xae";
  const std::string quiet = "\\x1b[2J\\x9b31m\\u009b0m\\x1b]0;t\\x07\\u202e";
  const fs::path loudPlugin = dir_ / loud / fs::path(FWPROVIDER_PLUGIN).filename();
  fs::create_directory(dir_ / loud);
  fs::copy_file(FWPROVIDER_PLUGIN, loudPlugin);
  const std::string quietPlugin =
      dir_.u8string() + "/" + quiet + "/" + fs::path(FWPROVIDER_PLUGIN).filename().u8string();
#endif
  struct Row {
    std::vector<std::string> arguments;
    int exit;
    std::string shown;         // a part of what it prints; ^ marks the start of stdout
    fs::path output = ".out";  // empty: closed
    std::string stub{};        // what the stub plug-in answers
    std::string version{};     // the stub's Version, which it also logs
  };
  std::vector<Row> rows = {
    {{"map", example("current")}, 0, "^no update offered (status 64)\n"},
    {{"describe", "--set", "TCGSupported:boolean=true"},
     0,
     "name=\"TCGSupported\" displayName=\"TCG Supported\" type=\"boolean\" value=\"true\""},
    {{"map", example("contact-support-update-match"), "--xml"},
     0,
     "^<?xml version=\"1.0\" encoding=\"utf-8\"?><Object"},
    {{"map", example("contact-support"), "--json"},
     0,
     "\"status\": 68,\n    \"verdict\": \"contact-support\""},
    // A slip in a description that the plug-in passes over, told on stderr, terminal-safe.
    {{"map", "--set", "Firmwar\x07=HPS0"}, 0, "warning: --set drive: Firmwar\\x07: did you"},
    {{"plan", example("current"), "-o", "out/plan"}, 0, "^nothing written: no update offered"},
    {{"plan", example("contact-support-update-match"), "-o", "out/plan", "--json"},
     0,
     "\"files\": []"},
    {{"plan", example("update-available"), "-o", "out/plan", "--dry-run"},
     0,
     "\nwould write " + inPlan("manifest.json") + "  "},
    {{"--plugin", plugin, "info"},
     0,
     "^plug-in " + plugin + "\nsha256 " + sha256(slurp(plugin)) + "\n\nNAME"},
    {{"--plugin", plugin, "info"}, 0, "\nModuleType  Module Type   uint8"},
    {{"--plugin", plugin, "--version"}, 0, "^fwhost 1.0.0\nplug-in " + plugin + " Version 1.0.0\n"},
    {{"help"}, 0, "Usage: fwhost [OPTIONS]"},
    {{"help", "plan"}, 0, "Usage: fwhost plan"},
    {{"map", "/nowhere/missing.xml", "--json"}, 2, "missing.xml: cannot read"},
    {{"--plugin", "/nowhere/libfwprovider.so", "info"}, 2, "/nowhere/libfwprovider.so"},
    {{"--plugin", hostPath(STUB_PARTIAL_PLUGIN), "info"},
     2,
     "no export GetTargetFirmwareMappingAttributes"},
    {{"fetch", "REV1", "--json"},
     2,
     "no image named REV1 (fwprovider.h names " + std::string(FWPROVIDER_IMAGE_1) + ", "},
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", "afile"}, 2, "afile: exists with other content"},
    {{"--plugin", stub, "info", "--json"}, 3, "not XML"},
    {{"--plugin", stub, "map", example("update-available")}, 3, "kept asking for a larger buffer"},
    // Input that is not what it seems.
    {{"map", "utf16.xml"}, 0, "^update available (status 65)\n"},
    // Not XML, a JSON file among them: refused before the plug-in reads (and logs) it.
    {{"map", "afile"}, 2, "afile: is not XML: line 1: no element"},
    {{"map", "malformed.json", "--json"}, 2, "malformed.json: is not XML: line 1: expected <"},
    {{"plan", "twice.xml", "-o", "out/plan"}, 2, "twice.xml: Firmware is given more than once"},
    {{"plan", "latin1.xml", "-o", "out/plan"}, 2, "latin1.xml: gives text that is not UTF-8"},
    {{"map", "two-values.xml", "--json"},
     2,
     "two-values.xml: line 11: element Property gives attribute value twice, which is not"},
    {{"map", "--set", "Firmware:uint64=5"}, 2, "Firmware is of type uint64, whose value the"},
    {{"plan", example("update-available"), "-o", ".", "--dry-run"}, 2, "is no part of this plan"},
    // A plug-in that answers hostile things: each is an inconsistent answer, its culprit
    // escaped in the line.
    {{"--plugin", stub, "map", "--set", "A=1"},
     3,
     "names packages Pkg and pKG, one file where letter case",
     ".out",
     update("Pkg~pKG")},
    {{"--plugin", stub, "map", "--set", "A=1"},
     3,
     "package \"com1.x\" cannot be",
     ".out",
     update("A~com1.x")},
    {{"--plugin", stub, "fetch", "Nul", "-o", "."}, 3, "image named \"Nul\" cannot be a file"},
    {{"--plugin", stub, "map", "--set", "A=1"},
     3,
     "package \"A\\x0aB\" cannot be a file name",
     ".out",
     update("A&#10;B")},
    {{"--plugin", stub, "map", "--set", "A=1"},
     3,
     "an answer text of 4294967295 bytes, more than the 1048576",
     ".out",
     "4GiB"},
    {{"--plugin", stub, "plan", "--set", "A=1", "-o", "out/plan"},
     3,
     "image huge of 4294967295 bytes, more than the 6",
     ".out",
     update("first~huge")},
    {{"--plugin", stub, "fetch", "short"}, 3, "code 0, 4 bytes of the 5 of image short"},
    {{"--plugin", stub, "fetch", "../x", "-o", "."}, 3, "image named \"../x\" cannot be a file"},
    {{"--plugin", stub, "--version"}, 0, "plug-in loaded, but its Version cannot be read"},
    {{"--json=1", "map", "--bogus"}, 1, "not expected: --bogus"},
    {{"plan", example("update-available"), "-o", "afile", "--dry-run"},
     2,
     "afile: is a regular file, not a folder"},
    {{"verify", "nosuchdir", "--json"}, 2, "nosuchdir: cannot open it: "},
    {{}, 1, "subcommand"},
    {{"map"}, 1, "--set settings (see fwhost map --help)"},
    {{"map", "a.xml", "--json", "--xml"}, 1, "excludes"},
    {{"plan", "a.xml"}, 1, "--output"},
    {{"scan", "--set", "SerialNumber=x"}, 1, "--set SerialNumber: scan reads it"},
    {{"scan", "--attributes", "malformed.json"},
     2,
     "malformed.json: not JSON: parse error at line 1, column 3"},
    {{"plan", "a.xml", "-o", ""}, 1, "--output: needs a non-empty value"},
    {{"fetch", "x", "-o", "-", "--json"}, 1, "would both use standard output"},
    {{"help", "nosuch"}, 1, "no command nosuch (the commands: info, map, describe, fetch, plan"},
    {{"--plugin", "x", "pln", "-o", "x"}, 1, "no command pln (the commands: info, map,"},
    {{"mpa"}, 1, "help); did you mean map?"},
    {{"map", "--set", "Firmware:uint64=abc"}, 1, "abc is no uint64 (a whole number from 0"},
    {{"describe"}, 1, "describe needs at least one --set"},
    {{"-V", "-j"}, 0, "\"command\": \"version\""},
    {{"map", example("current")}, 2, "standard output: cannot write: ", ""},
#if defined(_WIN32)
    // Wine answers for its drives as it likes; whatever it answers, the scan ends cleanly.
    {{"scan", "--json"}, 0, "^{\n  \"schema_version\": 1,\n  \"command\": \"scan\""},
    // Windows' own words for each error, with its number; its conventions for help and paths.
    {{"map", "nosuch.xml"}, 2, " (error 2)"},
    {{"map", example("current")}, 2, "standard output: cannot write: Access", ""},
    {{"/?"}, 0, "Usage: fwhost [OPTIONS]"},
    {{"plan", "/?"}, 0, "Usage: fwhost plan"},
    {{"help"}, 0, "\n  0xC000013A  ended by Ctrl-C"},
    {{"fetch", FWPROVIDER_IMAGE_2, "-o", "../" + dir_.filename().u8string()},
     0,
     "^..\\" + dir_.filename().u8string() + "\\" + binOf(FWPROVIDER_IMAGE_2) + "  "},
    // Device names answer in every folder, and a raw drive to its own name.
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", "NUL", "--force"}, 2, "NUL: is a character device"},
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", "CON"}, 2, "CON: is a device"},
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", "\\\\.\\PhysicalDrive0", "--force"},
     2,
     "\\\\.\\PhysicalDrive0: is a device"},
    // A folder on a drive or share that is not there is looked for up to its root, no further.
    {{"plan", example("update-available"), "-o", "Q:\\x"},
     2,
     "Q:\\x: cannot be made: Q:\\ is not there"},
    {{"plan", example("update-available"), "-o", "Q:x", "--dry-run"},
     2,
     "Q:x: cannot be made: Q: is not there"},
    {{"plan", example("update-available"), "-o", "\\\\nosuchhost\\share", "--dry-run"},
     2,
     "cannot be made: \\\\nosuchhost\\share is not there"},
    // A name Windows would shorten is refused, not written under another name.
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", "img.bin."}, 2, "img.bin.: a name ends in a dot or a"},
    {{"plan", example("update-available"), "-o", "out\\plan ", "--dry-run"}, 2, "plan : a name"},
    // Links made before the run, which Wine shows as what they point to.
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", kLinks + "\\file-link", "--force"},
     2,
     "file-link: is a link or another reparse point; only a regular file"},
    {{"plan", example("update-available"), "-o", kLinks + "\\folder-link"},
     2,
     "folder-link: is a link or another reparse point, not a folder"},
    {{"verify", kLinks + "\\folder-link"}, 2, "folder-link: is a link or another reparse"},
#else
    // Windows has no device that is always full.
    {{"map", example("current")}, 2, "standard output: cannot write: ", "/dev/full"},
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", "fifo"}, 2, "fifo: is a FIFO"},
    {{"--plugin", "fifo", "info"}, 2, "fifo: not a regular file"},
    {{"plan", "--help"}, 2, "standard output: cannot write: ", "/dev/full"},
    {{"verify", "planlink"}, 2, "planlink: is a symbolic link, not a folder"},
    {{"plan", example("update-available"), "-o", "planlink", "--dry-run"},
     2,
     "planlink: is a symbolic link, not a folder"},
    {{"plan", example("update-available"), "-o", "plan", "--force"},
     2,
     link + ": is a symbolic link"},
    // Each text for people is terminal-safe: paths, a Version, the plug-in's log.
    {{"plan", example("update-available"), "-o", loud + "/p"}, 0, " bytes, into " + quiet + "/p\n"},
    {{"plan", example("update-available"), "-o", loud + "/p"}, 0, "\nkept " + quiet + "/p/"},
    {{"verify", loud + "/p"}, 0, "^" + quiet + "/p: complete plan"},
    // JSON escapes by its own rules; a byte that is not UTF-8 becomes U+FFFD.
    {{"verify", loud + "/p", "--json"},
     0,
     "\"directory\": \"\\u001b[2J\xef\xbf\xbd"
     "31m\xc2\x9b"
     "0m\\u001b]0;t\\u0007\xe2\x80\xae/p\""},
    {{"fetch", FWPROVIDER_IMAGE_1, "-o", loud + "/i"}, 0, "^" + quiet + "/i  "},
    {{"--plugin", loudPlugin.u8string(), "info"}, 0, "^plug-in " + quietPlugin + "\n"},
    {{"--plugin", loudPlugin.u8string(), "--version"}, 0, "\nplug-in " + quietPlugin + " Version"},
    {{"--plugin", stub, "--version"}, 0, " Version " + quiet + "\n", ".out", "", loud},
    {{"--plugin", stub, "--version"}, 0, "\nlog: " + quiet + "\n", ".out", "", loud},
    // A sysfs tree is Linux's; fwhost.exe asks Windows for its physical drives.
    {{"scan", "--sysfs-root", "nosuchdir"}, 2, "nosuchdir"},
    {{"scan", "--sysfs-root", "hostile"}, 0, "\nsdb\\x1b]0;x\\x07  ST4000  Z1Z0ABCD"},
    {{"scan", "--sysfs-root", sys, "--device", "sdaa", "--device", "nvme2", "--set",
      "Product=Quarry Meadow", "--set", "OEM=HP", "--set", "ConfigID=T2UB_256"},
     0,
     "\nnvme2   QM 1TB NVMe   QM24A0001  HPS0      nvme-sysfs    --set       update available   "
     "REV1\n"
     "sdaa    ST4000NM0023  Z1Z0ABCD   0004      scsi-inquiry  --set       no update offered  \n"},
    // Devices as lsblk and /dev name them; what scan passed over, and why.
    {{"scan", "--sysfs-root", sys, "--device", "/dev/nvme2n1", "--json"},
     0,
     "\"attributes_from\": \"none\",\n      \"complete_description\": false"},
    {{"scan", "--sysfs-root", sys, "--device", "nvme2n1"},
     0,
     "warning: nvme2: mapped without some of the vendor attributes"},
    {{"scan", "--sysfs-root", sys, "--device", "nvme2"},
     0,
     "  no update offered (incomplete description)  \n"},
    {{"scan", "--sysfs-root", sys, "--device", "sdaa"}, 0, "\nskipped sr0: CD or DVD drive\n"},
    {{"scan", "--sysfs-root", sys, "--device", "/dev/vda"},
     1,
     "--device /dev/vda: skipped: virtio-blk disk: it reports no model or firmware revision to map "
     "(drives: nvme2, "},
    {{"scan", "--sysfs-root", sys, "--device", "sda", "--json", "--attributes",
      kExamples + "/fleet-attributes.json"},
     0,
     "\"verdict\": \"update-available\""},
    // Vendor attributes that could reach the wrong drive.
    {{"scan", "--sysfs-root", sys, "--set", "OEM=HP"},
     1,
     "needs --device when there is more than one drive (found: "
     "nvme2, nvme10, sda, sdb, sdc, sdd, sdaa)"},
    {{"scan", "--sysfs-root", sys, "--device", "sde"}, 1, "--device sde: no such drive"},
    {{"scan", "--sysfs-root", sys, "--device", "sda", "--set", "firmware=HPS0"},
     1,
     "--set Firmware: scan reads it"},
    {{"scan", "--sysfs-root", sys, "--attributes", "identity.json"},
     2,
     "identity.json: rule 1: set Firmware"},
    {{"scan", "--sysfs-root", sys, "--attributes", "unknown.json"},
     2,
     "rule 1: match Model: only ModelNumber and"},
#endif
  };
#if !defined(_WIN32)
  if (device)
    rows.push_back(
        {{"fetch", FWPROVIDER_IMAGE_1, "-o", "null", "--force"}, 2, "null: is a character device"});
#endif
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shown);
    stub_ = row.stub;
    setEnvironment("FWHOST_STUB_VERSION", row.version);
    const Outcome outcome = run(row.arguments, kNullDevice, row.output);
    EXPECT_EQ(outcome.exit, row.exit) << outcome.err;
    const auto& arguments = row.arguments;
    const bool inJson =
        std::any_of(arguments.begin(), arguments.end(),
                    [](const std::string& each) { return each.rfind("--json", 0) == 0; });
    if (row.exit == 0) {
      const std::string shown = "^" + outcome.out + (inJson ? "" : outcome.err);
      EXPECT_NE(shown.find(row.shown), std::string::npos) << shown;
      continue;
    }
    // The plug-in's log and fwhost's warnings may come first.
    const auto errors = lines(outcome.err);
    const auto fwhosts = std::count_if(errors.begin(), errors.end(), [](const std::string& line) {
      return line.rfind("fwhost: ", 0) == 0 && line.rfind("fwhost: warning: ", 0) != 0;
    });
    ASSERT_EQ(fwhosts, 1) << outcome.err;
    const std::string& error = errors.back();
    EXPECT_NE(error.find(row.shown), std::string::npos) << error;
    if (!inJson) {
      EXPECT_EQ(outcome.out, "");
    } else {
      const json failed = json::parse(outcome.out).at("error");
      EXPECT_EQ(failed.at("exit_code"), row.exit);
      EXPECT_EQ(failed.at("message"), error.substr(8));
    }
  }
  // Neither a drive without an update nor a dry run wrote a plan, and no node was replaced.
  EXPECT_FALSE(fs::exists(dir_ / "out"));
#if !defined(_WIN32)
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir_ / "fifo")));
  ::close(fifo);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / link)));
  EXPECT_EQ(slurp(dir_ / "elsewhere"), "keep me");
  EXPECT_TRUE(!device || fs::is_character_file(fs::symlink_status(dir_ / "null")));
#endif
}

TEST_F(FwhostTest, MapAnswersAlikeForAFileStandardInputAndSettings) {
  std::vector<std::string> settings{"map", "--json"};
  for (const char* setting :
       {"ModelNumber=QM 1TB NVMe", "SerialNumber=QM24A0001", "Product=Quarry Meadow", "OEM=HP",
        "Firmware=hps0", "ConfigID=t2ub_256"}) {
    settings.insert(settings.end(), {"--set", setting});
  }
  const json expected = {{"schema_version", 1},
                         {"command", "map"},
                         {"mapping",
                          {{"status", 65},
                           {"verdict", "update-available"},
                           {"source", ""},
                           {"destination", "REV1"},
                           {"packages", kPackages}}},
                         {"warnings", json::array()}};
  const std::string drive = example("update-available");
  for (const Outcome& mapped :
       {run({"map", "--json", drive}), run({"map", "--json", "-"}, drive), run(settings)}) {
    EXPECT_EQ(mapped.exit, 0) << mapped.err;
    EXPECT_EQ(json::parse(mapped.out), expected);
  }
}

// Run from a copy beside a copy of the plug-in, in a folder named with non-ASCII letters.
TEST_F(FwhostTest, InfoNamesThePlugInBesideItselfInAFolderOfAnyNameAndItsTypedAttributes) {
  const fs::path folder = dir_ / fs::u8path("b\xc3\xafn");
  const fs::path plugin = folder / fs::path(FWPROVIDER_PLUGIN).filename();
  fs::create_directory(folder);
  program_ = folder / kFwhost.filename();
  fs::copy_file(kFwhost, program_);
  fs::copy_file(FWPROVIDER_PLUGIN, plugin);
  const Outcome info = run({"info", "--json"});
  ASSERT_EQ(info.exit, 0) << info.err;
  const json answer = json::parse(info.out);
  const json& loaded = answer.at("plugin");
  EXPECT_TRUE(fs::equivalent(fs::u8path(loaded.at("path").get<std::string>()), plugin)) << info.out;
  EXPECT_EQ(loaded.at("sha256"), sha256(slurp(plugin)));
  EXPECT_EQ(loaded.at("version"), "1.0.0");
  const json attributes = {
      {"Date", 1}, {"Version", "1.0.0"}, {"Audience", "HP"}, {"ModuleType", 0}};
  EXPECT_EQ(answer.at("attributes"), attributes);
  const json image = {{"name", FWPROVIDER_IMAGE_2},
                      {"size", exportedImage(FWPROVIDER_IMAGE_2).size()}};
  EXPECT_EQ(answer.at("images").at(1), image);
}

TEST_F(FwhostTest, FetchWritesTheExportedBytesAndTheirChecksum) {
  const std::string bytes = exportedImage(FWPROVIDER_IMAGE_2), file = binOf(FWPROVIDER_IMAGE_2);
  const Outcome fetched = run({"fetch", FWPROVIDER_IMAGE_2});
  ASSERT_EQ(fetched.exit, 0) << fetched.err;
  EXPECT_EQ(slurp(dir_ / file), bytes);
  EXPECT_EQ(fetched.out,
            file + "  " + std::to_string(bytes.size()) + " bytes  sha256 " + sha256(bytes) + "\n");
  ASSERT_EQ(run({"fetch", FWPROVIDER_IMAGE_2, "-o", "boot.img"}).exit, 0);
  EXPECT_EQ(slurp(dir_ / "boot.img"), bytes);
  EXPECT_EQ(run({"fetch", FWPROVIDER_IMAGE_2, "-o", "-"}).out, bytes);
  // Into an existing folder; a second time finds the same bytes in place.
  fs::create_directory(dir_ / "images");
  ASSERT_EQ(run({"fetch", FWPROVIDER_IMAGE_2, "-o", "images"}).exit, 0);
  expect({"fetch", FWPROVIDER_IMAGE_2, "-o", "images", "--json"}, 0, "\"action\": \"kept\"");
  EXPECT_EQ(slurp(dir_ / "images" / file), bytes);
}

// A temporary file is always a new one: a name already taken, a link above all, is passed over.
TEST_F(FwhostTest, AWriteNeverOpensWhatStandsAtATemporaryName) {
  fwhost::seedTemporaryNames(22);
  const std::string taken[] = {fwhost::temporaryName(), fwhost::temporaryName()};
  fwhost::seedTemporaryNames(22);
  spit(dir_ / "outside", "keep me");
  spit(dir_ / taken[1], "mine");
#if defined(_WIN32)
  spit(dir_ / taken[0], "mine");
#else
  fs::create_symlink(dir_ / "outside", dir_ / taken[0]);
#endif
  fwhost::Folder::open(dir_, false).write("target", "written");
  EXPECT_EQ(slurp(dir_ / "target"), "written");
  EXPECT_EQ(slurp(dir_ / "outside"), "keep me");
  EXPECT_EQ(slurp(dir_ / taken[1]), "mine");
}

#if defined(_WIN32)
// Past the 260 characters of a classic Windows path, a plan folder is written and checked as a
// short one is, its own listing and not the current folder's.
TEST_F(FwhostTest, APlanFolderOf300CharactersIsWrittenAndVerified) {
  std::string folder = "out";
  while (folder.size() < 300) folder += "\\" + std::string(50, 'd');
  expect({"plan", example("update-available"), "-o", folder}, 0, "\\manifest.json  1");
  expect({"verify", folder}, 0, ": complete plan, 3 packages");
  expect({"fetch", FWPROVIDER_IMAGE_2, "-o", folder}, 0, "(already in place)");
  spit(dir_ / fs::u8path(folder) / "rogue.exe", "");
  expect({"verify", folder}, 3, "\\rogue.exe: not in the manifest");
  // MinGW's std::filesystem cannot remove what is that deep: the names are shortened first.
  const std::string part(50, 'd');
  for (fs::path above = dir_ / "out"; fs::exists(above / part); above /= "d")
    fs::rename(above / part, above / "d");
}
#endif

TEST_F(FwhostTest, PlanWritesPackagesSumsAndAManifestThatVerifyKeepingWhatIsInPlace) {
  const std::vector<std::string> plan{"plan", example("update-available"), "-o", "out/plan"};
  const Outcome planned = run(plan);
  ASSERT_EQ(planned.exit, 0) << planned.err;
  EXPECT_EQ(lines(planned.out).at(0), "update to REV1: 3 packages, 2651136 bytes, into out/plan");
  const fs::path out = dir_ / "out" / "plan";

  const std::string written = slurp(out / "manifest.json");
  keepDocument(written, "manifest");
  json manifest = json::parse(written);
  EXPECT_EQ(manifest.at("created").get<std::string>().size(), 20u);
  EXPECT_EQ(manifest.at("plugin").at("version"), "1.0.0");
  EXPECT_EQ(manifest.at("plugin").at("sha256"), sha256(slurp(FWPROVIDER_PLUGIN)));
  // The files themselves and SHA256SUMS are checked against it by verify, below.
  json files = json::array();
  for (const char* name : kPackages) {
    const std::string bytes = exportedImage(name);
    files.push_back({{"order", files.size() + 1},
                     {"name", name},
                     {"file", binOf(name)},
                     {"size", bytes.size()},
                     {"sha256", sha256(bytes)}});
  }
  manifest.erase("created");
  manifest.erase("plugin");
  const json mapping = {{"status", 65},
                        {"verdict", "update-available"},
                        {"source", ""},
                        {"destination", "REV1"},
                        {"packages", kPackages}};
  EXPECT_EQ(
      manifest,
      json({{"schema_version", 1},
            {"fwhost", "1.0.0"},
            {"drive", {{"model", "QM 1TB NVMe"}, {"serial", "QM24A0001"}, {"firmware", "HPS0"}}},
            {"vendor_attributes",
             {{"Product", "Quarry Meadow"}, {"OEM", "HP"}, {"ConfigID", "T2UB_256"}}},
            {"mapping", mapping},
            {"package_files", files}}));

  // A rerun keeps what is in place; other bytes are replaced only with --force.
  expect(plan, 0, "\nkept " + inPlan("manifest.json"));
  const fs::path first = out / binOf(kPackages[0]);
  const std::string original = slurp(first);
  spit(first, "changed");
  expect(plan, 2, binOf(kPackages[0]) + ": exists with other content");
  EXPECT_EQ(slurp(first), "changed");
  ASSERT_EQ(run({"plan", example("update-available"), "-o", "out/plan", "--force"}).exit, 0);
  EXPECT_EQ(slurp(first), original);

  // Neither fwhost's nor the plug-in's place makes it another plan; what a killed run left of
  // fwhost's own goes.
  const fs::path copy = dir_ / "elsewhere" / fs::path(FWPROVIDER_PLUGIN).filename();
  fs::create_directory(dir_ / "elsewhere");
  fs::copy_file(FWPROVIDER_PLUGIN, copy);
  spit(out / ".fwhost-0123456789ab", "");
  expect({"--plugin", copy.u8string(), "plan", example("update-available"), "-o", "out/plan"}, 0,
         "\nkept " + inPlan("manifest.json"));

  // verify: each change an auditor must catch, undone before the next; a manifest that plan
  // would not write is a mismatch naming what is wrong.
  const std::vector<std::string> verify{"verify", "out/plan"};
  expect(verify, 0, "complete plan, 3 packages");
  json edited = json::parse(written);
  edited["package_files"][1] = edited["package_files"][0];
  spit(out / "manifest.json", edited.dump());
  expect(verify, 3, "package_files/1 is not listed as plan lists a package");
  spit(out / "manifest.json", written);
  spit(first, std::string(original.rbegin(), original.rend()));
  expect(verify, 3, binOf(kPackages[0]) + ": sha256");
  spit(first, original);
  spit(out / "extra", "");
  expect(verify, 3, "extra: not in the manifest");
  fs::remove(out / "manifest.json");  // found missing before anything else
  expect(verify, 3, "manifest.json: missing");
}

// The throw-away keys of tests/host/keys in the test's folder, readable by their owner only, as
// fwhost takes a private key.
void copyKeys(const fs::path& to) {
  fs::copy(KEYS_DIR, to, fs::copy_options::recursive);
  for (const auto& entry : fs::recursive_directory_iterator(to)) {
    if (entry.is_regular_file())
      fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write);
  }
}

// A plan signed and verified, each way it can be spoiled: a copy of the signed plan per row,
// changed as the row says, then checked; and each key fwhost must refuse, naming it.
TEST_F(FwhostTest, ASignedPlanVerifiesOnlyAsSignedByATrustedKey) {
  copyKeys(dir_ / "keys");
  const std::vector<std::string> sign{
      "plan", example("update-available"), "-o", "signed", "--sign", "keys/signer.pem"};
  const Outcome signedPlan = run(sign);
  ASSERT_EQ(signedPlan.exit, 0) << signedPlan.err;
  EXPECT_NE(signedPlan.out.find("manifest.json.sig  7"), std::string::npos) << signedPlan.out;
  // Another plan of the same key, for a drive of another serial.
  std::string drive = slurp(example("update-available"));
  drive.replace(drive.find("QM24A0001"), 9, "QM24A0002");
  spit(dir_ / "other.xml", drive);
  ASSERT_EQ(run({"plan", "other.xml", "-o", "other", "--sign", "keys/signer.pem"}).exit, 0);
  const fs::path first = binOf(kPackages[0]);

  using Change = std::function<void(const fs::path&)>;
  const Change none = [](const fs::path&) {};
  const auto flipByte = [](const fs::path& file) {
    std::string bytes = slurp(file);
    bytes[bytes.size() / 2] ^= 1;
    spit(file, bytes);
  };
  struct Row {
    Change change;                       // done to the row's copy of the signed plan
    std::vector<std::string> arguments;  // "PLAN": the copy
    int exit;
    std::string shown;
  };
  const std::string sig = "manifest.json.sig";
  const std::vector<Row> rows = {
      {none,
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       0,
       "; signed by keys/signer.pub.pem"},
      {none, {"verify", "PLAN"}, 0, "; signed (give --key to check by whom)"},
      {[&](const fs::path& plan) { fs::remove(plan / sig); },
       {"verify", "PLAN"},
       0,
       "; not signed"},
      // What a run killed before the signature leaves: refused until a rerun signs it.
      {[&](const fs::path& plan) { fs::remove(plan / sig); },
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       3,
       "manifest.json.sig: missing, so the plan is not signed"},
      {[&](const fs::path& plan) { flipByte(plan / first); },
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       3,
       binOf(kPackages[0]) + ": sha256"},
      {[&](const fs::path& plan) {
         std::string manifest = slurp(plan / "manifest.json");
         manifest.replace(manifest.find("QM24A0001"), 9, "QM24A0003");
         spit(plan / "manifest.json", manifest);
       },
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       3,
       "manifest.json.sig: is no signature of manifest.json by keys/signer.pub.pem"},
      {[&](const fs::path& plan) { spit(plan / sig, slurp(dir_ / "other" / sig)); },
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       3,
       "is no signature of manifest.json"},
      {none,
       {"verify", "PLAN", "--key", "keys/rotated.pub.pem"},
       3,
       "is no signature of manifest.json by keys/rotated.pub.pem"},
      {none,
       {"verify", "PLAN", "--key", "keys/rotated.pub.pem", "--key", "keys/signer.pub.pem",
        "--json"},
       0,
       "\"signed_by\": \"keys/signer.pub.pem\""},
      {[&](const fs::path& plan) { spit(plan / sig, slurp(plan / sig).substr(0, 7)); },
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       3,
       "manifest.json.sig: 7 bytes, no ECDSA P-256 signature"},
      {[&](const fs::path& plan) { spit(plan / sig, slurp(plan / sig) + std::string(8, '\0')); },
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       3,
       "bytes, no ECDSA P-256 signature"},
      {[&](const fs::path& plan) { flipByte(plan / sig); },
       {"verify", "PLAN", "--key", "keys/signer.pub.pem"},
       3,
       "is no signature of manifest.json"},
      // Held to the plug-in: a stub's bytes are not the real plug-in's, nor the other way round.
      {none, {"verify", "PLAN", "--match-plugin"}, 0, "each the bytes the plug-in "},
      {none,
       {"--plugin", hostPath(STUB_HOSTILE_PLUGIN), "verify", "PLAN", "--match-plugin", "--json"},
       3,
       "hands out " + std::string(kPackages[0]) + " as 22 bytes of sha256 "},
      // Keys of other kinds, each refused with exit 2 naming the file.
      {none,
       {"verify", "PLAN", "--key", "keys/rsa.pub.pem"},
       2,
       "keys/rsa.pub.pem: is a key of type RSA"},
      {none,
       {"verify", "PLAN", "--key", "keys/ed25519.pub.pem"},
       2,
       "keys/ed25519.pub.pem: is a key of type ED25519"},
      {none,
       {"verify", "PLAN", "--key", "keys/p384.pub.pem"},
       2,
       "keys/p384.pub.pem: is an EC key on curve secp384r1"},
      {none,
       {"verify", "PLAN", "--key", "keys/signer.pem"},
       2,
       "keys/signer.pem: is a private key; give the public one"},
      {none,
       {"verify", "PLAN", "--key", "keys/signer.pub.pem", "--key", "keys/missing.pem"},
       2,
       "keys/missing.pem: cannot read"},
      {[&](const fs::path&) {
         spit(dir_ / "keys/cut.pem", slurp(dir_ / "keys/signer.pub.pem").substr(0, 60));
       },
       {"verify", "PLAN", "--key", "keys/cut.pem"},
       2,
       "keys/cut.pem: is no PEM text"},
      {[&](const fs::path&) {
         std::string pem = slurp(dir_ / "keys/signer.pub.pem");
         pem[40] = pem[40] == 'A' ? 'B' : 'A';
         spit(dir_ / "keys/bent.pem", pem);
       },
       {"verify", "PLAN", "--key", "keys/bent.pem"},
       2,
       "keys/bent.pem: is no readable public key"},
      {none,
       {"plan", example("update-available"), "-o", "PLAN", "--sign", "keys/rsa.pem"},
       2,
       "keys/rsa.pem: is a key of type RSA"},
      {none,
       {"plan", example("update-available"), "-o", "PLAN", "--sign", "keys/sec1.pem"},
       2,
       "keys/sec1.pem: holds a PEM \"EC PRIVATE KEY\", not a PKCS#8 private key"},
      {none,
       {"plan", example("update-available"), "-o", "PLAN", "--sign", "keys/signer.pub.pem"},
       2,
       "holds a PEM \"PUBLIC KEY\""},
      {none,
       {"plan", example("update-available"), "-o", "PLAN", "--sign", "keys/encrypted.pem"},
       2,
       "keys/encrypted.pem: is encrypted; give its passphrase in the environment as "
       "FWHOST_KEY_PASSPHRASE"},
      // A rerun signs what a killed run left unsigned, keeping the rest; one with another key
      // replaces the signature only with --force.
      {[&](const fs::path& plan) { fs::remove(plan / sig); },
       {"plan", example("update-available"), "-o", "PLAN", "--sign", "keys/signer.pem"},
       0,
       "kept PLAN/manifest.json"},
      {none,
       {"plan", example("update-available"), "-o", "PLAN", "--sign", "keys/rotated.pem"},
       2,
       "manifest.json.sig: exists with other content"},
      {none,
       {"plan", example("update-available"), "-o", "PLAN", "--sign", "keys/signer.pem"},
       0,
       "kept PLAN/manifest.json.sig"},
      // A new manifest takes the old signature with it.
      {[&](const fs::path& plan) { flipByte(plan / first); },
       {"plan", example("update-available"), "-o", "PLAN", "--force"},
       0,
       "wrote PLAN/manifest.json  "},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const std::string plan = "row" + std::to_string(i);
    fs::copy(dir_ / "signed", dir_ / plan);
    row.change(dir_ / plan);
    std::vector<std::string> arguments = row.arguments;
    std::replace(arguments.begin(), arguments.end(), std::string("PLAN"), plan);
    std::string shown = row.shown;
    if (shown.find("PLAN/") != std::string::npos)
      shown.replace(shown.find("PLAN/"), 5, (fs::path(plan) / "").make_preferred().u8string());
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exit, row.exit) << "row " << i << ": " << outcome.out << outcome.err;
    EXPECT_NE((outcome.out + outcome.err).find(shown), std::string::npos)
        << "row " << i << ": " << outcome.out << outcome.err;
  }
  // After the rerun that signs what was left unsigned, and after the rewrite that drops it.
  expect({"verify", "row25", "--key", "keys/signer.pub.pem"}, 0, "signed by");
  expect({"verify", "row28"}, 0, "; not signed");
#if !defined(_WIN32)
  // The passphrase from the environment, and a wrong one; fwhost.exe reads no encrypted key.
  setEnvironment("FWHOST_KEY_PASSPHRASE", "wrong");
  expect({"plan", example("update-available"), "-o", "enc", "--sign", "keys/encrypted.pem"}, 2,
         "keys/encrypted.pem: cannot be decrypted with that passphrase");
  setEnvironment("FWHOST_KEY_PASSPHRASE", "test-only");
  expect({"plan", example("update-available"), "-o", "enc", "--sign", "keys/encrypted.pem"}, 0,
         "manifest.json.sig");
  setEnvironment("FWHOST_KEY_PASSPHRASE", "");
  expect({"verify", "enc", "--key", "keys/signer.pub.pem"}, 0, "signed by");
  // A private key others may read is no secret any more; a public one may be read by all.
  fs::permissions(dir_ / "keys/signer.pem", fs::perms::group_read, fs::perm_options::add);
  expect(sign, 2, "keys/signer.pem: may be read or changed by others than its owner");
  fs::permissions(dir_ / "keys/signer.pub.pem", fs::perms::others_read, fs::perm_options::add);
  expect({"verify", "signed", "--key", "keys/signer.pub.pem"}, 0, "signed by");
#endif
  // Plans signed by fwhost on each platform verify on this one.
  for (const char* platform : {"linux", "windows"}) {
    const std::string plan = std::string("signed-on-") + platform;
    fs::create_directory(dir_ / plan);
    for (const char* name : kPackages)
      fs::copy_file(dir_ / "signed" / binOf(name), dir_ / plan / binOf(name));
    for (const char* file : {"SHA256SUMS", "manifest.json", "manifest.json.sig"})
      fs::copy_file(fs::path(KEYS_DIR) / plan / file, dir_ / plan / file);
    expect({"verify", plan, "--key", "keys/signer.pub.pem"}, 0, "signed by");
  }
}

#if !defined(_WIN32)
// The real openssl checks what fwhost signs, and fwhost what openssl signs, with no fwhost
// code on the other side.
TEST_F(FwhostTest, OpensslAndFwhostCheckEachOthersSignatures) {
  copyKeys(dir_ / "keys");
  ASSERT_EQ(run({"plan", example("update-available"), "-o", "p", "--sign", "keys/signer.pem"}).exit,
            0);
  const auto openssl = [&](const std::vector<std::string>& arguments) {
    ChildProcess child("/usr/bin/openssl", arguments, dir_, kNullDevice, ".out", ".err");
    return finish(child);
  };
  const Outcome checked = openssl({"dgst", "-sha256", "-verify", "keys/signer.pub.pem",
                                   "-signature", "p/manifest.json.sig", "p/manifest.json"});
  EXPECT_EQ(checked.exit, 0) << checked.err;
  EXPECT_EQ(checked.out, "Verified OK\n");
  ASSERT_EQ(openssl({"dgst", "-sha256", "-sign", "keys/rotated.pem", "-out", "p/manifest.json.sig",
                     "p/manifest.json"})
                .exit,
            0);
  expect({"verify", "p", "--key", "keys/rotated.pub.pem"}, 0, "signed by keys/rotated.pub.pem");
  expect({"verify", "p", "--key", "keys/signer.pub.pem"}, 3, "is no signature of manifest.json");
}
#endif

// Ctrl-C reaches only a program on a console, which the tests under Wine do not give it; the
// mapped pause file and the link are Linux's.
#if !defined(_WIN32)
// Whether the stub plug-in waits on the file it marks; false when the child ended first.
bool paused(const fs::path& mark, const ChildProcess& child) {
  for (;;) {
    if (slurp(mark) == "1") return true;
    if (!child.running()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Lets the paused stub go on: written in place, as the stub has the file mapped.
void release(const fs::path& mark) { std::fstream(mark, std::ios::in | std::ios::out) << '2'; }

TEST_F(FwhostTest, AnInterruptedKilledOrRedirectedPlanLeavesNothingAstrayAndARerunCompletesIt) {
  const std::vector<std::string> plan{
      "--plugin", hostPath(STUB_HOSTILE_PLUGIN), "plan", "--set", "A=1", "-o", "plan"};
  stub_ = update("big");
  ChildProcess child = start(plan);
  // The moment its temporary file shows, the package is being written.
  const auto writing = [&] {
    std::error_code error;
    for (fs::directory_iterator it(dir_ / "plan", error), end; !error && it != end; ++it)
      if (it->path().filename().string().rfind(".", 0) == 0) return true;
    return false;
  };
  while (!writing() && child.running()) std::this_thread::sleep_for(std::chrono::microseconds(100));
  child.signal(SIGINT);
  const Outcome interrupted = finish(child);
  EXPECT_EQ(interrupted.exit, 128 + SIGINT) << interrupted.err;
  EXPECT_FALSE(writing());
  EXPECT_FALSE(fs::exists(dir_ / "plan" / "manifest.json"));
  ASSERT_EQ(run(plan).exit, 0);
  expect({"verify", "plan"}, 0, "complete plan");

  // The stub waits while it hands out its package named pause..., until the test lets it go.
  // A run killed before any package or after two leaves what a rerun completes (with a
  // temporary file, had it been killed mid-write); a second run keeps out; a folder swapped for
  // a link redirects nothing. One package's name is as long as a file name leaves room for.
  const fs::path pause = dir_ / "pause";
  fs::create_directory(dir_ / "elsewhere");
  const std::string longest(251, 'n'), pausedLast = "first~middle~pause" + longest.substr(5);
  struct Row {
    std::string packages;
    std::function<void(const ChildProcess&)> meanwhile;
    int exit;
    const char* planned;  // the folder that holds the plan once a rerun completes it
  };
  const auto kill = [](const ChildProcess& paused) { paused.signal(SIGKILL); };
  const Row rows[] = {
      {"pause~middle~" + longest, kill, 128 + SIGKILL, "plan"},
      {pausedLast, kill, 128 + SIGKILL, "plan"},
      {"first~pause~" + longest,
       [&](const ChildProcess&) {
         setEnvironment("FWHOST_STUB_PAUSE", "");
         expect(plan, 2, "another fwhost is writing in it");
       },
       0, "plan"},
      {pausedLast,
       [&](const ChildProcess&) {
         fs::rename(dir_ / "plan", dir_ / "moved");
         fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "plan");
       },
       0, "moved"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.packages.substr(0, 20));
    fs::remove_all(dir_ / "plan");
    stub_ = update(row.packages);
    spit(pause, "0");
    setEnvironment("FWHOST_STUB_PAUSE", pause.string());
    ChildProcess child = start(plan);
    ASSERT_TRUE(paused(pause, child));
    row.meanwhile(child);
    release(pause);
    // A pause that should not come (a package fetched twice) fails the row instead of hanging.
    while (paused(pause, child)) release(pause);
    EXPECT_EQ(finish(child).exit, row.exit);
    setEnvironment("FWHOST_STUB_PAUSE", "");
    if (row.exit != 0) {
      spit(dir_ / "plan" / ".fwhost-0123456789ab", "");
      ASSERT_EQ(run(plan).exit, 0);
    }
    expect({"verify", row.planned}, 0, "complete plan, 3 packages");
  }
  EXPECT_TRUE(fs::is_empty(dir_ / "elsewhere"));

  // Fetched once, a package's bytes may change between calls; compared in place and fetched
  // again to be written, it is refused midway, and no manifest claims the plan complete.
  const std::vector<std::string> changing{
      "--plugin", hostPath(STUB_HOSTILE_PLUGIN), "plan", "--set", "A=1", "-o", "changing",
      "--force"};
  stub_ = update("changing");
  ASSERT_EQ(run(changing).exit, 0);
  spit(dir_ / "changing" / "changing.bin", "other");
  expect(changing, 3, "package changing handed out with other bytes than before");
  EXPECT_FALSE(fs::exists(dir_ / "changing" / "manifest.json"));
}
#endif

#if !defined(_WIN32)
// Past a file-size limit a write fails instead of SIGXFSZ ending fwhost: the error is said, in
// JSON too, and no temporary file stays; the next fetch removes one a killed run left.
TEST_F(FwhostTest, AFileSizeLimitEndsAWriteWithItsErrorAndNoTemporaryFile) {
  spit(dir_ / ".fwhost-0123456789ab", "left by a killed run");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const std::vector<std::string> runs[] = {
      {"fetch", FWPROVIDER_IMAGE_1, "--json"},
      {"plan", example("update-available"), "-o", "plan", "--json"}};
  for (const auto& arguments : runs) {
    SCOPED_TRACE(arguments[0]);
    rlimit small = saved;
    small.rlim_cur = 1 << 20;  // the images are larger
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ChildProcess child = start(arguments);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    const Outcome outcome = finish(child);
    EXPECT_EQ(outcome.exit, 2) << outcome.err;
    EXPECT_NE(outcome.err.find(": cannot write: File too large"), std::string::npos) << outcome.err;
    EXPECT_EQ(json::parse(outcome.out).at("error").at("code"), "io");
  }
  for (const auto& entry : fs::recursive_directory_iterator(dir_))
    EXPECT_FALSE(fwhost::isTemporaryName(entry.path().filename().string())) << entry.path();
}
#endif

// Each fault of a plug-in ends its call with one line that names the plug-in, what happened and
// the export (in JSON too), and leaves a plan as it was; what the plug-in prints at load, in a
// call or at unload stays off stdout. Where a sanitizer handles the crash, or Windows cannot
// refuse a system call, only the export is checked.
TEST_F(FwhostTest, AMisbehavingPlugInIsNamedWithWhatItDidAndLeavesAPlanAsItWas) {
  const std::string stub = hostPath(STUB_HOSTILE_PLUGIN);
  const std::vector<std::string> plan{
      "--plugin", stub, "--plugin-timeout", "0.5", "plan", "--set", "A=1", "-o", "kept", "--json"};
  stub_ = update("A~B");
  ASSERT_EQ(run(plan).exit, 0);
  std::map<std::string, std::string> kept;
  for (const auto& file : fs::directory_iterator(dir_ / "kept"))
    kept[file.path().filename().string()] = slurp(file.path());
#if defined(_WIN32)
  const bool confined = false;
#else
  const bool confined = fwhost::kWorkerConfined;
#endif
  struct Row {
    const char* fault;  // FWHOST_STUB_FAULT
    int exit;
    std::string what;    // checked where the build confines its worker
    std::string during;  // checked always
    bool confinedOnly = false;
  };
  const std::string mapping = "in GetTargetFirmwareMappingAttributes";
  const std::string binary = "in GetTargetFirmwareBinary";
  const Row rows[] = {
#if defined(_WIN32)
    // Windows' loader catches a crash in a library's start-up code and fails the load.
    {"load:segv", 2, "cannot load the plug-in", ""},
#else
    {"load:segv", 3, "killed by SIGSEGV", "while loading"},
#endif
    {"mapping:segv", 3, "killed by SIGSEGV", mapping},
    {"configuration:segv", 3, "killed by SIGSEGV", "in GetFirmwareConfigurationAttributes"},
    {"binary:abort", 3, "killed by SIGABRT", binary},
    {"mapping:exit", 3, "exited with code 0", mapping},
    {"mapping:loop", 3, "no answer within 0.5 s", mapping},
    {"binary:sleep", 3, "no answer within 0.5 s", binary},
    {"mapping:overrun", 3, "wrote past the end of its buffer", mapping},
    {"mapping:allocate", 3, "ran out of memory at its limit of 1024 MiB", mapping, true},
    {"mapping:open", 3, "made the forbidden system call openat", mapping, true},
    {"mapping:socket", 3, "made the forbidden system call socket", mapping, true},
    {"mapping:fork", 3, "made the forbidden system call clone", mapping, true},
    {"mapping:exec", 3, "made the forbidden system call execve", mapping, true},
    {"binary:thread", 3, "made the forbidden system call", binary, true},
    {"load:print", 0, "stub printed load", ""},
    {"mapping:print", 0, "stub printed mapping", ""},
    {"unload:print", 0, "stub printed unload", ""},
#if !defined(_WIN32)
    // Under Wine a crash while the process ends leaves its exit code 0.
    {"unload:segv", 0, "killed by SIGSEGV", "while unloading"},
#endif
    {"unload:loop", 0, "not unloaded within 0.5 s", ""},
  };
  for (const Row& row : rows) {
    if (row.confinedOnly && !confined) continue;
    SCOPED_TRACE(row.fault);
    setEnvironment("FWHOST_STUB_FAULT", row.fault);
    const Outcome outcome = run(plan);
    EXPECT_EQ(outcome.exit, row.exit) << outcome.err;
    EXPECT_NE(outcome.err.find(row.during), std::string::npos) << outcome.err;
    if (confined) {
      EXPECT_NE(outcome.err.find(row.what), std::string::npos) << outcome.err;
    }
    const json answer = json::parse(outcome.out);
    if (row.exit != 0) {
      const std::string error = lines(outcome.err).back();
      EXPECT_EQ(error.rfind("fwhost: " + stub + ": ", 0), 0u) << error;
      EXPECT_EQ(answer.at("error").at("exit_code"), row.exit);
      EXPECT_EQ(answer.at("error").at("message"), error.substr(8));
    }
    for (const auto& [name, bytes] : kept) EXPECT_EQ(slurp(dir_ / "kept" / name), bytes) << name;
  }
  // An image streamed to stdout is its bytes alone, whatever the plug-in prints as it unloads.
  setEnvironment("FWHOST_STUB_FAULT", "unload:print");
  EXPECT_EQ(run({"--plugin", stub, "fetch", "A", "-o", "-"}).out, "A");
#if !defined(_WIN32)
  // A drive whose mapping crashes the worker (sdc, serial QM24B0004) is that drive's error; the
  // next gets a fresh worker. sdd fails as it always does.
  setEnvironment("FWHOST_STUB_FAULT", "mapping:segv");
  setEnvironment("FWHOST_STUB_FAULT_ON", "QM24B0004");
  const Outcome scanned =
      run({"--plugin", stub, "scan", "--sysfs-root", makeSysfsTree(dir_ / "sys"), "--json"});
  EXPECT_EQ(scanned.exit, 5) << scanned.err;
  const json report = json::parse(scanned.out);
  for (const json& drive : report.at("drives")) {
    const bool crashing = drive.at("device") == "sdc";
    EXPECT_EQ(!drive.at("error").is_null(), crashing || drive.at("device") == "sdd") << drive;
    if (crashing) {
      EXPECT_EQ(drive.at("error").at("code"), "plugin-failed");
      EXPECT_NE(drive.at("error").at("message").get<std::string>().find(mapping),
                std::string::npos);
    }
  }
  setEnvironment("FWHOST_STUB_FAULT_ON", "");
#endif
  setEnvironment("FWHOST_STUB_FAULT", "");
}

// The plug-in's records come first on stderr, bounded unless --verbose, then fwhost's line.
TEST_F(FwhostTest, ThePlugInsLogIsShownBoundedUnlessVerbose) {
  // The stub logs its Version whole at each call and answers it cut short: no document.
  setEnvironment("FWHOST_STUB_VERSION", std::string(20000, 'x'));
  const std::string stub = hostPath(STUB_HOSTILE_PLUGIN);
  const Outcome bounded = run({"--plugin", stub, "info", "--json"});
  const Outcome verbose = run({"--plugin", stub, "--verbose", "info"});
  setEnvironment("FWHOST_STUB_VERSION", "");
  EXPECT_EQ(bounded.exit, 3);
  // Each call of the export logs once: the first, with a buffer too small, and the second.
  const auto shown = lines(bounded.err);
  ASSERT_EQ(shown.size(), 5u) << bounded.err;
  for (size_t call : {0, 2}) {
    EXPECT_LE(shown[call].size(), 300u);
    EXPECT_NE(shown[call + 1].find(" more bytes of plug-in log; --verbose shows all)"),
              std::string::npos);
  }
  EXPECT_NE(shown[4].find("answered a document that is not XML"), std::string::npos) << shown[4];
  EXPECT_EQ(json::parse(bounded.out).at("error").at("message"), shown[4].substr(8));
  EXPECT_GT(verbose.err.size(), 20000u);
}

#if !defined(_WIN32)
TEST_F(FwhostTest, ScanMapsEachDriveAsItIdentifiesItselfAndPlansThoseWithAnUpdate) {
  const std::string sys = makeSysfsTree(dir_ / "sys");
  // The first rule needs both globs to match; the second gives every QM drive its attributes.
  spit(dir_ / "fleet.json", R"([
    {"match": {"ModelNumber": "ST4000*", "SerialNumber": "none"}, "set": {}},
    {"match": {"ModelNumber": "QM *"},
     "set": {"Product": "Quarry Meadow", "OEM": "HP", "ConfigID": "T2UB_256"}}])");
  ASSERT_EQ(run({"plan", example("update-available"), "-o", "single"}).exit, 0);
  std::vector<std::string> scan = {"scan",       "--sysfs-root", sys,     "--attributes",
                                   "fleet.json", "--plan",       "plans", "--json"};
  const Outcome scanned = run(scan);
  // Some drives mapped and planned, one not: partly done.
  EXPECT_EQ(scanned.exit, 5) << scanned.err;
  EXPECT_EQ(lines(scanned.err).back(),
            "fwhost: 1 of 7 drives could not be read or planned (see their rows)");
  struct Row {
    const char* device;
    const char* readFrom;
    json drive;
    const char* verdict;
    const char* warning = nullptr;  // a part of the only warning
  };
  const auto names = [](const char* model, const char* serial, const char* firmware) {
    return json({{"model", model}, {"serial", serial}, {"firmware", firmware}});
  };
  const Row rows[] = {
      {"nvme2", "nvme-sysfs", names("QM 1TB NVMe", "QM24A0001", "HPS0"), "update-available"},
      {"nvme10", "nvme-sysfs", names("QM 1TB NVMe", "QM24A0010", "REV1"), "no-update-offered"},
      {"sda", "ata-identify-vpd",
       names("QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE", "QM24B0002", "BRHPS1"),
       "update-available"},
      {"sdb", "ata-identify-vpd", names("QM SATA SSD 256GB", "QMASSERT03", "HPS0"),
       "contact-support"},
      {"sdc", "scsi-inquiry", names("QM SATA SSD 256G", "QM24B0004", "HPS0"), "update-available",
       "vpd_pg89 (kernel 5.18 and later) and no device is asked for a --sysfs-root tree"},
      {"sdd", "", nullptr, nullptr},
      {"sdaa", "scsi-inquiry", names("ST4000NM0023", "Z1Z0ABCD", "0004"), "no-update-offered",
       "no rule of fleet.json matches it"},
  };
  const json report = json::parse(scanned.out);
  const json& drives = report.at("drives");
  ASSERT_EQ(drives.size(), std::size(rows)) << report.dump();
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const json& drive = drives[i];
    SCOPED_TRACE(row.device);
    EXPECT_EQ(drive.at("device"), row.device);
    EXPECT_EQ(drive.at("read_from"), row.readFrom);
    EXPECT_EQ(drive.at("drive"), row.drive);
    if (row.verdict == nullptr) {
      EXPECT_EQ(drive.at("error").at("message"),
                sys + "/block/sdd/device/model: not a regular file");
      continue;
    }
    EXPECT_EQ(drive.at("mapping").at("verdict"), row.verdict);
    // The description's own warnings may follow, for a drive without vendor attributes.
    ASSERT_EQ(drive.at("warnings").empty(), row.warning == nullptr) << drive.dump();
    if (row.warning) {
      const std::string warning = drive["warnings"][0].at("message");
      EXPECT_NE(warning.find(row.warning), std::string::npos) << warning;
      EXPECT_NE(scanned.err.find("fwhost: warning: " + std::string(row.device) + ": " + warning),
                std::string::npos);
    }
  }
  // Which rule gave each drive its attributes; a verdict on a part of a description says so.
  EXPECT_EQ(drives[0].at("attributes_from"), "fleet.json rule 2");
  EXPECT_EQ(drives[0].at("complete_description"), true);
  EXPECT_EQ(drives[4].at("complete_description"), false);
  EXPECT_EQ(drives[6].at("attributes_from"), "none");
  EXPECT_EQ(drives[6].at("complete_description"), false);
  const json skipped = {
      {{"device", "loop0"}, {"reason", "loop device"}},
      {{"device", "nvme2n1"}, {"reason", "NVMe namespace: its controller is the drive"}},
      {{"device", "sr0"}, {"reason", "CD or DVD drive"}},
      {{"device", "vda"},
       {"reason", "virtio-blk disk: it reports no model or firmware revision to map"}}};
  EXPECT_EQ(report.at("skipped"), skipped);
  EXPECT_EQ(drives[4].at("plan").at("outcome"), "skipped");
  EXPECT_EQ(drives[4].at("plan").at("reason"), "identity truncated");
  // Each drive with an update has the plan that plan writes, in a folder of its own.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "plans"), fs::directory_iterator()), 2);
  // Named by the drive's identity, which stays the same from boot to boot.
  for (const char* folder :
       {"QM_1TB_NVMe-QM24A0001", "QM_SATA_SSD_512GB_HPS1_T2UB_256_REV1_0xE-QM24B0002"}) {
    const fs::path plan = dir_ / "plans" / folder;
    EXPECT_EQ(slurp(plan / "SHA256SUMS"), slurp(dir_ / "single" / "SHA256SUMS")) << folder;
    const std::string written = slurp(plan / "manifest.json");
    keepDocument(written, "manifest");
    EXPECT_EQ(std::string(folder).substr(std::string(folder).find('-') + 1),
              json::parse(written).at("drive").at("serial"));
  }

  // Through a link, nothing: the folder named is never followed.
  fs::create_directory_symlink(dir_ / "plans", dir_ / "linked");
  scan[scan.size() - 2] = "linked";
  const Outcome linked = run(scan);
  EXPECT_EQ(linked.exit, 5);
  EXPECT_NE(linked.out.find("linked: is a symbolic link, not a folder"), std::string::npos);
  scan[scan.size() - 2] = "plans";

  scan.pop_back();  // the rerun as text, after the table
  const Outcome rerun = run(scan);
  EXPECT_EQ(rerun.exit, 5) << rerun.err;
  const auto printed = lines(rerun.out);
  ASSERT_EQ(printed.size(), 20u) << rerun.out;
  // An error's text below the table, where it moves no column.
  EXPECT_EQ(printed[6].find("error (below)"), printed[0].find("VERDICT")) << printed[6];
  EXPECT_EQ(printed[8].rfind("sdd: error: ", 0), 0u) << printed[8];
  EXPECT_EQ(printed[13].rfind("nvme2: update to REV1: 3 packages, ", 0), 0u) << printed[13];
  EXPECT_EQ(printed[14], "nvme10: no plan: no update offered");
  EXPECT_EQ(printed[15].rfind("sda: update to REV1: ", 0), 0u) << printed[15];
  EXPECT_EQ(printed[18], "sdd: no plan: its row is an error");

  // Each plan signed; a key that cannot sign ends the scan before a drive is read.
  copyKeys(dir_ / "keys");
  scan = {"scan", "--sysfs-root", sys, "--attributes", "fleet.json", "--plan", "signed", "--sign"};
  expect(scan, 1, "--sign: 1 required");
  scan.push_back("keys/rsa.pem");
  expect(scan, 2, "keys/rsa.pem: is a key of type RSA");
  EXPECT_FALSE(fs::exists(dir_ / "signed"));
  scan.back() = "keys/signer.pem";
  EXPECT_EQ(run(scan).exit, 5);
  expect({"verify", "signed/QM_1TB_NVMe-QM24A0001", "--key", "keys/signer.pub.pem"}, 0,
         "signed by keys/signer.pub.pem");
}
#endif

}  // namespace
