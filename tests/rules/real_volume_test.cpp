// The engine on the real volume, where the volume in memory only imitates Windows: case beyond
// ASCII, attributes, and the names and lengths that Windows itself refuses. Under Wine when
// cross-built; it works in a temporary folder of its own and removes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "Shared.h"
#include "Unit2.h"
#include "shown_errors.h"

namespace {

std::string Creation(const std::string& name) {
    return "A problem occurred during creation of: " + name + "\nAborting further folder creation.";
}

bool IsRealFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

TEST(RealVolume, PassesOverWhatExistsAndReportsWhatWindowsRefuses) {
    struct Row {
        std::string text;
        const char* existing;  // made first, as a folder when `attributes` say so, else as a file
        DWORD attributes;
        std::vector<std::string> folders;  // every folder below the target afterwards
        std::string message;
        sys::Error error;
    };
    constexpr DWORD folder = FILE_ATTRIBUTE_DIRECTORY, hidden = FILE_ATTRIBUTE_HIDDEN, system = FILE_ATTRIBUTE_SYSTEM;
    const std::string longName(150, 'n');
    char temp[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    const std::string root = temp + std::string("quillet-rules-") + std::to_string(::GetCurrentProcessId());
    for (const Row& row : std::vector<Row>{
             {"reports<Q1>", "Reports", folder, {"Reports", "Reports\\Q1"}, "", 0},
             {"\xE9<x>", "\xC9", folder, {"\xC9", "\xC9\\x"}, "", 0},  // e and E acute in Windows-1252
             {"h<x>", "H", folder | hidden | system, {"H", "H\\x"}, "", 0},
             {"f<x>", "f", FILE_ATTRIBUTE_NORMAL, {}, Creation("f"), ERROR_ALREADY_EXISTS},
             {"f<x>", "F", hidden, {}, Creation("f"), ERROR_ALREADY_EXISTS},
             {"f<x>", "f", system, {}, Creation("f"), ERROR_ALREADY_EXISTS},
             {longName + "<" + longName + ">", nullptr, 0, {longName}, Creation(longName), ERROR_FILENAME_EXCED_RANGE},
             {"a|x\ty", nullptr, 0, {"a"}, Creation("x\ty"), ERROR_INVALID_NAME},
             // Windows reads ". ." as "." and ".. ." as "..": passed over as present, not created.
             {"a|. .<b>", nullptr, 0, {}, "\". .\" is not a legal folder name.", 0},
             {"a|.. .", nullptr, 0, {}, "\".. .\" is not a legal folder name.", 0},
         }) {
        SCOPED_TRACE(row.text.substr(0, 20));
        std::filesystem::remove_all(root);
        ASSERT_TRUE(::CreateDirectoryA(root.c_str(), nullptr));
        if (row.existing != nullptr) {
            const std::string path = root + "\\" + row.existing;
            ASSERT_TRUE((row.attributes & folder) ? ::CreateDirectoryA(path.c_str(), nullptr)
                                                  : ::CloseHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                                                CREATE_NEW, 0, nullptr)));
            const DWORD attributes = row.attributes & ~folder;
            ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL));
        }
        MessageBuffer.reset(new char[MessageBufferSize]);
        TargetPath.reset(new char[TargetPathSize]);
        std::snprintf(TargetPath.get(), TargetPathSize, "%s", root.c_str());
        ShownErrors().clear();
        LastCreationError = sys::kSuccess;

        EXPECT_EQ(CreateFromText(row.text), row.message.empty());
        EXPECT_EQ(ShownErrors(), row.message.empty() ? std::vector<std::string>{} : std::vector{row.message});
        EXPECT_EQ(LastCreationError, row.error);
        std::size_t folders = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) folders += entry.is_directory();
        EXPECT_EQ(folders, row.folders.size());
        for (const std::string& name : row.folders) EXPECT_TRUE(IsRealFolder(root + "\\" + name)) << name;
        ReleaseBuffers();
    }
    std::filesystem::remove_all(root);
    EXPECT_FALSE(std::filesystem::exists(root));
}
