// The simulated platform behaves like Win32 where the program can observe it. These are the
// behaviours that the program's tests lean on and that a simulation could get quietly wrong.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/sim.h"

namespace {

class SimFidelity : public ::testing::Test {
protected:
    void SetUp() override { sim::Reset(); }
    void TearDown() override { sim::Reset(); }
};

// ---- Window tree ---------------------------------------------------------------------------

TEST_F(SimFidelity, FindWindowExSearchesOnlyTheDirectChildrenAndTakesTheFirst) {
    win::WindowHandle explorer = sim::MakeWindow(nullptr, "CabinetWClass");
    win::WindowHandle worker = sim::MakeWindow(explorer, "WorkerW");
    win::WindowHandle deepEdit = sim::MakeWindow(worker, "Edit", "deep");
    win::WindowHandle firstEdit = sim::MakeWindow(explorer, "Edit", "first");
    win::WindowHandle secondEdit = sim::MakeWindow(explorer, "Edit", "second");

    EXPECT_EQ(win::FindWindowExA(explorer, nullptr, "Edit", nullptr), firstEdit);
    EXPECT_EQ(win::FindWindowExA(explorer, nullptr, "edit", nullptr), firstEdit);  // classes ignore case
    EXPECT_EQ(win::FindWindowExA(explorer, firstEdit, "Edit", nullptr), secondEdit);
    EXPECT_EQ(win::FindWindowExA(explorer, nullptr, "ReBarWindow32", nullptr), nullptr);
    EXPECT_EQ(win::FindWindowExA(worker, nullptr, "Edit", nullptr), deepEdit);
    EXPECT_EQ(win::FindWindowExA(nullptr, nullptr, "WorkerW", nullptr), nullptr);  // not top-level
    EXPECT_EQ(win::FindWindowExA(nullptr, nullptr, "CabinetWClass", nullptr), explorer);
}

TEST_F(SimFidelity, ADestroyedWindowIsGoneWithItsDescendantsAndItsHandleIsNeverReused) {
    win::WindowHandle explorer = sim::MakeWindow(nullptr, "CabinetWClass", "", {10, 20, 110, 220});
    win::WindowHandle edit = sim::MakeWindow(explorer, "Edit", "C:\\Data");
    sim::DestroyWindow(explorer);

    EXPECT_FALSE(win::IsWindow(explorer));
    EXPECT_FALSE(win::IsWindow(edit));
    EXPECT_FALSE(win::IsWindow(nullptr));
    EXPECT_EQ(win::FindWindowExA(nullptr, nullptr, "CabinetWClass", nullptr), nullptr);
    char buffer[8] = "unset";
    EXPECT_EQ(win::SendMessageA(edit, win::kWmGetText, sizeof buffer, reinterpret_cast<std::intptr_t>(buffer)), 0);
    EXPECT_STREQ(buffer, "unset");
    win::Rect rect{1, 2, 3, 4};
    EXPECT_FALSE(win::GetWindowRect(explorer, &rect));
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.bottom, 4);
    sim::SetForegroundWindow(edit);
    EXPECT_EQ(win::GetForegroundWindow(), nullptr);

    win::WindowHandle next = sim::MakeWindow(nullptr, "CabinetWClass");
    EXPECT_NE(next, explorer);
    EXPECT_NE(next, edit);
}

TEST_F(SimFidelity, GetTextCopiesAtMostTheLimitLessOneAndANul) {
    const std::string longPath(300, 'x');
    win::WindowHandle edit = sim::MakeWindow(nullptr, "Edit", longPath);
    char buffer[win::kMaxPath];
    const auto copied =
        win::SendMessageA(edit, win::kWmGetText, win::kMaxPath, reinterpret_cast<std::intptr_t>(buffer));
    EXPECT_EQ(copied, 259);
    EXPECT_EQ(std::string(buffer), longPath.substr(0, 259));
}

TEST_F(SimFidelity, SetWindowPosMovesSizesAndRaisesOnlyAsItsArgumentsSay) {
    struct Case {
        const char* name;
        win::WindowHandle insertAfter;
        unsigned flags;
        win::Rect expected;
        bool topmost;
    };
    const win::WindowHandle hwndTop = nullptr;
    const Case cases[] = {
        {"topmost, no move, no size", win::kHwndTopmost, win::kSwpNoMove | win::kSwpNoSize, {100, 50, 300, 150}, true},
        {"topmost without no-move", win::kHwndTopmost, win::kSwpNoSize, {0, 0, 200, 100}, true},
        {"topmost without no-size", win::kHwndTopmost, win::kSwpNoMove, {100, 50, 100, 50}, true},
        {"top, not topmost", hwndTop, win::kSwpNoMove | win::kSwpNoSize, {100, 50, 300, 150}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        win::WindowHandle window = sim::MakeWindow(nullptr, "TForm", "", {100, 50, 300, 150});
        EXPECT_TRUE(win::SetWindowPos(window, c.insertAfter, 0, 0, 0, 0, c.flags));
        win::Rect rect;
        ASSERT_TRUE(win::GetWindowRect(window, &rect));
        EXPECT_EQ(rect.left, c.expected.left);
        EXPECT_EQ(rect.top, c.expected.top);
        EXPECT_EQ(rect.right, c.expected.right);
        EXPECT_EQ(rect.bottom, c.expected.bottom);
        EXPECT_EQ(sim::IsTopmost(window), c.topmost);
    }
}

TEST_F(SimFidelity, AFormIsATopLevelWindowWithADialogFrame) {
    ui::Form form({.caption = "Quillet", .clientWidth = 578, .clientHeight = 48, .left = 498, .top = 47, .font = {}});
    ui::Button button(form, {.bounds = {368, 27, 57, 17}, .caption = "Create", .font = {}});
    win::Rect rect;
    ASSERT_TRUE(win::GetWindowRect(form.Handle(), &rect));
    EXPECT_EQ(rect.right - rect.left, 584);
    EXPECT_EQ(rect.bottom - rect.top, 73);
    EXPECT_EQ(form.Width(), 584);
    EXPECT_EQ(win::FindWindowExA(form.Handle(), nullptr, "Button", nullptr), button.Handle());
    ASSERT_TRUE(win::GetWindowRect(button.Handle(), &rect));
    EXPECT_EQ(rect.left, 498 + 3 + 368);
    EXPECT_EQ(rect.top, 47 + 22 + 27);
}

// ---- Volume --------------------------------------------------------------------------------

TEST_F(SimFidelity, NamesIgnoreCaseAndKeepTheCaseTheyWereMadeWith) {
    sim::AddFolder("C:\\Data");
    EXPECT_TRUE(win::CreateDirectoryA("C:\\data\\Reports", nullptr));
    EXPECT_FALSE(win::CreateDirectoryA("C:\\DATA\\REPORTS", nullptr));      // exists
    EXPECT_FALSE(win::CreateDirectoryA("C:\\Data\\Missing\\Q1", nullptr));  // no parent
    EXPECT_TRUE(win::CreateDirectoryA("c:\\data\\reports\\q1", nullptr));
    EXPECT_TRUE(win::PathIsDirectoryA("C:\\DATA\\REPORTS\\"));
    EXPECT_TRUE(win::PathIsDirectoryA("C:\\"));
    EXPECT_EQ(win::GetFileAttributesA("c:\\data\\reports\\"), win::kFileAttributeDirectory);
    EXPECT_EQ(sim::ListTree("C:\\Data"), (std::vector<std::string>{"Reports\\", "Reports\\q1\\"}));
    EXPECT_EQ(sim::CreateDirectoryCalls(), 4);
}

TEST_F(SimFidelity, AttributesTellFoldersFromFilesAndCarryHiddenSystemAndReadOnly) {
    using win::kFileAttributeDirectory, win::kFileAttributeHidden, win::kFileAttributeSystem,
        win::kFileAttributeReadOnly;
    sim::AddFolder("C:\\Data\\HiddenFolder", kFileAttributeHidden);
    sim::AddFile("C:\\Data\\plain.txt", "x");
    sim::AddFile("C:\\Data\\system.sys", "", kFileAttributeHidden | kFileAttributeSystem);
    sim::AddFile("C:\\Data\\locked.dat", "", kFileAttributeReadOnly);
    struct Case {
        const char* path;
        unsigned long attributes;
    };
    const Case cases[] = {
        {"C:\\Data\\hiddenfolder", kFileAttributeHidden | kFileAttributeDirectory},
        {"C:\\Data\\HiddenFolder\\", kFileAttributeHidden | kFileAttributeDirectory},
        {"C:\\Data\\PLAIN.TXT", 0x80},                           // FILE_ATTRIBUTE_NORMAL: a file never reads as 0
        {"C:\\Data\\plain.txt\\", win::kInvalidFileAttributes},  // a backslash only after a folder
        {"C:\\Data\\system.sys", kFileAttributeHidden | kFileAttributeSystem},
        {"C:\\Data\\locked.dat", kFileAttributeReadOnly},
        {"C:\\Data\\missing", win::kInvalidFileAttributes},
        {"D:\\", win::kInvalidFileAttributes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(win::GetFileAttributesA(c.path), c.attributes);
    }
    EXPECT_FALSE(win::PathIsDirectoryA("C:\\Data\\plain.txt"));
    EXPECT_FALSE(win::CreateDirectoryA("C:\\Data\\system.sys", nullptr));
}

TEST_F(SimFidelity, PathsAreResolvedAsWin32ResolvesThem) {
    sim::AddFolder("C:\\Data");
    EXPECT_TRUE(win::CreateDirectoryA("C:\\Data\\name. .", nullptr));  // trailing dots and blanks go
    EXPECT_TRUE(win::PathIsDirectoryA("C:\\Data\\name"));
    EXPECT_TRUE(win::PathIsDirectoryA("C:\\Data\\..."));            // that is C:\Data itself
    EXPECT_FALSE(win::CreateDirectoryA("C:\\Data\\CON", nullptr));  // a device, never a folder
    EXPECT_FALSE(win::CreateDirectoryA(("C:\\Data\\" + std::string(240, 'a')).c_str(), nullptr));  // >= 248
    EXPECT_EQ(sim::ListTree("C:\\Data"), (std::vector<std::string>{"name\\"}));
}

TEST_F(SimFidelity, AFailedReplacementLeavesTheOldFileWhole) {
    const std::string path = "C:\\Quillet\\QuilletOptions.dat";
    struct Case {
        const char* name;
        std::function<void()> fault;
        const char* target;
    };
    const Case cases[] = {
        {"folder missing", [] {}, "C:\\Missing\\QuilletOptions.dat"},
        {"folder refuses writes", [] { sim::FailWritesIn("C:\\quillet\\"); }, nullptr},
        {"write breaks off", [&path] { sim::FailWriteAfter(path, 5); }, nullptr},
        {"read-only target", [&path] { sim::AddFile(path, "old", win::kFileAttributeReadOnly); }, nullptr},
        {"target is a folder", [] { sim::AddFolder("C:\\Quillet\\Sub"); }, "C:\\Quillet\\Sub"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        sim::AddFile(path, "old");
        c.fault();
        const std::string target = c.target != nullptr ? c.target : path;
        EXPECT_FALSE(win::ReplaceFileContents(target.c_str(), "new bytes"));
        EXPECT_EQ(sim::FileBytes(path), "old");
        EXPECT_EQ(sim::FileWriteCount(target), 0);
    }
    sim::Reset();
    sim::AddFile(path, "old");
    EXPECT_TRUE(win::ReplaceFileContents("c:\\QUILLET\\quilletoptions.dat", std::string("a\r\n\x1A\0b", 6)));
    EXPECT_EQ(sim::FileBytes(path), std::string("a\r\n\x1A\0b", 6));
    EXPECT_EQ(sim::FileWriteCount(path), 1);
}

TEST_F(SimFidelity, ReadingTellsAMissingFileFromAnUnknownLength) {
    std::string bytes = "untouched";
    EXPECT_EQ(win::ReadWholeFile("C:\\none.dat", &bytes), win::FileRead::NotOpened);
    sim::AddFile("C:\\opts.dat", "A:1\r\n");
    EXPECT_EQ(win::ReadWholeFile("C:\\OPTS.DAT", &bytes), win::FileRead::Read);
    EXPECT_EQ(bytes, "A:1\r\n");
    sim::FailReadLength("C:\\opts.dat");
    EXPECT_EQ(win::ReadWholeFile("C:\\opts.dat", &bytes), win::FileRead::LengthUnknown);
}

// ---- Toolkit -------------------------------------------------------------------------------

TEST_F(SimFidelity, ShowModalEndsOnlyWhenTheFormCloses) {
    ui::Application application;
    ui::Form mainForm({.caption = "Main", .font = {}});
    ui::Form dialog({.caption = "Dialog", .font = {}});
    mainForm.Show();

    int shown = 0;
    dialog.onShow = [&shown] { ++shown; };
    dialog.ShowModal();  // no script: the close box
    EXPECT_FALSE(dialog.Visible());

    sim::OnShowModal(dialog, [] {});
    EXPECT_THROW(dialog.ShowModal(), std::logic_error);
    EXPECT_FALSE(dialog.Visible());

    ui::Control* focusedInside = nullptr;
    ui::Button ok(dialog, {.bounds = {}, .caption = "OK", .font = {}});
    ok.onClick = [&dialog] { dialog.Close(); };
    sim::OnShowModal(dialog, [&] {
        sim::Focus(ok);
        focusedInside = sim::FocusedControl();
        EXPECT_THROW(sim::CloseBox(mainForm), std::logic_error);  // behind the modal form
        sim::TypeChar('\r');
    });
    dialog.ShowModal();
    EXPECT_EQ(focusedInside, &ok);
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(shown, 3);

    // Closing the main form ends the application and with it the modal loop.
    sim::OnShowModal(dialog, [&mainForm] { mainForm.Close(); });
    EXPECT_NO_THROW(dialog.ShowModal());
    EXPECT_TRUE(application.Terminated());
    EXPECT_FALSE(dialog.Visible());
}

TEST_F(SimFidelity, EnterClicksAButtonElseTheKeyGoesToOnKeyPressAndThenIntoTheComboBox) {
    struct Case {
        const char* name;
        bool focusButton;
        bool hasDefault;
        const char* expected;  // what happened, in order
    };
    const Case cases[] = {
        {"focused button", true, true, "other "},
        {"default button", false, true, "default "},
        {"no default button", false, false, "key13 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        ui::Form form({.caption = "Main", .font = {}});
        ui::ComboBox combo(form, {});
        ui::Button defaultButton(form, {.bounds = {}, .caption = "Create", .font = {}, .isDefault = c.hasDefault});
        ui::Button otherButton(form, {.bounds = {}, .caption = "Close", .font = {}});
        std::string log;
        defaultButton.onClick = [&log] { log += "default "; };
        otherButton.onClick = [&log] { log += "other "; };
        combo.onKeyPress = [&log](char& key) { log += "key" + std::to_string(key) + ' '; };
        form.Show();
        sim::Focus(c.focusButton ? static_cast<ui::Control&>(otherButton) : combo);
        sim::TypeChar('\r');
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(combo.Text(), "");
    }
}

TEST_F(SimFidelity, OnKeyPressMayChangeOrSwallowAKeyBeforeTheComboBoxTakesIt) {
    ui::Form form({.caption = "Main", .font = {}});
    ui::ComboBox combo(form, {});
    combo.SetMaxLength(6);
    combo.onKeyPress = [](char& key) {
        if (key == '<') key = 0;
        if (key == 'a') key = 'A';
    };
    form.Show();
    sim::Focus(combo);
    sim::TypeText("ab<c\x1b");
    EXPECT_EQ(combo.Text(), "Abc");
    combo.SetSelection(1, 1);
    sim::TypeText("xyz1234");  // the selection goes, then only up to six characters
    EXPECT_EQ(combo.Text(), "Axyz1c");
    EXPECT_EQ(combo.SelStart(), 5);
    sim::TypeText("\b\b");
    EXPECT_EQ(combo.Text(), "Axyc");
}

TEST_F(SimFidelity, RadioButtonsWithOneParentFormOneGroup) {
    ui::Form form({.caption = "Options", .font = {}});
    ui::GroupBox group(form, {.bounds = {}, .caption = "Group", .font = {}});
    ui::RadioButton onFormA(form, {.bounds = {}, .caption = "A", .font = {}, .checked = true});
    ui::RadioButton onFormB(form, {.bounds = {}, .caption = "B", .font = {}});
    ui::RadioButton inGroupA(group, {.bounds = {}, .caption = "C", .font = {}, .checked = true});
    ui::RadioButton inGroupB(group, {.bounds = {}, .caption = "D", .font = {}});
    int clicks = 0;
    onFormB.onClick = [&clicks] { ++clicks; };
    form.Show();

    sim::Click(onFormB);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(onFormA.Checked());
    EXPECT_TRUE(onFormB.Checked());
    EXPECT_TRUE(inGroupA.Checked());  // another parent, another group

    inGroupB.SetChecked(true);
    onFormA.SetChecked(true);  // by program: the group follows, no click
    EXPECT_FALSE(inGroupA.Checked());
    EXPECT_TRUE(inGroupB.Checked());
    EXPECT_FALSE(onFormB.Checked());
    EXPECT_EQ(clicks, 1);
}

}  // namespace
