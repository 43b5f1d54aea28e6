#include "Program.h"

#include <cstdint>
#include <string>

#include "Configwindow.h"
#include "Desktoporquit.h"
#include "Optionsloadsave.h"
#include "Shared.h"
#include "Unit1.h"
#include "Unit1Rules.h"
#include "system.h"
#include "toolkit.h"
#include "winapi.h"

namespace {

// The entry in the menu of a folder's background in Explorer, for the current user only.
constexpr const char* MenuEntryKey = "Software\\Classes\\Directory\\Background\\shell\\Quillet";
constexpr const char* MenuEntryCommandKey = "Software\\Classes\\Directory\\Background\\shell\\Quillet\\command";

// Silent on success, as a command run from a script or an installer should be.
int ReportRegistration(std::uint32_t error, const char* what) {
    if (error == 0) return 0;
    char text[256];
    FormatText(text, sizeof text, "Quillet could not %s Explorer's menu (Windows error %lu).",
               {what, static_cast<unsigned long>(error)});
    win::MessageBoxW(nullptr, text, "Quillet error", win::kMbOk);
    return 1;
}

int Register() {
    const std::string program = sys::ProgramPath();
    const std::string command = "\"" + program + "\"";
    std::uint32_t error = win::RegSetStringValueW(MenuEntryKey, "", "Make folders here with Quillet");
    if (error == 0) error = win::RegSetStringValueW(MenuEntryKey, "Icon", command.c_str());
    if (error == 0) error = win::RegSetStringValueW(MenuEntryCommandKey, "", command.c_str());
    return ReportRegistration(error, "add its entry to");
}

int Unregister() { return ReportRegistration(win::RegDeleteTreeW(MenuEntryKey), "remove its entry from"); }

void RunWindows() {
    TForm1 mainWindow;
    TfrmOptions optionsDialog;
    TfrmNoAddressBarQuery noAddressBarDialog;
    // Read before the window takes any input, so that no save can replace the stored
    // options and history before they are known.
    mainWindow.ComboBox1.AddItems(LoadOptions());
    ApplyOptionsToControls();
    ui::Application::Instance().Run();
}

}  // namespace

int RunQuillet() {
    // First of all, before any window of ours exists: the window the user launched us from.
    TargetState.explorerWindow = win::GetForegroundWindow();
    switch (ActionFromCommandLine(win::GetCommandLineW())) {
    case StartAction::Register: return Register();
    case StartAction::Unregister: return Unregister();
    case StartAction::Run: break;
    }
    ui::Application application;
    try {
        RunWindows();
    } catch (const std::exception& error) {
        application.ShowException(error);
    }
    return 0;
}
