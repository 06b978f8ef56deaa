#pragma once
// The first dialog of the install: it names the game, shows the install base
// folder, lets the folder dialog change it, and offers the Start-menu
// shortcut and the uninstall entry. Its first values come from the per-user
// option store, which the install writes back after "Installer le jeu".
#include "DashBox.h"
#include "HelperUtils.h"
#include "framework/Registry.h"
#include "framework/StdCtrls.h"

#include <string>

inline constexpr char kOptionStoreKey[] = "Software\\Quillforge\\Mythweave";
inline constexpr char kApplicationPathValue[] = "ApplicationPath";
inline constexpr char kRegisterProgramValue[] = "RegisterProgramOption";
inline constexpr char kPrepareUninstallValue[] = "PrepareUninstallOption";

// The option store under HKEY_CURRENT_USER, opened (and created when
// missing) for one access. When it cannot be opened the reads give their
// defaults; a value of a type the store never holds raises the registry error.
class TOptionStore {
public:
    TOptionStore();
    // REG_SZ or REG_EXPAND_SZ, verbatim.
    std::string ReadString(const std::string& name, const std::string& fallback) const;
    // REG_SZ holding an integer (decimal, "$" or "0x" hexadecimal) or REG_DWORD:
    // non-zero is true. A text that is no integer gives the fallback.
    bool ReadBool(const std::string& name, bool fallback) const;
    // The REG_SZ text "1" or "0".
    void WriteBool(const std::string& name, bool value);

private:
    TRegistry registry_;
};

class TFormFirstDialog : public TForm {
public:
    explicit TFormFirstDialog(TComponent* owner);

    TButton ButtonStart{this};
    TButton ButtonCancel{this};
    TGroupBox GroupBox1{this};
    TDashBox DashBox1{this};
    TLabel Label1{this};
    TLabel Label2{this};
    TGroupBox GroupBox2{this};
    TCheckBox CheckBox1{this};
    TCheckBox CheckBox2{this};

    // Set by the install before the dialog is shown.
    std::string ProjectName;
    std::string GameTitle;
    // Read by the install after "Installer le jeu". InstallFolder ends with a
    // backslash once the dialog has been shown.
    std::string InstallFolder;
    bool RegisterProgram = false;
    bool PrepareUninstall = false;

    void FormShow(TObject* sender);
    void DashBox1Click(TObject* sender);
    void ButtonStartClick(TObject* sender);

    // The folder dialog's round trip, for a form with a `Folder` field that
    // holds an absolute folder ending with a backslash once it closes with mrOk.
    template <typename TFolderForm>
    void BrowseWith();

private:
    void PlaceControls();
};

// The application's first dialog, created hidden at program start.
extern TFormFirstDialog* FormFirstDialog;

template <typename TFolderForm>
void TFormFirstDialog::BrowseWith() {
    TFolderForm& folderDialog = Create<TFolderForm>();
    struct ReleaseAtEnd {
        TForm& form;
        ~ReleaseAtEnd() { form.Release(); }
    } releaseAtEnd{folderDialog};
    CenterOnOwner(folderDialog);
    folderDialog.Folder = InstallFolder;
    if (folderDialog.ShowModal() != mrOk) return;
    InstallFolder = folderDialog.Folder;
    DashBox1.SetText(InstallFolder);
}
