// Failures of real file calls, as portable code sees them: the kind it can decide on, and one
// message form that names the file, the operation and the system's cause.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/File.h"
#include "support/TempDirectory.h"

namespace hv::platform {
namespace {

using Kind = SystemError::Kind;

TEST(SystemErrorTest, FileCallsReportTheKindOfFailure) {
  testing::TempDirectory dir;
  std::ofstream(dir.path() / "present.log") << "x";
  std::filesystem::create_directory(dir.path() / "folder");
  struct Case {
    const char* name;
    const char* file;
    bool create;
    Kind kind;
  };
  const Case cases[] = {
      {"opening a missing file", "missing.log", false, Kind::kNotFound},
      {"opening in a missing folder", "nowhere/missing.log", false, Kind::kNotFound},
      {"creating a file that exists", "present.log", true, Kind::kAlreadyExists},
      {"opening a folder", "folder", false, Kind::kNotAPlainFile},
  };
  for (const Case& c : cases) {
    File file;
    const std::u16string path = dir.File(c.file);
    EXPECT_FALSE(c.create ? file.CreateNew(path.c_str()) : file.OpenExisting(path.c_str(), true))
        << c.name;
    EXPECT_EQ(file.LastError().kind, c.kind) << c.name;
    EXPECT_FALSE(Describe(file.LastError()).empty()) << c.name;
  }

  SystemError error;
  EXPECT_FALSE(RemoveFile(dir.File("missing.log").c_str(), &error));
  EXPECT_EQ(error.kind, Kind::kNotFound);
}

TEST(SystemErrorTest, MessagesNameTheFileTheOperationAndTheCause) {
  testing::TempDirectory dir;
  File file;
  ASSERT_FALSE(file.OpenExisting(dir.File("missing.log").c_str(), false));
  const std::u16string cause = Describe(file.LastError());
  EXPECT_EQ(FailureText(u"app.log", u"cannot open", file.LastError()),
            u"app.log: cannot open: " + cause);
}

}  // namespace
}  // namespace hv::platform
