// The ring log on the real file system: making, opening and reading back log files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "log/FileStream.h"
#include "log/LogErrors.h"
#include "log/LogFormat.h"
#include "log/RingLog.h"
#include "log/RingLogFile.h"
#include "support/TempDirectory.h"

namespace hv {
namespace {

namespace fs = std::filesystem;

class RingLogFileTest : public ::testing::Test {
 protected:
  std::u16string PathOf(const char* name) const { return directory_.File(name); }

  std::vector<uint8_t> Bytes(const char* name) const {
    std::ifstream in(directory_.path() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  void Put(const char* name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(directory_.path() / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  testing::TempDirectory directory_;
};

TEST_F(RingLogFileTest, CreateMakesAnEmptyRing) {
  // The table goes out in page-sized pieces: a file ending on, just past and well past a page
  // boundary must be whole and zero all the same.
  for (const int32_t slots : {5, 1019, 1020, 70000}) {
    const std::string name = "new" + std::to_string(slots) + ".log";
    CreateRingLog(PathOf(name.c_str()).c_str(), slots);
    std::vector<uint8_t> expected(20 + 4 * static_cast<size_t>(slots), 0);
    for (int i = 0; i < 4; ++i) expected[12 + i] = static_cast<uint8_t>(slots >> (8 * i));
    EXPECT_EQ(Bytes(name.c_str()), expected) << slots;
  }
}

TEST_F(RingLogFileTest, CreateNeverTouchesAFileThatExists) {
  Put("taken.log", {'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'});
  try {
    CreateRingLog(PathOf("taken.log").c_str(), 5);
    ADD_FAILURE() << "created over an existing file";
  } catch (const EStream& e) {
    const std::u16string message = e.Message();
    EXPECT_EQ(message.rfind(PathOf("taken.log") + u": cannot create: ", 0), 0u);
  }
  EXPECT_EQ(Bytes("taken.log"), (std::vector<uint8_t>{'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));
}

TEST_F(RingLogFileTest, CreateRefusesASlotCountOutOfRangeAndMakesNoFile) {
  for (const int32_t slots : {0, -1, INT32_MIN, kMaxNewLogSlots + 1}) {
    EXPECT_THROW(CreateRingLog(PathOf("bad.log").c_str(), slots), ELogFormat) << slots;
    EXPECT_FALSE(fs::exists(directory_.path() / "bad.log")) << slots;
  }
}

TEST_F(RingLogFileTest, OpenNamesTheFileAndTheCause) {
  RingLog log;
  try {
    log.Open(PathOf("missing.log").c_str());
    ADD_FAILURE() << "opened a missing file";
  } catch (const EStream& e) {
    EXPECT_EQ(std::u16string(e.Message()).rfind(PathOf("missing.log") + u": cannot open: ", 0), 0u);
  }
  EXPECT_FALSE(log.IsOpen());

  Put("short.log", std::vector<uint8_t>(10, 0));
  try {
    log.Open(PathOf("short.log").c_str());
    ADD_FAILURE() << "opened a file too short for a header";
  } catch (const ELogFormat& e) {
    EXPECT_EQ(std::u16string(e.Message()),
              PathOf("short.log") +
                  u": not a ring log: the file has 10 bytes, fewer than the 20 of a header");
  }
  EXPECT_FALSE(log.IsOpen());
}

TEST_F(RingLogFileTest, WrittenRecordsReadBackOldestFirst) {
  CreateRingLog(PathOf("ring.log").c_str(), 3);
  {
    RingLog log;
    log.Open(PathOf("ring.log").c_str(), {.buffered = true});
    for (const char16_t* m : {u"m1", u"m2", u"m3", u"m4"}) ASSERT_EQ(log.Write(m), 1);
  }
  RingLog again;
  again.Open(PathOf("ring.log").c_str());
  ASSERT_EQ(again.Write(u"m5"), 1);
  again.Close();
  const std::vector<uint8_t> closed = Bytes("ring.log");
  EXPECT_EQ(again.Write(u"m6"), 0);
  EXPECT_EQ(Bytes("ring.log"), closed);

  FileStream reader(PathOf("ring.log").c_str(), FileStream::Mode::kReadOnly);
  std::vector<std::string> texts;
  for (const LogEntry& e : ReadRingLog(reader)) texts.push_back(e.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"m3", "m4", "m5"}));
}

}  // namespace
}  // namespace hv
