#pragma once
// A volume in memory behind system.h for the rule tests: folders and files under full paths,
// compared without regard to ASCII case as Windows does, with faults that a test switches on.
#include <map>
#include <string>
#include <vector>

#include "system.h"

namespace fake {

struct Entry {
    bool folder = false;
    std::string bytes;
    sys::FolderIdentity identity{};  // new for every entry made, as a file index is
};

// Upper-cased path -> entry; the path keeps its case in `shownAs`.
struct Volume {
    std::map<std::string, Entry> entries;
    std::map<std::string, std::string> shownAs;
    std::map<std::string, sys::Error> createFaults;   // CreateFolder of this path fails so
    std::map<std::string, sys::Error> readFaults;     // ReadWholeFile of this path fails so
    std::map<std::string, sys::Error> replaceFaults;  // ReplaceFileContents breaks off: the file stays as it was
    sys::Error exclusiveUseFault = sys::kSuccess;     // another copy holds the options file
    std::string programFolder = "C:\\Program Files\\Quillet\\";
    int createCalls = 0;
    std::uint64_t lastIndex = 0;
};

// The volume every call of system.h sees; Reset empties it and makes C:\ and the program folder.
Volume& TheVolume();
void Reset();

void AddFolder(const std::string& path);
void AddFile(const std::string& path, const std::string& bytes = {});
bool IsFolder(const std::string& path);
bool HoldsFiles(const std::string& path);
// Every folder below `root`, relative to it, sorted, as shown.
std::vector<std::string> FoldersBelow(const std::string& root);

// Every text ShowError was given, in order.
std::vector<std::string>& ShownErrors();

}  // namespace fake
