#include "host/plan/ImageFetch.h"

#include <filesystem>
#include <utility>

#include "host/error/HostError.h"
#include "host/plan/ImageNames.h"
#include "host/plan/Sha256.h"
#include "host/plan/WriteDecision.h"
#include "host/platform/SafeWrite.h"
#include "host/plugin/Answer.h"
#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

// Where the image goes: as given, inside it when it is a folder, or NAME.bin; the folder that
// holds it is opened once.
struct Target {
  fs::path shown;
  Folder folder;
  std::string name;
};

Target targetOf(const FetchChoice& choice) {
  // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
  const std::string named = choice.name + ".bin";
  fs::path file = fs::u8path(choice.file.empty() ? named : choice.file);
  const PathState state = inspectPath(file);
  if (state.kind == PathKind::directory) {
    Folder folder = Folder::open(file, false);
    return {joinedPath(file, named), std::move(folder), named};
  }
  // Refused before its folder is looked for: a device such as \\.\PhysicalDrive0 has none.
  refuseUnlessReplaceable(state, file);
  if (!file.has_filename()) throw HostError::io(file.u8string(), "is no folder");
  return {file, Folder::holding(file), file.filename().u8string()};
}

FileResult writeImage(const FetchChoice& choice, const std::string& bytes,
                      const std::string& sha256) {
  Target target = targetOf(choice);
  target.folder.lock();
  target.folder.removeStaleTemporaries();
  const OtherBytes otherBytes = choice.force ? OtherBytes::replace : OtherBytes::refuse;
  const bool written =
      decideWrite(target.folder, target.name, bytes, otherBytes) == WriteStep::write;
  if (written) target.folder.write(target.name, bytes);
  return {target.name, target.shown.u8string(), bytes.size(), sha256,
          written ? FileAction::written : FileAction::kept};
}

// The image, when the plug-in has one of that name; a name that cannot be a file is no image's.
std::string imageOf(const Plugin& plugin, const std::string& name) {
  if (plugin.imageSize(name) == 0) {
    throw HostError::invalidInput(plugin.path().u8string(),
                                  "has no image named " + name + " (fwprovider.h names " +
                                      knownImageNames() + "; fwhost info shows which it serves)");
  }
  if (!isPackageName(name)) {
    throw HostError::inconsistentAnswer(plugin.path().u8string(),
                                        "an image named \"" + name + "\" cannot be a file name");
  }
  return plugin.image(name);
}

}  // namespace

FetchResult fetchImage(const PluginChoice& pluginChoice, const FetchChoice& choice) {
  const Plugin plugin = openPlugin(pluginChoice);
  std::string bytes = imageOf(plugin, choice.name);
  const std::string sha256 = sha256Hex(bytes);
  if (choice.file == "-") {
    FileResult output{"", "standard output", bytes.size(), sha256, FileAction::written};
    return {choice.name, std::move(output), std::move(bytes)};
  }
  return {choice.name, writeImage(choice, bytes, sha256), {}};
}

}  // namespace fwhost
