#include "fake_system.h"

#include "Shared.h"

std::vector<std::string>& ShownErrors() {
    static std::vector<std::string> texts;
    return texts;
}

std::vector<sys::Error>& ShownReasons() {
    static std::vector<sys::Error> reasons;
    return reasons;
}

void ShowErrorBox(const char* text, sys::Error reason) {
    ShownErrors().emplace_back(text);
    ShownReasons().push_back(reason);
    if (fake::TheVolume().locked) fake::TheVolume().lockedWhileShowing = true;
}

namespace fake {

std::string Key(const std::string& path) {
    std::string key = path;
    for (char& c : key) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return key;
}

Volume& TheVolume() {
    static Volume volume;
    return volume;
}

void Reset() {
    TheVolume() = {};
    ShownErrors().clear();
    ShownReasons().clear();
}

void AddFolder(const std::string& path) {
    TheVolume().entries[Key(path)] = {++TheVolume().foldersMade, ""};
}

void AddFile(const std::string& path, const std::string& bytes) {
    TheVolume().entries[Key(path)] = {0, bytes};
}

const Entry* Find(const std::string& path) {
    const auto found = TheVolume().entries.find(Key(path));
    return found == TheVolume().entries.end() ? nullptr : &found->second;
}

}  // namespace fake

namespace sys {

Error CreateFolder(const char* path, FolderIdentity* made) {
    fake::Volume& volume = fake::TheVolume();
    volume.createCalls.emplace_back(path);
    if (volume.createFaults.count(path) != 0) return volume.createFaults[path];
    if (fake::Find(path) != nullptr) return kErrorAlreadyExists;
    fake::AddFolder(path);
    made->index = volume.foldersMade;
    return kSuccess;
}

Removal RemoveFolder(const char* path, const FolderIdentity& made) {
    std::map<std::string, fake::Entry>& entries = fake::TheVolume().entries;
    const auto found = entries.find(fake::Key(path));
    if (found == entries.end()) return Removal::Gone;
    if (found->second.folderIndex != made.index) return Removal::Replaced;
    if (int& pending = fake::TheVolume().pendingChild[path]; pending > 0) {
        --pending;
        return Removal::NotEmpty;
    }
    const std::string below = found->first + "\\";
    const auto child = entries.lower_bound(below);
    if (child != entries.end() && child->first.rfind(below, 0) == 0) return Removal::NotEmpty;
    entries.erase(found);
    return Removal::Removed;
}

bool IsFolder(const char* path) {
    const fake::Entry* entry = fake::Find(path);
    return entry != nullptr && entry->folderIndex != 0;
}

Error ReadWholeFile(const char* path, std::size_t limit, std::string* bytes) {
    const fake::Entry* entry = fake::Find(path);
    if (fake::TheVolume().readFault != kSuccess) return fake::TheVolume().readFault;
    if (entry == nullptr || entry->folderIndex != 0) return kErrorFileNotFound;
    if (entry->bytes.size() > limit) return kErrorFileTooLarge;
    *bytes = entry->bytes;
    return kSuccess;
}

Error ReplaceFileContents(const char* path, const std::string& bytes) {
    fake::Volume& volume = fake::TheVolume();
    if (volume.replaceFault != kSuccess && volume.replaceCalls++ < volume.replaceFaults) return volume.replaceFault;
    fake::AddFile(path, bytes);
    return kSuccess;
}

ExclusiveUse::ExclusiveUse(const char*) : error_(fake::TheVolume().exclusiveUseFault) {
    fake::TheVolume().locked = error_ == kSuccess;
}
ExclusiveUse::~ExclusiveUse() {
    fake::TheVolume().locked = false;
}

void Sleep(unsigned) {}

// ASCII letters in either case sort together, as in a sorted combo box.
int CompareText(const std::string& a, const std::string& b) {
    return fake::Key(a).compare(fake::Key(b));
}

std::string ErrorText(Error error) {
    return "Windows error " + std::to_string(error) + ".";
}

std::string ProgramPath() {
    return "C:\\Program Files\\Quillet\\Quillet.exe";
}

Date Today() {
    return fake::TheVolume().today;
}

bool FolderTakesNewFiles(const char* folder) {
    return fake::Key(folder) != fake::Key(fake::TheVolume().unwritableFolder);
}

bool SpecialFolderPath(SpecialFolderId id, std::string* path) {
    *path = "C:\\Users\\Ann\\AppData\\Roaming";
    return id == SpecialFolderId::AppData;
}

// The fake's code page is Latin-1: the first 256 characters, one byte each.
bool ToAnsiCodePage(const std::string& utf8, std::string* ansi) {
    ansi->clear();
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const bool twoBytes = (lead == 0xC2 || lead == 0xC3) && at + 1 < utf8.size();
        if (lead >= 0x80 && !twoBytes) return false;
        *ansi += twoBytes ? static_cast<char>(((lead & 0x03) << 6) | (utf8[++at] & 0x3F)) : utf8[at];
    }
    return true;
}

std::string FromAnsiCodePage(const std::string& ansi) {
    std::string utf8;
    for (const unsigned char byte : ansi) {
        if (byte >= 0x80) utf8 += static_cast<char>(0xC0 | (byte >> 6));
        utf8 += static_cast<char>(byte >= 0x80 ? 0x80 | (byte & 0x3F) : byte);
    }
    return utf8;
}

}  // namespace sys
