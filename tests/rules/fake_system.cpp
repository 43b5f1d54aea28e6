#include "fake_system.h"

#include <algorithm>

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
    for (const auto& [faultPath, error] : faults) {
        if (Key(faultPath) == Key(path)) return error;
    }
    return sys::kSuccess;
}

void Put(const std::string& path, Entry entry) { TheVolume().entries[Key(path)] = std::move(entry); }

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

}  // namespace fake

namespace sys {

Error CreateFolder(const char* path) {
    fake::TheVolume().createCalls.emplace_back(path);
    if (const Error fault = fake::Fault(fake::TheVolume().createFaults, path)) return fault;
    if (fake::Find(path) != nullptr) return kErrorAlreadyExists;
    const fake::Entry* parent = fake::Find(fake::Parent(fake::Key(path)));
    if (parent == nullptr || !parent->folder) return kErrorPathNotFound;
    fake::AddFolder(path);
    return kSuccess;
}

bool IsFolder(const char* path) { return fake::IsFolder(path); }

Error ReadWholeFile(const char* path, std::string* bytes) {
    if (const Error fault = fake::Fault(fake::TheVolume().readFaults, path)) return fault;
    const fake::Entry* entry = fake::Find(path);
    if (entry == nullptr) return kErrorFileNotFound;
    if (entry->folder) return kErrorAccessDenied;
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

std::string ProgramFolder() { return fake::TheVolume().programFolder; }

}  // namespace sys
