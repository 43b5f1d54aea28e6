// The volume half of winapi.h over the simulated volume: an in-memory Windows-like volume
// with drive roots, case-insensitive names that keep the case they were made with, folders
// and files with attribute bits, and the faults that tests switch on.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "sim_world.h"

namespace {

using sim::detail::TheWorld;
using sim::detail::Volume;
using sim::detail::VolumeEntry;
using sim::detail::VolumePath;

// The ANSI entry points convert into a MAX_PATH buffer: longer paths fail outright.
constexpr std::size_t kMaxAnsiPath = win::kMaxPath - 1;
// CreateDirectoryA leaves room for an 8.3 name below the new folder.
constexpr std::size_t kMaxCreateDirectoryPath = win::kMaxPath - 12 - 1;

Volume& TheVolume() {
    return TheWorld().volume;
}

// A path as a Win32 ANSI function takes it; null when Win32 would reject it.
std::optional<VolumePath> ResolveWin32(const char* path) {
    if (path == nullptr || std::strlen(path) > kMaxAnsiPath) return std::nullopt;
    return sim::detail::ResolvePath(path);
}

// A path given by a test: a trailing backslash is ignored, and a bad path is a test error.
VolumePath ResolveForTest(const std::string& path) {
    std::optional<VolumePath> resolved = sim::detail::ResolvePath(path);
    if (!resolved) throw std::invalid_argument("sim: not an absolute drive path: " + path);
    return *resolved;
}

// The entry a Win32 call reaches: a trailing backslash reaches folders only.
VolumeEntry* EntryAt(const VolumePath& path) {
    VolumeEntry* entry = TheVolume().Find(path.Key());
    if (entry == nullptr || (path.trailingSeparator && !entry->folder)) return nullptr;
    return entry;
}

VolumeEntry* EntryForTest(const std::string& path) {
    return TheVolume().Find(ResolveForTest(path).Key());
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, with or without an extension: Win32 opens the device.
bool IsReservedDeviceName(const std::string& name) {
    std::string base = sim::detail::AsciiUpper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

bool IsFolder(const VolumeEntry* entry) {
    return entry != nullptr && entry->folder;
}

}  // namespace

namespace win {

unsigned long GetFileAttributesA(const char* path) {
    const std::optional<VolumePath> resolved = ResolveWin32(path);
    if (!resolved) return kInvalidFileAttributes;
    const VolumeEntry* entry = EntryAt(*resolved);
    if (entry == nullptr) return kInvalidFileAttributes;
    if (entry->folder) return entry->attributes | kFileAttributeDirectory;
    // Win32 reports a file without any attribute as FILE_ATTRIBUTE_NORMAL, never as 0.
    constexpr unsigned long kFileAttributeNormal = 0x80;
    return entry->attributes != 0 ? entry->attributes : kFileAttributeNormal;
}

bool CreateDirectoryA(const char* path, void* /*securityAttributes*/) {
    Volume& volume = TheVolume();
    ++volume.createDirectoryCalls;
    if (path == nullptr || std::strlen(path) > kMaxCreateDirectoryPath) return false;
    const std::optional<VolumePath> resolved = ResolveWin32(path);
    if (!resolved || resolved->IsRoot()) return false;
    if (IsReservedDeviceName(resolved->Name())) return false;
    const std::string key = resolved->Key();
    if (volume.failCreateDirectory.count(key) != 0) return false;
    if (volume.Find(key) != nullptr) return false;
    if (!IsFolder(volume.Find(resolved->ParentKey()))) return false;
    volume.entries[key] = VolumeEntry{resolved->Name(), true, 0, {}};
    return true;
}

bool PathIsDirectoryA(const char* path) {
    const std::optional<VolumePath> resolved = ResolveWin32(path);
    return resolved && IsFolder(EntryAt(*resolved));
}

FileRead ReadWholeFile(const char* path, std::string* bytes) {
    const std::optional<VolumePath> resolved = ResolveWin32(path);
    if (!resolved) return FileRead::NotOpened;
    const VolumeEntry* entry = EntryAt(*resolved);
    if (entry == nullptr || entry->folder) return FileRead::NotOpened;
    if (TheVolume().failReadLength.count(resolved->Key()) != 0) return FileRead::LengthUnknown;
    *bytes = entry->bytes;
    return FileRead::Read;
}

bool ReplaceFileContents(const char* path, const std::string& bytes) {
    const std::optional<VolumePath> resolved = ResolveWin32(path);
    if (!resolved || resolved->IsRoot() || resolved->trailingSeparator) return false;
    Volume& volume = TheVolume();
    const std::string key = resolved->Key();
    const std::string folderKey = resolved->ParentKey();
    // Every fault strikes before the move over the target, so the old file stays whole.
    if (!IsFolder(volume.Find(folderKey)) || volume.failWritesIn.count(folderKey) != 0) return false;
    const VolumeEntry* existing = volume.Find(key);
    if (existing != nullptr && (existing->folder || (existing->attributes & kFileAttributeReadOnly) != 0)) {
        return false;
    }
    if (volume.failWriteAfter.count(key) != 0) return false;
    // The temporary file, made with no attributes, is moved over the target under its name.
    volume.entries[key] = VolumeEntry{resolved->Name(), false, 0, bytes};
    ++volume.writeCounts[key];
    return true;
}

}  // namespace win

namespace sim {

void AddFolder(const std::string& path, unsigned long attributes) {
    const VolumePath resolved = ResolveForTest(path);
    Volume& volume = TheVolume();
    volume.AddFolders(resolved, resolved.parts.size());
    volume.Find(resolved.Key())->attributes = attributes & ~win::kFileAttributeDirectory;
}

void AddFile(const std::string& path, const std::string& bytes, unsigned long attributes) {
    const VolumePath resolved = ResolveForTest(path);
    if (resolved.IsRoot()) throw std::invalid_argument("sim: a drive root cannot be a file: " + path);
    Volume& volume = TheVolume();
    volume.AddFolders(resolved, resolved.parts.size() - 1);
    const std::string key = resolved.Key();
    if (IsFolder(volume.Find(key))) throw std::logic_error("sim: a folder stands where the file must be: " + path);
    volume.entries[key] = VolumeEntry{resolved.Name(), false, attributes & ~win::kFileAttributeDirectory, bytes};
}

bool FolderExists(const std::string& path) {
    return IsFolder(EntryForTest(path));
}

bool FileExists(const std::string& path) {
    const VolumeEntry* entry = EntryForTest(path);
    return entry != nullptr && !entry->folder;
}

std::string FileBytes(const std::string& path) {
    const VolumeEntry* entry = EntryForTest(path);
    return entry != nullptr && !entry->folder ? entry->bytes : std::string();
}

std::vector<std::string> ListTree(const std::string& root) {
    Volume& volume = TheVolume();
    const std::string rootKey = ResolveForTest(root).Key();
    const std::string prefix = rootKey + '\\';
    std::vector<std::string> listing;
    for (const auto& [key, entry] : volume.entries) {
        if (key.compare(0, prefix.size(), prefix) != 0) continue;
        // Each component under its own name as made, however the path to it is spelt.
        std::string relative;
        for (std::size_t end = key.find('\\', prefix.size()); end != std::string::npos; end = key.find('\\', end + 1)) {
            relative += volume.Find(key.substr(0, end))->name + '\\';
        }
        relative += entry.name;
        if (entry.folder) relative += '\\';
        listing.push_back(std::move(relative));
    }
    std::sort(listing.begin(), listing.end(), [](const std::string& a, const std::string& b) {
        return sim::detail::CompareIgnoringAsciiCase(a, b) < 0;
    });
    return listing;
}

int CreateDirectoryCalls() {
    return TheVolume().createDirectoryCalls;
}

void FailCreateDirectory(const std::string& path) {
    TheVolume().failCreateDirectory.insert(ResolveForTest(path).Key());
}

void FailWritesIn(const std::string& folder) {
    TheVolume().failWritesIn.insert(ResolveForTest(folder).Key());
}

// The write goes to a temporary file, so wherever it breaks off the target is untouched and
// only the failure shows: the byte count changes nothing that can be observed.
void FailWriteAfter(const std::string& path, std::size_t /*bytes*/) {
    TheVolume().failWriteAfter.insert(ResolveForTest(path).Key());
}

void FailReadLength(const std::string& path) {
    TheVolume().failReadLength.insert(ResolveForTest(path).Key());
}

int FileWriteCount(const std::string& path) {
    const std::map<std::string, int>& counts = TheVolume().writeCounts;
    const auto found = counts.find(ResolveForTest(path).Key());
    return found == counts.end() ? 0 : found->second;
}

}  // namespace sim
