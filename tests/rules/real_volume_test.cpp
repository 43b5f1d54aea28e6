// The engine on the real volume, where the volume in memory only imitates Windows: case beyond
// ASCII, attributes, and the names and lengths that Windows itself refuses. Under Wine when
// cross-built; it works in a temporary folder of its own and removes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "Shared.h"
#include "Unit2.h"
#include "shown_errors.h"

TEST(RealVolume, PassesOverWhatExistsAndReportsWhatWindowsRefuses) {
    struct Row {
        std::string text;
        const char* existing;  // made first: a folder when `attributes` say so, else a file
        DWORD attributes;
        std::vector<std::string> folders;  // every folder below the target afterwards
        std::string message;
        DWORD error;
    };
    constexpr DWORD folder = FILE_ATTRIBUTE_DIRECTORY, hidden = FILE_ATTRIBUTE_HIDDEN, system = FILE_ATTRIBUTE_SYSTEM;
    const auto creation = [](const std::string& name) {
        return "A problem occurred during creation of: " + name + "\nAborting further folder creation.";
    };
    const std::string longName(150, 'n');  // twice in a path is beyond MAX_PATH
    char temp[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    const std::string root = temp + std::string("quillet-rules-") + std::to_string(::GetCurrentProcessId());
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", root.c_str());
    for (const Row& row : std::vector<Row>{
             {"reports<Q1>", "Reports", folder, {"Reports", "Reports\\Q1"}, "", 0},
             {"\xE9<x>", "\xC9", folder, {"\xC9", "\xC9\\x"}, "", 0},  // e and E acute in Windows-1252
             {"h<x>", "H", folder | hidden | system, {"H", "H\\x"}, "", 0},
             {"f<x>", "f", 0, {}, creation("f"), ERROR_ALREADY_EXISTS},
             {"f<x>", "F", hidden, {}, creation("f"), ERROR_ALREADY_EXISTS},
             {"f<x>", "f", system, {}, creation("f"), ERROR_ALREADY_EXISTS},
             {longName + "<" + longName + ">", nullptr, 0, {longName}, creation(longName), ERROR_FILENAME_EXCED_RANGE},
             {"a|x\ty", nullptr, 0, {"a"}, creation("x\ty"), ERROR_INVALID_NAME},
             // Windows reads ". ." as the target and ".. ." as the folder above it.
             {"a|. .<b>", nullptr, 0, {}, "\". .\" is not a legal folder name.", 0},
             {"a|.. .", nullptr, 0, {}, "\".. .\" is not a legal folder name.", 0}}) {
        SCOPED_TRACE(row.text.substr(0, 20));
        std::filesystem::remove_all(root);
        ASSERT_TRUE(::CreateDirectoryA(root.c_str(), nullptr));
        if (row.existing != nullptr) {
            const std::string path = root + "\\" + row.existing;
            ASSERT_TRUE((row.attributes & folder) ? ::CreateDirectoryA(path.c_str(), nullptr)
                                                  : ::CloseHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                                                CREATE_NEW, 0, nullptr)));
            ASSERT_TRUE(::SetFileAttributesA(path.c_str(), (row.attributes & ~folder) | FILE_ATTRIBUTE_ARCHIVE));
        }
        ShownErrors().clear();
        LastCreationError = ERROR_SUCCESS;

        EXPECT_EQ(CreateFromText(row.text), row.message.empty());
        EXPECT_EQ(ShownErrors(), row.message.empty() ? std::vector<std::string>{} : std::vector{row.message});
        EXPECT_EQ(LastCreationError, row.error);
        std::size_t folders = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) folders += entry.is_directory();
        EXPECT_EQ(folders, row.folders.size());
        for (const std::string& name : row.folders) EXPECT_TRUE(sys::IsFolder((root + "\\" + name).c_str())) << name;
    }
    ReleaseBuffers();
    std::filesystem::remove_all(root);
    EXPECT_FALSE(std::filesystem::exists(root));
}
