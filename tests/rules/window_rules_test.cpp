// The main window's rules that need no window: the address-bar chain, the shell names and the placement.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "Unit1Rules.h"

namespace {

struct Window {
    int id, parent;
    const char* className;
};
using Windows = std::vector<Window>;

win::WindowHandle Handle(int id) { return reinterpret_cast<win::WindowHandle>(static_cast<std::intptr_t>(id)); }

Windows operator+(Windows first, const Windows& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

}  // namespace

TEST(AddressBarChain, FollowsTheFirstDirectChildOfEachClass) {
    // Below the Explorer window 1; the result is the Edit's id, 0 for none.
    const Windows workerW = {{2, 1, "WorkerW"}, {3, 2, "ReBarWindow32"}, {4, 3, "ComboBoxEx32"}, {5, 4, "ComboBox"},
                             {6, 5, "Edit"}};
    const Windows workerA = {{12, 1, "WorkerA"}, {13, 12, "ReBarWindow32"}, {14, 13, "ComboBoxEx32"},
                             {15, 14, "ComboBox"}, {16, 15, "Edit"}};
    const Windows belowReBar(workerW.begin() + 2, workerW.end());
    std::vector<std::pair<Windows, int>> rows = {
        {workerW, 6}, {workerA, 16}, {workerW + workerA, 6},
        {Windows{{7, 1, "WorkerW"}} + workerW + workerA, 0},  // the first WorkerW leads nowhere
        // ReBarWindow32 is a grandchild of WorkerW, not a child.
        {Windows{{2, 1, "WorkerW"}, {8, 2, "Static"}, {3, 8, "ReBarWindow32"}} + belowReBar, 0}};
    for (std::size_t missing = 1; missing < workerW.size(); ++missing) {  // no step after the first has an alternative
        rows.push_back({workerW + workerA, 0});
        rows.back().first.erase(rows.back().first.begin() + missing);
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto& [windows, edit] = rows[row];
        const auto findChild = [&windows](win::WindowHandle parent, const char* className) {
            for (const Window& w : windows) {
                if (Handle(w.parent) == parent && std::strcmp(w.className, className) == 0) return Handle(w.id);
            }
            return win::WindowHandle{};
        };
        EXPECT_EQ(WalkAddressBarChain(Handle(1), findChild), edit != 0 ? Handle(edit) : nullptr) << row;
    }
}

TEST(SpecialFolders, NamesTheWholeTextInAnyAsciiCase) {
    for (const auto& [text, id] : std::vector<std::pair<const char*, int>>{
             {"My Documents", 5}, {"mY dOCUMENTS", 5}, {"Desktop", 16}, {"DESKTOP", 16},
             {"Desktop ", 0}, {"Desk", 0}, {"Control Panel", 0}, {"", 0}}) {
        const SpecialFolder* found = FindSpecialFolder(text);
        EXPECT_EQ(found == nullptr ? 0 : found->id, id) << text;
    }
}

TEST(Placement, CopiesTheExplorerCornerOrCentresOnItsMonitor) {
    const win::Rect primary{0, 0, 1280, 800}, right{1280, 0, 2304, 768}, left{-1024, 0, 0, 768}, above{0, -900, 1440, 0};
    // Explorer's corner, the window's size and the corner it gets, on the monitor that holds Explorer.
    for (const auto& [monitor, corner] : std::vector<std::pair<win::Rect, std::array<int, 6>>>{
             {primary, {100, 50, 400, 100, 100, 50}}, {primary, {-20, 50, 400, 100, 0, 50}},
             {primary, {100, -5, 400, 100, 100, 0}}, {primary, {0, 50, 400, 100, 0, 50}},
             {primary, {50, 0, 400, 100, 50, 0}},
             {primary, {0, 0, 400, 100, 440, 350}}, {primary, {-8, -8, 400, 100, 440, 350}},  // corner, maximised
             {primary, {870, 50, 400, 100, 870, 50}}, {primary, {871, 50, 400, 100, 440, 350}},
             {primary, {100, 690, 400, 100, 100, 690}}, {primary, {100, 691, 400, 100, 440, 350}},
             {primary, {0, 0, 1285, 805, -2, -2}},
             {right, {1400, 100, 400, 100, 1400, 100}}, {right, {1272, -8, 400, 100, 1592, 334}},
             {right, {1400, 658, 400, 100, 1400, 658}}, {right, {1400, 659, 400, 100, 1592, 334}},
             {left, {-900, 100, 400, 100, -900, 100}}, {left, {-1030, 100, 400, 100, -1024, 100}},
             {left, {-1024, 0, 400, 100, -712, 334}}, {left, {-410, 100, 400, 100, -410, 100}},
             {left, {-409, 100, 400, 100, -712, 334}},
             {above, {100, -850, 400, 100, 100, -850}}, {above, {100, -109, 400, 100, 520, -500}}}) {
        const auto [x, y, width, height, placedX, placedY] = corner;
        const Point placed = PlaceMainWindow({x, y, x + width, y + height}, width, height, monitor);
        EXPECT_EQ(std::pair(placed.left, placed.top), std::pair(placedX, placedY)) << x << "," << y << " " << width;
    }
}

TEST(TargetFolder, OnlyAFullPathIsTaken) {
    for (const char* text : {"C:\\", "c:\\Data", "D:/x", "\\\\server\\share", "\\\\?\\C:\\x"}) EXPECT_TRUE(IsFullPath(text)) << text;
    for (const char* text : {"", "Reports", "Desktop", "C:", "C:Data", "\\Data", "\\\\", "\\\\\\x", "1:\\x"}) {
        EXPECT_FALSE(IsFullPath(text)) << text;
    }
}

TEST(StartAction, OnlyTheArgumentsRegisterAndUnregisterAskForAnything) {
    for (const auto& [line, action] : std::vector<std::pair<const char*, StartAction>>{
             {"\"C:\\My Tools\\Quillet.exe\"", StartAction::Run}, {"Quillet.exe", StartAction::Run},
             {"\"C:\\Q\\Quillet.exe\" /register", StartAction::Register},
             {"Quillet.exe  /UNREGISTER  ", StartAction::Unregister},
             {"C:\\My Tools\\Quillet.exe /register", StartAction::Run},  // an unquoted blank: "Tools\\..." is the argument
             {"Quillet.exe /register now", StartAction::Run}, {"Quillet.exe -register", StartAction::Run},
             {"\"/register\"", StartAction::Run}}) {
        EXPECT_EQ(ActionFromCommandLine(line), action) << line;
    }
}
