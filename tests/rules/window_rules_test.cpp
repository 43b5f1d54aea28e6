// The main window's rules that need no window: the address-bar chain, the shell names and the placement.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "Unit1Rules.h"

namespace {

struct Window {
    int id;
    int parent;
    const char* className;
};

win::WindowHandle Handle(int id) { return reinterpret_cast<win::WindowHandle>(static_cast<std::intptr_t>(id)); }

const std::vector<Window> WorkerWChain = {
    {2, 1, "WorkerW"}, {3, 2, "ReBarWindow32"}, {4, 3, "ComboBoxEx32"}, {5, 4, "ComboBox"}, {6, 5, "Edit"}};
const std::vector<Window> WorkerAChain = {
    {12, 1, "WorkerA"}, {13, 12, "ReBarWindow32"}, {14, 13, "ComboBoxEx32"}, {15, 14, "ComboBox"}, {16, 15, "Edit"}};

std::vector<Window> Join(std::vector<Window> first, const std::vector<Window>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

}  // namespace

TEST(AddressBarChain, FollowsTheFirstDirectChildOfEachClass) {
    std::vector<std::pair<std::vector<Window>, int>> rows = {
        {WorkerWChain, 6},
        {WorkerAChain, 16},
        {Join(WorkerWChain, WorkerAChain), 6},
        // The first WorkerW leads nowhere; neither the second nor WorkerA is tried.
        {Join({{7, 1, "WorkerW"}}, Join(WorkerWChain, WorkerAChain)), 0},
        // ReBarWindow32 below a child of WorkerW is not a direct child of it.
        {Join({{2, 1, "WorkerW"}, {8, 2, "Static"}, {3, 8, "ReBarWindow32"}}, {WorkerWChain.begin() + 2, WorkerWChain.end()}), 0},
    };
    for (std::size_t missing = 1; missing < WorkerWChain.size(); ++missing) {
        std::vector<Window> windows = Join(WorkerWChain, WorkerAChain);
        windows.erase(windows.begin() + missing);
        rows.push_back({windows, 0});
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto& [windows, edit] = rows[row];
        const auto findChild = [&windows](win::WindowHandle parent, const char* className) -> win::WindowHandle {
            for (const Window& window : windows) {
                if (Handle(window.parent) == parent && std::strcmp(window.className, className) == 0) return Handle(window.id);
            }
            return nullptr;
        };
        SCOPED_TRACE(row);
        EXPECT_EQ(WalkAddressBarChain(Handle(1), findChild), edit == 0 ? nullptr : Handle(edit));
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

TEST(Placement, CopiesTheExplorerCornerOrCentres) {
    // A 400 x 100 window on a 1280 x 800 screen unless the row says otherwise.
    struct Row {
        int left, top;
        Point corner;
        int width = 400, height = 100;
    };
    for (const Row& row : std::vector<Row>{
             {100, 50, {100, 50}},
             {-20, 50, {0, 50}},
             {100, -5, {100, 0}},
             {0, 50, {0, 50}},
             {50, 0, {50, 0}},
             {0, 0, {440, 350}},
             {-8, -8, {440, 350}},
             {870, 50, {870, 50}},
             {871, 50, {440, 350}},
             {100, 690, {100, 690}},
             {100, 691, {440, 350}},
             {0, 0, {-2, -2}, 1285, 805},
         }) {
        SCOPED_TRACE(::testing::Message() << row.left << "," << row.top << " " << row.width << "x" << row.height);
        const Point corner = PlaceMainWindow({row.left, row.top, row.left + row.width, row.top + row.height},
                                             row.width, row.height, 1280, 800);
        EXPECT_EQ(corner.left, row.corner.left);
        EXPECT_EQ(corner.top, row.corner.top);
    }
}
