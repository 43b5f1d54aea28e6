#include "Unit1.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "Configwindow.h"
#include "Desktoporquit.h"
#include "Optionsloadsave.h"
#include "Unit1Layout.h"
#include "Unit1Rules.h"
#include "Unit2.h"
#include "system.h"
#include "winapi.h"

TargetStateRecord TargetState;
bool firstTick = true;
TForm1* Form1 = nullptr;

namespace {

constexpr int ComboBoxMaxLength = 2500;
constexpr unsigned WatchdogInterval = 2000;
// The dialog's modal display ends with it hidden; this only bounds a wait that should not happen.
constexpr int DialogHiddenPolls = 4;
constexpr unsigned DialogHiddenPollInterval = 750;

constexpr const char* NotAFolderMessage =
    "Windows says that the path shown in the address bar does not exist as a physical disk folder.\n\n"
    "If you can't see why (e.g. Control Panel, My Computer) then please check that you configured \n"
    "Explorer to show the full path in the address bar. If it does show a real folder, please tell us "
    "at https://quillet.example/ which path it shows.";

// Stops a timer for the life of a modal box and gives it back the state it had.
class TimerPause {
public:
    explicit TimerPause(ui::Timer& timer) : timer_(timer), wasEnabled_(timer.Enabled()) { timer_.SetEnabled(false); }
    ~TimerPause() { timer_.SetEnabled(wasEnabled_); }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    ui::Timer& timer_;
    bool wasEnabled_;
};

// The shell may be unable to say where a special folder is; never go on with an empty path.
bool ReadSpecialFolder(win::WindowHandle owner, const char* name, int id) {
    if (win::SHGetSpecialFolderPathA(owner, TargetPath.get(), id, false) && TargetPath[0] != '\0') return true;
    ShowFormattedError("Windows could not tell where your %s folder is, so no folders were created.", name);
    return false;
}

win::WindowHandle AddressBarMissing() {
    if (OptionSettings.explorerMissingPrompt) {
        TimerPause pause(Form1->Timer1);
        frmNoAddressBarQuery->ShowModal();
        for (int poll = 0; poll < DialogHiddenPolls && frmNoAddressBarQuery->Visible(); ++poll) {
            win::Sleep(DialogHiddenPollInterval);
        }
        return nullptr;
    }
    TargetState.desktopMode = true;
    Form1->SetCaption("Quillet on desktop");
    return nullptr;
}

}  // namespace

void ShowError(const char* text) {
    TimerPause pause(Form1->Timer1);
    win::MessageBoxA(Form1->Handle(), text, "Quillet error", win::kMbOk);
}

win::WindowHandle FindAddressBar(win::WindowHandle window) {
    if (TargetState.desktopMode) return nullptr;
    const win::WindowHandle edit = WalkAddressBarChain(window, [](win::WindowHandle parent, const char* className) {
        return win::FindWindowExA(parent, nullptr, className, nullptr);
    });
    return edit != nullptr ? edit : AddressBarMissing();
}

bool ResolveTargetPath() {
    if (TargetState.addressBarEdit == nullptr) TargetState.addressBarEdit = FindAddressBar(TargetState.explorerWindow);
    if (TargetState.addressBarEdit == nullptr && !TargetState.desktopMode) {
        ShowError("Windows Explorer's address bar cannot be found");
        return false;
    }
    if (!TargetState.desktopMode && !win::IsWindow(TargetState.addressBarEdit)) {
        ShowError("Address bar has vanished");
        return false;
    }
    char* path = TargetPath.get();
    if (TargetState.desktopMode) {
        if (!ReadSpecialFolder(nullptr, "Desktop", win::kCsidlDesktopDirectory)) return false;
    } else {
        path[0] = '\0';  // the control may die between the test and the read
        win::SendMessageA(TargetState.addressBarEdit, win::kWmGetText, win::kMaxPath,
                          reinterpret_cast<std::intptr_t>(path));
    }
    if (win::PathIsDirectoryA(path)) return true;
    if (const SpecialFolder* special = FindSpecialFolder(path)) {
        return ReadSpecialFolder(Form1->Handle(), special->name, special->id);
    }
    ShowError(NotAFolderMessage);
    return false;
}

TForm1::TForm1()
    : ui::Form(Form1Layout::Window),
      Label1(*this, Form1Layout::Label1),
      lblVersionInfo(*this, Form1Layout::lblVersionInfo),
      lblSiteLink(*this, Form1Layout::lblSiteLink),
      ComboBox1(*this, Form1Layout::ComboBox1),
      btnHistoryAdd(*this, Form1Layout::btnHistoryAdd),
      btnHistoryRemove(*this, Form1Layout::btnHistoryRemove),
      btnCreate(*this, Form1Layout::btnCreate),
      btnCreateQuit(*this, Form1Layout::btnCreateQuit),
      btnQuit(*this, Form1Layout::btnQuit),
      btnConfig(*this, Form1Layout::btnConfig),
      btnHelp(*this, Form1Layout::btnHelp),
      Timer1(*this, {}) {
    lblSiteLink.onClick = [this] { lblSiteLinkClick(); };
    btnHistoryAdd.onClick = [this] { btnHistoryAddClick(); };
    btnHistoryRemove.onClick = [this] { btnHistoryRemoveClick(); };
    btnCreate.onClick = [this] { btnCreateClick(); };
    btnCreateQuit.onClick = [this] { btnCreateQuitClick(); };
    btnQuit.onClick = [this] { btnQuitClick(); };
    btnConfig.onClick = [this] { btnConfigClick(); };
    btnHelp.onClick = [this] { btnHelpClick(); };
    for (ui::Control* control : std::initializer_list<ui::Control*>{
             &ComboBox1, &btnHistoryAdd, &btnHistoryRemove, &btnCreate, &btnCreateQuit, &btnQuit, &btnConfig, &btnHelp}) {
        control->onKeyPress = [this](char& key) { ComboBox1KeyPress(key); };
    }
    Timer1.onTimer = [this] { Timer1Timer(); };
    PlaceOverExplorerWindow();
    FormCreate();
    Form1 = this;
    Show();
}

TForm1::~TForm1() {
    FormDestroy();
    Form1 = nullptr;
}

void TForm1::PlaceOverExplorerWindow() {
    ComboBox1.SetMaxLength(ComboBoxMaxLength);
    // A window that is gone (or none at all) reads as all zeros, which centres Quillet.
    win::Rect rect;
    if (!win::GetWindowRect(TargetState.explorerWindow, &rect)) rect = {};
    const Point corner = PlaceMainWindow(rect, Width(), Height(), ui::ScreenWidth(), ui::ScreenHeight());
    SetTop(corner.top);
    SetLeft(corner.left);
    SetFocusedControl(ComboBox1);
}

void TForm1::FormCreate() {
    TargetState.addressBarEdit = nullptr;
    MessageBuffer.reset(new (std::nothrow) char[MessageBufferSize]);
    TargetPath.reset(new (std::nothrow) char[TargetPathSize]);
    if (!MessageBuffer || !TargetPath) throw ui::Exception("Quillet could not get the memory it needs to start.");
}

void TForm1::FormDestroy() { ReleaseBuffers(); }

void TForm1::Timer1Timer() {
    if (firstTick) {
        firstTick = false;
        Timer1.SetInterval(WatchdogInterval);
        win::SetWindowPos(Handle(), win::kHwndTopmost, 0, 0, 0, 0, win::kSwpNoMove | win::kSwpNoSize);
        TargetState.addressBarEdit = FindAddressBar(TargetState.explorerWindow);
        if (TargetState.addressBarEdit == nullptr && !TargetState.desktopMode) Close();
    }
    if (!TargetState.desktopMode && !win::IsWindow(TargetState.addressBarEdit)) Close();
}

bool TForm1::CreateFromSpec() {
    return ResolveTargetPath() && CreateFromText(ComboBox1.Text());
}

void TForm1::btnQuitClick() { Close(); }

void TForm1::btnCreateClick() {
    CreateFromSpec();
    SetActiveControl(ComboBox1);
}

void TForm1::btnCreateQuitClick() {
    if (CreateFromSpec()) {
        Close();
        return;
    }
    ui::Beep();
}

void TForm1::btnHelpClick() {
    SetFocusedControl(ComboBox1);
    const std::string folder = sys::ProgramFolder();
    std::vector<char> helpPath(folder.size() + 200, '\0');
    std::memcpy(helpPath.data(), folder.data(), folder.size());
    win::lstrcatA(helpPath.data(), "Help_Quillet.htm");
    win::ShellExecuteA(nullptr, "open", helpPath.data(), "", "", win::kSwShowNormal);
    SetActiveControl(ComboBox1);
}

void TForm1::btnConfigClick() {
    frmOptions->ShowModal();
    SetActiveControl(ComboBox1);
}

void TForm1::btnHistoryAddClick() {
    SetActiveControl(ComboBox1);
    const std::string text = ComboBox1.Text();
    if (text.empty()) return;
    for (int index = 0; index < ComboBox1.ItemCount(); ++index) {
        if (ui::AnsiCompareText(ComboBox1.Item(index), ComboBox1.Text()) == 0) return;
    }
    if (!CanStoreInHistory(text)) {
        ShowError("This folder specification cannot be kept in the history: an entry may not begin with a "
                  "colon, nor hold line breaks or the characters Ctrl-Z and NUL.");
        return;
    }
    ComboBox1.AddItem(text);
    SaveOptions(ComboBox1.Items());
}

void TForm1::btnHistoryRemoveClick() {
    for (int index = 0; index < ComboBox1.ItemCount(); ++index) {
        if (ui::AnsiCompareText(ComboBox1.Item(index), ComboBox1.Text()) != 0) continue;
        ComboBox1.DeleteItem(index);
        SaveOptions(ComboBox1.Items());
        break;
    }
    SetActiveControl(ComboBox1);
}

void TForm1::lblSiteLinkClick() {
    win::ShellExecuteA(nullptr, "open", Form1Layout::SiteAddress, "", "", win::kSwShowNormal);
    SetActiveControl(ComboBox1);
}

void TForm1::ComboBox1KeyPress(char& key) {
    if (key == 27) Close();
    if (!OptionSettings.autoBrackets) return;
    if (key != '<') return;
    ComboBox1.SetSelText("<>");
    ComboBox1.SetSelStart(ComboBox1.SelStart() - 1);
    key = 0;
}
