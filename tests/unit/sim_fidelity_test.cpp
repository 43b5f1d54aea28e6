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

}  // namespace
