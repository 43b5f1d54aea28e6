// What a create command does when the heap cannot supply one of its buffers.
#include <cstdlib>
#include <new>

#include "quillet_fixture.h"

namespace {

// The next nothrow allocation of exactly this many bytes, counting from 1, fails.
std::size_t failingSize = 0;
int allocationsUntilFailure = 0;

void* AllocateUnlessFailing(std::size_t size) noexcept {
    if (size == failingSize && --allocationsUntilFailure == 0) {
        failingSize = 0;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void FailAllocation(std::size_t size, int nth) {
    failingSize = size;
    allocationsUntilFailure = nth;
}

}  // namespace

// The program asks for its buffers with nothrow new; these replacements let a test refuse one.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateUnlessFailing(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateUnlessFailing(size); }

namespace {

std::string AllocationMessageStart(const std::string& buffer) {
    return "Internal program error:\n\n  \"" + buffer + " memory allocation failed\"\n\nPlease close program and try again.\n";
}

struct AllocationCase {
    const char* buffer;
    std::string text;
    std::function<std::size_t()> size;
    int nth;
};

class AllocationFailure : public QuilletTest, public ::testing::WithParamInterface<AllocationCase> {};

TEST_P(AllocationFailure, EndsTheCommandWithAMessageAndCreatesNothing) {
    const AllocationCase& c = GetParam();
    RunAfterFirstTick([&] {
        FailAllocation(c.size(), c.nth);
        EXPECT_FALSE(CreateWith(c.text));
        EXPECT_EQ(SpecList, nullptr);
        FailAllocation(0, 0);
        EXPECT_TRUE(CreateWith("after"));
    });
    EXPECT_EQ(sim::ListTree(DataDir), std::vector<std::string>{"after\\"});
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text.rfind(AllocationMessageStart(c.buffer), 0), 0u) << sim::MessageBoxes()[0].text;
}

const std::string LongText(1234 - 10, 'x');

INSTANTIATE_TEST_SUITE_P(
    Buffers, AllocationFailure,
    ::testing::Values(AllocationCase{"InputBuf", LongText, [] { return std::size_t{1234}; }, 1},
                      AllocationCase{"SpecNode", "a<b|c>|d", [] { return sizeof(SpecNode); }, 1},
                      AllocationCase{"SpecNode", "a<b|c>|d", [] { return sizeof(SpecNode); }, 3},
                      AllocationCase{"WorkPath", "a<b>", [] { return DataDir.size() + 780; }, 1}));

TEST_F(QuilletTest, StartWithoutItsSharedBuffersSaysSoAndEnds) {
    for (std::size_t size : {MessageBufferSize, TargetPathSize}) {
        SetUp();
        FailAllocation(size, 1);
        bool ran = false;
        RunQuilletWith([&] { ran = true; });
        EXPECT_FALSE(ran);
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Quillet could not get the memory it needs to start."});
    }
}

}  // namespace
