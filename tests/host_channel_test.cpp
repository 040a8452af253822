// The lines a desktop shell writes to the embedded program.
#include "platform/system/host_channel.h"

#include <gtest/gtest.h>

TEST(HostChannelTest, ReadsTheWordsItKnowsAndNothingElse) {
    HostWord word;
    ASSERT_TRUE(parseHostLine("seen", &word));
    EXPECT_EQ(word.kind, HostWordKind::Seen);
    ASSERT_TRUE(parseHostLine("unseen", &word));
    EXPECT_EQ(word.kind, HostWordKind::Unseen);
    ASSERT_TRUE(parseHostLine("size 1920 1080", &word));
    EXPECT_EQ(word.kind, HostWordKind::Size);
    EXPECT_EQ(word.width, 1920);
    EXPECT_EQ(word.height, 1080);
    ASSERT_TRUE(parseHostLine("size 16384 1", &word));
    EXPECT_EQ(word.width, 16384);
    for (const char* wrong : {"", "Seen", "seen ", "size", "size 800", "size 0 600", "size 800 0",
                              "size 16385 600", "size -1 600", "size 800 600 2", "size 8e2 600", "size  800 600",
                              "size 99999999999 1", "size 800 600\r"}) {
        HostWord kept;
        kept.kind = HostWordKind::Seen;
        EXPECT_FALSE(parseHostLine(wrong, &kept)) << wrong;
        EXPECT_EQ(kept.kind, HostWordKind::Seen) << wrong;
    }
}
