#pragma once
// A volume in memory behind system.h for the rule tests: folders and files under full paths,
// compared without regard to ASCII case as Windows does, with faults that a test switches on.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shown_errors.h"
#include "system.h"

namespace fake {

// Upper-cased path -> a file's bytes, or none for a folder.
struct Volume {
    std::map<std::string, std::optional<std::string>> entries;
    std::map<std::string, std::uint64_t> folderIndexes;  // new for every folder made, as Windows' file index
    std::map<std::string, sys::Error> createFaults;      // CreateFolder of exactly this path fails so
    std::map<std::string, sys::Error> readFaults;        // ReadWholeFile of exactly this path fails so
    std::map<std::string, sys::Error> replaceFaults;     // ReplaceFileContents breaks off: the file stays as it was
    sys::Error exclusiveUseFault = sys::kSuccess;        // another copy holds the options file
    std::string programFolder = "C:\\Program Files\\Quillet\\";
    std::vector<std::string> createCalls;  // every path CreateFolder was given, in order
    std::uint64_t foldersMade = 0;
};

// The volume every call of system.h sees; Reset empties it and makes C:\ and the program folder.
Volume& TheVolume();
void Reset();

void AddFolder(const std::string& path);
void AddFile(const std::string& path, const std::string& bytes = {});
// Whether anything lies at the path, in any case.
bool Exists(const std::string& path);

}  // namespace fake
