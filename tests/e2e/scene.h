#pragma once
// One scenario's own world: a program folder with its own copy of Quillet (and so its own
// options file), a folder for the stand-in Explorer window to show, that window in front, and
// Quillet started beside it.
#include <memory>
#include <optional>
#include <string>

#include "rig.h"
#include "stand_in_explorer.h"

// What every scene is made from: the build's files and the folder that holds the scenes.
struct Bench {
    fs::path quilletExe;
    fs::path helpPage;
    fs::path workFolder;
};

struct SceneSetup {
    RECT standIn = {200, 150, 1000, 650};
    // The bytes of QuilletOptions.dat to put beside the program before it starts; none: no file.
    std::optional<std::string> optionsFile{};
    bool addressBar = true;
};

class Scene {
public:
    // Null, with the failed step reported, when any part cannot be set up.
    static std::unique_ptr<Scene> Open(Report& report, const Bench& bench, const std::string& name,
                                       const SceneSetup& setup);
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    // Closes Quillet if it still runs; one that does not end is reported and terminated.
    ~Scene();

    // The first tick makes the window topmost and then looks up the address bar in the same
    // handler: returns once that handler has finished, so that the options are loaded.
    bool WaitForFirstTick();
    // Expects Quillet to end within the time-out with exit code 0, and prints how long it took.
    void ExpectExit(DWORD timeoutMs, const std::string& cause);
    // Posts WM_CLOSE to the main window and waits for the process to end.
    void Close();

    HWND MainWindow() const { return mainWindow_; }
    HWND Combo() const { return combo_; }
    // The control that gets typed text and the focus: the combo box's edit field.
    HWND ComboEdit() const;
    QuilletProcess& Quillet() { return quillet_; }
    StandInExplorer& Explorer() { return *explorer_; }
    const fs::path& ExplorerFolder() const { return explorerFolder_; }
    fs::path OptionsFile() const { return programFolder_ / "QuilletOptions.dat"; }

private:
    explicit Scene(Report& report) : report_(report) {}
    bool PrepareFolders(const Bench& bench, const std::string& name, const SceneSetup& setup);
    bool ShowStandIn(const SceneSetup& setup);
    bool Launch();

    Report& report_;
    fs::path programFolder_;
    fs::path explorerFolder_;
    std::unique_ptr<StandInExplorer> explorer_;
    QuilletProcess quillet_;
    HWND mainWindow_ = nullptr;
    HWND combo_ = nullptr;
};

bool IsTopmost(HWND window);
