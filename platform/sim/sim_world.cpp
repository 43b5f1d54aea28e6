// The one simulated world: its window tree, the resolution of volume paths, and sim::Reset.
#include "sim_world.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace sim::detail {

namespace {

constexpr const char* kDesktopFolder = "C:\\Users\\me\\Desktop";
constexpr const char* kDocumentsFolder = "C:\\Users\\me\\Documents";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Characters that make Win32 reject a path outright (ERROR_INVALID_NAME); a colon is only
// allowed after the drive letter (after it, it would name an NTFS stream).
bool IsForbiddenInPath(char c) {
    return static_cast<unsigned char>(c) < 32 || std::strchr("*?\"<>|:", c) != nullptr;
}

World FreshWorld() {
    World world;
    world.shell.commandLine = "\"C:\\Program Files\\Quillet\\Quillet.exe\"";
    world.shell.specialFolders = {{win::kCsidlPersonal, kDocumentsFolder},
                                  {win::kCsidlDesktopDirectory, kDesktopFolder}};
    for (const char* folder : {"C:\\", kDesktopFolder, kDocumentsFolder}) {
        const VolumePath path = *ResolvePath(folder);
        world.volume.AddFolders(path, path.parts.size());
    }
    return world;
}

}  // namespace

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = AsciiUpper(c);
    return upper;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return CompareIgnoringAsciiCase(a, b) == 0;
}

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto left = static_cast<unsigned char>(AsciiLower(a[i]));
        const auto right = static_cast<unsigned char>(AsciiLower(b[i]));
        if (left != right) return left < right ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// ---- Window tree ---------------------------------------------------------------------------

win::WindowHandle WindowTree::Create(win::WindowHandle parent, const std::string& className, const std::string& text,
                                     const win::Rect& rect, int clientLeft, int clientTop) {
    Window* parentWindow = nullptr;
    if (parent != nullptr) {
        parentWindow = Find(parent);
        if (parentWindow == nullptr) throw std::logic_error("sim: a window's parent must be a live window");
    }
    // Handles count up for the life of the process, across sim::Reset too, so a stale handle
    // never names a new window.
    static std::uintptr_t lastHandle = 0x10000;
    lastHandle += 4;
    const auto handle = reinterpret_cast<win::WindowHandle>(lastHandle);

    Window window;
    window.parent = parent;
    window.className = className;
    window.text = text;
    window.rect = rect;
    window.clientLeft = clientLeft;
    window.clientTop = clientTop;
    windows_.emplace(handle, std::move(window));
    if (parentWindow != nullptr) {
        parentWindow->children.push_back(handle);
    } else {
        topLevel_.push_back(handle);
        BringToTop(handle);
    }
    return handle;
}

void WindowTree::Destroy(win::WindowHandle window) {
    Window* target = Find(window);
    if (target == nullptr) return;
    const std::vector<win::WindowHandle> children = target->children;
    for (win::WindowHandle child : children) Destroy(child);
    std::vector<win::WindowHandle>& siblings = SiblingsOf(*target);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    windows_.erase(window);
}

Window* WindowTree::Find(win::WindowHandle window) {
    const auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : &found->second;
}

const std::vector<win::WindowHandle>* WindowTree::Children(win::WindowHandle parent) {
    if (parent == nullptr) return &topLevel_;
    Window* window = Find(parent);
    return window == nullptr ? nullptr : &window->children;
}

std::pair<int, int> WindowTree::ClientOrigin(win::WindowHandle parent) {
    const Window* window = Find(parent);
    if (window == nullptr) return {0, 0};
    return {window->rect.left + window->clientLeft, window->rect.top + window->clientTop};
}

void WindowTree::MoveTo(win::WindowHandle window, int left, int top) {
    const Window* target = Find(window);
    if (target == nullptr) return;
    Shift(window, left - target->rect.left, top - target->rect.top);
}

void WindowTree::BringToTop(win::WindowHandle window) {
    Window* target = Find(window);
    if (target == nullptr) return;
    std::vector<win::WindowHandle>& siblings = SiblingsOf(*target);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    auto place = siblings.begin();
    if (!target->topmost) {
        place = std::find_if(siblings.begin(), siblings.end(),
                             [this](win::WindowHandle sibling) { return !windows_.at(sibling).topmost; });
    }
    siblings.insert(place, window);
}

std::vector<win::WindowHandle>& WindowTree::SiblingsOf(const Window& window) {
    return window.parent == nullptr ? topLevel_ : windows_.at(window.parent).children;
}

void WindowTree::Shift(win::WindowHandle window, int dx, int dy) {
    Window& target = windows_.at(window);
    target.rect.left += dx;
    target.rect.right += dx;
    target.rect.top += dy;
    target.rect.bottom += dy;
    for (win::WindowHandle child : target.children) Shift(child, dx, dy);
}

// ---- Volume --------------------------------------------------------------------------------

std::string VolumePath::KeyOf(std::size_t count) const {
    std::string key = AsciiUpper(parts[0]);
    for (std::size_t i = 1; i < count; ++i) {
        key += '\\';
        key += AsciiUpper(parts[i]);
    }
    return key;
}

std::optional<VolumePath> ResolvePath(std::string_view path) {
    if (path.size() < 2 || !IsAsciiLetter(path[0]) || path[1] != ':') return std::nullopt;
    const std::string_view rest = path.substr(2);
    if (!rest.empty() && !IsSeparator(rest.front())) return std::nullopt;

    std::vector<std::string> components;
    std::string component;
    for (char c : rest) {
        if (IsSeparator(c)) {
            if (!component.empty()) components.push_back(std::move(component));
            component.clear();
            continue;
        }
        if (IsForbiddenInPath(c)) return std::nullopt;
        component += c;
    }
    if (!component.empty()) components.push_back(std::move(component));

    VolumePath resolved;
    resolved.parts.push_back({AsciiUpper(path[0]), ':'});
    resolved.trailingSeparator = rest.empty() || IsSeparator(rest.back());
    for (std::string& part : components) {
        if (part == ".") continue;
        if (part == "..") {
            if (!resolved.IsRoot()) resolved.parts.pop_back();
            continue;
        }
        const bool singleTrailingPeriod = part.back() == '.' && (part.size() < 2 || part[part.size() - 2] != '.');
        if (singleTrailingPeriod) part.pop_back();
        resolved.parts.push_back(std::move(part));
    }
    if (!resolved.trailingSeparator && !resolved.IsRoot()) {
        std::string& last = resolved.parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
        if (last.empty()) {
            resolved.parts.pop_back();
            resolved.trailingSeparator = true;
        }
    }
    return resolved;
}

VolumeEntry* Volume::Find(const std::string& key) {
    const auto found = entries.find(key);
    return found == entries.end() ? nullptr : &found->second;
}

void Volume::AddFolders(const VolumePath& path, std::size_t count) {
    for (std::size_t i = 1; i <= count; ++i) {
        const std::string key = path.KeyOf(i);
        const VolumeEntry* entry = Find(key);
        if (entry == nullptr) {
            entries[key] = VolumeEntry{path.parts[i - 1], true, 0, {}};
        } else if (!entry->folder) {
            throw std::logic_error("sim: a file stands where a folder must be: " + path.parts[i - 1]);
        }
    }
}

World& TheWorld() {
    static World world = FreshWorld();
    return world;
}

}  // namespace sim::detail

namespace sim {

void Reset() {
    detail::TheWorld() = detail::FreshWorld();
}

}  // namespace sim
