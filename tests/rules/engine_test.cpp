// The create command as the user meets it: typed text in; CreateFolder calls and messages out.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"

using namespace std::string_literals;

namespace {

int NothrowAllocationsLeft = -1;  // the engine's nothrow allocations that still succeed; -1 every one

void* Allocate(std::size_t size, bool array) noexcept {
    if (NothrowAllocationsLeft == 0) return nullptr;
    if (NothrowAllocationsLeft > 0) --NothrowAllocationsLeft;
    try {
        return array ? ::operator new[](size) : ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

const std::string N215(215, 'n');
const std::string N216(216, 'n');

std::string Creation(const std::string& name) {
    return "A problem occurred during creation of: " + name + "\nAborting further folder creation.";
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBuffer.reset(new char[MessageBufferSize]);
        Fresh("C:\\Data");
    }
    void TearDown() override {
        ReleaseBuffers();
        EXPECT_FALSE(MessageBuffer || TargetPath || InputBuf || SpecList);
    }
    static void Fresh(const char* target) {
        fake::Reset();
        fake::AddFolder("C:\\Data");
        TargetPath.reset(new char[TargetPathSize]);
        std::snprintf(TargetPath.get(), TargetPathSize, "%s", target);
        LastCreationError = sys::kSuccess;
    }
    // The CreateFolder calls, each without `prefix`.
    static std::vector<std::string> Calls(const std::string& prefix) {
        std::vector<std::string> calls;
        for (const std::string& path : fake::TheVolume().createCalls) {
            calls.push_back(path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : "outside: " + path);
        }
        return calls;
    }
};

}  // namespace

// Allocation through the ordinary operator, so that ASan pairs every new with its delete.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size, false); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size, true); }
void operator delete(void* p, const std::nothrow_t&) noexcept { ::operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { ::operator delete[](p); }

TEST_F(Engine, CreatesEveryFolderOnceInTypedOrder) {
    struct Row {
        std::string text;
        std::vector<std::string> created;
        const char* target = "C:\\Data";
        const char* prefix = "C:\\Data\\";
    };
    const std::string deep = N215 + "<" + N215 + ">|x";
    for (const Row& row : std::vector<Row>{
             {"Reports<Q1|Q2>|Archive", {"Reports", "Reports\\Q1", "Reports\\Q2", "Archive"}},
             {"  a  <  b c  |  d >|  e  ", {"a", "a\\b c", "a\\d", "e"}},
             {"a|a", {"a"}},
             {"a<b>|a<c>", {"a", "a\\b", "a\\c"}},
             {"a<b<c<d>>>|e", {"a", "a\\b", "a\\b\\c", "a\\b\\c\\d", "e"}},
             {"Work<2024<Jan|Feb>Notes>", {"Work", "Work\\2024", "Work\\2024\\Jan", "Work\\2024\\Feb", "Work\\Notes"}},
             {"a<b<c>>d", {"a", "a\\b", "a\\b\\c", "d"}},
             {deep, {N215, N215 + "\\" + N215, "x"}},
             {"a.b|.a|. a", {"a.b", ".a", ". a"}},
             {"x<y>", {"x", "x\\y"}, "C:\\", "C:\\"},
             {"x<y>", {"x", "x\\y"}, "C:\\Data\\"},
         }) {
        SCOPED_TRACE(row.text + " in " + row.target);
        Fresh(row.target);
        EXPECT_TRUE(CreateFromText(row.text));
        EXPECT_EQ(Calls(row.prefix), row.created);
        EXPECT_EQ(ShownErrors(), std::vector<std::string>{});
    }
}

TEST_F(Engine, RefusesWithOneMessageBeforeCreatingAnything) {
    const std::string notLegal = "\" contains \"";
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"", ""},
             {"   ", ""},
             {"|a", "| is not legal at start of folder specification."},
             {" <a>", "< is not legal at start of folder specification."},
             {">a", "> is not legal at start of folder specification."},
             {"a |", "| is not legal at end of folder specification."},
             {"a<", "< is not legal at end of folder specification."},
             {"a|>b<<c", "<< is never a legal combination."},
             {"a<>b||c", "|| is never a legal combination."},
             {"a|<b<|c", "<| is never a legal combination."},
             {"a|>b|<c", "|< is never a legal combination."},
             {"a<>b|>c", "|> is never a legal combination."},
             {"a<>b", "<> is never a legal combination."},
             {"a<b", "< and > not equal in number"},
             {"a<b>>c", "< and > not equal in number"},
             {"a>b<c", "Brackets are not balanced pairs <...>"},
             {"a>b<c<d>", "Brackets are not balanced pairs <...>"},
             {"ok<a\\b>", "\"a\\b\" contains \"\\\" which is not legal in a folder name."},
             {"a/b", "\"a/b\" contains \"/\" which is not legal in a folder name."},
             {"a:b", "\"a:b\" contains \":\" which is not legal in a folder name."},
             {"a*b", "\"a*b\" contains \"*\" which is not legal in a folder name."},
             {"a?b", "\"a?b\" contains \"?\" which is not legal in a folder name."},
             {"a\"b", "\"a\"b\" contains \"\"\" which is not legal in a folder name."},
             {"a<b><c>", "\"<c\" contains \"<\" which is not legal in a folder name."},
             {"ok|a*b\\c", "\"a*b\\c\" contains \"*\" which is not legal in a folder name."},
             {"%s%n*", "\"%s%n*\" contains \"*\" which is not legal in a folder name."},
             {N216 + "|" + N215, "\"" + N216 + "\" is longer than 215 characters, the maximum length advised by Microsoft."},
             {N216 + "?", "\"" + N216 + "?\" contains \"?\" which is not legal in a folder name."},
             {"a<..>", "\"..\" is not a legal folder name."},
             {".", "\".\" is not a legal folder name."},
             {"...", "\"...\" is not a legal folder name."},
             {"a|. .<b>", "\". .\" is not a legal folder name."},
         }) {
        SCOPED_TRACE(text);
        Fresh("C:\\Data");
        EXPECT_FALSE(CreateFromText(text));
        EXPECT_EQ(ShownErrors(), message.empty() ? std::vector<std::string>{} : std::vector{message});
        EXPECT_EQ(fake::TheVolume().createCalls, std::vector<std::string>{});
    }
}

TEST_F(Engine, PassesOverFoldersAndStopsAtTheFirstFailure) {
    struct Row {
        std::string text;
        std::function<void()> arrange;
        std::vector<std::string> calls;
        std::string failing;  // the folder the message names; empty when every folder exists at the end
        sys::Error error;
    };
    const std::string three = N215 + "<" + N215 + "<" + N215 + "<";
    const std::vector<std::string> threeCalls = {N215, N215 + "\\" + N215, N215 + "\\" + N215 + "\\" + N215};
    const auto plus = [&](const std::string& name) {
        std::vector<std::string> calls = threeCalls;
        calls.push_back(threeCalls.back() + "\\" + name);
        return calls;
    };
    const std::string fits(130, 'f'), tooLong(131, 't');
    for (const Row& row : std::vector<Row>{
             {"a<b>", [] { fake::AddFolder("C:\\DATA\\A"); }, {"a\\b"}, "", 0},
             {"a<b>", [] { fake::AddFile("C:\\Data\\a"); }, {"a"}, "a", sys::kErrorAlreadyExists},
             {"a|b|c", [] { fake::TheVolume().createFaults["C:\\Data\\b"] = sys::kErrorSharingViolation; },
              {"a", "b"}, "b", sys::kErrorSharingViolation},
             {"x<%s%n<z>>", [] { fake::TheVolume().createFaults["C:\\Data\\x\\%s%n"] = sys::kErrorAccessDenied; },
              {"x", "x\\%s%n"}, "%s%n", sys::kErrorAccessDenied},
             {three + fits + ">>>", [] {}, plus(fits), "", 0},
             {three + tooLong + ">>>", [] {}, threeCalls, tooLong, sys::kErrorFilenameTooLong},
         }) {
        SCOPED_TRACE(row.text.substr(0, 40));
        Fresh("C:\\Data");
        row.arrange();
        EXPECT_EQ(CreateFromText(row.text), row.failing.empty());
        EXPECT_EQ(Calls("C:\\Data\\"), row.calls);
        EXPECT_EQ(ShownErrors(), row.failing.empty() ? std::vector<std::string>{} : std::vector{Creation(row.failing)});
        EXPECT_EQ(LastCreationError, row.error);
        for (std::size_t made = 0; made + !row.failing.empty() < row.calls.size(); ++made) {
            EXPECT_TRUE(fake::IsFolder("C:\\Data\\" + row.calls[made])) << row.calls[made];
        }
    }
}

TEST_F(Engine, ParsesIntoNodesOverTheTypedText) {
    struct Row {
        const char* text;
        const char* nodes;  // each name with its level change
        std::string bytes;  // InputBuf afterwards, up to the end of the text
    };
    for (const Row& row : {
             Row{"a<b|c>|d", "a -1, b 0, c 1, d 0, ", "a\0b\0c\0\0d\0"s},
             Row{"a < b | c > | d", "a -1, b 0, c 1, d 0, ", "a\0b\0c\0\0d\0"s},
             Row{"a<b<c>>d", "a -1, b -1, c 2, d 0, ", "a\0b\0c\0\0d\0"s},
             Row{"a<b><c>", "a -1, b 1, <c 1, ", "a\0b\0<c\0"s},
         }) {
        SCOPED_TRACE(row.text);
        InputBuf.reset(new char[std::strlen(row.text) + 1]);
        std::strcpy(InputBuf.get(), row.text);
        NormaliseSpec();
        ASSERT_TRUE(CheckSpecSyntax());
        ASSERT_TRUE(ParseSpec());
        std::string nodes;
        for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get()) {
            nodes += node->name + " "s + std::to_string(node->levelChange) + ", ";
        }
        EXPECT_EQ(nodes, row.nodes);
        EXPECT_EQ(std::string(InputBuf.get(), row.bytes.size()), row.bytes);
    }
}

TEST_F(Engine, AnAllocationFailureShowsItsBufferAndCreatesNothing) {
    // "a<b>" takes InputBuf, three SpecNodes (the last ends the list) and WorkPath, in that order.
    const char* buffers[] = {"InputBuf", "SpecNode", "SpecNode", "SpecNode", "WorkPath"};
    for (int failing = 0; failing < 5; ++failing) {
        SCOPED_TRACE(failing);
        Fresh("C:\\Data");
        NothrowAllocationsLeft = failing;
        const bool created = CreateFromText("a<b>");
        NothrowAllocationsLeft = -1;
        EXPECT_FALSE(created);
        EXPECT_EQ(ShownErrors(), std::vector{"Internal program error:\n\n  \""s + buffers[failing] +
                                             " memory allocation failed\"\n\nPlease close program and try again.\n"
                                             "If this keeps happening, please tell us at https://quillet.example/, "
                                             "quoting this message and the folder specification you entered."});
        EXPECT_EQ(fake::TheVolume().createCalls, std::vector<std::string>{});
    }
}
