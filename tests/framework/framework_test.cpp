// The component layer's non-visual classes against the real registry,
// profile files and file system under Wine.
#include "WinDriver.h"
#include "framework/Classes.h"
#include "framework/Registry.h"
#include "framework/SysUtils.h"

#include <gtest/gtest.h>

#include <climits>

using namespace windriver;

namespace {

struct IntCase {
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(TryStrToInt, ReadsDecimalAndHexadecimal) {
    const IntCase cases[] = {
        {"0", 0},
        {"42", 42},
        {"  12", 12},
        {"-2", -2},
        {"+5", 5},
        {"$10", 16},
        {"0x10", 16},
        {"0X1f", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"12 ", std::nullopt},
        {"1 2", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"yes", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryStrToInt(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(StrToIntDef("abc", 7), 7);
}

TEST(PathRoutines, SplitAtTheLastDelimiter) {
    EXPECT_EQ(ExtractFilePath("E:\\SETUP.EXE"), "E:\\");
    EXPECT_EQ(ExtractFilePath("E:SETUP.EXE"), "E:");
    EXPECT_EQ(ExtractFilePath("SETUP.EXE"), "");
    EXPECT_EQ(ExtractFileName("C:\\a\\b.lzh"), "b.lzh");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\Quest.lzh", ".001"), "C:\\a.b\\Quest.001");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\Quest", ".ini"), "C:\\a.b\\Quest.ini");
}

class RegistryTest : public ::testing::Test {
protected:
    static constexpr char kKey[] = "Software\\ZorvFrameworkTest";
    void TearDown() override { TRegistry(HKEY_CURRENT_USER).DeleteKey(kKey); }
    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, type, data, size);
    }
};

TEST_F(RegistryTest, StringsAreReadVerbatimUpToTheirFirstNul) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    SetRaw("expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    SetRaw("embedded", REG_SZ, "ab\0cd", 6);
    EXPECT_EQ(reg.ReadString("expand"), "%TEMP%\\x");
    EXPECT_EQ(reg.ReadString("embedded"), "ab");
    EXPECT_EQ(reg.ReadString("absent"), "");
    reg.WriteString("written", "1");
    EXPECT_EQ(reg.DataType("written"), REG_SZ);
    EXPECT_EQ(reg.ReadString("written"), "1");
}

TEST_F(RegistryTest, OtherTypesAreInvalidForStrings) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    const DWORD five = 5;
    SetRaw("number", REG_DWORD, &five, sizeof five);
    SetRaw("binary", REG_BINARY, "\x01", 1);
    EXPECT_EQ(reg.ReadInteger("number"), 5);
    for (const char* name : {"number", "binary"}) {
        try {
            reg.ReadString(name);
            ADD_FAILURE() << name;
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), std::string("Invalid data type for '") + name + "'");
        }
    }
}

TEST_F(RegistryTest, DeleteKeyTakesTheSubKeysWithIt) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(std::string(kKey) + "\\a\\b", true));
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey(kKey));
    EXPECT_FALSE(reg.OpenKey(kKey, false));
}

TEST_F(RegistryTest, WritingWithoutAnOpenKeyNamesTheValue) {
    TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
    reg.OpenKey("Software", false);
    try {
        reg.WriteString("DisplayName", "x");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'DisplayName'");
    }
}

TEST(IniFile, WritesAndReadsKeysAndNamesTheFileOnFailure) {
    TempDir dir;
    TIniFile ini((dir.Path() / "record.ind").string());
    ini.WriteString("Install Data", "Title", "The Quest");
    EXPECT_EQ(ini.ReadString("install data", "TITLE", "-"), "The Quest");
    EXPECT_EQ(ini.ReadString("Install Data", "Absent", "-"), "-");
    EXPECT_EQ(ini.ReadInteger("Install Data", "Title", 9), 9);

    const std::string missing = (dir.Path() / "no such folder" / "x.ini").string();
    TIniFile bad(missing);
    try {
        bad.WriteString("s", "k", "v");
        FAIL();
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + missing);
    }
}

TEST(FileStream, OpenAndCreateErrorsNameTheFile) {
    TempDir dir;
    const std::string missing = (dir.Path() / "Quest.002").string();
    try {
        TFileStream s(missing, FileMode::OpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << e.Message();
    }
    const std::string unwritable = (dir.Path() / "no such folder" / "x").string();
    EXPECT_THROW(TFileStream(unwritable, FileMode::Create), EFCreateError);

    const std::string file = (dir.Path() / "f.bin").string();
    {
        TFileStream out(file, FileMode::Create, ShareMode::Exclusive);
        out.WriteBuffer("abcdef", 6);
        EXPECT_THROW(TFileStream(file, FileMode::OpenRead), EFOpenError) << "held exclusively";
    }
    TFileStream in(file, FileMode::OpenRead);
    char buffer[8] = {};
    EXPECT_EQ(in.Size(), 6);
    in.SetPosition(2);
    in.ReadBuffer(buffer, 4);
    EXPECT_STREQ(buffer, "cdef");
    EXPECT_THROW(in.ReadBuffer(buffer, 1), EReadError);
}

}  // namespace
