#include "Program.h"

#include "Configwindow.h"
#include "Desktoporquit.h"
#include "Optionsloadsave.h"
#include "Unit1.h"
#include "toolkit.h"
#include "winapi.h"

namespace {

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
    ui::Application application;
    try {
        RunWindows();
    } catch (const std::exception& error) {
        application.ShowException(error);
    }
    return 0;
}
