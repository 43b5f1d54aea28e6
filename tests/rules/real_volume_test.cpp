// The engine on the real volume, where the volume in memory only imitates Windows: case beyond
// ASCII, hidden and system folders and files in the way, the removal of a folder only while it
// is empty, and the options file's lock held by another copy for a moment. The end-to-end tests
// make Unicode and device names with the real program. Under Wine when cross-built; it works in
// a temporary folder of its own and removes it. A plain program: it prints a line per failed
// check and returns their count.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "Shared.h"
#include "Unit2.h"

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// What the engine says is the native tables' business; only Windows' reason is looked at here.
sys::Error LastReason = 0;
void ShowErrorBox(const char*, sys::Error reason) {
    LastReason = reason;
}

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    if (ok) return;
    ++failures;
    std::printf("FAIL: %s\n", what);
}

// Every folder below `root`, relative to it, in UTF-8 and sorted.
Texts FoldersBelow(const fs::path& root) {
    Texts folders;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::u8string path = entry.path().lexically_relative(root).u8string();
        if (entry.is_directory()) folders.emplace_back(path.begin(), path.end());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

// Lets go of a held file from a pool thread, while the test waits for it.
VOID CALLBACK LetGo(void* file, BOOLEAN) {
    ::CloseHandle(file);
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / ("quillet-rules-" + std::to_string(::GetCurrentProcessId()));
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", reinterpret_cast<const char*>(root.u8string().c_str()));
    fs::create_directories(root);
    // In the way: the folders E acute and H, hidden and system, and the files f, g hidden and s system.
    constexpr DWORD hidden = FILE_ATTRIBUTE_HIDDEN, system = FILE_ATTRIBUTE_SYSTEM;
    Check(CreateFromText("\xC3\x89|H"), "the folders in the way are made");
    for (const char* file : {"f", "g", "s"}) std::ofstream{root / file};
    for (const auto& [name, attributes] : {std::pair{"H", hidden | system}, {"g", hidden}, {"s", system}}) {
        ::SetFileAttributesW((root / name).c_str(), attributes);
    }

    // A folder in the way is passed over whatever its case and attributes: to Windows e acute is E acute.
    Check(CreateFromText("\xC3\xA9<x>|h<x>"), "folders in the way are passed over");
    // Any file in the way stops the command, with Windows' reason.
    for (const char* text : {"f<x>", "G<x>", "s<x>"}) {
        LastReason = ERROR_SUCCESS;
        Check(!CreateFromText(text) && LastReason == ERROR_ALREADY_EXISTS, "a file in the way stops");
    }
    Check(FoldersBelow(root) == Texts{"H", "H\\x", "\xC3\x89", "\xC3\x89\\x"}, "x is made in E acute and H alone");

    // The undo removes through the folder's own handle, which Windows refuses while it holds anything,
    // and never a file, even one the file system gave the removed folder's number.
    std::ofstream{root / u8"\u00C9" / "x" / "file.txt"}, fs::remove(root / "H" / "x"), std::ofstream{root / "H" / "x"};
    Check(UndoLastCreation() ==
              "No folder was removed. 1 was left because it is no longer empty. 1 was left "
              "because something else has taken its place.",
          "the undo's report");
    Check(FoldersBelow(root) == Texts{"H", "\xC3\x89", "\xC3\x89\\x"} && fs::exists(root / "H/x"), "H\\x stays a file");

    // Another copy holds the options file's lock for a moment: the lock is taken at a later try,
    // as if the earlier ones had not failed, and let go again.
    const fs::path lock = root / "QuilletOptions.dat.lock";
    const HANDLE held = ::CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE timer = nullptr;
    Check(held != INVALID_HANDLE_VALUE &&
              ::CreateTimerQueueTimer(&timer, nullptr, LetGo, held, 300, 0, WT_EXECUTEONLYONCE),
          "another copy holds the lock");
    {
        const sys::ExclusiveUse exclusive(
            reinterpret_cast<const char*>((root / "QuilletOptions.dat").u8string().c_str()));
        Check(exclusive.error() == ERROR_SUCCESS, "a lock let go meanwhile is taken");
    }
    Check(!fs::exists(lock), "and let go in turn");

    ReleaseBuffers();
    fs::remove_all(root);
    std::printf("%d failed\n", failures);
    return failures;
}
