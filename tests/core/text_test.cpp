#include "core/text.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(Text, CopyAndAppendFitExactly)
{
    char buffer[8];
    ASSERT_EQ(0, text_copy(buffer, sizeof buffer, "abc"));
    ASSERT_EQ(0, text_append(buffer, sizeof buffer, "defg"));
    EXPECT_STREQ("abcdefg", buffer);
}

TEST(Text, OverlongInputNeverWritesPastTheBuffer)
{
    char buffer[12];
    memset(buffer, 'x', sizeof buffer);
    // Only the first 8 bytes are handed over; the guard bytes must survive.
    EXPECT_EQ(-1, text_copy(buffer, 8, "123456789"));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(0, text_copy(buffer, 8, "1234"));
    EXPECT_EQ(-1, text_append(buffer, 8, "5678"));
    EXPECT_STREQ("1234", buffer);
    EXPECT_EQ(0, text_append(buffer, 8, "567"));
    EXPECT_STREQ("1234567", buffer);
    for (size_t i = 8; i < sizeof buffer; ++i) {
        EXPECT_EQ('x', buffer[i]);
    }
}

TEST(Text, UnterminatedTargetIsRefused)
{
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(-1, text_append(buffer, sizeof buffer, ""));
}
