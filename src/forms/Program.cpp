#include "Program.h"

#include <string>

#include "Configwindow.h"
#include "Desktoporquit.h"
#include "Optionsloadsave.h"
#include "Shared.h"
#include "Unit1.h"
#include "Unit1Rules.h"
#include "system.h"
#include "toolkit.h"

namespace {

// The entry in the menu of a folder's background in Explorer, for the current user only.
constexpr const char* MenuEntryKey = "Software\\Classes\\Directory\\Background\\shell\\Quillet";
constexpr const char* MenuEntryCommandKey = "Software\\Classes\\Directory\\Background\\shell\\Quillet\\command";

// Silent on success, as a command run from a script or an installer should be.
int ReportRegistration(sys::Error error, const char* what) {
    if (error == sys::kSuccess) return 0;
    char text[256];
    FormatText(text, sizeof text, "Quillet could not %s Explorer's menu (Windows error %lu).",
               {what, static_cast<unsigned long>(error)});
    ui::ShowMessageBox(nullptr, WithReason(text, error), "Quillet error");
    return 1;
}

int Register() {
    const std::string program = sys::ProgramPath();
    const std::string icon = "\"" + program + "\"";
    // Explorer puts the folder it shows in place of %V, which Quillet takes where it cannot read
    // the window's folder itself.
    const std::string command = icon + " \"%V\"";
    sys::Error error = sys::SetRegistryText(MenuEntryKey, "", "Make folders here with Quillet");
    if (error == sys::kSuccess) error = sys::SetRegistryText(MenuEntryKey, "Icon", icon.c_str());
    if (error == sys::kSuccess) error = sys::SetRegistryText(MenuEntryCommandKey, "", command.c_str());
    return ReportRegistration(error, "add its entry to");
}

int Unregister() {
    return ReportRegistration(sys::DeleteRegistryTree(MenuEntryKey), "remove its entry from");
}

void RunWindows(ui::Application& application) {
    TForm1 mainWindow;
    TfrmOptions optionsDialog;
    TfrmNoAddressBarQuery noAddressBarDialog;
    // Read before the window takes any input, so that no save can replace the stored
    // options and history before they are known.
    mainWindow.ComboBox1.AddItems(LoadOptions());
    ApplyOptionsToControls();
    application.Run();
}

}  // namespace

int RunQuillet() {
    // First of all, before any window of ours exists: the window the user launched us from.
    TargetState.explorerWindow = ui::ForegroundWindow();
    sys::LoadLibrariesFromSystemOnly();
    const StartRequest request = ReadCommandLine(sys::CommandLine(), sys::ProgramPath());
    switch (request.action) {
        case StartAction::Register: return Register();
        case StartAction::Unregister: return Unregister();
        case StartAction::Run: break;
    }
    TargetState.startArgument = request.folder;
    ui::Application application;
    try {
        RunWindows(application);
    } catch (const std::exception& error) {
        application.ShowException(error);
    }
    return 0;
}
