// A short soak: a hundred marker changes of continuous play leave the
// process with what it had.
#include "support/Test.h"

#include "support/Soak.h"

TEST(Soak, ContinuousPlayKeepsDescriptorsChildrenAndFilesFlat)
{
    TempDir tmp;
    std::vector<GspSoak::Sample> s = GspSoak::run(10, 100, 20);
    GspSoak::print(s);
    ASSERT_EQ(6u, s.size()) << "the tour stalled";
    for (size_t i = 1; i < s.size(); i++) {
        EXPECT_EQ(s[0].descriptors, s[i].descriptors) << s[i].changes;
        EXPECT_EQ(0, s[i].children) << s[i].changes;
        EXPECT_EQ(s[0].tempFiles, s[i].tempFiles) << s[i].changes;
    }
}
