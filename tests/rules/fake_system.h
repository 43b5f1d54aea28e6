#pragma once
// A volume in memory behind system.h for the rule tests: folders and files under full paths,
// compared without regard to ASCII case as Windows does, with faults that a test switches on.
#include <map>
#include <string>
#include <vector>

#include "shown_errors.h"
#include "system.h"

namespace fake {

struct Entry {
    bool folder = false;
    std::string bytes;
};

// Upper-cased path -> entry. Fault paths are compared the same way.
struct Volume {
    std::map<std::string, Entry> entries;
    std::map<std::string, sys::Error> createFaults;   // CreateFolder of this path fails so
    std::map<std::string, sys::Error> readFaults;     // ReadWholeFile of this path fails so
    std::map<std::string, sys::Error> replaceFaults;  // ReplaceFileContents breaks off: the file stays as it was
    std::string programFolder = "C:\\Program Files\\Quillet\\";
    std::vector<std::string> createCalls;  // every path CreateFolder was given, in order
};

// The volume every call of system.h sees; Reset empties it and makes C:\ and the program folder.
Volume& TheVolume();
void Reset();

void AddFolder(const std::string& path);
void AddFile(const std::string& path, const std::string& bytes = {});
bool IsFolder(const std::string& path);

}  // namespace fake
