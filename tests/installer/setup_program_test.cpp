// Runs the real Setup.exe under the test prefix and watches it as a user would.
#include "SetupFolder.h"
#include "WinDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace windriver;

namespace {

constexpr char kCompleteIni[] = "[Setup]\r\nProjectName=Quest\r\nGameTitle=The Quest\r\n";

struct SilentCase {
    const char* name;
    std::string ini;
};

class SetupEndsSilently : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SetupEndsSilently, WithoutWindowAndWithExitCodeZero) {
    SetupFolder folder(GetParam().ini);
    Process setup(folder.Exe(), folder.Dir());
    bool sawWindow = false;
    std::optional<DWORD> code;
    for (int i = 0; i < 500 && !(code = setup.Wait(10ms)); ++i) sawWindow |= !TopLevelWindows(setup.Id()).empty();
    ASSERT_TRUE(code.has_value()) << "Setup.exe kept running";
    EXPECT_EQ(*code, 0u);
    EXPECT_FALSE(sawWindow);
}

INSTANTIATE_TEST_SUITE_P(
    IncompleteConfiguration, SetupEndsSilently,
    ::testing::Values(SilentCase{"NoFile", ""}, SilentCase{"NoSection", "[Other]\r\nProjectName=Quest\r\nGameTitle=T\r\n"},
                      SilentCase{"NoProjectName", "[Setup]\r\nGameTitle=The Quest\r\n"},
                      SilentCase{"EmptyGameTitle", "[Setup]\r\nProjectName=Quest\r\nGameTitle=\r\n"},
                      SilentCase{"EmptyProjectName", "[Setup]\r\nProjectName=\r\nGameTitle=The Quest\r\n"}),
    [](const auto& info) { return info.param.name; });

struct RGBColor {
    int r, g, b;
    bool operator==(const RGBColor&) const = default;
};
std::ostream& operator<<(std::ostream& os, const RGBColor& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
RGBColor Pixel(int x, int y) {
    const COLORREF c = ScreenPixel(x, y);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}
RGBColor Line(int i) { return {4 * i, 4 * i, 128 + 2 * i}; }

// The gradient behind the first message box: 64 lines of width h/64 + 2,
// line i centred on i*h/63; a later line covers the lower edge of the one before.
void ExpectGradient() {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const int half = (h / 64 + 2) / 2;
    for (int x : {2, w - 3}) {
        SCOPED_TRACE("x = " + std::to_string(x));
        EXPECT_EQ(Pixel(x, 0), Line(0));
        EXPECT_EQ(Pixel(x, h / 63), Line(1));
        EXPECT_EQ(Pixel(x, 32 * h / 63), Line(32));
        EXPECT_EQ(Pixel(x, 32 * h / 63 - half), Line(32)) << "line 31 must lie under line 32";
        EXPECT_EQ(Pixel(x, h - 1), Line(63));
    }
}

struct LibraryCase {
    const char* name;
    const char* library;
    const char* message;
};

class SetupStopsWithoutUsableLibrary : public ::testing::TestWithParam<LibraryCase> {};

TEST_P(SetupStopsWithoutUsableLibrary, ShowsTheGradientThenTheMessageThenEnds) {
    SetupFolder folder(kCompleteIni, GetParam().library);
    Process setup(folder.Exe(), folder.Dir());
    const MessageBoxInfo box = WaitForMessageBox(setup.Id());
    EXPECT_EQ(box.caption, "Installateur");
    EXPECT_EQ(box.text, GetParam().message);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(box.hasIcon);
    ExpectGradient();
    PressButton(box.window, IDOK);
    const auto code = setup.Wait(10s);
    ASSERT_TRUE(code.has_value()) << "Setup.exe did not end after the message";
    EXPECT_EQ(*code, 0u);
}

// The standard error display ends a message with a full stop.
INSTANTIATE_TEST_SUITE_P(
    Library, SetupStopsWithoutUsableLibrary,
    ::testing::Values(LibraryCase{"Missing", nullptr, "UNLHA32.DLL n'a pas pu \xEAtre charg\xE9" "e."},
                      LibraryCase{"WithoutEntry", NO_ENTRY_DLL, "UNLHA32.DLL est un fichier corrompu."}),
    [](const auto& info) { return info.param.name; });

// A library planted in the current folder is not the installer's.
TEST(SetupLibrarySearch, IgnoresALibraryInTheCurrentFolder) {
    SetupFolder folder(kCompleteIni);
    TempDir current;
    fs::copy_file(WinePath(NO_ENTRY_DLL), current.Path() / "UNLHA32.DLL");
    Process setup(folder.Exe(), current.Str());
    const MessageBoxInfo box = WaitForMessageBox(setup.Id());
    EXPECT_EQ(box.text, "UNLHA32.DLL n'a pas pu \xEAtre charg\xE9" "e.");
    PressButton(box.window, IDOK);
    EXPECT_TRUE(setup.Wait(10s).has_value());
}

}  // namespace
