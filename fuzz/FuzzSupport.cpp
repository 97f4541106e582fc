#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

#include <boost/log/core.hpp>
#include <boost/log/expressions.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/log/trivial.hpp>

namespace fuzz {
namespace {

class AbortingBackend
    : public boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
 public:
  void consume(const boost::log::record_view& record) {
    const auto message = record[boost::log::expressions::smessage];
    std::fprintf(stderr, "fatal report: %s\n", message ? message->c_str() : "");
    std::abort();
  }
};

}  // namespace

void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", property);
  std::abort();
}

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  namespace logging = boost::log;
  const auto core = logging::core::get();
  core->set_filter(logging::trivial::severity >= logging::trivial::fatal);
  core->add_sink(boost::make_shared<logging::sinks::synchronous_sink<fuzz::AbortingBackend>>());
  return 0;
}
