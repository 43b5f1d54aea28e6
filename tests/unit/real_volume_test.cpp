// The engine and the options file on the real volume of Windows (or Wine), with the windows
// and message boxes simulated.
#include <windows.h>

#include <filesystem>

#include "quillet_fixture.h"

namespace {

class RealVolume : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        root = std::string(temp) + "quillet-test-" + std::to_string(GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
        sim::SetCommandLine("\"" + root + "\\Quillet.exe\"");
        sim::SetForegroundWindow(MakeExplorer(root).window);
    }

    void TearDown() override { RemoveTree(root); }

    // Read-only and hidden entries must be made plain before Windows lets them be removed.
    static void RemoveTree(const std::string& path) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored)) {
            SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::filesystem::remove_all(path, ignored);
    }

    void WriteFile(const std::string& name, const std::string& bytes, DWORD attributes) {
        HANDLE file = CreateFileA((root + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        SetFileAttributesA((root + "\\" + name).c_str(), attributes);
    }

    bool IsFolder(const std::string& relative) const {
        const DWORD attributes = GetFileAttributesA((root + "\\" + relative).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::string ReadFile(const std::string& name) const {
        std::string bytes;
        win::ReadWholeFile((root + "\\" + name).c_str(), &bytes);
        return bytes;
    }

    // Starts Quillet, lets the first tick pass, creates from `text` and returns the result.
    static bool CreateAfterFirstTick(const std::string& text) {
        bool created = false;
        sim::OnRun([&] {
            sim::Tick(Form1->Timer1);
            Form1->ComboBox1.SetText(text);
            created = Form1->CreateFromSpec();
        });
        RunQuillet();
        return created;
    }

    std::string root;
};

TEST_F(RealVolume, CreatesTheTreeAndPassesOverExistingFolders) {
    ASSERT_TRUE(CreateDirectoryA((root + "\\Reports").c_str(), nullptr));
    EXPECT_TRUE(CreateAfterFirstTick("Reports<Q1|Q2>|Archive"));
    for (const char* folder : {"Reports", "Reports\\Q1", "Reports\\Q2", "Archive"}) EXPECT_TRUE(IsFolder(folder)) << folder;
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(RealVolume, HiddenSystemFolderCountsAsPresent) {
    ASSERT_TRUE(CreateDirectoryA((root + "\\a").c_str(), nullptr));
    SetFileAttributesA((root + "\\a").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(CreateAfterFirstTick("a<b>"));
    EXPECT_TRUE(IsFolder("a\\b"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(RealVolume, FileInTheWayFailsWhateverItsAttributes) {
    for (DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_HIDDEN}}) {
        SCOPED_TRACE(attributes);
        TearDown();
        SetUp();
        WriteFile("a", "x", attributes);
        EXPECT_FALSE(CreateAfterFirstTick("z|a<b>"));
        EXPECT_TRUE(IsFolder("z"));
        EXPECT_FALSE(IsFolder("a"));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                      "A problem occurred during creation of: a\nAborting further folder creation."});
    }
}

TEST_F(RealVolume, OptionsFileHasExactBytesAndSurvivesAFailedSave) {
    sim::OnRun([] {
        Form1->ComboBox1.SetText("one");
        sim::Click(Form1->btnHistoryAdd);
    });
    RunQuillet();
    const std::string saved = ReadFile("QuilletOptions.dat");
    EXPECT_EQ(saved, "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\none\r\r\n"
                     ": colon at start = end history\r\n");

    SetFileAttributesA((root + "\\QuilletOptions.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    ResetProgramState();
    sim::OnRun([] {
        EXPECT_EQ(Form1->ComboBox1.ItemCount(), 1);
        Form1->ComboBox1.SetText("two");
        sim::Click(Form1->btnHistoryAdd);
    });
    RunQuillet();
    EXPECT_EQ(ReadFile("QuilletOptions.dat"), saved);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"For some reason your option settings could not be saved."});
}

}  // namespace
