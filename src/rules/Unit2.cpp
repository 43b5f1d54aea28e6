#include "Unit2.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <set>
#include <string_view>

#include "Patterns.h"
#include "Shared.h"

std::unique_ptr<SpecNode> SpecList;
std::vector<CreatedFolder> LastCreatedFolders;

namespace {

constexpr int PendingChildAttempts = 10;
constexpr unsigned PendingChildWaitMs = 50;

constexpr const char* IllegalPairs[] = {"<<", "||", "<|", "|<", "|>", "<>"};
constexpr const char* IllegalFolderChars = "\\/:*?\"<>|";

bool IsSeparator(char c) {
    return c == '<' || c == '>' || c == '|';
}

std::unique_ptr<SpecNode> NewNode() {
    return std::unique_ptr<SpecNode>(new (std::nothrow) SpecNode);
}

constexpr std::string_view ReservedDeviceNames[] = {"CON", "PRN", "AUX", "NUL"};
constexpr std::string_view NumberedDeviceNames[] = {"COM", "LPT"};
// Windows takes the superscript digits for port numbers too.
constexpr std::string_view PortDigits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "\u00B9", "\u00B2", "\u00B3"};

// Windows counts a name's length in UTF-16 units: one per character, two beyond the first 65536.
std::size_t Utf16Length(const char* utf8) {
    std::size_t units = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p != '\0'; ++p) {
        if ((*p & 0xC0) != 0x80) ++units;
        if (*p >= 0xF0) ++units;
    }
    return units;
}

bool EqualsUpperAscii(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
        if (c != upper[i]) return false;
    }
    return true;
}

// A device name, in any case and whatever follows its first dot ("nul.txt"), is no folder.
bool IsReservedDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (std::string_view device : ReservedDeviceNames) {
        if (EqualsUpperAscii(base, device)) return true;
    }
    if (base.size() < 4) return false;
    for (std::string_view device : NumberedDeviceNames) {
        if (!EqualsUpperAscii(base.substr(0, 3), device)) continue;
        for (std::string_view digit : PortDigits) {
            if (base.substr(3) == digit) return true;
        }
    }
    return false;
}

// Names Windows would not make as typed: it strips a trailing dot or blank (so "Q1 ." would
// become Q1 and ". ." the target itself), refuses control characters, and opens devices.
bool IsLegalFolderName(const char* name) {
    const std::string_view text = name;
    if (text.back() == '.' || text.back() == ' ') return false;
    // The C0 controls, DEL, and the C1 controls U+0080 to U+009F (C2 80 to C2 9F in UTF-8).
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        const bool c1 = c == 0xC2 && at + 1 < text.size() && (static_cast<unsigned char>(text[at + 1]) & 0xE0) == 0x80;
        if (c < 0x20 || c == 0x7F || c1) return false;
    }
    return !IsReservedDeviceName(text);
}

// Leading and trailing blanks go; a blank is the space character only.
void RemoveOuterBlanks(char* text) {
    const char* first = text;
    while (*first == ' ') ++first;
    MoveTextLeft(text, first);
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
}

// What a command made replaces the record when the command ends, even at a failure; a command
// that made nothing leaves the record as it was.
struct RecordOnExit {
    std::vector<CreatedFolder> made;
    ~RecordOnExit() {
        if (!made.empty()) LastCreatedFolders = std::move(made);
    }
};

std::size_t Depth(const std::string& path) {
    return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

// "3 folders were removed." and one sentence for each reason that left folders in place.
std::string UndoReport(int removed, const std::map<sys::Removal, int>& left) {
    std::string report = removed == 0   ? "No folder was removed."
                         : removed == 1 ? "1 folder was removed."
                                        : std::to_string(removed) + " folders were removed.";
    struct Reason {
        sys::Removal removal;
        const char* one;
        const char* many;
    };
    static constexpr Reason Reasons[] = {
        {sys::Removal::NotEmpty, "it is no longer empty", "they are no longer empty"},
        {sys::Removal::Gone, "it is no longer there", "they are no longer there"},
        {sys::Removal::Replaced, "something else has taken its place", "something else has taken their places"},
        {sys::Removal::Refused, "Windows would not remove it", "Windows would not remove them"},
    };
    for (const Reason& reason : Reasons) {
        const auto found = left.find(reason.removal);
        if (found == left.end()) continue;
        // Appended piece by piece: GCC 12 warns (-Wrestrict) about a chain of + it inlines here.
        const int count = found->second;
        report += ' ';
        report += std::to_string(count);
        report += count == 1 ? " was left because " : " were left because ";
        report += count == 1 ? reason.one : reason.many;
        report += '.';
    }
    return report;
}

// A typed name, read for its patterns, with the names typed below it.
struct TypedFolder {
    NamePattern pattern;
    std::vector<TypedFolder> below;
};

// The tree that SpecList spells, each name read; "" or the message for the first name that
// cannot be read. The date is taken once, for the whole command.
std::string ReadTypedTree(std::vector<TypedFolder>* roots) {
    const sys::Date today = sys::Today();
    std::vector<std::vector<TypedFolder>*> open{roots};
    for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        TypedFolder& folder = open.back()->emplace_back();
        if (std::string problem = folder.pattern.Read(node->name, today); !problem.empty()) return problem;
        if (node->levelChange == -1) open.push_back(&folder.below);
        for (std::int32_t climb = 0; climb < node->levelChange && open.size() > 1; ++climb) open.pop_back();
    }
    return {};
}

std::uint64_t FolderCount(const std::vector<TypedFolder>& folders) {
    std::uint64_t count = 0;
    for (const TypedFolder& folder : folders) {
        const std::uint64_t each = SaturatingSum(1, FolderCount(folder.below));
        count = SaturatingSum(count, SaturatingProduct(folder.pattern.Count(), each));
    }
    return count;
}

// 12345 as "12,345".
std::string WithThousands(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) grouped += ',';
        grouped += digits[at];
    }
    return grouped;
}

// The target folder's path without the backslash that a drive's root ends in.
std::string WithoutBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string TargetWithoutBackslash() {
    return WithoutBackslash(TargetPath.get());
}

// What *(parent) stands for at the top: the target folder's name, or a drive root's letter.
std::string TargetFolderName() {
    const std::string target = TargetWithoutBackslash();
    std::string name = target.substr(target.find_last_of('\\') + 1);
    if (!name.empty() && name.back() == ':') name.pop_back();
    return name;
}

// Appends the expanded names to a list in creation order. A node's level change is known once
// the next node's depth is: down one, or up as many levels as the next one lies higher.
class ListBuilder {
public:
    explicit ListBuilder(SpecNode* first) : next_(first) {}

    // The name as it now stands in the list; null once memory has run out.
    const std::string* Add(std::string name, std::size_t depth) {
        if (next_ == nullptr) return nullptr;
        if (last_ != nullptr)
            last_->levelChange = depth > lastDepth_ ? -1 : static_cast<std::int32_t>(lastDepth_ - depth);
        next_->made = std::move(name);
        next_->name = next_->made.data();
        next_->next = NewNode();
        last_ = next_;
        lastDepth_ = depth;
        next_ = next_->next.get();
        return &last_->made;
    }
    bool Complete() const { return next_ != nullptr; }

private:
    SpecNode* next_;
    SpecNode* last_ = nullptr;
    std::size_t lastDepth_ = 0;
};

void Expand(const std::vector<TypedFolder>& folders, const std::string& parent, std::size_t depth, ListBuilder& list) {
    for (const TypedFolder& folder : folders) {
        for (std::uint64_t index = 0; index < folder.pattern.Count(); ++index) {
            const std::string* added = list.Add(folder.pattern.Name(index, parent), depth);
            if (added == nullptr) return;
            Expand(folder.below, *added, depth + 1, list);
        }
    }
}

bool ShowCreationFailure(const char* name, sys::Error error) {
    FormatText(MessageBuffer.get(), MessageBufferSize,
               "A problem occurred during creation of: %s\nAborting further folder creation.", {name});
    ShowError(MessageBuffer.get(), error);
    return false;
}

}  // namespace

void MoveTextLeft(char* dst, const char* src) {
    while ((*dst++ = *src++) != '\0') {
    }
}

namespace {

// Every stage before the first folder is made: true when SpecList then holds the folders to make.
bool ReadSpecification(const std::string& text) {
    if (const std::size_t typed = Utf16Length(text.c_str()); typed > MaxSpecificationLength) {
        ShowFormattedError(
            "The folder specification holds %lu characters, more than the 2,500 that Quillet takes, "
            "so no folders were created.",
            static_cast<unsigned long>(typed));
        return false;
    }
    const std::size_t length = text.size();
    InputBuf.reset();
    InputBuf.reset(new (std::nothrow) char[length + 10]);
    if (!InputBuf) {
        ShowAllocationFailure("InputBuf");
        return false;
    }
    std::memset(InputBuf.get(), 0, length + 10);
    std::memcpy(InputBuf.get(), text.data(), length);
    RemoveOuterBlanks(InputBuf.get());
    if (InputBuf[0] == '\0') return false;
    NormaliseSpec();
    if (!CheckSpecSyntax()) return false;
    if (!ParseSpec()) return false;
    if (ExpandPatterns() && CheckFolderNames() && CheckFolderPaths()) return true;
    FreeSpecNodes();
    return false;
}

}  // namespace

bool CreateFromText(const std::string& text) {
    if (!ReadSpecification(text)) return false;
    const bool created = CreateFolderTree();
    FreeSpecNodes();
    return created;
}

std::string FolderCountText(std::uint64_t folders, std::optional<std::uint64_t> there) {
    const std::string named = folders == 1 ? "1 folder" : WithThousands(folders) + " folders";
    if (!there) return named;
    return *there == 0 ? "Creates " + named : named + ", " + WithThousands(*there) + " there already";
}

FolderPlan PlanFolders(const std::string& text) {
    const HeldErrors held;
    FolderPlan plan;
    if (!ReadSpecification(text)) {
        plan.problem = held.First();
        return plan;
    }
    std::size_t folders = 0;  // counted first: up to 10,000 paths are not copied as the list grows
    for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        ++folders;
    }
    plan.folders.reserve(folders);
    std::string path;                  // below the target
    std::vector<std::size_t> parents;  // the path's length above each level entered
    for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        const std::size_t parentLength = path.size();
        if (!path.empty()) path += '\\';
        path += node->name;
        plan.folders.push_back(path);
        if (node->levelChange == -1) {
            parents.push_back(parentLength);
            continue;
        }
        path.resize(parentLength);
        for (std::int32_t climb = 0; climb < node->levelChange && !parents.empty(); ++climb) {
            path.resize(parents.back());
            parents.pop_back();
        }
    }
    FreeSpecNodes();
    return plan;
}

std::uint64_t CountThere(const std::string& target, const std::vector<std::string>& folders) {
    const std::string base = WithoutBackslash(target) + '\\';
    std::uint64_t there = 0;
    for (const std::string& folder : folders) there += sys::IsFolder((base + folder).c_str()) ? 1 : 0;
    return there;
}

std::string PreviewTree(const std::string& text, std::size_t maxLines) {
    const FolderPlan plan = PlanFolders(text);
    if (plan.folders.empty()) return plan.problem;
    const std::string base = TargetWithoutBackslash() + '\\';
    std::uint64_t there = 0;
    std::string lines;
    for (std::size_t index = 0; index < plan.folders.size(); ++index) {
        const std::string& path = plan.folders[index];
        const bool exists = sys::IsFolder((base + path).c_str());
        there += exists ? 1 : 0;
        if (index >= maxLines) continue;
        const auto depth = static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
        lines += std::string(4 * depth, ' ') + path.substr(path.find_last_of('\\') + 1) +
                 (exists ? "   (there already)" : "") + "\n";
    }
    if (plan.folders.size() > maxLines) lines += "and " + WithThousands(plan.folders.size() - maxLines) + " more\n";
    return FolderCountText(plan.folders.size(), there) + ":\n\n" + lines;
}

void NormaliseSpec() {
    // One pass, in place: a run of blanks goes when a separator stands on either side of it.
    char* text = InputBuf.get();
    char* out = text;
    for (const char* in = text; *in != '\0';) {
        if (*in != ' ') {
            *out++ = *in++;
            continue;
        }
        const char* afterRun = in + std::strspn(in, " ");
        const bool besideSeparator = (out > text && IsSeparator(out[-1])) || IsSeparator(*afterRun);
        if (!besideSeparator) out = std::copy(in, afterRun, out);
        in = afterRun;
    }
    *out = '\0';
}

bool CheckSpecSyntax() {
    const char* text = InputBuf.get();
    const char first = text[0];
    if (IsSeparator(first)) {
        ShowFormattedError("%c is not legal at start of folder specification.", first);
        return false;
    }
    const char last = text[std::strlen(text) - 1];
    if (last == '|' || last == '<') {
        ShowFormattedError("%c is not legal at end of folder specification.", last);
        return false;
    }
    for (const char* pair : IllegalPairs) {
        if (std::strstr(text, pair) == nullptr) continue;
        ShowFormattedError("%s is never a legal combination.", pair);
        return false;
    }
    int opening = 0;
    int closing = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        opening += *p == '<';
        closing += *p == '>';
    }
    if (opening != closing) {
        ShowError("< and > not equal in number");
        return false;
    }
    // Each > closes the nearest < still open before it; a < left open has no > of its own.
    int open = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '<') ++open;
        if (*p == '>' && open > 0) --open;
    }
    if (open == 0) return true;
    ShowError("Brackets are not balanced pairs <...>");
    return false;
}

bool ParseSpec() {
    SpecList = NewNode();
    SpecNode* current = SpecList.get();
    char* p = InputBuf.get();
    while (current != nullptr && *p != '\0') {
        // The first character always belongs to the name, even a '<' after a run of '>'.
        char* q = p + 1;
        while (*q != '\0' && !IsSeparator(*q)) ++q;
        current->name = p;
        if (*q == '<') {
            current->levelChange = -1;
            *q = '\0';
            p = q;
        } else if (*q == '|') {
            *q = '\0';
            p = q;
        } else if (*q == '>') {
            for (; *q == '>' || *q == '|'; ++q) {
                current->levelChange += *q == '>';
                *q = '\0';
            }
            p = q - 1;
        } else {
            p = q - 1;  // the name runs to the end of the text
        }
        current->next = NewNode();
        current = current->next.get();
        ++p;
    }
    if (current != nullptr) return true;
    FreeSpecNodes();
    ShowAllocationFailure("SpecNode");
    return false;
}

void FreeSpecNodes() {
    // One node at a time: a long list must not unwind recursively.
    while (SpecList) SpecList = std::move(SpecList->next);
}

void ReleaseBuffers() {
    MessageBuffer.reset();
    TargetPath.reset();
    InputBuf.reset();
    FreeSpecNodes();
}

bool ExpandPatterns() {
    // Without patterns the list stays as parsed.
    bool patterns = false;
    for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        patterns = patterns || std::strstr(node->name, "*(") != nullptr;
    }
    if (!patterns) return true;
    std::vector<TypedFolder> typed;
    if (const std::string problem = ReadTypedTree(&typed); !problem.empty()) {
        ShowError(problem.c_str());
        return false;
    }
    if (const std::uint64_t count = FolderCount(typed); count > MaxFoldersPerCommand) {
        ShowFormattedError(
            "The folder specification makes %s folders, more than the 10,000 that Quillet makes at one "
            "time, so no folders were created.",
            WithThousands(count).c_str());
        return false;
    }
    std::unique_ptr<SpecNode> list = NewNode();
    ListBuilder builder(list.get());
    Expand(typed, TargetFolderName(), 0, builder);
    FreeSpecNodes();
    if (!builder.Complete()) {
        ShowAllocationFailure("SpecNode");
        return false;
    }
    SpecList = std::move(list);
    return true;
}

bool CheckFolderNames() {
    for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        const char* name = node->name;
        if (const char* illegal = std::strpbrk(name, IllegalFolderChars)) {
            ShowFormattedError("\"%s\" contains \"%c\" which is not legal in a folder name.", name, *illegal);
            return false;
        }
        if (Utf16Length(name) > MaxFolderNameLength) {
            ShowFormattedError("\"%s\" is longer than 215 characters, the maximum length advised by Microsoft.", name);
            return false;
        }
        if (!IsLegalFolderName(name)) {
            ShowFormattedError("\"%s\" is not a legal folder name.", name);
            return false;
        }
    }
    return true;
}

bool CheckFolderPaths() {
    // The lengths of the paths the next folder goes below, the target's first.
    std::vector<std::size_t> parents{Utf16Length(TargetWithoutBackslash().c_str())};
    for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        const std::size_t length = parents.back() + 1 + Utf16Length(node->name);
        if (length > MaxFolderPathLength) {
            ShowFormattedError(
                "The path of \"%s\" would be %lu characters long, longer than the %lu that Windows "
                "allows for a folder.",
                node->name, static_cast<unsigned long>(length), static_cast<unsigned long>(MaxFolderPathLength));
            return false;
        }
        if (node->levelChange == -1) parents.push_back(length);
        for (std::int32_t climb = 0; climb < node->levelChange && parents.size() > 1; ++climb) parents.pop_back();
    }
    return true;
}

void AppendPathPart(char* path, const char* name) {
    std::strcat(path, "\\");
    std::strcat(path, name);
}

void StripLastPathPart(char* path) {
    if (char* lastBackslash = std::strrchr(path, '\\')) *lastBackslash = '\0';
}

bool CreateFolderTree() {
    const char* target = TargetPath.get();
    // Room for 780 more characters of UTF-8, up to three bytes each.
    const std::size_t capacity = std::strlen(target) + 780 * 3;
    std::unique_ptr<char[]> WorkPath(new (std::nothrow) char[capacity]);
    if (!WorkPath) {
        ShowAllocationFailure("WorkPath");
        return false;
    }
    std::strcpy(WorkPath.get(), target);
    RecordOnExit record;
    const std::size_t targetLength = std::strlen(target);
    if (targetLength > 0 && WorkPath[targetLength - 1] == '\\') WorkPath[targetLength - 1] = '\0';

    for (SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        if (std::strlen(WorkPath.get()) + 1 + std::strlen(node->name) >= capacity) {
            return ShowCreationFailure(node->name, sys::kErrorFilenameTooLong);
        }
        AppendPathPart(WorkPath.get(), node->name);
        // Made first, looked at only when that fails: only a folder counts as present, so a
        // file of that name makes the creation fail.
        sys::FolderIdentity identity;
        const sys::Error error = sys::CreateFolder(WorkPath.get(), &identity);
        if (error == sys::kSuccess) {
            record.made.push_back({WorkPath.get(), identity});
        } else if (error != sys::kErrorAlreadyExists || !sys::IsFolder(WorkPath.get())) {
            return ShowCreationFailure(node->name, error);
        }
        if (node->levelChange == -1) continue;
        for (std::int32_t strip = 0; strip <= node->levelChange; ++strip) StripLastPathPart(WorkPath.get());
    }
    return true;
}

namespace {

// A child just removed may stay pending deletion for a moment while another program holds it
// open (Windows before 10 1709), which keeps its parent from being empty: such a parent is tried
// again for about half a second.
sys::Removal RemoveAfterChildren(const CreatedFolder& folder, bool childRemoved) {
    return Retried(
        childRemoved ? PendingChildAttempts : 1, PendingChildWaitMs,
        [&folder] { return sys::RemoveFolder(folder.path.c_str(), folder.identity); },
        [](sys::Removal removal) { return removal == sys::Removal::NotEmpty; });
}

}  // namespace

std::string UndoLastCreation() {
    std::vector<CreatedFolder> folders = std::move(LastCreatedFolders);
    LastCreatedFolders.clear();
    // Deepest first, and among equals the last made first, so that each folder goes after its contents.
    std::reverse(folders.begin(), folders.end());
    std::stable_sort(folders.begin(), folders.end(),
                     [](const CreatedFolder& a, const CreatedFolder& b) { return Depth(a.path) > Depth(b.path); });
    // The folders a child of which this undo removed: one look each, however many were made.
    std::set<std::string> parentsOfRemoved;
    int removed = 0;
    std::map<sys::Removal, int> left;
    for (const CreatedFolder& folder : folders) {
        const sys::Removal removal = RemoveAfterChildren(folder, parentsOfRemoved.contains(folder.path));
        if (removal == sys::Removal::Removed) {
            ++removed;
            parentsOfRemoved.insert(folder.path.substr(0, folder.path.find_last_of('\\')));
        } else {
            ++left[removal];
        }
    }
    return UndoReport(removed, left);
}
