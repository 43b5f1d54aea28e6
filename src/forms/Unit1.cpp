#include "Unit1.h"

#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "Configwindow.h"
#include "Desktoporquit.h"
#include "Optionsloadsave.h"
#include "Unit1Layout.h"
#include "Unit1Rules.h"
#include "Unit2.h"
#include "system.h"

TargetStateRecord TargetState;
bool firstTick = true;
TForm1* Form1 = nullptr;

namespace {

// Far beyond the 2,500 characters a line may hold: a longer paste stays whole, to be refused at
// Create, where a cut would have made a shortened name.
constexpr int ComboBoxMaxLength = 100000;
constexpr unsigned WatchdogInterval = 2000;
// The dialog's modal display ends with it hidden; this only bounds a wait that should not happen.
constexpr int DialogHiddenPolls = 4;
constexpr unsigned DialogHiddenPollInterval = 750;
// An Explorer window that does not answer within this time is taken as hung.
constexpr unsigned AddressBarAnswerMs = 3000;
constexpr std::size_t PreviewTreeLines = 30;
// How long the status waits for the count of what is there already (longer on a slow or network
// disk) before it shows the count without it. Short enough not to be seen on a local disk.
constexpr unsigned ThereWaitMs = 150;

constexpr const char* NotAFolderMessage =
    "Windows says that the path shown in the address bar does not exist as a physical disk folder.\n\n"
    "If you can't see why (e.g. Control Panel, My Computer) then please check that you configured \n"
    "Explorer to show the full path in the address bar. If it does show a real folder, please tell us "
    "at https://quillet.example/ which path it shows.";

constexpr const char* StartArgumentIgnoredMessage =
    "Quillet was started for \"%s\", which is not the full path of a folder, so it goes on without it.";

constexpr const char* StartFolderGoneMessage =
    "The folder Quillet was started for, %s, no longer exists, so no folders were created.";

constexpr const char* ElevatedExplorerMessage =
    "The Explorer window runs as administrator, and Windows does not let Quillet read a window of a program that "
    "runs with more rights than Quillet. No folders were created.";

constexpr const char* NotListedMessage =
    "Windows no longer lists the Explorer window Quillet was started over, so no folders were created.";

constexpr const char* HelpMissingMessage =
    "The help page was not found where Quillet looked for it:\n\n%s\n\nIt comes in Quillet's package, beside "
    "Quillet.exe.";

constexpr const char* HelpNotOpenedMessage = "Windows could not open the help page.";

constexpr const char* NotUnicodeMessage =
    "The folder specification holds a character that is not valid Unicode (a lone surrogate), so it was not used.";

constexpr const char* NotAnsweringMessage =
    "The Explorer window does not answer, so Quillet cannot read which folder it shows. No folders were created."
    "\n\nWait until Explorer responds again, then try once more.";

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

// A path of any length: the engine refuses whatever would pass Windows' path limit.
void SetTargetPath(const std::string& path) {
    if (path.size() >= TargetPathSize) TargetPath.reset(new char[path.size() + 1]);
    std::memcpy(TargetPath.get(), path.c_str(), path.size() + 1);
}

// The shell may be unable to say where a special folder is; never go on with an empty path.
bool ReadSpecialFolder(const char* name, sys::SpecialFolderId id) {
    std::string path;
    if (!sys::SpecialFolderPath(id, &path)) {
        ShowFormattedError("Windows could not tell where your %s folder is, so no folders were created.", name);
        return false;
    }
    SetTargetPath(path);
    return true;
}

// The text of the address bar, which must name a folder by its full path: any other text
// would be taken relative to Quillet's own current folder.
bool ReadAddressBar() {
    std::string path;
    switch (ui::ReadWindowText(TargetState.addressBarEdit, AddressBarAnswerMs, &path)) {
        case ui::TextRead::Read: break;
        case ui::TextRead::NotAnswering: ShowError(NotAnsweringMessage); return false;
        case ui::TextRead::Refused: ShowError(ElevatedExplorerMessage); return false;
    }
    if (const SpecialFolder* special = FindSpecialFolder(path.c_str())) {
        return ReadSpecialFolder(special->name, special->id);
    }
    if (!IsFullPath(path.c_str()) || !sys::IsFolder(path.c_str())) {
        ShowError(NotAFolderMessage);
        return false;
    }
    SetTargetPath(path);
    return true;
}

// The folder Quillet was started for, where no address bar names one: checked afresh at every
// command, as the address bar is read afresh.
bool UseStartFolder() {
    const std::string& folder = TargetState.startArgument;
    if (!sys::IsFolder(folder.c_str())) {
        ShowFormattedError(StartFolderGoneMessage, folder.c_str());
        return false;
    }
    SetTargetPath(folder);
    return true;
}

// The tab in front in a window with tabs (Windows 11), or null.
win::WindowHandle ActiveTab() {
    return ui::FindChildWindow(TargetState.explorerWindow, "ShellTabWindowClass");
}

// Whether the Shell lists a view of the remembered window.
bool ShellListsWindow() {
    std::vector<win::ShellView> views;
    return ui::ReadShellViews(AddressBarAnswerMs, &views) == ui::ShellAnswer::Listed &&
           ActiveView(views, TargetState.explorerWindow, ActiveTab()) != nullptr;
}

// The folder of the view in front, read afresh at every command as the address bar is.
bool ReadShellFolder() {
    std::vector<win::ShellView> views;
    if (ui::ReadShellViews(AddressBarAnswerMs, &views) == ui::ShellAnswer::NotAnswering) {
        ShowError(NotAnsweringMessage);
        return false;
    }
    const win::ShellView* view = ActiveView(views, TargetState.explorerWindow, ActiveTab());
    if (view == nullptr) {
        if (!TargetState.startArgument.empty()) return UseStartFolder();
        ShowError(NotListedMessage);
        return false;
    }
    const std::string folder = FolderOfView(*view);
    if (folder.empty() || !sys::IsFolder(folder.c_str())) {
        ShowError(NotAFolderMessage);
        return false;
    }
    SetTargetPath(folder);
    return true;
}

// The first tick's check of the argument: a text that names no folder is said once, then
// Quillet goes on as if it had none.
void CheckStartArgument() {
    std::string& argument = TargetState.startArgument;
    if (argument.empty() || (IsFullPath(argument.c_str()) && sys::IsFolder(argument.c_str()))) return;
    ShowFormattedError(StartArgumentIgnoredMessage, argument.c_str());
    argument.clear();
}

bool UseDesktop() {
    if (!ReadSpecialFolder("Desktop", sys::SpecialFolderId::Desktop)) return false;
    if (sys::IsFolder(TargetPath.get())) return true;
    ShowError(NotAFolderMessage);
    return false;
}

win::WindowHandle AddressBarMissing() {
    if (OptionSettings.explorerMissingPrompt) {
        TimerPause pause(Form1->Timer1);
        frmNoAddressBarQuery->ShowModal();
        for (int poll = 0; poll < DialogHiddenPolls && frmNoAddressBarQuery->Visible(); ++poll) {
            sys::Sleep(DialogHiddenPollInterval);
        }
        return nullptr;
    }
    TargetState.desktopMode = true;
    Form1->SetCaption("Quillet on desktop");
    return nullptr;
}

}  // namespace

void ShowErrorBox(const char* text, sys::Error reason) {
    TimerPause pause(Form1->Timer1);
    ui::ShowMessageBox(Form1, WithReason(text, reason), "Quillet error");
}

win::WindowHandle FindAddressBar(win::WindowHandle window) {
    if (TargetState.desktopMode) return nullptr;
    const win::WindowHandle edit = WalkAddressBarChain(
        window, [](win::WindowHandle parent, const char* className) { return ui::FindChildWindow(parent, className); });
    // Without an address bar, the Shell or the folder Quillet was started for may name the
    // folder; the user is asked only when neither does.
    TargetState.way =
        ChooseTargetWay(edit != nullptr, edit == nullptr && ShellListsWindow(), !TargetState.startArgument.empty());
    return TargetState.way == TargetWay::Ask ? AddressBarMissing() : edit;
}

bool ResolveTargetPath() {
    if (TargetState.way == TargetWay::Ask) TargetState.addressBarEdit = FindAddressBar(TargetState.explorerWindow);
    if (TargetState.desktopMode) return UseDesktop();
    switch (TargetState.way) {
        case TargetWay::AddressBar: break;
        case TargetWay::Shell: return ReadShellFolder();
        case TargetWay::StartFolder: return UseStartFolder();
        case TargetWay::Ask: ShowError("Windows Explorer's address bar cannot be found"); return false;
    }
    if (!ui::WindowExists(TargetState.addressBarEdit)) {
        ShowError("Address bar has vanished");
        return false;
    }
    return ReadAddressBar();
}

TForm1::TForm1()
    : ui::Form(Form1Layout::Window),
      lblVersionInfo(*this, Form1Layout::lblVersionInfo),
      lblSiteLink(*this, Form1Layout::lblSiteLink),
      Label1(*this, Form1Layout::Label1),
      ComboBox1(*this, Form1Layout::ComboBox1),
      btnHistoryAdd(*this, Form1Layout::btnHistoryAdd),
      btnHistoryRemove(*this, Form1Layout::btnHistoryRemove),
      btnCreate(*this, Form1Layout::btnCreate),
      btnCreateQuit(*this, Form1Layout::btnCreateQuit),
      btnQuit(*this, Form1Layout::btnQuit),
      btnConfig(*this, Form1Layout::btnConfig),
      btnHelp(*this, Form1Layout::btnHelp),
      Timer1(*this, {}),
      mnuUndoLastCreation(*this, "&Undo last creation"),
      thereCheck(*this),
      thereWait(*this, {.interval = ThereWaitMs, .enabled = false}) {
    lblSiteLink.onClick = [this] { lblSiteLinkClick(); };
    btnHistoryAdd.onClick = [this] { btnHistoryAddClick(); };
    btnHistoryRemove.onClick = [this] { btnHistoryRemoveClick(); };
    btnCreate.onClick = [this] { btnCreateClick(); };
    btnCreateQuit.onClick = [this] { btnCreateQuitClick(); };
    btnQuit.onClick = [this] { btnQuitClick(); };
    btnConfig.onClick = [this] { btnConfigClick(); };
    btnHelp.onClick = [this] { btnHelpClick(); };
    ComboBox1.onChange = [this](const std::string& text) { ComboBox1Change(text); };
    lblVersionInfo.onClick = [this] { ShowPreviewTree(); };
    onFunctionKey = [this](int number) {
        if (number != 2) return false;
        ShowPreviewTree();
        return true;
    };
    for (ui::Control* control :
         std::initializer_list<ui::Control*>{&ComboBox1, &btnHistoryAdd, &btnHistoryRemove, &btnCreate, &btnCreateQuit,
                                             &btnQuit, &btnConfig, &btnHelp}) {
        control->onKeyPress = [this](wchar_t& key) { ComboBox1KeyPress(key); };
    }
    Timer1.onTimer = [this] { Timer1Timer(); };
    thereCheck.onAnswer = [this](const std::string& status) {
        thereWait.SetEnabled(false);
        ShowStatus(status);
    };
    thereWait.onTimer = [this] {
        thereWait.SetEnabled(false);
        ShowStatus(waitingStatus);
    };
    mnuUndoLastCreation.onClick = [this] { mnuUndoLastCreationClick(); };
    mnuUndoLastCreation.SetEnabled(false);
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
    if (!ui::WindowRect(TargetState.explorerWindow, &rect)) rect = {};
    // Placed by the size it takes there: that monitor's DPI may differ from this one's.
    const ui::Monitor monitor = ui::MonitorHolding(rect);
    const ui::Size size = SizeAtDpi(monitor.dpi);
    const Point corner = PlaceMainWindow(rect, size.width, size.height, monitor.rect);
    MoveTo(corner.left, corner.top);
    SetFocusedControl(ComboBox1);
}

void TForm1::FormCreate() {
    TargetState.addressBarEdit = nullptr;
    MessageBuffer.reset(new (std::nothrow) char[MessageBufferSize]);
    TargetPath.reset(new (std::nothrow) char[TargetPathSize]);
    if (!MessageBuffer || !TargetPath) throw std::bad_alloc();
    TargetPath[0] = '\0';  // no folder read yet: the preview measures paths from nothing
}

void TForm1::FormDestroy() {
    ReleaseBuffers();
}

void TForm1::Timer1Timer() {
    if (firstTick) {
        firstTick = false;
        Timer1.SetInterval(WatchdogInterval);
        MakeTopmost();
        CheckStartArgument();
        TargetState.addressBarEdit = FindAddressBar(TargetState.explorerWindow);
        if (TargetState.way == TargetWay::Ask && !TargetState.desktopMode) {
            Close();
        } else {
            // The folder the status counts from until a command reads it again; said by then.
            const HeldErrors quiet;
            ResolveTargetPath();
        }
    }
    // Without an address bar of its own, Quillet goes with the window it was started over; started
    // over no window at all, it has nothing to go with.
    const win::WindowHandle watched =
        TargetState.addressBarEdit != nullptr ? TargetState.addressBarEdit : TargetState.explorerWindow;
    if (!TargetState.desktopMode && watched != nullptr && !ui::WindowExists(watched)) Close();
}

bool TForm1::CreateFromSpec() {
    if (!ResolveTargetPath()) return false;
    const std::optional<std::string> text = ComboBox1.Text();
    if (!text) {
        ShowError(NotUnicodeMessage);
        return false;
    }
    const bool created = CreateFromText(*text);
    mnuUndoLastCreation.SetEnabled(!LastCreatedFolders.empty());
    RefreshStatus();
    return created;
}

void TForm1::btnQuitClick() {
    Close();
}

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
    const std::string helpPage = ProgramFolder() + "Help_Quillet.htm";
    if (!sys::FileExists(helpPage.c_str())) {
        ShowFormattedError(HelpMissingMessage, helpPage.c_str());
    } else if (const sys::Error error = sys::OpenDocument(helpPage.c_str())) {
        ShowError(HelpNotOpenedMessage, error);
    }
    SetActiveControl(ComboBox1);
}

void TForm1::btnConfigClick() {
    frmOptions->ShowModal();
    SetActiveControl(ComboBox1);
}

void TForm1::btnHistoryAddClick() {
    SetActiveControl(ComboBox1);
    const std::optional<std::string> text = ComboBox1.Text();
    if (text && text->empty()) return;
    for (int index = 0; text && index < ComboBox1.ItemCount(); ++index) {
        if (sys::CompareText(ComboBox1.Item(index), *text) == 0) return;
    }
    if (const char* problem = text ? HistoryEntryProblem(*text) : NotUnicodeMessage) {
        ShowError(problem);
        return;
    }
    ComboBox1.AddItem(*text);
    SaveOptions(OptionsChange::AddEntry, *text);
}

void TForm1::btnHistoryRemoveClick() {
    const std::string text = ComboBox1.Text().value_or(std::string());
    for (int index = 0; index < ComboBox1.ItemCount(); ++index) {
        const std::string item = ComboBox1.Item(index);
        if (sys::CompareText(item, text) != 0) continue;
        ComboBox1.DeleteItem(index);
        SaveOptions(OptionsChange::RemoveEntry, item);
        break;
    }
    SetActiveControl(ComboBox1);
}

void TForm1::lblSiteLinkClick() {
    if (const sys::Error error = sys::OpenDocument(Form1Layout::SiteAddress)) {
        ShowError("Windows could not open Quillet's web page.", error);
    }
    SetActiveControl(ComboBox1);
}

// While a line is typed, the version label says what Enter would do, in full one hover away
// where the label is too narrow, and the version again once the line is empty. What is there
// already is counted off this thread, below the folder last read.
void TForm1::ComboBox1Change(const std::string& text) {
    FolderPlan plan = PlanFolders(text);
    thereCheck.Cancel();
    thereWait.SetEnabled(false);
    if (plan.folders.empty()) {
        // A problem is read out at once; a line of blanks gives the version back.
        ShowStatus(plan.problem, plan.problem.empty() ? ui::Urgency::Polite : ui::Urgency::Assertive);
        return;
    }
    waitingStatus = FolderCountText(plan.folders.size(), std::nullopt);
    if (TargetPath[0] == '\0') {
        ShowStatus(waitingStatus);  // no folder read yet: nothing to count in
        return;
    }
    // The status before this line stays until the answer, or until it is late.
    thereWait.SetEnabled(true);
    thereCheck.Start([target = std::string(TargetPath.get()), folders = std::move(plan.folders)] {
        return FolderCountText(folders.size(), CountThere(target, folders));
    });
}

void TForm1::ShowStatus(const std::string& status, ui::Urgency urgency) {
    lblVersionInfo.SetCaption(status.empty() ? Form1Layout::lblVersionInfo.caption : status, urgency);
    lblVersionInfo.SetHint(status);
}

// After a command has read the folder and made or removed folders, the count of what is there
// already changes.
void TForm1::RefreshStatus() {
    if (const std::optional<std::string> text = ComboBox1.Text()) ComboBox1Change(*text);
}

// On request (F2, or a click on the status), the whole tree: the folder is read as Enter reads
// it, so that what is there already can be marked.
void TForm1::ShowPreviewTree() {
    const std::optional<std::string> text = ComboBox1.Text();
    if (!text) {
        ShowError(NotUnicodeMessage);
        return;
    }
    // Nothing typed, or no folder.
    if (text->find_first_not_of(' ') == std::string::npos || !ResolveTargetPath()) return;
    RefreshStatus();  // from the folder just read
    TimerPause pause(Timer1);
    ui::ShowMessageBox(this, PreviewTree(*text, PreviewTreeLines), "Quillet preview", ui::MessageIcon::Information);
    SetActiveControl(ComboBox1);
}

void TForm1::ComboBox1KeyPress(wchar_t& key) {
    if (key == 27) Close();
    if (!OptionSettings.autoBrackets) return;
    if (key != L'<') return;
    ComboBox1.SetSelText("<>");
    ComboBox1.SetSelStart(ComboBox1.SelStart() - 1);
    key = 0;
}

void TForm1::mnuUndoLastCreationClick() {
    if (LastCreatedFolders.empty()) return;  // the command can also come while the item is greyed
    const std::string report = UndoLastCreation();
    mnuUndoLastCreation.SetEnabled(false);
    RefreshStatus();
    TimerPause pause(Timer1);
    ui::ShowMessageBox(this, report, "Quillet", ui::MessageIcon::Information);
}
