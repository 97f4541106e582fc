#include "host/output/JsonValues.h"

namespace fwhost {

Json toJson(const MappingAnswer& mapping) {
  return {{"status", mapping.status},
          {"verdict", verdictToken(mapping.verdict)},
          {"source", mapping.source},
          {"destination", mapping.destination},
          {"packages", mapping.packages}};
}

Json toJson(const PluginFile& plugin) {
  return {{"path", plugin.path},
          {"sha256", plugin.sha256},
          {"version", plugin.version ? Json(*plugin.version) : Json(nullptr)}};
}

Json toJson(const DriveNames& drive) {
  return {{"model", drive.model}, {"serial", drive.serial}, {"firmware", drive.firmware}};
}

Json toJson(const FileResult& file) {
  return {{"file", file.file},
          {"path", file.path},
          {"size", file.size},
          {"sha256", file.sha256},
          {"action", fileActionToken(file.action)}};
}

Json toJson(const Failure& failure) {
  return {{"code", failure.code}, {"message", failure.message}};
}

Json toJson(const Warnings& warnings) {
  Json list = Json::array();
  for (const Warning& warning : warnings) {
    list.push_back(
        {{"code", warning.code}, {"subject", warning.subject}, {"message", warning.message}});
  }
  return list;
}

}  // namespace fwhost
