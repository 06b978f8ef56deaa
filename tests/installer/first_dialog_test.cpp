// The first dialog in this process, on real windows and the real registry
// under Wine. Texts are compared byte for byte in the system code page.
#include "FirstDialog.h"
#include "WinDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

using namespace windriver;

namespace {

// A registry value as the test writes it: type and raw bytes.
struct RawValue {
    const char* name;
    DWORD type;
    std::string data;
};

RawValue Sz(const char* name, const std::string& text) { return {name, REG_SZ, text + '\0'}; }
RawValue Dword(const char* name, DWORD value) {
    return {name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

void DeleteOptionStore() { TRegistry().DeleteKey(kOptionStoreKey); }

void Store(const std::vector<RawValue>& values) {
    for (const auto& v : values)
        RegSetKeyValueA(HKEY_CURRENT_USER, kOptionStoreKey, v.name, v.type, v.data.data(),
                        static_cast<DWORD>(v.data.size()));
}

bool OptionStoreExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionStoreKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string DefaultFolder() { return ProgramFilesFolder() + "Quillforge\\Mythweave\\"; }

class FirstDialogTest : public ::testing::Test {
protected:
    FirstDialogTest() : dialog(&app) {
        DeleteOptionStore();
        dialog.ProjectName = "Quest";
        dialog.GameTitle = "The Quest";
    }
    ~FirstDialogTest() override { DeleteOptionStore(); }

    void Pump() {
        for (int i = 0; i < 4; ++i) {
            app.ProcessMessages();
            Sleep(15);
        }
    }
    void Key(WORD vk) {
        TypeKey(vk);
        Pump();
    }
    // Runs the dialog modally while `act` posts what the user does.
    TModalResult RunModal(const std::function<void()>& act) {
        dialog.HandleNeeded();
        act();
        return dialog.ShowModal();
    }

    TApplication app;
    TFormFirstDialog dialog;
};

TEST_F(FirstDialogTest, CaptionsAndFormSettings) {
    dialog.Show();
    EXPECT_EQ(WindowText(dialog.Handle()), "Installation");
    RECT client{};
    GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(client.right, 385);
    EXPECT_EQ(client.bottom, 233);
    const LONG_PTR style = GetWindowLongPtrA(dialog.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "a dialog frame";
    EXPECT_EQ(dialog.Left(), (GetSystemMetrics(SM_CXSCREEN) - dialog.Width()) / 2);
    EXPECT_EQ(dialog.Top(), (GetSystemMetrics(SM_CYSCREEN) - dialog.Height()) / 2);
    EXPECT_EQ(dialog.Font.Name(), "Comic sans ms");
    EXPECT_EQ(dialog.Font.Height(), -12);

    const std::pair<TWinControl*, std::string> captions[] = {
        {&dialog.Label1, "Installation de The Quest"},
        {&dialog.Label2, "Installer le projet Quest dans le r\xE9pertoire : "},
        {&dialog.GroupBox1, "R\xE9pertoire d'installation : "},
        {&dialog.GroupBox2, "Options : "},
        {&dialog.CheckBox1, "Cr\xE9" "er un raccourci dans le menu d\xE9marrer"},
        {&dialog.CheckBox2, "Inclure l'option de d\xE9sinstallation du jeu"},
        {&dialog.ButtonStart, "Installer le jeu"},
        {&dialog.ButtonCancel, "Annuler"},
    };
    for (const auto& [control, text] : captions) EXPECT_EQ(WindowText(control->Handle()), text);
    EXPECT_EQ(GetWindowLongPtrA(dialog.ButtonStart.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

RECT ClientRectOf(TWinControl& control, TWinControl& in) {
    RECT r{};
    GetWindowRect(control.Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, in.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(FirstDialogTest, LayoutRunsFromTheTitlesToTheButtons) {
    dialog.Show();
    const RECT label1 = ClientRectOf(dialog.Label1, dialog), label2 = ClientRectOf(dialog.Label2, dialog);
    const RECT group1 = ClientRectOf(dialog.GroupBox1, dialog), group2 = ClientRectOf(dialog.GroupBox2, dialog);
    const RECT start = ClientRectOf(dialog.ButtonStart, dialog), cancel = ClientRectOf(dialog.ButtonCancel, dialog);
    for (TLabel* title : {&dialog.Label1, &dialog.Label2}) {
        const RECT r = ClientRectOf(*title, dialog);
        EXPECT_EQ(r.left, 8);
        EXPECT_EQ(r.right, 385 - 8);
        EXPECT_EQ(GetWindowLongPtrA(title->Handle(), GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    }
    EXPECT_EQ(label2.top, label1.bottom) << "the second title line sits right under the first";
    EXPECT_LE(label2.bottom, group1.top);
    EXPECT_LE(group1.bottom, group2.top);
    EXPECT_LE(group2.bottom, start.top);
    EXPECT_EQ(start.top, cancel.top) << "side by side";
    EXPECT_LT(start.right, cancel.left) << "\"Installer le jeu\" on the left";
    EXPECT_LE(cancel.bottom, 233);

    RECT inGroup = ClientRectOf(dialog.DashBox1, dialog), unused{};
    EXPECT_TRUE(IntersectRect(&unused, &inGroup, &group1) && EqualRect(&unused, &inGroup)) << "the folder box in its group";
    for (TWinControl* box : {static_cast<TWinControl*>(&dialog.CheckBox1), static_cast<TWinControl*>(&dialog.CheckBox2)}) {
        inGroup = ClientRectOf(*box, dialog);
        EXPECT_TRUE(IntersectRect(&unused, &inGroup, &group2) && EqualRect(&unused, &inGroup));
    }
    EXPECT_EQ(dialog.DashBox1.Parent(), &dialog.GroupBox1);
    EXPECT_EQ(dialog.CheckBox1.Parent(), &dialog.GroupBox2);
    EXPECT_EQ(dialog.CheckBox2.Parent(), &dialog.GroupBox2);
}

COLORREF PixelOf(TWinControl& control, int x, int y) {
    fw::WindowDC dc(control.Handle());
    return GetPixel(dc.get(), x, y);
}

TEST_F(FirstDialogTest, TitlesAndGroupsShowTheFormColourBehindThem) {
    dialog.Show();
    Pump();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (TWinControl* c : std::initializer_list<TWinControl*>{&dialog.Label1, &dialog.Label2}) {
        EXPECT_EQ(PixelOf(*c, 1, 1), face);
        int ink = 0;
        for (int x = 0; x < c->ClientWidth(); ++x)
            for (int y = 0; y < c->ClientHeight(); ++y) ink += PixelOf(*c, x, y) == GetSysColor(COLOR_WINDOWTEXT);
        EXPECT_GT(ink, 20) << "the title is drawn";
    }
    for (TWinControl* group : std::initializer_list<TWinControl*>{&dialog.GroupBox1, &dialog.GroupBox2})
        EXPECT_EQ(PixelOf(*group, group->ClientWidth() / 2, group->ClientHeight() - 4), face) << "inside the group";
}

TEST_F(FirstDialogTest, TabGoesFromTheFolderBoxThroughTheOptionsToTheButtons) {
    dialog.Show();
    Pump();
    const TWinControl* order[] = {&dialog.DashBox1, &dialog.CheckBox1, &dialog.CheckBox2, &dialog.ButtonStart,
                                  &dialog.ButtonCancel, &dialog.DashBox1};
    EXPECT_TRUE(dialog.DashBox1.Focused()) << "the folder box has the focus first";
    for (std::size_t i = 1; i < std::size(order); ++i) {
        Key(VK_TAB);
        EXPECT_TRUE(order[i]->Focused()) << "after " << i << " Tab presses";
    }
}

struct CloseCase {
    const char* name;
    std::function<void(TFormFirstDialog&)> act;
    TModalResult result;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class FirstDialogClose : public FirstDialogTest, public ::testing::WithParamInterface<CloseCase> {};

// Each way out, after the user ticked the first option only.
TEST_P(FirstDialogClose, EndsWithItsModalResult) {
    const TModalResult result = RunModal([&] {
        PostMessageA(dialog.CheckBox1.Handle(), BM_CLICK, 0, 0);
        GetParam().act(dialog);
    });
    EXPECT_EQ(result, GetParam().result);
    EXPECT_FALSE(dialog.Visible());
    // Only "Installer le jeu" takes the boxes' states; otherwise the stored ones stay.
    EXPECT_EQ(dialog.RegisterProgram, result == mrOk);
    EXPECT_FALSE(dialog.PrepareUninstall);
    EXPECT_FALSE(TOptionStore().ReadBool(kRegisterProgramValue, false)) << "the dialog itself writes nothing";
}

void PostKey(HWND wnd, WORD vk) {
    PostMessageA(wnd, WM_KEYDOWN, vk, 1);
    PostMessageA(wnd, WM_KEYUP, vk, 0xC0000001);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, FirstDialogClose,
    ::testing::Values(
        CloseCase{"StartButton", [](TFormFirstDialog& d) { PostMessageA(d.ButtonStart.Handle(), BM_CLICK, 0, 0); }, mrOk},
        CloseCase{"EnterKey", [](TFormFirstDialog& d) { PostKey(d.DashBox1.Handle(), VK_RETURN); }, mrOk},
        CloseCase{"CancelButton", [](TFormFirstDialog& d) { PostMessageA(d.ButtonCancel.Handle(), BM_CLICK, 0, 0); },
                  mrCancel},
        CloseCase{"EscapeKey", [](TFormFirstDialog& d) { PostKey(d.DashBox1.Handle(), VK_ESCAPE); }, mrCancel},
        CloseCase{"CloseBox", [](TFormFirstDialog& d) { PostMessageA(d.Handle(), WM_CLOSE, 0, 0); }, mrCancel}),
    [](const auto& info) { return info.param.name; });

// What FormShow makes of the option store.
struct StoreCase {
    const char* name;
    std::vector<RawValue> values;
    std::optional<std::string> folder;  // nothing: the default folder
    bool registerProgram;
    bool prepareUninstall;
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

class FirstDialogStore : public FirstDialogTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(FirstDialogStore, ShowsTheStoredFolderAndOptions) {
    Store(GetParam().values);
    dialog.Show();
    const std::string folder = GetParam().folder.value_or(DefaultFolder());
    EXPECT_EQ(dialog.InstallFolder, folder);
    EXPECT_EQ(dialog.DashBox1.Text(), folder);
    EXPECT_EQ(dialog.RegisterProgram, GetParam().registerProgram);
    EXPECT_EQ(dialog.CheckBox1.Checked(), GetParam().registerProgram);
    EXPECT_EQ(dialog.PrepareUninstall, GetParam().prepareUninstall);
    EXPECT_EQ(dialog.CheckBox2.Checked(), GetParam().prepareUninstall);
    EXPECT_TRUE(OptionStoreExists());
}

const char* const R = kRegisterProgramValue;
const char* const P = kPrepareUninstallValue;
const char* const A = kApplicationPathValue;

INSTANTIATE_TEST_SUITE_P(
    Values, FirstDialogStore,
    ::testing::Values(
        StoreCase{"NoKey", {}, std::nullopt, false, false},
        StoreCase{"FolderWithoutBackslash", {Sz(A, "D:\\Games")}, "D:\\Games\\", false, false},
        StoreCase{"FolderWithBackslash", {Sz(A, "D:\\Games\\")}, "D:\\Games\\", false, false},
        StoreCase{"EmptyFolder", {Sz(A, "")}, "\\", false, false},
        StoreCase{"ExpandableFolderTakenVerbatim",
                  {{A, REG_EXPAND_SZ, std::string("%ProgramFiles%\\Jeux") + '\0'}},
                  "%ProgramFiles%\\Jeux\\", false, false},
        StoreCase{"TextOnes", {Sz(R, "1"), Sz(P, "1")}, std::nullopt, true, true},
        StoreCase{"TextZeros", {Sz(R, "0"), Sz(P, "0")}, std::nullopt, false, false},
        StoreCase{"DwordFiveAndZero", {Dword(R, 5), Dword(P, 0)}, std::nullopt, true, false},
        StoreCase{"LeadingBlanksAndNegative", {Sz(R, "  12"), Sz(P, "-1")}, std::nullopt, true, true},
        StoreCase{"DollarHex", {Sz(R, "$1F"), Sz(P, "$0")}, std::nullopt, true, false},
        StoreCase{"ZeroXHex", {Sz(R, "0x0"), Sz(P, "0X10")}, std::nullopt, false, true},
        StoreCase{"JunkIsFalse", {Sz(R, "yes"), Sz(P, "1 ")}, std::nullopt, false, false},
        StoreCase{"EmptyTextIsFalse", {Sz(R, ""), Sz(P, "")}, std::nullopt, false, false}),
    [](const auto& info) { return info.param.name; });

// A value of a type the store never holds stops FormShow with the registry error.
class FirstDialogBadType : public FirstDialogTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(FirstDialogBadType, StopsFormShowWithARegistryError) {
    Store(GetParam().values);
    EXPECT_THROW(dialog.Show(), ERegistryException);
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(dialog.Label1.Caption(), "Installation de The Quest") << "the titles come first";
    EXPECT_EQ(dialog.DashBox1.Text(), "DashBox1") << "the rest of FormShow did not run";
    EXPECT_TRUE(dialog.CheckBox1.Checked());
    EXPECT_TRUE(dialog.CheckBox2.Checked());
}

INSTANTIATE_TEST_SUITE_P(
    Types, FirstDialogBadType,
    ::testing::Values(StoreCase{"BinaryOption", {{R, REG_BINARY, std::string("\1", 1)}}, {}, false, false},
                      StoreCase{"ExpandableOption", {{P, REG_EXPAND_SZ, std::string("1\0", 2)}}, {}, false, false},
                      StoreCase{"DwordFolder", {Dword(A, 1)}, {}, false, false},
                      StoreCase{"MultiStringFolder", {{A, REG_MULTI_SZ, std::string("C:\\\0\0", 5)}}, {}, false, false}),
    [](const auto& info) { return info.param.name; });

TEST_F(FirstDialogTest, EveryShowStartsAgainFromTheStore) {
    Store({Sz(R, "1")});
    dialog.Show();
    dialog.InstallFolder = "E:\\Elsewhere\\";
    dialog.CheckBox1.SetChecked(false);
    dialog.Hide();
    Store({Sz(A, "D:\\Games"), Sz(P, "1")});
    dialog.Show();
    EXPECT_EQ(dialog.DashBox1.Text(), "D:\\Games\\");
    EXPECT_TRUE(dialog.CheckBox1.Checked());
    EXPECT_TRUE(dialog.CheckBox2.Checked());
}

TEST(OptionStore, WritesTheTextsOneAndZero) {
    DeleteOptionStore();
    {
        TOptionStore store;
        store.WriteBool(kRegisterProgramValue, true);
        store.WriteBool(kPrepareUninstallValue, false);
    }
    for (const auto& [name, text] : {std::pair{R, std::string("1\0", 2)}, std::pair{P, std::string("0\0", 2)}}) {
        DWORD type = 0, size = 16;
        char data[16] = {};
        ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kOptionStoreKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(std::string(data, size), text) << "the NUL is stored with the text";
    }
    DeleteOptionStore();
}

// What the stand-in folder dialog answers, and what it was shown with.
struct FolderDialogScript {
    TModalResult answer = mrCancel;
    std::string answerFolder;
    std::string seenFolder;
    int seenLeft = 0, seenTop = 0;
} g_folderScript;

// A folder dialog that answers at once, as the user of the real one would.
class TAnsweringFolderForm : public TForm {
public:
    explicit TAnsweringFolderForm(TComponent* owner) : TForm(owner) {
        SetBounds(0, 0, 200, 100);
        OnShow = [this](TObject*) {
            g_folderScript.seenFolder = Folder;
            g_folderScript.seenLeft = Left();
            g_folderScript.seenTop = Top();
            Folder = g_folderScript.answerFolder;
            SetModalResult(g_folderScript.answer);
        };
    }
    std::string Folder;
};

struct BrowseCase {
    const char* name;
    TModalResult answer;
    std::string folderAfter;
};

void PrintTo(const BrowseCase& c, std::ostream* os) { *os << c.name; }

class FirstDialogBrowse : public FirstDialogTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(FirstDialogBrowse, TakesTheChosenFolderOnlyOnOk) {
    Store({Sz(A, "D:\\Games")});
    dialog.Show();
    g_folderScript.answer = GetParam().answer;
    g_folderScript.answerFolder = "E:\\Jeux\\";
    dialog.BrowseWith<TAnsweringFolderForm>();

    EXPECT_EQ(g_folderScript.seenFolder, "D:\\Games\\");
    EXPECT_EQ(g_folderScript.seenLeft, dialog.Width() / 2 + dialog.Left() - 100) << "centred on the dialog";
    EXPECT_EQ(g_folderScript.seenTop, dialog.Height() / 2 + dialog.Top() - 50);
    EXPECT_EQ(dialog.InstallFolder, GetParam().folderAfter);
    EXPECT_EQ(dialog.DashBox1.Text(), GetParam().folderAfter);

    const auto folderForms = [&] {
        return std::count_if(dialog.Components().begin(), dialog.Components().end(),
                             [](TComponent* c) { return dynamic_cast<TAnsweringFolderForm*>(c) != nullptr; });
    };
    EXPECT_EQ(folderForms(), 1) << "released, not destroyed at once";
    app.ProcessMessages();
    EXPECT_EQ(folderForms(), 0);
    EXPECT_EQ(TOptionStore().ReadString(kApplicationPathValue, ""), "D:\\Games") << "a chosen folder is not stored";
}

INSTANTIATE_TEST_SUITE_P(Answers, FirstDialogBrowse,
                         ::testing::Values(BrowseCase{"Ok", mrOk, "E:\\Jeux\\"},
                                           BrowseCase{"Cancel", mrCancel, "D:\\Games\\"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(FirstDialogTest, SpaceOnTheFolderBoxActivatesIt) {
    int activations = 0;
    const TNotifyEvent wired = dialog.DashBox1.OnClick;
    ASSERT_TRUE(wired);
    dialog.DashBox1.OnClick = [&](TObject* sender) {
        ++activations;
        wired(sender);
    };
    dialog.Show();
    Pump();
    Key(VK_SPACE);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(dialog.DashBox1.Text(), DefaultFolder()) << "no folder dialog yet: the folder stays";
}

}  // namespace
