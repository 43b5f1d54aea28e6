#include "Unit2.h"

#include <cstring>
#include <new>
#include <string_view>

#include "Shared.h"

std::unique_ptr<SpecNode> SpecList;
sys::Error LastCreationError = sys::kSuccess;

namespace {

constexpr std::string_view Separators = "<>|";
constexpr const char* IllegalPairs[] = {"<<", "||", "<|", "|<", "|>", "<>"};
constexpr const char* IllegalFolderChars = "\\/:*?\"<>|";

bool IsSeparator(char c) { return c == '<' || c == '>' || c == '|'; }

std::unique_ptr<SpecNode> NewNode() { return std::unique_ptr<SpecNode>(new (std::nothrow) SpecNode); }

// A run of "." alone would climb out of the target folder ("..") or name nothing at all. Windows
// drops a name's trailing dots and blanks, so ". ." and ".. ." are read as "." and ".." too.
bool IsOnlyDotsAndBlanks(const char* name) { return name[std::strspn(name, ". ")] == '\0'; }

// Leading and trailing blanks go; a blank is the space character only.
void RemoveOuterBlanks(char* text) {
    const char* first = text;
    while (*first == ' ') ++first;
    MoveTextLeft(text, first);
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
}

bool ShowCreationFailure(const char* name, sys::Error error) {
    LastCreationError = error;
    ShowFormattedError("A problem occurred during creation of: %s\nAborting further folder creation.", name);
    return false;
}

}  // namespace

void MoveTextLeft(char* dst, const char* src) {
    while ((*dst++ = *src++) != '\0') {
    }
}

bool CreateFromText(const std::string& text) {
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
    const bool created = CheckFolderNames() && CreateFolderTree();
    FreeSpecNodes();
    return created;
}

void NormaliseSpec() {
    char* text = InputBuf.get();
    for (char separator : Separators) {
        for (char* p = text; *p != '\0'; ++p) {
            if (*p != separator) continue;
            char* firstBlank = p;
            while (firstBlank > text && firstBlank[-1] == ' ') --firstBlank;
            if (firstBlank != p) {
                MoveTextLeft(firstBlank, p);
                p = firstBlank;
            }
            const char* afterBlanks = p + 1;
            while (*afterBlanks == ' ') ++afterBlanks;
            if (afterBlanks != p + 1) MoveTextLeft(p + 1, afterBlanks);
        }
    }
}

bool FindClosingBracket(const char* p) {
    int depth = 0;
    for (++p; *p != '\0'; ++p) {
        if (*p == '<') {
            ++depth;
        } else if (*p == '>') {
            if (depth == 0) return true;
            --depth;
        }
    }
    return false;
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
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '<' || FindClosingBracket(p)) continue;
        ShowError("Brackets are not balanced pairs <...>");
        return false;
    }
    return true;
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

bool CheckFolderNames() {
    for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        const char* name = node->name;
        if (const char* illegal = std::strpbrk(name, IllegalFolderChars)) {
            ShowFormattedError("\"%s\" contains \"%c\" which is not legal in a folder name.", name, *illegal);
            return false;
        }
        if (std::strlen(name) > MaxFolderNameLength) {
            ShowFormattedError("\"%s\" is longer than 215 characters, the maximum length advised by Microsoft.", name);
            return false;
        }
        if (IsOnlyDotsAndBlanks(name)) {
            ShowFormattedError("\"%s\" is not a legal folder name.", name);
            return false;
        }
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
    const std::size_t capacity = std::strlen(target) + 780;
    std::unique_ptr<char[]> WorkPath(new (std::nothrow) char[capacity]);
    if (!WorkPath) {
        LastCreationError = sys::kErrorNotEnoughMemory;
        ShowAllocationFailure("WorkPath");
        return false;
    }
    std::strcpy(WorkPath.get(), target);
    const std::size_t targetLength = std::strlen(target);
    if (targetLength > 0 && WorkPath[targetLength - 1] == '\\') WorkPath[targetLength - 1] = '\0';

    for (SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
        if (std::strlen(WorkPath.get()) + 1 + std::strlen(node->name) >= capacity) {
            return ShowCreationFailure(node->name, sys::kErrorFilenameTooLong);
        }
        AppendPathPart(WorkPath.get(), node->name);
        // Only a folder counts as present: a file of that name makes the creation fail.
        if (!sys::IsFolder(WorkPath.get())) {
            if (const sys::Error error = sys::CreateFolder(WorkPath.get())) return ShowCreationFailure(node->name, error);
        }
        if (node->levelChange == -1) continue;
        for (std::int32_t strip = 0; strip <= node->levelChange; ++strip) StripLastPathPart(WorkPath.get());
    }
    return true;
}
