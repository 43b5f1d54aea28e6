#include "fake_system.h"

#include <algorithm>

#include "Shared.h"

namespace fake {

namespace {

std::string Key(const std::string& path) {
    std::string key = path;
    std::transform(key.begin(), key.end(), key.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

std::string Parent(const std::string& key) {
    const std::size_t separator = key.rfind('\\');
    if (separator == std::string::npos) return {};
    return key.substr(0, separator == 2 ? 3 : separator);  // "C:\x" lies in "C:\"
}

const Entry* Find(const std::string& path) {
    const auto found = TheVolume().entries.find(Key(path));
    return found == TheVolume().entries.end() ? nullptr : &found->second;
}

sys::Error Fault(const std::map<std::string, sys::Error>& faults, const std::string& path) {
    const auto found = faults.find(Key(path));
    return found == faults.end() ? sys::kSuccess : found->second;
}

void Put(const std::string& path, Entry entry) {
    entry.identity = {1, ++TheVolume().lastIndex};
    TheVolume().entries[Key(path)] = std::move(entry);
    TheVolume().shownAs[Key(path)] = path;
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

void AddFolder(const std::string& path) { Put(path, {.folder = true, .bytes = {}}); }
void AddFile(const std::string& path, const std::string& bytes) { Put(path, {.folder = false, .bytes = bytes}); }

bool IsFolder(const std::string& path) {
    const Entry* entry = Find(path);
    return entry != nullptr && entry->folder;
}

std::vector<std::string> FoldersBelow(const std::string& root) {
    const std::string prefix = Key(root) + "\\";
    std::vector<std::string> folders;
    for (const auto& [key, entry] : TheVolume().entries) {
        if (entry.folder && key.rfind(prefix, 0) == 0) folders.push_back(TheVolume().shownAs[key].substr(prefix.size()));
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

bool HoldsFiles(const std::string& path) {
    const std::string prefix = Key(path) + "\\";
    for (const auto& [key, entry] : TheVolume().entries) {
        if (!entry.folder && key.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

std::vector<std::string>& ShownErrors() {
    static std::vector<std::string> texts;
    return texts;
}

}  // namespace fake

void ShowError(const char* text) { fake::ShownErrors().emplace_back(text); }

namespace sys {

Error CreateFolder(const char* path, FolderIdentity* made) {
    ++fake::TheVolume().createCalls;
    if (const Error fault = fake::Fault(fake::TheVolume().createFaults, path)) return fault;
    if (fake::Find(path) != nullptr) return kErrorAlreadyExists;
    const fake::Entry* parent = fake::Find(fake::Parent(fake::Key(path)));
    if (parent == nullptr || !parent->folder) return kErrorPathNotFound;
    fake::AddFolder(path);
    *made = fake::TheVolume().entries[fake::Key(path)].identity;
    return kSuccess;
}

Removal RemoveFolder(const char* path, const FolderIdentity& made) {
    const auto found = fake::TheVolume().entries.find(fake::Key(path));
    if (found == fake::TheVolume().entries.end()) return Removal::Gone;
    if (!found->second.folder || !(found->second.identity == made)) return Removal::Replaced;
    if (!fake::FoldersBelow(path).empty() || fake::HoldsFiles(path)) return Removal::NotEmpty;
    fake::TheVolume().entries.erase(found);
    return Removal::Removed;
}

bool IsFolder(const char* path) { return fake::IsFolder(path); }

Error ReadWholeFile(const char* path, std::size_t limit, std::string* bytes) {
    if (const Error fault = fake::Fault(fake::TheVolume().readFaults, path)) return fault;
    const fake::Entry* entry = fake::Find(path);
    if (entry == nullptr) return kErrorFileNotFound;
    if (entry->folder) return kErrorAccessDenied;
    if (entry->bytes.size() > limit) return kErrorFileTooLarge;
    *bytes = entry->bytes;
    return kSuccess;
}

Error ReplaceFileContents(const char* path, const std::string& bytes) {
    if (const Error fault = fake::Fault(fake::TheVolume().replaceFaults, path)) return fault;
    const fake::Entry* parent = fake::Find(fake::Parent(fake::Key(path)));
    if (parent == nullptr || !parent->folder) return kErrorPathNotFound;
    if (fake::IsFolder(path)) return kErrorAccessDenied;
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
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            *ansi += utf8[i];
        } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            *ansi += static_cast<char>(((lead & 0x03) << 6) | (utf8[++i] & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

std::string FromAnsiCodePage(const std::string& ansi) {
    std::string utf8;
    for (char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

}  // namespace sys
