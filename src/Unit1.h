#pragma once
// The main window with its commands, start-up, the error box, the create command and the
// resolution of the target folder.
#include <cstddef>
#include <cstdio>
#include <memory>

#include "toolkit.h"

struct TargetStateRecord {
    win::WindowHandle explorerWindow = nullptr;  // the foreground window at start
    win::WindowHandle addressBarEdit = nullptr;  // cached address-bar edit control
    bool desktopMode = false;
};
extern TargetStateRecord TargetState;

constexpr std::size_t MessageBufferSize = 10000;
constexpr std::size_t TargetPathSize = 520;
extern std::unique_ptr<char[]> MessageBuffer;
extern std::unique_ptr<char[]> TargetPath;
extern std::unique_ptr<char[]> InputBuf;
extern bool firstTick;

class TForm1 : public ui::Form {
public:
    TForm1();
    ~TForm1() override;

    bool CreateFromSpec();

    ui::Label Label1;
    ui::Label lblVersionInfo;
    ui::Label lblSiteLink;
    ui::ComboBox ComboBox1;
    ui::Button btnHistoryAdd;
    ui::Button btnHistoryRemove;
    ui::Button btnCreate;
    ui::Button btnCreateQuit;
    ui::Button btnQuit;
    ui::Button btnConfig;
    ui::Button btnHelp;
    ui::Timer Timer1;

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
    void ComboBox1KeyPress(char& key);
};
extern TForm1* Form1;

void ShowError(const char* text);
// Formats into MessageBuffer, bounded by its size, and shows the result. The format is
// always one of the program's own texts; user text only ever arrives as an argument.
template <typename... Arguments>
void ShowFormattedError(const char* format, Arguments... arguments) {
    std::snprintf(MessageBuffer.get(), MessageBufferSize, format, arguments...);
    ShowError(MessageBuffer.get());
}
// The message for a buffer the heap could not supply; bufferName is the program's own word.
void ShowAllocationFailure(const char* bufferName);
void ReleaseBuffers();
win::WindowHandle FindAddressBar(win::WindowHandle window);
bool ResolveTargetPath();
