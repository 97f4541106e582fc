// Test helper: collects what the report channel emits while it lives, both the log records
// (through a sink of its own) and the echo on std::cerr.
#ifndef FWPROVIDER_TESTS_REPORTCAPTURE_H
#define FWPROVIDER_TESTS_REPORTCAPTURE_H

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <boost/log/core.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/log/trivial.hpp>

struct Record {
  boost::log::trivial::severity_level severity;
  std::string message;
};

class RecordBackend
    : public boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
 public:
  void consume(const boost::log::record_view& record) {
    records.push_back(
        {*record[boost::log::trivial::severity], *record[boost::log::expressions::smessage]});
  }
  std::vector<Record> records;
};

class ReportCapture {
 public:
  ReportCapture()
      : backend_(boost::make_shared<RecordBackend>()),
        sink_(boost::make_shared<Sink>(backend_)),
        oldCerr_(std::cerr.rdbuf(echo_.rdbuf())) {
    boost::log::core::get()->add_sink(sink_);
  }
  ~ReportCapture() {
    boost::log::core::get()->remove_sink(sink_);
    std::cerr.rdbuf(oldCerr_);
  }
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

  const std::vector<Record>& records() const { return backend_->records; }
  std::string echo() const { return echo_.str(); }

 private:
  using Sink = boost::log::sinks::synchronous_sink<RecordBackend>;
  boost::shared_ptr<RecordBackend> backend_;
  boost::shared_ptr<Sink> sink_;
  std::ostringstream echo_;
  std::streambuf* oldCerr_;
};

#endif
