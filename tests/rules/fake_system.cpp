#include "fake_system.h"

namespace fake {

namespace {

std::string Key(const std::string& path) {
    std::string key = path;
    for (char& c : key) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

const std::optional<std::string>* Find(const std::string& path) {
    const auto found = TheVolume().entries.find(Key(path));
    return found == TheVolume().entries.end() ? nullptr : &found->second;
}

sys::Error Fault(const std::map<std::string, sys::Error>& faults, const std::string& path) {
    const auto found = faults.find(path);
    return found == faults.end() ? sys::kSuccess : found->second;
}

}  // namespace

Volume& TheVolume() {
    static Volume volume;
    return volume;
}

void Reset() {
    TheVolume() = {};
    ShownErrors().clear();
    AddFolder("C:\\");
    AddFolder("C:\\Program Files");
    AddFolder(TheVolume().programFolder);
}

void AddFolder(const std::string& path) {
    TheVolume().entries[Key(path)] = std::nullopt;
    TheVolume().folderIndexes[Key(path)] = ++TheVolume().foldersMade;
}

void AddFile(const std::string& path, const std::string& bytes) {
    TheVolume().entries[Key(path)] = bytes;
    TheVolume().folderIndexes.erase(Key(path));
}

bool Exists(const std::string& path) {
    return TheVolume().entries.count(Key(path)) != 0;
}

}  // namespace fake

namespace sys {

Error CreateFolder(const char* path, FolderIdentity* made) {
    fake::TheVolume().createCalls.emplace_back(path);
    if (const Error fault = fake::Fault(fake::TheVolume().createFaults, path)) return fault;
    if (fake::Find(path) != nullptr) return kErrorAlreadyExists;
    const std::string key = fake::Key(path);
    const std::size_t separator = key.rfind('\\');
    if (!IsFolder(key.substr(0, separator == 2 ? 3 : separator).c_str())) return kErrorPathNotFound;  // "C:\x" in "C:\"
    fake::AddFolder(path);
    *made = {fake::TheVolume().folderIndexes[key]};
    return kSuccess;
}

Removal RemoveFolder(const char* path, const FolderIdentity& made) {
    const std::string key = fake::Key(path);
    auto& volume = fake::TheVolume();
    if (fake::Find(path) == nullptr) return Removal::Gone;
    const auto index = volume.folderIndexes.find(key);
    if (index == volume.folderIndexes.end() || !(FolderIdentity{index->second} == made)) return Removal::Replaced;
    const auto child = volume.entries.lower_bound(key + "\\");
    if (child != volume.entries.end() && child->first.rfind(key + "\\", 0) == 0) return Removal::NotEmpty;
    volume.entries.erase(key);
    volume.folderIndexes.erase(index);
    return Removal::Removed;
}

bool IsFolder(const char* path) {
    const std::optional<std::string>* entry = fake::Find(path);
    return entry != nullptr && !entry->has_value();
}

Error ReadWholeFile(const char* path, std::size_t limit, std::string* bytes) {
    if (const Error fault = fake::Fault(fake::TheVolume().readFaults, path)) return fault;
    const std::optional<std::string>* entry = fake::Find(path);
    if (entry == nullptr || !entry->has_value()) return kErrorFileNotFound;
    if ((*entry)->size() > limit) return kErrorFileTooLarge;
    *bytes = **entry;
    return kSuccess;
}

Error ReplaceFileContents(const char* path, const std::string& bytes) {
    if (const Error fault = fake::Fault(fake::TheVolume().replaceFaults, path)) return fault;
    fake::AddFile(path, bytes);
    return kSuccess;
}

ExclusiveUse::ExclusiveUse(const char*) : error_(fake::TheVolume().exclusiveUseFault) {}
ExclusiveUse::~ExclusiveUse() = default;

void Sleep(unsigned) {}

std::string ProgramPath() { return fake::TheVolume().programFolder + "Quillet.exe"; }

// The fake's code page is Latin-1: the first 256 characters, one byte each.
bool ToAnsiCodePage(const std::string& utf8, std::string* ansi) {
    ansi->clear();
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0x80) {
            *ansi += utf8[at];
        } else if ((lead == 0xC2 || lead == 0xC3) && at + 1 < utf8.size()) {
            *ansi += static_cast<char>(((lead & 0x03) << 6) | (utf8[++at] & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

std::string FromAnsiCodePage(const std::string& ansi) {
    std::string utf8;
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) utf8 += static_cast<char>(0xC0 | (byte >> 6));
        utf8 += byte >= 0x80 ? static_cast<char>(0x80 | (byte & 0x3F)) : c;
    }
    return utf8;
}

}  // namespace sys
