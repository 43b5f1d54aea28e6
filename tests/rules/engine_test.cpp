// The create command as the user meets it: typed text in; CreateFolder calls and messages out.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"

using namespace std::string_literals;
using Texts = std::vector<std::string>;

namespace {

// Lengths count UTF-16 units as Windows does, not bytes: Omega takes two bytes in UTF-8, and the
// grinning face (U+1F600) four bytes and two units.
const std::string N215(215, 'n'), N216(216, 'n'), Omega215 = std::regex_replace(N215, std::regex("n"), "\xCE\xA9");
const std::string Grin = "\xF0\x9F\x98\x80", Grin107 = std::regex_replace(std::string(107, 'g'), std::regex("g"), Grin);

// The engine's nothrow allocations before one fails; it counts on below zero, so none fails after it.
int NothrowAllocationsLeft = -1;

// A fresh volume that holds C:\Data, and the buffers as the command has them.
void Fresh(const std::string& target = "C:\\Data") {
    fake::Reset();
    fake::AddFolder("C:\\Data");
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", target.c_str());
}

struct Row {
    std::string text;
    Texts calls = {};                  // the paths CreateFolder is given, below the target
    std::string message = {};          // the one message shown; none when every folder exists at the end
    sys::Error error = sys::kSuccess;  // the reason the message was shown with
    std::string target = "C:\\Data";
    void (*arrange)() = [] {};  // what the volume holds besides C:\Data
};

// Each row is one command on a fresh volume. It succeeds only when it named folders and every one
// exists at the end.
void Check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40) + " in " + row.target);
        Fresh(row.target);
        row.arrange();
        EXPECT_EQ(CreateFromText(row.text), row.message.empty() && !row.calls.empty());
        Texts& calls = fake::TheVolume().createCalls;
        for (std::string& call : calls) call.erase(0, row.target.size() + (row.target.back() == '\\' ? 0 : 1));
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(ShownErrors(), row.message.empty() ? Texts{} : Texts{row.message});
        EXPECT_EQ(ShownReasons(), row.message.empty() ? std::vector<sys::Error>{} : std::vector{row.error});
    }
}

}  // namespace

// Through the ordinary operators, so that ASan pairs each allocation with its delete.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return NothrowAllocationsLeft-- == 0 ? nullptr : ::operator new(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return NothrowAllocationsLeft-- == 0 ? nullptr : new char[n];
}

// The separators are checked before any name is read; the first fault found is the one shown.
TEST(Engine, RefusesSeparatorsThatCannotStandWhereTyped) {
    const std::string start = " is not legal at start of folder specification.", uneven = "< and > not equal in number";
    const std::string end = " is not legal at end of folder specification.", pair = " is never a legal combination.";
    // Nothing typed: nothing to say. The first pair in the order <<, ||, <|, |<, |>, <> is named. The
    // help page's table adds its own cases.
    // clang-format off
    Check({{.text = "   "}, {.text = " <a>", .message = "<" + start}, {.text = "a |", .message = "|" + end},
           {.text = "a<b>>c", .message = uneven}, {.text = "a|>b<<c", .message = "<<" + pair},
           {.text = "a<>b|>c", .message = "|>" + pair}});
    // clang-format on
}

// Every name is checked before the first folder is made: its characters, then its length, then
// whether Windows would make it as typed. The names just inside each rule are made.
TEST(Engine, RefusesNamesWindowsWouldNotMakeAsTyped) {
    const std::string illegal = "\" which is not legal in a folder name.";
    const std::string tooLong = "\" is longer than 215 characters, the maximum length advised by Microsoft.";
    Check({{.text = "a<b><c>", .message = "\"<c\" contains \"<" + illegal},
           {.text = "ok|a*b\\c", .message = "\"a*b\\c\" contains \"*" + illegal},
           {.text = "%s%n*", .message = "\"%s%n*\" contains \"*" + illegal},
           {.text = N216 + "?", .message = "\"" + N216 + "?\" contains \"?" + illegal},
           {.text = N216 + "|" + N215, .message = "\"" + N216 + tooLong},
           {.text = "a|" + Grin107 + Grin, .message = "\"" + Grin107 + Grin + tooLong},
           {.text = N215 + "|" + Omega215 + "|.a|a.b|. a", .calls = {N215, Omega215, ".a", "a.b", ". a"}},
           {.text = Grin107 + "|" + Grin107 + "a", .calls = {Grin107, Grin107 + "a"}},
           {.text = "COM10|COM0|CONSOLE|nul x|LPT", .calls = {"COM10", "COM0", "CONSOLE", "nul x", "LPT"}},
           // A no-break space (U+00A0) is no control character, and Windows keeps it at the end.
           {.text = "x\xC2\xA0|\xC2\xA0", .calls = {"x\xC2\xA0", "\xC2\xA0"}}});
    for (const char c : "\\/:*?\""s)
        Check({{.text = "ok<a"s + c + "b>", .message = "\"a"s + c + "b\" contains \"" + c + illegal}});
    // Windows drops a trailing dot or blank, opens a device, and takes no control character (C0, DEL, C1).
    for (const std::string name : {". .", "Q1 .", "%s.", "CON", "nul.txt", "Aux .x", "PRN", "COM1", "lpt9",
                                   "COM\xC2\xB9", "a\tb", "x\x01", "x\x1F", "x\x7F", "\xC2\x80x", "x\xC2\x9F"})
        Check({{.text = "ok|" + name + "<b>", .message = "\"" + name + "\" is not a legal folder name."}});
}

// Each folder is asked for in typed order below the target, and one that is there already is
// passed over. The first that cannot be made stops the command: it is named, Windows' reason kept.
TEST(Engine, MakesEachFolderInTypedOrderUntilOneCannotBeMade) {
    const std::string stopped = "A problem occurred during creation of: ", more = "\nAborting further folder creation.";
    // clang-format off
    Check({{.text = "  a  <  b  c  |  d >|  e  ", .calls = {"a", "a\\b  c", "a\\d", "e"}},
           {.text = "x<y>", .calls = {"x", "x\\y"}, .target = "C:\\"},
           {.text = "a<b>", .calls = {"a", "a\\b"}, .arrange = [] { fake::AddFolder("C:\\DATA\\A"); }},
           {.text = "a<b>", .calls = {"a"}, .message = stopped + "a" + more, .error = sys::kErrorAlreadyExists,
            .arrange = [] { fake::AddFile("C:\\Data\\a"); }},
           {.text = "a<%s%n|c>|d", .calls = {"a", "a\\%s%n"}, .message = stopped + "%s%n" + more,
            .error = sys::kErrorSharingViolation,
            .arrange = [] { fake::TheVolume().createFaults["C:\\Data\\a\\%s%n"] = sys::kErrorSharingViolation; }}});
    // clang-format on
}

// A line holds at most 2,500 UTF-16 units as typed, blanks included; a longer one, as a paste may
// bring, is refused whole rather than cut.
TEST(Engine, RefusesALineLongerThan2500) {
    const std::string line = std::regex_replace(std::string(1249, 'x'), std::regex("x"), "a|");
    Texts calls(1249, "a");
    calls.push_back("ab");
    const std::string tooLong =
        "The folder specification holds 2501 characters, more than the 2,500 that Quillet takes, so no folders were "
        "created.";
    // An emoji counts two, as Windows counts it.
    Check({{.text = line + "ab", .calls = calls},
           {.text = line + "abc", .message = tooLong},
           {.text = line + "a" + Grin, .message = tooLong}});
}

// Windows makes no folder whose path passes 247 UTF-16 units: every path is measured before the
// first folder is made, from the target (its trailing backslash aside), at the folder's level.
TEST(Engine, RefusesAPathLongerThanWindowsMakes) {
    const std::string x23(23, 'x'), y24(24, 'y'), z28(28, 'z'), grin12 = Grin107.substr(0, 12 * 4);
    const auto tooLong = [](const std::string& name, int length) {
        return "The path of \"" + name + "\" would be " + std::to_string(length) +
               " characters long, longer than the 247 that Windows allows for a folder.";
    };
    // clang-format off
    Check({{.text = N215 + "<" + x23 + ">|" + N215, .calls = {N215, N215 + "\\" + x23, N215}},
           {.text = N215 + "<" + x23 + "|" + y24 + ">", .message = tooLong(y24, 248)},
           {.text = N215 + "<" + z28 + ">", .calls = {N215, N215 + "\\" + z28}, .target = "C:\\"},
           {.text = N215 + "<" + grin12 + ">", .message = tooLong(grin12, 247 + 1)},
           {.text = N215 + "<" + grin12.substr(4) + "x>", .calls = {N215, N215 + "\\" + grin12.substr(4) + "x"}}});
    // clang-format on
}

// Whichever of the command's allocations fails ("a<b>" makes five), the user is told and nothing
// is made.
TEST(Engine, SaysSoAndMakesNothingWhenTheHeapCannotSupplyABuffer) {
    for (int left = 0; left < 5; ++left) {
        Fresh();
        NothrowAllocationsLeft = left;
        EXPECT_FALSE(CreateFromText("a<b>"));
        EXPECT_EQ(fake::TheVolume().createCalls, Texts{}) << left;
        ASSERT_EQ(ShownErrors().size(), 1u) << left;
        EXPECT_NE(ShownErrors()[0].find("memory allocation failed"), std::string::npos) << left;
    }
}

// The page must say what Quillet does: each row of its two tables ends in the typed code (perhaps
// with a remark) and what Quillet makes or says.
TEST(Engine, DoesWhatTheHelpPageSays) {
    std::string page{std::istreambuf_iterator<char>(std::ifstream(QUILLET_HELP_PAGE).rdbuf()), {}};
    for (const auto& [entity, text] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#9;", "\t"}, {"&amp;", "&"}})
        page = std::regex_replace(page, std::regex(entity), text);
    const std::regex cells("<td><code>(.*?)</code>[^<]*</td><td>(.*?)</td></tr>"), comma(", ");
    for (const std::string id : {"example", "pattern", "refusal"}) {
        const std::size_t start = page.find("<table id=\"" + id + "-table\">");
        const std::string table = page.substr(start, page.find("</table>", start) - start);
        std::vector<Row> rows;
        for (std::sregex_iterator row(table.begin(), table.end(), cells), end; row != end; ++row) {
            const std::string typed = (*row)[1], said = (*row)[2];
            const Texts made(std::sregex_token_iterator(said.begin(), said.end(), comma, -1), {});
            rows.push_back(id != "refusal" ? Row{.text = typed, .calls = made} : Row{.text = typed, .message = said});
        }
        EXPECT_GE(rows.size(), 7u) << id;
        Check(rows);
    }
}

// The undo removes what the last command that made folders made, deepest first, each only while it
// is still the very folder made and empty; nothing else, whatever happened on the volume meanwhile.
TEST(Undo, RemovesOnlyRecordedFoldersThatAreStillThereAndEmpty) {
    const std::string replaced = " was left because something else has taken its place.";
    // The commands, run in C:\Data in turn (only one that made something replaces the record); the
    // files and folders another program then puts below C:\Data, and what it takes away; the
    // report; and what is still there afterwards.
    // clang-format off
    for (const auto& [commands, files, folders, gone, report, left] :
         std::vector<std::tuple<Texts, Texts, Texts, Texts, std::string, Texts>>{
             {{"a<b|c>|d"}, {}, {}, {}, "4 folders were removed.", {}},
             {{"a", "a<b|c>|d"}, {}, {}, {}, "3 folders were removed.", {"a"}},
             {{"a<b|c>|d"}, {"a\\b\\f"}, {"a\\c"}, {"d"}, "No folder was removed. 2 were left because they are no "
              "longer empty. 1 was left because it is no longer there. 1" + replaced, {"a", "a\\b", "a\\c"}},
             {{"a<b|c>|d"}, {"d"}, {}, {}, "3 folders were removed. 1" + replaced, {"d"}},
             {{"a<b|c>|d", "a*", "a<b>"}, {}, {}, {}, "4 folders were removed.", {}},
             {{"a<b|c>|d", "q|d"}, {}, {}, {}, "1 folder was removed.", {"a", "a\\b", "a\\c", "d"}}}) {
        // clang-format on
        SCOPED_TRACE(report);
        Fresh();
        for (const std::string& command : commands) CreateFromText(command);
        for (const std::string& path : files) fake::AddFile("C:\\Data\\" + path);
        for (const std::string& path : folders) fake::AddFolder("C:\\Data\\" + path);
        for (const std::string& path : gone) fake::TheVolume().entries.erase(fake::Key("C:\\Data\\" + path));
        EXPECT_EQ(UndoLastCreation(), report);
        for (const std::string path : {"a", "a\\b", "a\\c", "d"})
            EXPECT_EQ(fake::Find("C:\\Data\\" + path) != nullptr, std::ranges::count(left, path) == 1) << path;
        EXPECT_EQ(UndoLastCreation(), "No folder was removed.");
    }
}

// A child removed a moment ago may still be pending deletion while another program holds it: its
// parent is tried again for a while. A parent none of whose children went is not.
TEST(Undo, TriesAParentAgainWhileARemovedChildIsPending) {
    for (const auto& [pending, report] : std::vector<std::pair<int, std::string>>{
             {9, "2 folders were removed. 1 was left because it is no longer empty."},
             {10, "1 folder was removed. 2 were left because they are no longer empty."}}) {
        Fresh();
        CreateFromText("a<b>|c");
        fake::TheVolume().pendingChild["C:\\Data\\a"] = pending;
        fake::TheVolume().pendingChild["C:\\Data\\c"] = 1;
        EXPECT_EQ(UndoLastCreation(), report) << pending;
    }
}

// Beyond the help page's tables: padding to the wider end, steps downwards, the parent's name at
// the top and on a drive's root, climbing out of a series, and the patterns that cannot be read.
TEST(Engine, PatternsMakeTheirSeriesAndNameWhatCannotBeRead) {
    const auto range = [](const std::string& pattern) {
        return "\"" + pattern +
               "\" is not a range Quillet can read: give two whole numbers below one billion, or two letters of the "
               "same case, such as *(1..10) or *(A..F), and a step after a third .. if you like.";
    };
    const auto tooMany = [](const std::string& count) {
        return "The folder specification makes " + count +
               " folders, more than the 10,000 that Quillet makes at one time, so no folders were created.";
    };
    // clang-format off
    Check({{.text = "*(8..010..2)|*(c..a..2)|*(Day)", .calls = {"008", "010", "c", "a", "07"}},
           {.text = "*(parent) old", .calls = {"Data old"}},
           {.text = "*(parent)", .calls = {"C"}, .target = "C:\\"},
           {.text = "a<b<*(1..2)>>Q(1)", .calls = {"a", "a\\b", "a\\b\\1", "a\\b\\2", "Q(1)"}},
           {.text = "*(1..)", .message = range("*(1..)")},
           {.text = "x|*(a..3)", .message = range("*(a..3)")},
           {.text = "*(1000000000..1)", .message = range("*(1000000000..1)")},
           {.text = "a*b", .message = "\"a*b\" contains \"*\" which is not legal in a folder name."},
           {.text = "Week *(1..2).", .message = "\"Week 1.\" is not a legal folder name."},
           {.text = "*(1..100)<*(1..99)>|x", .message = tooMany("10,001")},
           {.text = "*(0..999999999)*(0..999999999)*(0..999999999)",
            .message = tooMany("18,446,744,073,709,551,615")}});
    // clang-format on
}

// The status the main window shows while a line is typed: what Enter would do, in the words its
// box would use, with nothing made and nothing shown. What is there already counts from the
// target however it is written.
TEST(Engine, PlanSaysWhatEnterWouldDoAndDoesNothing) {
    const auto status = [](const std::string& text, const std::string& target) {
        const FolderPlan plan = PlanFolders(text);
        return plan.folders.empty() ? plan.problem
                                    : FolderCountText(plan.folders.size(), CountThere(target, plan.folders));
    };
    for (const auto& [text, expected] : std::vector<std::pair<std::string, std::string>>{
             {"   ", ""},
             {"a", "Creates 1 folder"},
             {" a < b | c > | d ", "Creates 4 folders"},
             {"*(1..1000)<x|y>", "Creates 3,000 folders"},
             {"x|", "| is not legal at end of folder specification."},
             {"ok|Week *(1..2).", "\"Week 1.\" is not a legal folder name."},
             {std::string(2501, 'a'),
              "The folder specification holds 2501 characters, more than the 2,500 that "
              "Quillet takes, so no folders were created."}}) {
        Fresh();
        EXPECT_EQ(status(text, "C:\\Data"), expected) << text.substr(0, 20);
        EXPECT_EQ(fake::TheVolume().createCalls, Texts{});
        EXPECT_EQ(ShownErrors(), Texts{});
    }
    Fresh();
    fake::AddFolder("C:\\Data\\a");
    fake::AddFolder("C:\\Data\\a\\C");
    EXPECT_EQ(PlanFolders("a<b|c<x>>|d").folders, (Texts{"a", "a\\b", "a\\c", "a\\c\\x", "d"}));
    EXPECT_EQ(status("a<b|c<x>>|d", "C:\\Data\\"), "5 folders, 2 there already");
    EXPECT_EQ(FolderCountText(1, std::nullopt), "1 folder");
}

// Asked for, the whole tree: indented by level, what is there already marked, and the count of
// the lines left out.
TEST(Engine, PreviewTreeMarksWhatIsThereAlready) {
    Fresh();
    fake::AddFolder("C:\\Data\\a");
    fake::AddFolder("C:\\Data\\a\\B");
    EXPECT_EQ(PreviewTree("a<b|c<x>>|d<*(1..3)>", 5),
              "8 folders, 2 there already:\n\na   (there already)\n    b   (there already)\n    c\n        x\nd\n"
              "and 3 more\n");
    EXPECT_EQ(PreviewTree("e|f", 30), "Creates 2 folders:\n\ne\nf\n");
    EXPECT_EQ(fake::TheVolume().createCalls, Texts{});
}
