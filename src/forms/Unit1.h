#pragma once
// The main window with its commands, start-up, the error box, the create command and the
// resolution of the target folder.
#include "Shared.h"
#include "Unit1Rules.h"
#include "toolkit.h"

struct TargetStateRecord {
    win::WindowHandle explorerWindow = nullptr;  // the foreground window at start
    win::WindowHandle addressBarEdit = nullptr;  // cached address-bar edit control
    bool desktopMode = false;
    // How the folder is found, once the first lookup has chosen: Ask until then, and for the
    // rest of the run when nothing named a folder.
    TargetWay way = TargetWay::Ask;
    // The folder given as the argument, as Explorer's menu entry gives it: where the folders go
    // when the window has no address bar that Quillet can read. Emptied at the first tick when it
    // is no full path of a folder.
    std::string startArgument;
};
extern TargetStateRecord TargetState;

extern bool firstTick;

class TForm1 : public ui::Form {
public:
    TForm1();
    ~TForm1() override;

    bool CreateFromSpec();

    ui::Label lblVersionInfo;
    ui::Label lblSiteLink;
    // Made just before the combo box: a screen reader names a control without a caption after
    // the label made before it.
    ui::Label Label1;
    ui::ComboBox ComboBox1;
    ui::Button btnHistoryAdd;
    ui::Button btnHistoryRemove;
    ui::Button btnCreate;
    ui::Button btnCreateQuit;
    ui::Button btnQuit;
    ui::Button btnConfig;
    ui::Button btnHelp;
    ui::Timer Timer1;
    ui::SystemMenuItem mnuUndoLastCreation;
    // Which of the typed line's folders are there already, asked off the window's thread; the
    // status shows the count without them when the answer is slow to come.
    ui::BackgroundJob thereCheck;
    ui::Timer thereWait;

private:
    void PlaceOverExplorerWindow();
    void FormCreate();
    void FormDestroy();
    void Timer1Timer();
    void btnQuitClick();
    void btnCreateClick();
    void btnCreateQuitClick();
    void btnHelpClick();
    void btnConfigClick();
    void btnHistoryAddClick();
    void btnHistoryRemoveClick();
    void lblSiteLinkClick();
    void ComboBox1KeyPress(wchar_t& key);
    void ComboBox1Change(const std::string& text);
    void ShowStatus(const std::string& status, ui::Urgency urgency = ui::Urgency::Polite);
    void RefreshStatus();
    void ShowPreviewTree();
    void mnuUndoLastCreationClick();

    std::string waitingStatus;  // the count to show when the check of what is there is late
};
extern TForm1* Form1;

win::WindowHandle FindAddressBar(win::WindowHandle window);
bool ResolveTargetPath();
