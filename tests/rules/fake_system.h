#pragma once
// A volume in memory behind system.h for the rule tests: folders and files under full paths,
// compared without regard to ASCII case as Windows does, with faults that a test switches on.
#include <map>
#include <string>
#include <vector>

#include "system.h"

// ShowError for the tests: it keeps every text the user would have been shown, in order, and
// Windows' error code given with each (0 for none).
std::vector<std::string>& ShownErrors();
std::vector<sys::Error>& ShownReasons();

namespace fake {

// A folder has the file index Windows gives each folder it makes, new every time; a file has none.
struct Entry {
    std::uint64_t folderIndex = 0;
    std::string bytes;
};

struct Volume {
    std::map<std::string, Entry> entries;            // by Key
    std::map<std::string, sys::Error> createFaults;  // CreateFolder of exactly this path fails so
    std::map<std::string, int> pendingChild;         // RemoveFolder of this path finds it not empty so many times
    sys::Error readFault = sys::kSuccess;            // every ReadWholeFile fails so
    sys::Error replaceFault = sys::kSuccess;         // ReplaceFileContents breaks off: the file stays as it was
    int replaceFaults = 1000;                        // ... that many times; then it succeeds
    int replaceCalls = 0;
    sys::Error exclusiveUseFault = sys::kSuccess;  // another copy holds the options file
    bool locked = false;                           // this copy holds it now
    bool lockedWhileShowing = false;               // a message was shown while this copy held it
    sys::Date today{2026, 12, 7};
    std::string unwritableFolder;          // FolderTakesNewFiles says no for this folder
    std::vector<std::string> createCalls;  // every path CreateFolder was given, in order
    std::uint64_t foldersMade = 0;
};

// The volume every call of system.h sees; Reset empties it and forgets the errors shown.
Volume& TheVolume();
void Reset();

void AddFolder(const std::string& path);
void AddFile(const std::string& path, const std::string& bytes = {});
// The key of a path in `entries`, and what lies at the path, in any case; null when nothing does.
std::string Key(const std::string& path);
const Entry* Find(const std::string& path);

}  // namespace fake
