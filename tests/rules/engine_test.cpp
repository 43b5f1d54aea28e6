// The create command as the user meets it: typed text in; CreateFolder calls and messages out.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <regex>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"

using namespace std::string_literals;
using Texts = std::vector<std::string>;

namespace {

// Lengths count characters as Windows does, not bytes: Omega takes two bytes in UTF-8.
const std::string N215(215, 'n'), N216(216, 'n'), Omega215 = std::regex_replace(N215, std::regex("n"), "\xCE\xA9");

// One command on a fresh volume that holds C:\Data and whatever `arrange` adds. Returns the paths
// CreateFolder was given, each without the target and the one backslash after it.
Texts Create(const std::string& text, bool created, const std::string& target = "C:\\Data",
             const std::function<void()>& arrange = [] {}) {
    fake::Reset();
    fake::AddFolder("C:\\Data");
    arrange();
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", target.c_str());
    EXPECT_EQ(CreateFromText(text), created);
    const std::string prefix = target.back() == '\\' ? target : target + "\\";
    Texts calls;
    for (const std::string& path : fake::TheVolume().createCalls) {
        calls.push_back(path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : "elsewhere: " + path);
    }
    return calls;
}

int NothrowAllocationsLeft = -1;  // the engine's nothrow allocations before one fails; -1: none fails
bool Fails() { return NothrowAllocationsLeft >= 0 && NothrowAllocationsLeft-- == 0; }  // then none after it

}  // namespace

// Through the ordinary operators, so that ASan pairs each allocation with its delete.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Fails() ? nullptr : ::operator new(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Fails() ? nullptr : new char[n]; }

// The whole text is checked before the first folder is made; then each folder is asked for in
// typed order until Windows refuses one. Every row shows at most one message.
TEST(Engine, CreatesTheNamedFoldersOrSaysWhyNot) {
    struct Row {
        std::string text;
        Texts calls;               // the paths CreateFolder is given
        std::string message = "";  // empty when every folder exists at the end
        sys::Error error = 0;
        const char* target = "C:\\Data";
        std::function<void()> arrange = [] {};
    };
    const auto stopped = [](const std::string& name) {
        return "A problem occurred during creation of: " + name + "\nAborting further folder creation.";
    };
    const std::string fits(178, 'f'), tooLong(179, 't');  // WorkPath holds 780 characters of UTF-8 beyond the target
    const std::string deep = std::regex_replace(std::string(10, '<'), std::regex("<"), N215 + "<");
    Texts deepCalls = {N215};  // ten levels of 215-character names, then the name that just fits
    for (int level = 1; level < 10; ++level) deepCalls.push_back(deepCalls.back() + "\\" + N215);
    deepCalls.push_back(deepCalls.back() + "\\" + fits);
    const std::string start = " is not legal at start of folder specification.";
    const std::string end = " is not legal at end of folder specification.", pair = " is never a legal combination.";
    const auto contains = [](const std::string& name, const char* character) {
        return "\"" + name + "\" contains \"" + character + "\" which is not legal in a folder name.";
    };
    const std::string unequal = "< and > not equal in number", unbalanced = "Brackets are not balanced pairs <...>";
    std::vector<Row> rows = {
        {"  a  <  b  c  |  d >|  e  ", {"a", "a\\b  c", "a\\d", "e"}},
        {"COM10|COM0|CONSOLE|nul x|LPT|.a|a.b|. a|" + Omega215,
         {"COM10", "COM0", "CONSOLE", "nul x", "LPT", ".a", "a.b", ". a", Omega215}},
        {"x<y>", {"x", "x\\y"}, "", 0, "C:\\"},
        {"a<b>", {"a", "a\\b"}, "", 0, "C:\\Data", [] { fake::AddFolder("C:\\DATA\\A"); }},
        {"a<b>", {"a"}, stopped("a"), sys::kErrorAlreadyExists, "C:\\Data", [] { fake::AddFile("C:\\Data\\a"); }},
        {"a<%s%n|c>|d", {"a", "a\\%s%n"}, stopped("%s%n"), sys::kErrorSharingViolation, "C:\\Data",
         [] { fake::TheVolume().createFaults["C:\\Data\\a\\%s%n"] = sys::kErrorSharingViolation; }},
        {deep + fits + std::string(10, '>'), deepCalls},
        {deep + tooLong + std::string(10, '>'), Texts(deepCalls.begin(), deepCalls.end() - 1), stopped(tooLong),
         sys::kErrorFilenameTooLong},
        {"|a", {}, "|" + start}, {" <a>", {}, "<" + start}, {">a", {}, ">" + start}, {"a |", {}, "|" + end},
        {"a<", {}, "<" + end}, {"a<b", {}, unequal}, {"a<b>>c", {}, unequal}, {"a>b<c", {}, unbalanced},
        // Pairs are reported in the order <<, ||, <|, |<, |>, <> wherever they stand.
        {"a|>b<<c", {}, "<<" + pair}, {"a<>b||c", {}, "||" + pair}, {"a|<b<|c", {}, "<|" + pair},
        {"a|>b|<c", {}, "|<" + pair}, {"a<>b|>c", {}, "|>" + pair}, {"a<>b", {}, "<>" + pair},
        {"ok<a\\b>", {}, contains("a\\b", "\\")}, {"a/b", {}, contains("a/b", "/")}, {"a:b", {}, contains("a:b", ":")},
        {"a*b", {}, contains("a*b", "*")}, {"a?b", {}, contains("a?b", "?")}, {"a\"b", {}, contains("a\"b", "\"")},
        {"a<b><c>", {}, contains("<c", "<")}, {"ok|a*b\\c", {}, contains("a*b\\c", "*")},
        {"%s%n*", {}, contains("%s%n*", "*")}, {N216 + "?", {}, contains(N216 + "?", "?")},  // characters come first
        {N216 + "|" + N215, {}, "\"" + N216 + "\" is longer than 215 characters, the maximum length advised by "
                                "Microsoft."}};
    // "a<b>" takes InputBuf, three SpecNodes (the last ends the list) and WorkPath, in that order.
    for (int left = 0; const std::string buffer : {"InputBuf", "SpecNode", "SpecNode", "SpecNode", "WorkPath"}) {
        rows.push_back({"a<b>", {}, "Internal program error:\n\n  \"" + buffer + " memory allocation failed\"\n\n"
                        "Please close program and try again.\nIf this keeps happening, please tell us at https://"
                        "quillet.example/, quoting this message and the folder specification you entered.",
                        0, "C:\\Data",
                        [failing = left++] { NothrowAllocationsLeft = failing; }});
    }
    // Names Windows would not make as typed: it drops trailing dots and blanks, opens devices.
    for (const std::string name : {". .", "Q1 .", "%s.", "CON", "nul.txt", "Aux .x", "PRN", "COM1", "lpt9",
                                    "COM\xC2\xB9", "a\tb", "x\x01"}) {
        rows.push_back({"ok|" + name + "<b>", {}, "\"" + name + "\" is not a legal folder name."});
    }
    // The help page's examples and refusals, since the page must say what Quillet does: each row of its
    // two tables ends in the typed code (perhaps with a remark) and what Quillet makes or says.
    std::ifstream file(QUILLET_HELP_PAGE);
    std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    for (const auto& [entity, character] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#9;", "\t"}, {"&amp;", "&"}}) {
        page = std::regex_replace(page, std::regex(entity), character);
    }
    const std::regex cells("<td><code>(.*?)</code>[^<]*</td><td>(.*?)</td></tr>"), comma(", ");
    for (const std::string id : {"example-table", "refusal-table"}) {
        const std::size_t start = page.find("<table id=\"" + id + "\">"), before = rows.size();
        const std::string table = page.substr(start, page.find("</table>", start) - start);
        for (std::sregex_iterator row(table.begin(), table.end(), cells), end; row != end; ++row) {
            const std::string typed = (*row)[1], outcome = (*row)[2];
            const bool example = id == "example-table";
            const Texts made(std::sregex_token_iterator(outcome.begin(), outcome.end(), comma, -1), {});
            rows.push_back({typed, example ? made : Texts{}, example ? "" : outcome});
        }
        EXPECT_GE(rows.size() - before, 7u) << id;
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40) + " in " + row.target);
        EXPECT_EQ(Create(row.text, row.message.empty(), row.target, row.arrange), row.calls);
        EXPECT_EQ(ShownErrors(), row.message.empty() ? Texts{} : Texts{row.message});
        EXPECT_EQ(ShownReasons(), row.message.empty() ? std::vector<sys::Error>{} : std::vector{row.error});
    }
    EXPECT_EQ(Create("   ", false), Texts{});  // nothing typed: nothing to say
    EXPECT_EQ(ShownErrors(), Texts{});
}

TEST(Engine, ParsesIntoNodesOverTheTypedTextAndReleasesEverything) {
    Create("", false);  // the buffers, as the command has them
    // Each name with its level change, and InputBuf up to the end of the text.
    for (const auto& [text, nodes, bytes] : std::vector<std::tuple<const char*, const char*, std::string>>{
             {"a < b | c > | d", "a -1, b 0, c 1, d 0, ", "a\0b\0c\0\0d\0"s},
             {"a<b<c>>d", "a -1, b -1, c 2, d 0, ", "a\0b\0c\0\0d\0"s},
             {"a<b><c>", "a -1, b 1, <c 1, ", "a\0b\0<c\0"s}}) {
        SCOPED_TRACE(text);
        InputBuf.reset(new char[std::strlen(text) + 1]);
        std::strcpy(InputBuf.get(), text);
        NormaliseSpec();
        ASSERT_TRUE(CheckSpecSyntax() && ParseSpec());
        std::string parsed;
        for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
            parsed += node->name + " "s + std::to_string(node->levelChange) + ", ";
        }
        EXPECT_EQ(parsed, nodes);
        EXPECT_EQ(std::string(InputBuf.get(), bytes.size()), bytes);
    }
    ReleaseBuffers();
    EXPECT_FALSE(MessageBuffer || TargetPath || InputBuf || SpecList);
}

// The undo removes what the last command that made folders made, deepest first, each only while it
// is still the very folder made and empty; nothing else, whatever happened on the volume meanwhile.
TEST(Undo, RemovesOnlyRecordedFoldersThatAreStillThereAndEmpty) {
    struct Row {
        Texts commands;              // run in C:\Data in turn; only one that made something replaces the record
        Texts files, folders, gone;  // below C:\Data, then put there by another program, or taken away
        std::string report;
        Texts left;  // what is still there afterwards
    };
    const std::string replaced = " was left because something else has taken its place.";
    for (const Row& row : std::vector<Row>{
             {{"a<b|c>|d"}, {}, {}, {}, "4 folders were removed.", {}},
             {{"a", "a<b|c>|d"}, {}, {}, {}, "3 folders were removed.", {"a"}},
             {{"a<b|c>|d"}, {"a\\b\\f"}, {"a\\c"}, {"d"},
              "No folder was removed. 2 were left because they are no longer empty. 1 was left because it is no "
              "longer there. 1" + replaced, {"a", "a\\b", "a\\c"}},
             {{"a<b|c>|d"}, {"d"}, {}, {}, "3 folders were removed. 1" + replaced, {"d"}},
             {{"a<b|c>|d", "a*", "a<b>"}, {}, {}, {}, "4 folders were removed.", {}},
             {{"a<b|c>|d", "q|d"}, {}, {}, {}, "1 folder was removed.", {"a", "a\\b", "a\\c", "d"}}}) {
        SCOPED_TRACE(row.report);
        Create("", false);
        for (const std::string& command : row.commands) CreateFromText(command);
        for (const std::string& path : row.files) fake::AddFile("C:\\Data\\" + path);
        for (const std::string& path : row.folders) fake::AddFolder("C:\\Data\\" + path);
        for (const std::string& path : row.gone) fake::TheVolume().entries.erase(fake::Key("C:\\Data\\" + path));
        EXPECT_EQ(UndoLastCreation(), row.report);
        for (const std::string path : {"a", "a\\b", "a\\c", "d"}) {
            const bool kept = std::find(row.left.begin(), row.left.end(), path) != row.left.end();
            EXPECT_EQ(fake::Find("C:\\Data\\" + path) != nullptr, kept) << path;
        }
        EXPECT_EQ(UndoLastCreation(), "No folder was removed.");
    }
}
