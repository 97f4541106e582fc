#include "orv/core/Report.h"

#include <algorithm>
#include <cstring>
#include <iostream>

#include <boost/filesystem/path.hpp>
#include <boost/log/sources/record_ostream.hpp>
#include <boost/log/trivial.hpp>

namespace orv::core {
namespace {

// boost::filesystem splits at "\" only on Windows; sources built elsewhere may carry either.
std::string fileName(const char* path) {
  std::string generic(path);
  std::replace(generic.begin(), generic.end(), '\\', '/');
  return boost::filesystem::path(generic).filename().string();
}

const char* lastNameComponent(const char* qualified) {
  const char* colon = std::strrchr(qualified, ':');
  return colon == nullptr ? qualified : colon + 1;
}

void log(boost::log::trivial::severity_level severity, const std::string& text) {
  auto& logger = boost::log::trivial::logger::get();
  if (auto record = logger.open_record(boost::log::keywords::severity = severity)) {
    boost::log::record_ostream stream(record);
    stream << text;
    stream.flush();
    logger.push_record(std::move(record));
  }
}

}  // namespace

std::string reportPrefix(const SourceLocation& location) {
  return fileName(location.file) + "(" + std::to_string(location.line) + ") " +
         lastNameComponent(location.function) + ": ";
}

void reportFatal(const SourceLocation& location, const std::string& message) {
  const std::string prefix = reportPrefix(location);
  log(boost::log::trivial::fatal, prefix + message);
  std::cerr << "[fatal] " << prefix << message;
}

void reportError(const SourceLocation& location, const std::string& message) {
  log(boost::log::trivial::error, reportPrefix(location) + message);
}

}  // namespace orv::core
