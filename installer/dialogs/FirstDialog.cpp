#include "FirstDialog.h"

TFormFirstDialog* FormFirstDialog = nullptr;

namespace {

constexpr char kInstallFolderUnderProgramFiles[] = "Quillforge\\Mythweave\\";
constexpr int kClientWidth = 385;
constexpr int kClientHeight = 233;
constexpr int kMargin = 8;

}  // namespace

// ---- TOptionStore ----

TOptionStore::TOptionStore() : registry_(HKEY_CURRENT_USER, KEY_ALL_ACCESS) { registry_.OpenKey(kOptionStoreKey, true); }

std::string TOptionStore::ReadString(const std::string& name, const std::string& fallback) const {
    return registry_.ValueExists(name) ? registry_.ReadString(name) : fallback;
}

bool TOptionStore::ReadBool(const std::string& name, bool fallback) const {
    const auto type = registry_.DataType(name);
    if (!type) return fallback;
    if (*type == REG_SZ) return StrToIntDef(registry_.ReadString(name), fallback ? 1 : 0) != 0;
    return registry_.ReadInteger(name) != 0;
}

void TOptionStore::WriteBool(const std::string& name, bool value) { registry_.WriteString(name, value ? "1" : "0"); }

// ---- TFormFirstDialog ----

TFormFirstDialog::TFormFirstDialog(TComponent* owner) : TForm(owner) {
    SetName("FormFirstDialog");
    SetCaption("Installation");
    SetBorderStyle(TFormBorderStyle::Dialog);
    SetPosition(TPosition::ScreenCenter);
    Font.SetName("Comic sans ms");
    Font.SetHeight(-12);
    Font.SetCharset(DEFAULT_CHARSET);
    SetClientSize(kClientWidth, kClientHeight);

    ButtonStart.SetCaption("Installer le jeu");
    ButtonStart.SetModalResult(mrOk);
    ButtonStart.OnClick = [this](TObject* sender) { ButtonStartClick(sender); };
    ButtonCancel.SetCaption("Annuler");
    ButtonCancel.SetModalResult(mrCancel);
    GroupBox1.SetCaption("Répertoire d'installation : ");
    DashBox1.SetText("DashBox1");
    DashBox1.SetTabStop(true);
    DashBox1.OnClick = [this](TObject* sender) { DashBox1Click(sender); };
    for (TLabel* label : {&Label1, &Label2}) {
        label->SetAlignment(TAlignment::Center);
        label->SetAutoSize(false);
        label->SetTransparent(true);
    }
    GroupBox2.SetCaption("Options : ");
    CheckBox1.SetCaption("Créer un raccourci dans le menu démarrer");
    CheckBox1.SetChecked(true);
    CheckBox2.SetCaption("Inclure l'option de désinstallation du jeu");
    CheckBox2.SetChecked(true);
    PlaceControls();
    ButtonStart.SetDefault(true);
    ButtonCancel.SetCancel(true);

    OnShow = [this](TObject* sender) { FormShow(sender); };
    DoCreate();
}

void TFormFirstDialog::PlaceControls() {
    // Windows are made in the order of insertion, and the dialog keys follow
    // that order: it is the tab order.
    const int width = kClientWidth - 2 * kMargin;
    Label1.SetParent(this);
    Label1.SetBounds(kMargin, 8, width, 17);
    Label2.SetParent(this);
    Label2.SetBounds(kMargin, 25, width, 17);
    GroupBox1.SetParent(this);
    GroupBox1.SetBounds(kMargin, 48, width, 54);
    DashBox1.SetParent(&GroupBox1);
    DashBox1.SetBounds(10, 20, width - 20, 25);
    GroupBox2.SetParent(this);
    GroupBox2.SetBounds(kMargin, 110, width, 72);
    CheckBox1.SetParent(&GroupBox2);
    CheckBox1.SetBounds(10, 20, width - 20, 20);
    CheckBox2.SetParent(&GroupBox2);
    CheckBox2.SetBounds(10, 44, width - 20, 20);
    ButtonStart.SetParent(this);
    ButtonStart.SetBounds(72, 195, 113, 27);
    ButtonCancel.SetParent(this);
    ButtonCancel.SetBounds(200, 195, 113, 27);
}

void TFormFirstDialog::FormShow(TObject*) {
    Label1.SetCaption("Installation de " + GameTitle);
    Label2.SetCaption("Installer le projet " + ProjectName + " dans le répertoire : ");
    InstallFolder = ProgramFilesFolder() + kInstallFolderUnderProgramFiles;
    {
        const TOptionStore options;
        InstallFolder = options.ReadString(kApplicationPathValue, InstallFolder);
        RegisterProgram = options.ReadBool(kRegisterProgramValue, false);
        PrepareUninstall = options.ReadBool(kPrepareUninstallValue, false);
    }
    InstallFolder = AddBackslash(InstallFolder);
    DashBox1.SetText(InstallFolder);
    CheckBox1.SetChecked(RegisterProgram);
    CheckBox2.SetChecked(PrepareUninstall);
}

void TFormFirstDialog::DashBox1Click(TObject*) {
    // The install-folder dialog comes with its own unit: BrowseWith holds
    // the round trip it will make from here.
}

void TFormFirstDialog::ButtonStartClick(TObject*) {
    RegisterProgram = CheckBox1.Checked();
    PrepareUninstall = CheckBox2.Checked();
}
