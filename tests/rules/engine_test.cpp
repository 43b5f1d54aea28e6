// The create command as the user meets it: typed text in; CreateFolder calls and messages out.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"

using namespace std::string_literals;
using Texts = std::vector<std::string>;

namespace {

const std::string N215(215, 'n'), N216(216, 'n');

// Lengths count characters as Windows does, not bytes: Omega takes two bytes in UTF-8.
std::string Omegas(int count) {
    std::string text;
    for (int at = 0; at < count; ++at) text += "\xCE\xA9";
    return text;
}
const std::string Omega215 = Omegas(215), Omega216 = Omegas(216);

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
    LastCreationError = sys::kSuccess;
    EXPECT_EQ(CreateFromText(text), created);
    const std::string prefix = target.back() == '\\' ? target : target + "\\";
    Texts calls;
    for (const std::string& path : fake::TheVolume().createCalls) {
        calls.push_back(path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : "elsewhere: " + path);
    }
    return calls;
}

}  // namespace

TEST(Engine, CreatesEachFolderOnceInTypedOrderUpToTheFirstFailure) {
    struct Row {
        std::string text;
        Texts calls;               // the paths CreateFolder is given
        std::string failing = "";  // the folder the message names; empty when every folder exists at the end
        sys::Error error = 0;
        const char* target = "C:\\Data";
        std::function<void()> arrange = [] {};
    };
    auto& faults = fake::TheVolume().createFaults;
    std::string deep, path;  // ten levels of 215-character names
    Texts deepCalls;
    for (int level = 0; level < 10; ++level) {
        deep += N215 + "<";
        path += (level == 0 ? "" : "\\") + N215;
        deepCalls.push_back(path);
    }
    const std::string fits(178, 'f'), tooLong(179, 't');  // WorkPath holds 780 characters of UTF-8 beyond the target
    for (const Row& row : std::vector<Row>{
             {"Reports<Q1|Q2>|Archive", {"Reports", "Reports\\Q1", "Reports\\Q2", "Archive"}},
             {"  a  <  b c  |  d >|  e  ", {"a", "a\\b c", "a\\d", "e"}},
             {"a|a", {"a", "a"}}, {"a<b>|a<c>", {"a", "a\\b", "a", "a\\c"}},
             {"a<b<c<d>>>|e", {"a", "a\\b", "a\\b\\c", "a\\b\\c\\d", "e"}},
             {"Work<2024<Jan|Feb>Notes>", {"Work", "Work\\2024", "Work\\2024\\Jan", "Work\\2024\\Feb", "Work\\Notes"}},
             {"a<b<c>>d", {"a", "a\\b", "a\\b\\c", "d"}}, {"a.b|.a|. a", {"a.b", ".a", ". a"}},
             {"x<y>", {"x", "x\\y"}, "", 0, "C:\\"}, {"x<y>", {"x", "x\\y"}, "", 0, "C:\\Data\\"},
             {"a<b>", {"a", "a\\b"}, "", 0, "C:\\Data", [] { fake::AddFolder("C:\\DATA\\A"); }},
             {"a<b>", {"a"}, "a", sys::kErrorAlreadyExists, "C:\\Data", [] { fake::AddFile("C:\\Data\\a"); }},
             {"a|b|c", {"a", "b"}, "b", sys::kErrorSharingViolation, "C:\\Data",
              [&] { faults["C:\\Data\\b"] = sys::kErrorSharingViolation; }},
             {"x<%s%n<z>>", {"x", "x\\%s%n"}, "%s%n", sys::kErrorAccessDenied, "C:\\Data",
              [&] { faults["C:\\Data\\x\\%s%n"] = sys::kErrorAccessDenied; }},
             {deep + fits + std::string(10, '>'), [&] { Texts calls = deepCalls; calls.push_back(path + "\\" + fits); return calls; }()},
             {deep + tooLong + std::string(10, '>'), deepCalls, tooLong, sys::kErrorFilenameTooLong}}) {
        SCOPED_TRACE(row.text.substr(0, 40) + " in " + row.target);
        EXPECT_EQ(Create(row.text, row.failing.empty(), row.target, row.arrange), row.calls);
        const std::string message = "A problem occurred during creation of: " + row.failing + "\nAborting further "
                                    "folder creation.";
        EXPECT_EQ(ShownErrors(), row.failing.empty() ? Texts{} : Texts{message});
        EXPECT_EQ(LastCreationError, row.error);
    }
}

TEST(Engine, RefusesWithOneMessageBeforeCreatingAnything) {
    const std::string start = " is not legal at start of folder specification.";
    const std::string end = " is not legal at end of folder specification.", pair = " is never a legal combination.";
    const std::string notLegal = "\" which is not legal in a folder name.";
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"   ", ""},
             {"|a", "|" + start}, {" <a>", "<" + start}, {">a", ">" + start}, {"a |", "|" + end}, {"a<", "<" + end},
             // Pairs are reported in the order <<, ||, <|, |<, |>, <> wherever they stand.
             {"a|>b<<c", "<<" + pair}, {"a<>b||c", "||" + pair}, {"a|<b<|c", "<|" + pair},
             {"a|>b|<c", "|<" + pair}, {"a<>b|>c", "|>" + pair}, {"a<>b", "<>" + pair},
             {"a<b", "< and > not equal in number"}, {"a<b>>c", "< and > not equal in number"},
             {"a>b<c", "Brackets are not balanced pairs <...>"}, {"a>b<c<d>", "Brackets are not balanced pairs <...>"},
             {"ok<a\\b>", "\"a\\b\" contains \"\\" + notLegal}, {"a/b", "\"a/b\" contains \"/" + notLegal},
             {"a:b", "\"a:b\" contains \":" + notLegal}, {"a*b", "\"a*b\" contains \"*" + notLegal},
             {"a?b", "\"a?b\" contains \"?" + notLegal}, {"a\"b", "\"a\"b\" contains \"\"" + notLegal},
             {"a<b><c>", "\"<c\" contains \"<" + notLegal}, {"ok|a*b\\c", "\"a*b\\c\" contains \"*" + notLegal},
             {"%s%n*", "\"%s%n*\" contains \"*" + notLegal}, {N216 + "?", "\"" + N216 + "?\" contains \"?" + notLegal},
             {N216 + "|" + N215,
              "\"" + N216 + "\" is longer than 215 characters, the maximum length advised by Microsoft."},
             {Omega216, "\"" + Omega216 + "\" is longer than 215 characters, the maximum length advised by Microsoft."}}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Create(text, false), Texts{});
        EXPECT_EQ(ShownErrors(), message.empty() ? Texts{} : Texts{message});
    }
    // Names Windows would not make as typed: it drops trailing dots and blanks, opens devices.
    for (const std::string name : {"..", ".", "...", ". .", "Q1 .", "a.", "CON", "con", "nul.txt", "Aux .x", "PRN",
                                    "COM1", "lpt9", "COM\xC2\xB9", "a\tb", "x\x01"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Create("ok|" + name + "<b>", false), Texts{});
        EXPECT_EQ(ShownErrors(), Texts{"\"" + name + "\" is not a legal folder name."});
    }
    for (const std::string& name : Texts{"COM10", "COM0", "CONSOLE", "nul x", "LPT", ".a", "a.b", Omega215}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Create(name, true), Texts{name});
    }
}

TEST(Engine, ParsesIntoNodesOverTheTypedTextAndReleasesEverything) {
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    // Each name with its level change, and InputBuf up to the end of the text.
    for (const auto& [text, nodes, bytes] : std::vector<std::tuple<const char*, const char*, std::string>>{
             {"a<b|c>|d", "a -1, b 0, c 1, d 0, ", "a\0b\0c\0\0d\0"s},
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
    const auto remade = [](const std::string& path, bool asFile) {
        asFile ? fake::AddFile(path) : fake::AddFolder(path);  // another program's, at the same path
    };
    struct Row {
        std::function<void()> before, after;
        std::string report;
        Texts left;  // what is still there afterwards
    };
    for (const Row& row : std::vector<Row>{
             {[] {}, [] {}, "4 folders were removed.", {}},
             {[] { fake::AddFolder("C:\\Data\\a"); }, [] {}, "3 folders were removed.", {"a"}},
             {[] {}, [] { fake::AddFile("C:\\Data\\a\\b\\f"); },
              "2 folders were removed. 2 were left because they are no longer empty.", {"a", "a\\b"}},
             {[] {}, [&] { remade("C:\\DATA\\A\\C", false); },
              "2 folders were removed. 1 was left because it is no longer empty. 1 was left because something "
              "else has taken its place.", {"a", "a\\c"}},
             {[] {}, [&] { remade("C:\\DATA\\D", true); },
              "3 folders were removed. 1 was left because something else has taken its place.", {"d"}},
             {[] {}, [] { fake::TheVolume().entries.erase("C:\\DATA\\D"); },
              "3 folders were removed. 1 was left because it is no longer there.", {}}}) {
        Create("", false, "C:\\Data", row.before);
        EXPECT_TRUE(CreateFromText("a<b|c>|d"));
        row.after();
        EXPECT_EQ(UndoLastCreation(), row.report);
        for (const char* path : {"a", "a\\b", "a\\c", "d"}) {
            const bool kept = std::find(row.left.begin(), row.left.end(), path) != row.left.end();
            EXPECT_EQ(fake::Find("C:\\Data\\" + std::string(path)) != nullptr, kept) << path;
        }
        EXPECT_TRUE(LastCreatedFolders.empty());
        EXPECT_EQ(UndoLastCreation(), "No folder was removed.");
    }
}

TEST(Undo, TheRecordIsTheLastCommandThatMadeAFolder) {
    Create("x<y>", true);
    EXPECT_FALSE(CreateFromText("a*"));  // refused: made nothing
    EXPECT_TRUE(CreateFromText("x<y>"));  // all there already: made nothing
    EXPECT_EQ(UndoLastCreation(), "2 folders were removed.");
    Create("p", true);
    EXPECT_TRUE(CreateFromText("q|p"));
    EXPECT_EQ(UndoLastCreation(), "1 folder was removed.");
    EXPECT_NE(fake::Find("C:\\Data\\p"), nullptr);
}
