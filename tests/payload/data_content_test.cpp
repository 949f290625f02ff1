// Buffer states, holder counts and every message of the byte buffer.
#include "data_content.h"

#include <gtest/gtest.h>

TEST(DataContent, SizedOwnerStartsWithOneHolder) {
    DataContent owner(3);
    EXPECT_TRUE(owner.owned);
    EXPECT_EQ(ContentRegistry::instance().countOf(owner.data), 1u);
}
