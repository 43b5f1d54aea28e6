// The create command from the typed text to folders on the volume.
#include <cstring>

#include "quillet_fixture.h"

namespace {

using Tree = std::vector<std::string>;

std::string Repeat(char c, int count) { return std::string(static_cast<std::size_t>(count), c); }

struct ValidCase {
    const char* text;
    Tree tree;
};

class CreatesTree : public QuilletTest, public ::testing::WithParamInterface<ValidCase> {};

TEST_P(CreatesTree, MakesEveryFolderWithoutMessages) {
    RunAfterFirstTick([&] { EXPECT_TRUE(CreateWith(GetParam().text)); });
    EXPECT_EQ(sim::ListTree(DataDir), GetParam().tree);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Specifications, CreatesTree,
    ::testing::Values(
        ValidCase{"Reports<Q1|Q2>|Archive", {"Archive\\", "Reports\\", "Reports\\Q1\\", "Reports\\Q2\\"}},
        ValidCase{"a<b<c>>|d", {"a\\", "a\\b\\", "a\\b\\c\\", "d\\"}},
        ValidCase{"a<b>c", {"a\\", "a\\b\\", "c\\"}},
        ValidCase{"a<b>|c<d>", {"a\\", "a\\b\\", "c\\", "c\\d\\"}},
        ValidCase{"Work<2024<Jan|Feb>Notes>",
                  {"Work\\", "Work\\2024\\", "Work\\2024\\Feb\\", "Work\\2024\\Jan\\", "Work\\Notes\\"}},
        ValidCase{"  Projects  ", {"Projects\\"}},
        ValidCase{" a < b > | c ", {"a\\", "a\\b\\", "c\\"}},
        ValidCase{"My Docs<Old Mail>", {"My Docs\\", "My Docs\\Old Mail\\"}},
        ValidCase{"a|a", {"a\\"}},
        ValidCase{"a<b>|a<c>", {"a\\", "a\\b\\", "a\\c\\"}},
        ValidCase{"v1.2|.hidden|a..b", {".hidden\\", "a..b\\", "v1.2\\"}}));

struct RejectedCase {
    std::string text;
    std::string message;
};

class RejectsWholeSpecification : public QuilletTest, public ::testing::WithParamInterface<RejectedCase> {};

TEST_P(RejectsWholeSpecification, ShowsOneMessageAndCreatesNothing) {
    RunAfterFirstTick([&] { EXPECT_FALSE(CreateWith(GetParam().text)); });
    EXPECT_TRUE(sim::ListTree(DataDir).empty());
    EXPECT_EQ(sim::CreateDirectoryCalls(), 0);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxRecord& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.text, GetParam().message);
    EXPECT_EQ(box.caption, ErrorCaption);
    EXPECT_EQ(box.type, win::kMbOk);
}

const std::string LongName = Repeat('n', 216);

INSTANTIATE_TEST_SUITE_P(
    Syntax, RejectsWholeSpecification,
    ::testing::Values(
        RejectedCase{"|a", "| is not legal at start of folder specification."},
        RejectedCase{"<a", "< is not legal at start of folder specification."},
        RejectedCase{">a", "> is not legal at start of folder specification."},
        RejectedCase{"<a|", "< is not legal at start of folder specification."},
        RejectedCase{"a|", "| is not legal at end of folder specification."},
        RejectedCase{"a<", "< is not legal at end of folder specification."},
        RejectedCase{"a<<b>>", "<< is never a legal combination."},
        RejectedCase{"a<>b||c", "|| is never a legal combination."},
        RejectedCase{"a|  |b", "|| is never a legal combination."},
        RejectedCase{"a<|b>", "<| is never a legal combination."},
        RejectedCase{"a|<b", "|< is never a legal combination."},
        RejectedCase{"a<b|>c", "|> is never a legal combination."},
        RejectedCase{"a<b", "< and > not equal in number"},
        RejectedCase{"a>", "< and > not equal in number"},
        RejectedCase{"a>b<c", "Brackets are not balanced pairs <...>"},
        RejectedCase{"a<b>>", "< and > not equal in number"},
        RejectedCase{"a<b>>c<d", "Brackets are not balanced pairs <...>"},
        RejectedCase{"a>b<c>d<e", "Brackets are not balanced pairs <...>"}));

INSTANTIATE_TEST_SUITE_P(
    Names, RejectsWholeSpecification,
    ::testing::Values(
        RejectedCase{"a|b*", "\"b*\" contains \"*\" which is not legal in a folder name."},
        RejectedCase{"C:x", "\"C:x\" contains \":\" which is not legal in a folder name."},
        RejectedCase{"x<a\\b>", "\"a\\b\" contains \"\\\" which is not legal in a folder name."},
        RejectedCase{"a<b><c>", "\"<c\" contains \"<\" which is not legal in a folder name."},
        RejectedCase{"q?\"", "\"q?\"\" contains \"?\" which is not legal in a folder name."},
        RejectedCase{"ok|" + LongName,
                     "\"" + LongName + "\" is longer than 215 characters, the maximum length advised by Microsoft."},
        RejectedCase{LongName + "*", "\"" + LongName + "*\" contains \"*\" which is not legal in a folder name."},
        RejectedCase{"..<x>", "\"..\" is not a legal folder name."},
        RejectedCase{"a<.>", "\".\" is not a legal folder name."},
        RejectedCase{"a|...", "\"...\" is not a legal folder name."},
        RejectedCase{"%s%n*", "\"%s%n*\" contains \"*\" which is not legal in a folder name."}));

TEST_F(QuilletTest, NameOfExactlyMaximumLengthIsAccepted) {
    const std::string name = Repeat('m', MaxFolderNameLength);
    RunAfterFirstTick([&] { EXPECT_TRUE(CreateWith(name)); });
    EXPECT_TRUE(sim::FolderExists(DataDir + "\\" + name));
}

TEST_F(QuilletTest, EmptyOrBlankTextCreatesNothingSilently) {
    RunAfterFirstTick([&] {
        for (const char* text : {"", "   "}) {
            EXPECT_FALSE(CreateWith(text));
        }
    });
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(sim::CreateDirectoryCalls(), 0);
}

struct PresentCase {
    const char* description;
    std::function<void()> prepare;  // puts an entry named "a" in the target
    bool succeeds;
    std::string failingName;  // named by the creation-failure message
};

class ExistingEntry : public QuilletTest, public ::testing::WithParamInterface<PresentCase> {};

TEST_P(ExistingEntry, DecidesWhetherTheNestedFolderCanBeMade) {
    SCOPED_TRACE(GetParam().description);
    GetParam().prepare();
    RunAfterFirstTick([&] { EXPECT_EQ(CreateWith("a<b>"), GetParam().succeeds); });
    EXPECT_EQ(sim::FolderExists(DataDir + "\\a\\b"), GetParam().succeeds);
    if (GetParam().succeeds) {
        EXPECT_TRUE(sim::MessageBoxes().empty());
        EXPECT_EQ(sim::CreateDirectoryCalls(), 1);  // b only: a present folder is passed over
        return;
    }
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"A problem occurred during creation of: " + GetParam().failingName +
                                                       "\nAborting further folder creation."});
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ExistingEntry,
    ::testing::Values(
        PresentCase{"folder, other case", [] { sim::AddFolder(DataDir + "\\A"); }, true, ""},
        PresentCase{"hidden system folder",
                    [] { sim::AddFolder(DataDir + "\\a", win::kFileAttributeHidden | win::kFileAttributeSystem); },
                    true, ""},
        // A plain file is not a folder: report it instead of claiming success.
        PresentCase{"plain file", [] { sim::AddFile(DataDir + "\\a"); }, false, "a"},
        PresentCase{"hidden file", [] { sim::AddFile(DataDir + "\\a", "", win::kFileAttributeHidden); }, false, "a"},
        PresentCase{"system file", [] { sim::AddFile(DataDir + "\\a", "", win::kFileAttributeSystem); }, false, "a"}));

TEST_F(QuilletTest, CreationStopsAtFirstFailureAndKeepsEarlierFolders) {
    sim::FailCreateDirectory(DataDir + "\\a\\b\\c");
    RunAfterFirstTick([&] { EXPECT_FALSE(CreateWith("a<b<c>>|d")); });
    EXPECT_EQ(sim::ListTree(DataDir), (Tree{"a\\", "a\\b\\"}));
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"A problem occurred during creation of: c\nAborting further folder creation."});
}

TEST_F(QuilletTest, DriveRootAndFolderTargetsGiveOneBackslashBetweenParts) {
    for (const std::string& target : {std::string("C:\\"), std::string("C:\\Data"), std::string("C:\\Data\\")}) {
        SCOPED_TRACE(target);
        SetUp();
        sim::SetText(explorer.edit, target);
        RunAfterFirstTick([&] { EXPECT_TRUE(CreateWith("x<y>")); });
        const std::string base = target.back() == '\\' ? target : target + "\\";
        EXPECT_TRUE(sim::FolderExists(base + "x\\y"));
        EXPECT_TRUE(sim::MessageBoxes().empty());
    }
}

TEST_F(QuilletTest, PathThePlatformRefusesAsTooLongIsACreationFailure) {
    const std::string first = Repeat('f', MaxFolderNameLength);
    const std::string second = Repeat('s', MaxFolderNameLength);
    RunAfterFirstTick([&] { EXPECT_FALSE(CreateWith(first + "<" + second + ">")); });
    EXPECT_TRUE(sim::FolderExists(DataDir + "\\" + first));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"A problem occurred during creation of: " + second +
                                                       "\nAborting further folder creation."});
}

TEST_F(QuilletTest, EachCommandTakesItsOwnInputBufferAndExitReleasesEverything) {
    RunAfterFirstTick([&] {
        EXPECT_TRUE(CreateWith("first"));
        const char* firstBuffer = InputBuf.get();
        ASSERT_NE(firstBuffer, nullptr);
        EXPECT_TRUE(CreateWith("second<x>"));
        EXPECT_EQ(std::strcmp(InputBuf.get(), "second"), 0);
        EXPECT_EQ(SpecList, nullptr);
    });
    EXPECT_EQ(InputBuf, nullptr);
    EXPECT_EQ(MessageBuffer, nullptr);
    EXPECT_EQ(TargetPath, nullptr);
}

// The parser on its own: the nodes it builds and the bytes it leaves in the buffer.
struct ParsedNode {
    std::string name;
    int levelChange;
    bool operator==(const ParsedNode&) const = default;
};

struct ParseCase {
    std::string text;
    std::vector<ParsedNode> nodes;
    std::string bytes;  // InputBuf up to and including the text's terminator
};

class Parser : public ::testing::TestWithParam<ParseCase> {
protected:
    void TearDown() override {
        FreeSpecNodes();
        InputBuf.reset();
    }
};

TEST_P(Parser, BuildsNodesOverTheBuffer) {
    const std::string& text = GetParam().text;
    InputBuf.reset(new char[text.size() + 10]());
    std::memcpy(InputBuf.get(), text.data(), text.size());
    ASSERT_TRUE(ParseSpec());

    std::vector<ParsedNode> nodes;
    const SpecNode* node = SpecList.get();
    for (; node->name != nullptr; node = node->next.get()) nodes.push_back({node->name, node->levelChange});
    EXPECT_EQ(nodes, GetParam().nodes);
    EXPECT_EQ(node->levelChange, 0);
    EXPECT_EQ(node->next, nullptr);
    EXPECT_EQ(std::string(InputBuf.get(), text.size() + 1), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Parser,
    ::testing::Values(
        ParseCase{"a", {{"a", 0}}, std::string("a\0", 2)},
        ParseCase{"a|b|c", {{"a", 0}, {"b", 0}, {"c", 0}}, std::string("a\0b\0c\0", 6)},
        ParseCase{"a<b|c>|d", {{"a", -1}, {"b", 0}, {"c", 1}, {"d", 0}}, std::string("a\0b\0c\0\0d\0", 9)},
        ParseCase{"a<b<c>>|d", {{"a", -1}, {"b", -1}, {"c", 2}, {"d", 0}}, std::string("a\0b\0c\0\0\0d\0", 10)},
        ParseCase{"a<b>", {{"a", -1}, {"b", 1}}, std::string("a\0b\0\0", 5)},
        ParseCase{"a<b>|c", {{"a", -1}, {"b", 1}, {"c", 0}}, std::string("a\0b\0\0c\0", 7)},
        ParseCase{"a<b><c>", {{"a", -1}, {"b", 1}, {"<c", 1}}, std::string("a\0b\0<c\0\0", 8)},
        ParseCase{"Work<2024<Jan|Feb>Notes>",
                  {{"Work", -1}, {"2024", -1}, {"Jan", 0}, {"Feb", 1}, {"Notes", 1}},
                  std::string("Work\0" "2024\0Jan\0Feb\0Notes\0\0", 25)}));

TEST(FreeSpecNodes, IsHarmlessWithoutAList) {
    FreeSpecNodes();
    FreeSpecNodes();
    EXPECT_EQ(SpecList, nullptr);
}

}  // namespace
