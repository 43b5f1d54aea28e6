#include "scene.h"

#include <system_error>

namespace {

constexpr const char* ProgramName = "Quillet.exe";
constexpr const char* MainCaption = "Quillet";
constexpr DWORD StartMs = 10000;
// The first tick comes after at most 100 ms; a second is a generous bound under load.
constexpr DWORD FirstTickMs = 1000;
constexpr DWORD CloseMs = 5000;

bool CopyInto(const fs::path& file, const fs::path& folder) {
    std::error_code error;
    fs::copy_file(file, folder / file.filename(), fs::copy_options::overwrite_existing, error);
    return !error;
}

}  // namespace

bool IsTopmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

std::unique_ptr<Scene> Scene::Open(Report& report, const Bench& bench, const std::string& name,
                                   const SceneSetup& setup) {
    std::unique_ptr<Scene> scene(new Scene(report));
    if (!scene->PrepareFolders(bench, name, setup)) return nullptr;
    if (!scene->ShowStandIn(setup)) return nullptr;
    if (!scene->Launch()) return nullptr;
    return scene;
}

bool Scene::PrepareFolders(const Bench& bench, const std::string& name, const SceneSetup& setup) {
    fs::path root = bench.workFolder / name;
    programFolder_ = root / "Program";
    explorerFolder_ = root / "Explorer Folder";
    std::error_code programError;
    std::error_code explorerError;
    fs::create_directories(programFolder_, programError);
    fs::create_directories(explorerFolder_, explorerError);
    bool made = !programError && !explorerError;
    if (!report_.Require(made, "set-up: make the folders under " + WindowsPath(root))) return false;
    if (!report_.Require(CopyInto(bench.quilletExe, programFolder_), "set-up: copy " + WindowsPath(bench.quilletExe)))
        return false;
    if (!report_.Require(CopyInto(bench.helpPage, programFolder_), "set-up: copy " + WindowsPath(bench.helpPage)))
        return false;
    if (!setup.optionsFile) return true;
    return report_.Require(WriteFileBytes(OptionsFile(), *setup.optionsFile), "set-up: write the options file");
}

bool Scene::ShowStandIn(const SceneSetup& setup) {
    explorer_ = std::make_unique<StandInExplorer>(WindowsPath(explorerFolder_), setup.standIn);
    if (setup.addressBar) {
        if (!report_.Require(explorer_->Ready(), "set-up: the stand-in's address bar holds its folder")) return false;
    } else {
        explorer_->RemoveAddressBar();
        if (!report_.Require(explorer_->AddressBar() == nullptr, "set-up: the stand-in has no address bar")) return false;
    }
    return report_.Require(explorer_->BringToFront(), "set-up: the stand-in Explorer window is in the foreground");
}

bool Scene::Launch() {
    Stopwatch clock;
    quillet_ = StartQuillet(programFolder_ / ProgramName);
    if (!report_.Require(static_cast<bool>(quillet_), "set-up: start " + WindowsPath(programFolder_ / ProgramName)))
        return false;
    mainWindow_ = WaitForWindow(quillet_.Id(), MainCaption, StartMs);
    if (!report_.Require(mainWindow_ != nullptr, "a visible top-level window captioned \"Quillet\" appears"))
        return false;
    report_.Info(Format("window visible %lld ms after CreateProcess", clock.Milliseconds()));
    combo_ = FindChild(mainWindow_, "ComboBox", nullptr);
    return report_.Require(combo_ != nullptr, "the main window holds a combo box");
}

HWND Scene::ComboEdit() const {
    return FindWindowExA(combo_, nullptr, "Edit", nullptr);
}

bool Scene::WaitForFirstTick() {
    HWND window = mainWindow_;
    bool topmost = WaitUntil([window] { return IsTopmost(window); }, FirstTickMs) && SyncWith(window);
    return report_.Require(topmost, "the first tick comes within 1 s and makes the window topmost");
}

void Scene::ExpectExit(DWORD timeoutMs, const std::string& cause) {
    Stopwatch clock;
    std::optional<DWORD> code = quillet_.WaitForExit(timeoutMs);
    long long elapsed = clock.Milliseconds();
    if (!report_.Expect(code.has_value(), Format("%s ends Quillet within %lu ms", cause.c_str(), timeoutMs),
                        "still running"))
        return;
    report_.Info(Format("ended %lld ms after %s", elapsed, cause.c_str()));
    report_.Expect(*code == 0, "exit code is 0", Format("%lu", *code));
}

void Scene::Close() {
    if (!quillet_.Running()) return;
    PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
    if (report_.Require(quillet_.WaitForExit(CloseMs).has_value(), "Quillet ends after WM_CLOSE")) return;
    quillet_.Terminate();
}

Scene::~Scene() {
    Close();
}
