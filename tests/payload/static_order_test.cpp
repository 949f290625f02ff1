// The holder-count table must outlive every other static object: a static owner of this
// program, constructed and destroyed with default priority, still finds the table alive.
#include "data_content.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Exit code of a run whose static owner outlived the table.
const int wrongOrderExit = 3;

struct StaticOwner {
    StaticOwner() : tableAliveAtConstruction(ContentRegistry::isAlive()) {
        // Attaching to a table that is not built yet would corrupt it; the test reports it.
        if (tableAliveAtConstruction)
            payload = DataContent(16);
    }
    ~StaticOwner() {
        if (!ContentRegistry::isAlive())
            std::_Exit(wrongOrderExit);
        try {
            payload.dispose();
        } catch (...) {
            std::_Exit(wrongOrderExit);
        }
        if (!ContentRegistry::isAlive() || ContentRegistry::instance().entryCount() != 0)
            std::_Exit(wrongOrderExit);
    }

    bool tableAliveAtConstruction;
    DataContent payload;
};

StaticOwner staticOwner;

} // namespace

TEST(StaticOrder, TableIsBuiltBeforeAStaticOwner) {
    EXPECT_TRUE(staticOwner.tableAliveAtConstruction);
    ASSERT_TRUE(staticOwner.payload.owned);
    EXPECT_EQ(ContentRegistry::instance().countOf(staticOwner.payload.data), 1u);
}
