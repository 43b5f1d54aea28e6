#pragma once
// The folder specification engine: normalisation, syntax check, parser, name check and the
// creation of the tree. The stages take no arguments: they work on InputBuf, TargetPath and
// MessageBuffer (Shared.h) and on SpecList. Nothing here needs a window.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "system.h"

struct SpecNode {
    char* name = nullptr;          // points into InputBuf, or into `made`; null in the end node
    std::string made;              // the name a pattern made
    std::int32_t levelChange = 0;  // -1 descend, 0 same level, n > 0 climb n levels
    std::unique_ptr<SpecNode> next;
};

extern std::unique_ptr<SpecNode> SpecList;

constexpr std::size_t MaxSpecificationLength = 2500;  // in UTF-16 units, as typed
constexpr std::size_t MaxFolderNameLength = 215;
// The longest folder path Windows makes, in UTF-16 units: MAX_PATH less its NUL and room for an
// 8.3 name, on Windows 7 and on later Windows unless long paths are enabled for the program.
constexpr std::size_t MaxFolderPathLength = 247;

// The folders the last create command that made any made itself (not those it passed over),
// in the order it made them, as full paths, for as long as Quillet runs.
struct CreatedFolder {
    std::string path;
    sys::FolderIdentity identity;
};
extern std::vector<CreatedFolder> LastCreatedFolders;

// Removes the recorded folders, deepest first, each only while it is still the folder that was
// made and still empty; empties the record and returns the message that says what happened.
std::string UndoLastCreation();

// The create command once the target folder is in TargetPath: copies `text` into a new
// InputBuf, trims it and runs every stage. True when every folder exists at the end.
bool CreateFromText(const std::string& text);
// What the create command would make of `text`: every folder's path below the target, in the
// order of making, or else the first problem in the words its box would use (none for a line of
// blanks). Nothing is shown or made. Paths are measured below TargetPath as it stands.
struct FolderPlan {
    std::string problem;
    std::vector<std::string> folders;  // "a", "a\\b", ...
};
FolderPlan PlanFolders(const std::string& text);
// How many of a plan's folders are there already below `target`. It only reads the disk, so
// it may run in any thread.
std::uint64_t CountThere(const std::string& target, const std::vector<std::string>& folders);
// The main window's status for a plan of `folders`: how many, and how many of them are there
// already where that is known.
std::string FolderCountText(std::uint64_t folders, std::optional<std::uint64_t> there);
// Asked for, the whole plan: every folder on a line of its own, indented by level, those that
// are there already marked, at most `maxLines` of them and then how many more.
std::string PreviewTree(const std::string& text, std::size_t maxLines);

void NormaliseSpec();
bool CheckSpecSyntax();
void MoveTextLeft(char* dst, const char* src);
// Builds SpecList over InputBuf. False only when memory runs out; it has then shown its
// message and left no list.
bool ParseSpec();
void FreeSpecNodes();
// Releases the shared buffers and any parsed specification; each only once.
void ReleaseBuffers();
// Replaces each name that holds patterns by the names they stand for, each with its own copy of
// the folders below it. False, with the message shown, when a pattern cannot be read or the
// line would make more than MaxFoldersPerCommand folders.
bool ExpandPatterns();
bool CheckFolderNames();
// Whether every folder's full path stays within MaxFolderPathLength; otherwise the first that
// would not has been named, before anything is made.
bool CheckFolderPaths();
bool CreateFolderTree();
void AppendPathPart(char* path, const char* name);
void StripLastPathPart(char* path);
