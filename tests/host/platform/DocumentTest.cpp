// A document is read whole up to the cap and refused one byte beyond it, from a file opened by
// path and from a file in an open folder alike.
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "host/error/HostError.h"
#include "host/platform/Document.h"
#include "host/platform/InputFile.h"
#include "host/platform/SafeWrite.h"

namespace {

namespace fs = std::filesystem;
using fwhost::kMaxDocumentBytes;

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() / ("fwhost-document-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

TEST_F(DocumentTest, ReadWholeUpToTheCapAndRefusedBeyondIt) {
  struct Row {
    size_t size;
    bool refused;
  };
  // The cap is a whole number of the pieces read, so the rows straddle a piece's end too.
  const Row rows[] = {{0, false},
                      {1, false},
                      {kMaxDocumentBytes - 1, false},
                      {kMaxDocumentBytes, false},
                      {kMaxDocumentBytes + 1, true},
                      {3 * kMaxDocumentBytes, true}};
  const fwhost::Folder folder = fwhost::Folder::open(folder_, false);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    const std::string name = "doc-" + std::to_string(row.size);
    std::string bytes(row.size, 'x');
    if (!bytes.empty()) bytes.back() = 'y';
    std::ofstream(folder_ / name, std::ios::binary) << bytes;

    fwhost::InputFile in(folder_ / name);
    const std::function<std::string()> reads[] = {
        [&] { return fwhost::readDocument(in, name); },
        [&] { return fwhost::readDocument(folder, name); }};
    for (const auto& read : reads) {
      if (!row.refused) {
        EXPECT_EQ(read(), bytes);
        continue;
      }
      try {
        read();
        ADD_FAILURE() << "read beyond the cap";
      } catch (const fwhost::HostError& error) {
        EXPECT_EQ(error.kind(), fwhost::ErrorKind::invalidInput) << error.what();
        EXPECT_NE(std::string(error.what()).find(std::to_string(kMaxDocumentBytes)),
                  std::string::npos)
            << error.what();
      }
    }
  }
}

}  // namespace
