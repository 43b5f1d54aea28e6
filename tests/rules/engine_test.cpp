// Placeholder replaced by the engine's tables.
#include <gtest/gtest.h>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"

TEST(Engine, CreatesTheTree) {
    fake::Reset();
    fake::AddFolder("C:\\Data");
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", "C:\\Data");
    EXPECT_TRUE(CreateFromText("Reports<Q1|Q2>|Archive"));
    EXPECT_EQ(fake::FoldersBelow("C:\\Data"),
              (std::vector<std::string>{"Archive", "Reports", "Reports\\Q1", "Reports\\Q2"}));
    ReleaseBuffers();
}
