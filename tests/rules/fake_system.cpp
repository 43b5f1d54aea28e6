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

void AddFolder(const std::string& path) { TheVolume().entries[Key(path)] = std::nullopt; }
void AddFile(const std::string& path, const std::string& bytes) { TheVolume().entries[Key(path)] = bytes; }

}  // namespace fake

namespace sys {

Error CreateFolder(const char* path) {
    fake::TheVolume().createCalls.emplace_back(path);
    if (const Error fault = fake::Fault(fake::TheVolume().createFaults, path)) return fault;
    if (fake::Find(path) != nullptr) return kErrorAlreadyExists;
    const std::string key = fake::Key(path);
    const std::size_t separator = key.rfind('\\');
    if (!IsFolder(key.substr(0, separator == 2 ? 3 : separator).c_str())) return kErrorPathNotFound;  // "C:\x" in "C:\"
    fake::AddFolder(path);
    return kSuccess;
}

bool IsFolder(const char* path) {
    const std::optional<std::string>* entry = fake::Find(path);
    return entry != nullptr && !entry->has_value();
}

Error ReadWholeFile(const char* path, std::string* bytes) {
    const std::optional<std::string>* entry = fake::Find(path);
    if (entry == nullptr || !entry->has_value()) return kErrorFileNotFound;
    *bytes = **entry;
    return kSuccess;
}

Error ReplaceFileContents(const char* path, const std::string& bytes) {
    if (const Error fault = fake::Fault(fake::TheVolume().replaceFaults, path)) return fault;
    fake::AddFile(path, bytes);
    return kSuccess;
}

std::string ProgramFolder() { return fake::TheVolume().programFolder; }

}  // namespace sys
