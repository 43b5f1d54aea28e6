#pragma once
// Runs the whole program on the simulated platform beside a stand-in Explorer window, with the
// test's actions as the message loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Configwindow.h"
#include "Desktoporquit.h"
#include "Optionsloadsave.h"
#include "Program.h"
#include "Unit1.h"
#include "Unit2.h"
#include "sim/sim.h"

inline const std::string ProgramDir = "C:\\Program Files\\Quillet";
inline const std::string OptionsPath = ProgramDir + "\\QuilletOptions.dat";
inline const std::string DataDir = "C:\\Data";
inline const std::string DesktopDir = "C:\\Users\\me\\Desktop";
inline const std::string DocumentsDir = "C:\\Users\\me\\Documents";
inline const std::string ErrorCaption = "Quillet error";

struct StandInExplorer {
    win::WindowHandle window = nullptr;
    win::WindowHandle edit = nullptr;
};

// A top-level Explorer-like window with the chain WorkerW > ReBarWindow32 > ComboBoxEx32 >
// ComboBox > Edit, the Edit showing `addressText`.
inline StandInExplorer MakeExplorer(const std::string& addressText, win::Rect rect = {200, 150, 1000, 650},
                                    const std::string& firstLevelClass = "WorkerW") {
    StandInExplorer explorer;
    explorer.window = sim::MakeWindow(nullptr, "CabinetWClass", "Data", rect);
    win::WindowHandle parent = sim::MakeWindow(explorer.window, firstLevelClass);
    for (const char* className : {"ReBarWindow32", "ComboBoxEx32", "ComboBox"}) parent = sim::MakeWindow(parent, className);
    explorer.edit = sim::MakeWindow(parent, "Edit", addressText);
    return explorer;
}

inline std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const sim::MessageBoxRecord& box : sim::MessageBoxes()) texts.push_back(box.text);
    return texts;
}

// The program-wide state a new process starts with.
inline void ResetProgramState() {
    TargetState = {};
    firstTick = true;
    OptionSettings = {};
}

inline void ResetWorld() {
    sim::Reset();
    ResetProgramState();
}

class QuilletTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        sim::AddFolder(ProgramDir);
        sim::AddFolder(DataDir);
        explorer = MakeExplorer(DataDir);
        sim::SetForegroundWindow(explorer.window);
    }

    // The whole program, from the entry point to its return, with `script` as the message loop.
    void RunQuilletWith(const std::function<void()>& script) {
        sim::OnRun(script);
        EXPECT_EQ(RunQuillet(), 0);
    }

    // Starts Quillet, lets the first tick pass, then runs `script`.
    void RunAfterFirstTick(const std::function<void()>& script) {
        RunQuilletWith([&] {
            sim::Tick(Form1->Timer1);
            script();
        });
    }

    // What Create does with `text` in the combo box; false when Create & Close would beep.
    static bool CreateWith(const std::string& text) {
        Form1->ComboBox1.SetText(text);
        return Form1->CreateFromSpec();
    }

    static void Type(const std::string& text) {
        sim::Focus(Form1->ComboBox1);
        sim::TypeText(text);
    }

    static bool Closed() { return ui::Application::Instance().Terminated(); }

    StandInExplorer explorer;
};
