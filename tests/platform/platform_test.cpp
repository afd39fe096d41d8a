// The headless platform: Windows text mode on read and write, the data folder, linked-in
// resources and the scripted message boxes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/textfile.h"

namespace {

namespace fs = std::filesystem;

class TempFolder : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qv_platform_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

using TextFile = TempFolder;

TEST_F(TextFile, ReadTurnsCrLfIntoLfAndKeepsLoneCr) {
  struct Case {
    std::string bytes, text;
  };
  for (const Case& c : {Case{"a\r\nb\r\n", "a\nb\n"}, Case{"a\rb", "a\rb"}, Case{"a\n\rb", "a\n\rb"},
                        Case{"a\r\r\nb", "a\r\nb"}, Case{"end\r", "end\r"}, Case{"", ""},
                        Case{std::string("x\0\r\ny", 5), std::string("x\0\ny", 4)}}) {
    ASSERT_TRUE(platform::writeBinaryFile(path("in.txt"), c.bytes));
    std::string text = "stale";
    ASSERT_TRUE(platform::readTextFile(path("in.txt"), text));
    EXPECT_EQ(text, c.text) << testing::PrintToString(c.bytes);
    std::string raw;
    ASSERT_TRUE(platform::readBinaryFile(path("in.txt"), raw));
    EXPECT_EQ(raw, c.bytes);
  }
}

TEST_F(TextFile, WriteStoresEveryLfAsCrLfAndReadsBackTheSame) {
  const std::string text = "groupList\nfirst\n\nlast";
  ASSERT_TRUE(platform::writeTextFile(path("out.txt"), text));
  std::string raw;
  ASSERT_TRUE(platform::readBinaryFile(path("out.txt"), raw));
  EXPECT_EQ(raw, "groupList\r\nfirst\r\n\r\nlast");
  std::string back;
  ASSERT_TRUE(platform::readTextFile(path("out.txt"), back));
  EXPECT_EQ(back, text);
}

// Two plug-in instances saving the same library file at once (a host loading a project
// with several instances on the first start installs the library from each): every
// replacement succeeds and the file always holds one writer's whole content.
TEST_F(TextFile, WritersReplacingOneFileAtOnceLeaveOneWholeContent) {
  const std::string file = path("category");
  const std::vector<std::string> contents = {std::string(200000, 'a'), std::string(150000, 'b')};
  ASSERT_TRUE(platform::replaceFile(file, contents[0]));
  std::atomic<int> failures{0};
  std::atomic<bool> writing{true};
  std::vector<std::thread> writers;
  for (const std::string& content : contents) {
    writers.emplace_back([&, content] {
      for (int i = 0; i < 200; ++i) failures += platform::replaceFile(file, content) ? 0 : 1;
    });
  }
  int mixed = 0;
  std::thread reader([&] {
    while (writing) {
      std::string read;
      if (platform::readBinaryFile(file, read) && read != contents[0] && read != contents[1]) ++mixed;
    }
  });
  for (std::thread& w : writers) w.join();
  writing = false;
  reader.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(mixed, 0);
  std::string last;
  ASSERT_TRUE(platform::readBinaryFile(file, last));
  EXPECT_TRUE(last == contents[0] || last == contents[1]);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 1) << "no temporary is left behind";
}

TEST_F(TextFile, MissingFilesAndFoldersFail) {
  std::string out;
  EXPECT_FALSE(platform::readTextFile(path("missing.txt"), out));
  EXPECT_FALSE(platform::readBinaryFile(path("missing.txt"), out));
  EXPECT_FALSE(platform::writeTextFile(path("no/such/folder/x.txt"), "x"));
  EXPECT_FALSE(platform::writeBinaryFile(path("no/such/folder/x.txt"), "x"));
}

// Sets an environment variable for one test and restores it afterwards.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvVar() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DataFolder, ComesFromQuorvaneDataDirWithTheSeparatorAppended) {
  {
    EnvVar env("QUORVANE_DATA_DIR", "/tmp/qv data");
    EXPECT_EQ(platform::dataFolder(), "/tmp/qv data/");
  }
  {
    EnvVar env("QUORVANE_DATA_DIR", "/tmp/qv data/");
    EXPECT_EQ(platform::dataFolder(), "/tmp/qv data/");
  }
  EXPECT_EQ(platform::pathSeparator(), '/');
}

TEST(DataFolder, FallsBackToTheXdgDataHome) {
  EnvVar data("QUORVANE_DATA_DIR", nullptr);
  {
    EnvVar xdg("XDG_DATA_HOME", "/tmp/xdg");
    EXPECT_EQ(platform::dataFolder(), "/tmp/xdg/Halvorsk/Quorvane 3970/");
  }
  {
    EnvVar xdg("XDG_DATA_HOME", nullptr);
    EnvVar home("HOME", "/home/someone");
    EXPECT_EQ(platform::dataFolder(), "/home/someone/.local/share/Halvorsk/Quorvane 3970/");
  }
}

TEST(DataFolder, TheTestProgramsFolderIsSet) {
  const char* env = std::getenv("QUORVANE_DATA_DIR");
  ASSERT_NE(env, nullptr);
  EXPECT_NE(std::string(env).find("platform_test"), std::string::npos);
}

TEST(Resources, TheProbeIsFoundByNameAndTypeWithoutRegardToCase) {
  for (const char* name : {"qvprobe", "QVPROBE", "QvProbe"}) {
    SCOPED_TRACE(name);
    platform::Resource r;
    ASSERT_TRUE(platform::findResource(name, "#2111", r));
    ASSERT_NE(r.data, nullptr);
    const std::string content(reinterpret_cast<const char*>(r.data), r.size);
    EXPECT_EQ(content.rfind("probe resource", 0), 0u) << content;
  }
}

TEST(Resources, UnknownNamesTypesAndNullsAreNotFound) {
  platform::Resource r;
  EXPECT_FALSE(platform::findResource("qvprobe", "#2110", r));
  EXPECT_FALSE(platform::findResource("qvprob", "#2111", r));
  EXPECT_FALSE(platform::findResource("nosuchresource", "PNG", r));
  EXPECT_FALSE(platform::findResource(nullptr, "#2111", r));
  EXPECT_FALSE(platform::findResource("qvprobe", nullptr, r));
  EXPECT_EQ(r.data, nullptr);
}

TEST(MessageBox, AnswersComeFromTheScriptAndEveryBoxIsRecorded) {
  using platform::MessageAnswer;
  using platform::MessageButtons;
  platform::headless::clearShownMessages();
  platform::headless::scriptMessageAnswers({MessageAnswer::Cancel, MessageAnswer::Ok});
  EXPECT_EQ(platform::messageBox(nullptr, "Delete the patch?", "", MessageButtons::OkCancel), MessageAnswer::Cancel);
  EXPECT_EQ(platform::messageBox(nullptr, "Again?", "", MessageButtons::OkCancel), MessageAnswer::Ok);
  // The script is used up: OK.
  EXPECT_EQ(platform::messageBox(nullptr, "Once more?", "", MessageButtons::OkCancel), MessageAnswer::Ok);
  EXPECT_EQ(platform::messageBox(nullptr, "Done."), MessageAnswer::Ok);
  const auto shown = platform::headless::shownMessages();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].text, "Delete the patch?");
  EXPECT_EQ(shown[0].caption, "");
  EXPECT_EQ(shown[0].buttons, MessageButtons::OkCancel);
  EXPECT_EQ(shown[3].text, "Done.");
  EXPECT_EQ(shown[3].buttons, MessageButtons::Ok);
  platform::headless::clearShownMessages();
  EXPECT_TRUE(platform::headless::shownMessages().empty());
}

TEST(MessageBox, AnOkOnlyBoxCannotBeAnsweredCancel) {
  using platform::MessageAnswer;
  platform::headless::clearShownMessages();
  platform::headless::scriptMessageAnswers({MessageAnswer::Cancel});
  EXPECT_EQ(platform::messageBox(nullptr, "Saved."), MessageAnswer::Ok);
  platform::headless::scriptMessageAnswers({});
}

TEST(Clock, IsMonotonicAndSleepWaits) {
  const double t0 = platform::monotonicSeconds();
  platform::sleepMilliseconds(20);
  const double t1 = platform::monotonicSeconds();
  EXPECT_GE(t1 - t0, 0.015);
  EXPECT_LT(t1 - t0, 5.0);
}

TEST(Beep, IsCounted) {
  platform::headless::clearBeeps();
  platform::beep(880, 50);
  platform::beep(440, 50);
  EXPECT_EQ(platform::headless::beepCount(), 2);
}

}  // namespace
