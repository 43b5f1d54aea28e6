// The main window's rules that need no window: the address-bar chain, the address bar's text, the
// command line and the placement.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "Unit1Rules.h"

namespace {

struct Window {
    int id, parent;
    const char* className;
};
using Windows = std::vector<Window>;

win::WindowHandle Handle(int id) {
    return reinterpret_cast<win::WindowHandle>(static_cast<std::intptr_t>(id));
}

Windows operator+(Windows first, const Windows& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

}  // namespace

TEST(AddressBarChain, FollowsTheFirstDirectChildOfEachClass) {
    // Below the Explorer window 1; the result is the Edit's id, 0 for none.
    const Windows workerW = {
        {2, 1, "WorkerW"}, {3, 2, "ReBarWindow32"}, {4, 3, "ComboBoxEx32"}, {5, 4, "ComboBox"}, {6, 5, "Edit"}};
    const Windows workerA = {{12, 1, "WorkerA"},
                             {13, 12, "ReBarWindow32"},
                             {14, 13, "ComboBoxEx32"},
                             {15, 14, "ComboBox"},
                             {16, 15, "Edit"}};
    std::vector<std::pair<Windows, int>> rows = {
        {workerW, 6},
        {workerA, 16},
        {workerW + workerA, 6},
        {Windows{{7, 1, "WorkerW"}} + workerW + workerA, 0}};  // the first WorkerW leads nowhere
    // A step that is only a grandchild fails, and no step after the first has an alternative.
    for (std::size_t step = 1; step < workerW.size(); ++step) {
        rows.push_back({workerW + workerA + Windows{{8, workerW[step].parent, "Static"}}, 0});
        rows.back().first[step].parent = 8;
    }
    for (const auto& [windows, edit] : rows) {
        const auto findChild = [&windows](win::WindowHandle parent, const char* className) {
            for (const Window& w : windows) {
                if (Handle(w.parent) == parent && std::strcmp(w.className, className) == 0) return Handle(w.id);
            }
            return win::WindowHandle{};
        };
        EXPECT_EQ(WalkAddressBarChain(Handle(1), findChild), edit != 0 ? Handle(edit) : nullptr) << windows.size();
    }
}

// Views as the Shell lists them: two windows, the second with two tabs, each tab its own view.
TEST(ShellViews, TheViewInFrontOfTheRememberedWindow) {
    const std::vector<win::ShellView> views = {
        {Handle(1), Handle(1), win::ShellFolderKind::Path, "C:\\One"},
        {Handle(2), Handle(21), win::ShellFolderKind::Path, "C:\\Back"},
        {Handle(2), Handle(22), win::ShellFolderKind::Library, "C:\\Users\\Ann\\Documents"}};
    // The window, its tab in front (0: no tabs), and the path of the view chosen ("" for none).
    for (const auto& [frame, tab, path] : std::vector<std::tuple<int, int, std::string>>{
             {1, 0, "C:\\One"}, {2, 22, "C:\\Users\\Ann\\Documents"}, {2, 21, "C:\\Back"}, {2, 23, ""}, {3, 0, ""}}) {
        const win::ShellView* view = ActiveView(views, Handle(frame), tab == 0 ? nullptr : Handle(tab));
        EXPECT_EQ(view == nullptr ? "" : view->path, path) << frame << " " << tab;
    }
}

TEST(ShellViews, AFolderIsAFullPathOrALibrarysSaveFolder) {
    using enum win::ShellFolderKind;
    // Each view's kind and path, and whether it names a folder to make folders in.
    const std::vector<std::tuple<win::ShellFolderKind, std::string, bool>> rows = {{Path, "\\\\server\\share", true},
                                                                                   {Library, "D:\\Music", true},
                                                                                   {NoPath, "C:\\Data", false},
                                                                                   {Library, "", false},
                                                                                   {Path, "::{20D04FE0}", false}};
    for (const auto& [kind, path, named] : rows) {
        EXPECT_EQ(FolderOfView({nullptr, nullptr, kind, path}), named ? path : "") << path;
    }
}

// What the address bar shows is taken only as a full path or as a special folder's whole name.
TEST(AddressBarText, IsAFullPathOrASpecialFolderInAnyAsciiCase) {
    // Each text, whether it is a full path, and the id of the special folder it names (0 for none).
    for (const auto& [text, full, id] :
         std::vector<std::tuple<const char*, bool, int>>{{"C:\\", true, 0},          {"c:\\Data", true, 0},
                                                         {"D:/x", true, 0},          {"\\\\server\\share", true, 0},
                                                         {"\\\\?\\C:\\x", true, 0},  {"", false, 0},
                                                         {"Reports", false, 0},      {"C:", false, 0},
                                                         {"C:Data", false, 0},       {"\\Data", false, 0},
                                                         {"\\\\", false, 0},         {"\\\\\\x", false, 0},
                                                         {"1:\\x", false, 0},        {"My Documents", false, 5},
                                                         {"mY dOCUMENTS", false, 5}, {"Desktop", false, 16},
                                                         {"DESKTOP", false, 16},     {"Desktop ", false, 0},
                                                         {"Desk", false, 0},         {"Control Panel", false, 0}}) {
        const SpecialFolder* found = FindSpecialFolder(text);
        EXPECT_EQ(std::pair(IsFullPath(text), found == nullptr ? 0 : static_cast<int>(found->id)), std::pair(full, id))
            << text;
    }
}

TEST(Placement, CopiesTheExplorerCornerOrCentresOnItsMonitor) {
    const win::Rect primary{0, 0, 1280, 800}, right{1280, 0, 2304, 768}, left{-1024, 0, 0, 768};
    const win::Rect above{0, -900, 1440, 0}, small{0, 0, 390, 90};  // a monitor smaller than the window
    // Explorer's corner and the corner a window of 400 x 100 gets, on the monitor that holds Explorer.
    for (const auto& [monitor, corner] : std::vector<std::pair<win::Rect, std::array<int, 4>>>{
             {primary, {100, 50, 100, 50}},   {primary, {-20, 50, 0, 50}},      {primary, {100, -5, 100, 0}},
             {primary, {0, 50, 0, 50}},       {primary, {50, 0, 50, 0}},        {primary, {0, 0, 440, 350}},
             {primary, {-8, -8, 440, 350}},   {primary, {870, 50, 870, 50}},    {primary, {871, 50, 440, 350}},
             {primary, {100, 690, 100, 690}}, {primary, {100, 691, 440, 350}},  {right, {1400, 100, 1400, 100}},
             {right, {1272, -8, 1592, 334}},  {right, {1400, 658, 1400, 658}},  {right, {1400, 659, 1592, 334}},
             {left, {-900, 100, -900, 100}},  {left, {-1030, 100, -1024, 100}}, {left, {-1024, 0, -712, 334}},
             {left, {-410, 100, -410, 100}},  {left, {-409, 100, -712, 334}},   {above, {100, -850, 100, -850}},
             {above, {100, -109, 520, -500}}, {small, {0, 0, -5, -5}}}) {
        const auto [x, y, placedX, placedY] = corner;
        const Point placed = PlaceMainWindow({x, y, x + 400, y + 100}, 400, 100, monitor);
        EXPECT_EQ(std::pair(placed.left, placed.top), std::pair(placedX, placedY)) << x << "," << y;
    }
}

// Run from C:\My Tools, as a shortcut, a console or Explorer's menu entry may start it.
TEST(CommandLine, RegistersUnregistersOrNamesAFolder) {
    using enum StartAction;
    const std::string program = "C:\\My Tools\\Quillet.exe";
    // clang-format off
    const std::vector<std::tuple<std::string, StartAction, std::string>> rows = {
        {"Quillet.exe", Run, ""}, {"\"" + program + "\" /register", Register, ""},
        {"Quillet.exe  /UNREGISTER  ", Unregister, ""}, {program + " /register", Register, ""},  // unquoted, blank and all
        {"c:\\my tools\\quillet.exe", Run, ""}, {"\"/register\"", Run, ""},
        {"Quillet.exe /register now", Run, "/register now"},
        {"\"" + program + "\" \"C:\\\"", Run, "C:\\"},  // Explorer's "%V" for a drive root
        {"\"" + program + "\" \"D:\\My Data\"  ", Run, "D:\\My Data"},
        {program + "x D:\\x", Run, "Tools\\Quillet.exex D:\\x"}, {"\"" + program, Run, ""}};
    // clang-format on
    for (const auto& [line, action, folder] : rows) {
        const StartRequest request = ReadCommandLine(line, program);
        EXPECT_EQ(std::pair(request.action, request.folder), std::pair(action, folder)) << line;
    }
}
