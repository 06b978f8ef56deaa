// The shell copy component against the real shell under Wine. Wine never
// shows a progress window, so the user's abort comes from the shell's other
// window with a Cancel: its overwrite confirmation.
#include "FileOperation.h"
#include "WinDriver.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace windriver;

namespace {

// Exposes the record that Execute hands the shell.
class TInspectedFileOperation : public TFileOperation {
public:
    using TFileOperation::Request;
    using TFileOperation::TFileOperation;
};

struct ListCase {
    std::vector<std::string> list;
    std::string bytes;
};

TEST(MakeFileList, EndsEachEntryAndTheListWithNul) {
    using namespace std::string_literals;
    const ListCase cases[] = {
        {{}, "\0"s},
        {{"C:\\a b\\Quest.lzh"}, "C:\\a b\\Quest.lzh\0\0"s},
        {{"a", "b"}, "a\0b\0\0"s},
        {{"a", "", "b"}, "a\0\0b\0\0"s},  // the shell stops reading at the empty entry
    };
    for (const auto& c : cases) EXPECT_EQ(MakeFileList(c.list), c.bytes) << c.list.size();
}

class FileOperationTest : public ::testing::Test {
protected:
    TApplication application;
};

struct FlagCase {
    TFileOperationOptions options;
    FILEOP_FLAGS flags;
};

TEST_F(FileOperationTest, RequestCarriesTheFlagsOfTheOptionsOnly) {
    const FlagCase cases[] = {
        {{}, 0},
        {{foMultiDestFiles}, 0x0001},
        {{foSilent}, 0x0004},
        {{foRenameOnCollision}, 0x0008},
        {{foNoConfirmation}, 0x0010},
        {{foAllowUndo}, 0x0040},
        {{foFilesOnly}, 0x0080},
        {{foNoConfirmMkdir}, 0x0200},
        {{foNoErrorUI}, 0x0400},
        {{foMultiDestFiles, foSilent, foRenameOnCollision, foNoConfirmation, foAllowUndo, foFilesOnly,
          foNoConfirmMkdir, foNoErrorUI},
         0x06DD},
    };
    TInspectedFileOperation operation(nullptr);
    const std::string from = MakeFileList({"a"}), to = MakeFileList({"b"});
    for (const auto& c : cases) {
        operation.SetOptions(c.options);
        const SHFILEOPSTRUCTA request = operation.Request(FO_COPY, from, to);
        EXPECT_EQ(request.fFlags, c.flags);
        EXPECT_EQ(request.wFunc, static_cast<UINT>(FO_COPY));
        EXPECT_EQ(request.pFrom, from.c_str());
        EXPECT_EQ(request.pTo, to.c_str());
        EXPECT_EQ(request.fAnyOperationsAborted, FALSE);
        EXPECT_EQ(request.hNameMappings, nullptr);
        EXPECT_EQ(request.lpszProgressTitle, nullptr);
    }
}

TEST_F(FileOperationTest, ShellWindowsBelongToTheWindowedOwnerElseToTheApplication) {
    TForm form(nullptr);
    TButton button(nullptr);
    button.SetParent(&form);
    TComponent plain(nullptr);
    const std::string list = MakeFileList({});

    TInspectedFileOperation ownedByForm(&form);
    ASSERT_FALSE(form.HandleAllocated());
    EXPECT_EQ(ownedByForm.Request(FO_COPY, list, list).hwnd, form.Handle()) << "the window is made on demand";
    EXPECT_EQ(TInspectedFileOperation(&button).Request(FO_COPY, list, list).hwnd, button.Handle());
    EXPECT_EQ(TInspectedFileOperation(&plain).Request(FO_COPY, list, list).hwnd, application.Handle());
    EXPECT_EQ(TInspectedFileOperation(nullptr).Request(FO_COPY, list, list).hwnd, application.Handle());
}

// Source and destination folders with a few files.
class ShellCopyTest : public FileOperationTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(src / "sub");
        std::filesystem::create_directories(dst);
        WriteFile(src / "Quest.lzh", "archive");
        WriteFile(src / "Other.lzh", "other");
    }
    std::string Src(const char* name) const { return (src / name).string(); }
    bool InDst(const char* name) const { return std::filesystem::exists(dst / name); }

    TempDir dir;
    std::filesystem::path src = dir.Path() / "src", dst = dir.Path() / "dst";
    TFileOperation operation{nullptr};
};

TEST_F(ShellCopyTest, CopiesTheSourceIntoTheDestinationFolder) {
    operation.SetOptions({foNoConfirmation});
    operation.SetSource(Src("Quest.lzh"));
    operation.SetDestination(dst.string());
    EXPECT_TRUE(operation.Copy());
    EXPECT_EQ(ReadFile(dst / "Quest.lzh"), "archive");
}

TEST_F(ShellCopyTest, SetSourceReplacesTheWholeList) {
    operation.SetOptions({foNoConfirmation});
    operation.SetSource(Src("Other.lzh"));
    operation.SetSource(Src("Quest.lzh"));
    operation.SetDestination(dst.string());
    EXPECT_TRUE(operation.Copy());
    EXPECT_TRUE(InDst("Quest.lzh"));
    EXPECT_FALSE(InDst("Other.lzh"));
}

TEST_F(ShellCopyTest, EmptyListsCopyNothingAndAreNoAbort) {
    operation.SetOptions({foNoConfirmation, foNoErrorUI});
    operation.SetDestination(dst.string());
    EXPECT_TRUE(operation.Copy()) << "no source at all";
    operation.SetSource("");
    EXPECT_TRUE(operation.Copy()) << "an empty source entry";
    EXPECT_TRUE(std::filesystem::is_empty(dst));
}

TEST_F(ShellCopyTest, AFailureThatIsNoAbortStillReadsAsTrue) {
    operation.SetOptions({foNoConfirmation, foNoErrorUI});
    operation.SetSource(Src("Missing.lzh"));
    operation.SetDestination(dst.string());
    EXPECT_TRUE(operation.Copy());
    EXPECT_TRUE(std::filesystem::is_empty(dst));
}

TEST_F(ShellCopyTest, AnAbortedCopyReadsAsFalse) {
    // A destination under a regular file makes the shell give up and report
    // the operation as aborted.
    WriteFile(dir.Path() / "file", "");
    operation.SetOptions({foNoConfirmation, foNoErrorUI});
    operation.SetSource(Src("Quest.lzh"));
    operation.SetDestination((dir.Path() / "file" / "x").string() + "\\");
    EXPECT_FALSE(operation.Copy());
}

// Watches for the shell's confirmation window while an operation runs,
// notes its owner and answers it with one of its buttons.
class ConfirmationAnswerer {
public:
    explicit ConfirmationAnswerer(int button)
        : thread_([this, button] {
              while (!stop_) {
                  for (HWND wnd : TopLevelWindows(GetCurrentProcessId())) {
                      if (ClassName(wnd) != "#32770") continue;
                      owner_ = GetWindow(wnd, GW_OWNER);
                      seen_ = true;
                      PressButton(wnd, button);
                      return;
                  }
                  std::this_thread::sleep_for(20ms);
              }
          }) {}
    ~ConfirmationAnswerer() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool Seen() {
        Stop();
        return seen_;
    }
    HWND Owner() {
        Stop();
        return owner_;
    }

private:
    std::atomic<bool> stop_{false}, seen_{false};
    std::atomic<HWND> owner_{nullptr};
    std::thread thread_;
};

struct ConfirmCase {
    const char* name;
    int button;
    bool result;
    const char* target;  // content of the existing target afterwards
};

class ShellConfirmationTest : public ShellCopyTest, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(ShellConfirmationTest, TheUsersAnswerDecidesTheResult) {
    WriteFile(dst / "Quest.lzh", "older");
    TForm form(nullptr);
    TFileOperation owned(&form);
    owned.SetSource(Src("Quest.lzh"));
    owned.SetDestination(dst.string());
    ConfirmationAnswerer answerer(GetParam().button);
    EXPECT_EQ(owned.Copy(), GetParam().result);
    ASSERT_TRUE(answerer.Seen()) << "without foNoConfirmation the shell asks before replacing";
    EXPECT_EQ(answerer.Owner(), form.Handle());
    EXPECT_EQ(ReadFile(dst / "Quest.lzh"), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Overwrite, ShellConfirmationTest,
                         ::testing::Values(ConfirmCase{"Yes", IDYES, true, "archive"},
                                           ConfirmCase{"No", IDNO, false, "older"},
                                           ConfirmCase{"Cancel", IDCANCEL, false, "older"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ShellCopyTest, WithoutAnOwnerTheApplicationWindowOwnsTheConfirmation) {
    WriteFile(dst / "Quest.lzh", "older");
    operation.SetSource(Src("Quest.lzh"));
    operation.SetDestination(dst.string());
    ConfirmationAnswerer answerer(IDCANCEL);
    EXPECT_FALSE(operation.Copy());
    EXPECT_EQ(answerer.Owner(), application.Handle());
}

TEST_F(ShellCopyTest, NoConfirmationReplacesSilently) {
    WriteFile(dst / "Quest.lzh", "older");
    operation.SetOptions({foNoConfirmation});
    operation.SetSource(Src("Quest.lzh"));
    operation.SetDestination(dst.string());
    ConfirmationAnswerer answerer(IDCANCEL);
    EXPECT_TRUE(operation.Copy());
    EXPECT_FALSE(answerer.Seen());
    EXPECT_EQ(ReadFile(dst / "Quest.lzh"), "archive");
}

}  // namespace
