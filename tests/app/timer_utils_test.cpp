// The two splash timers on real windows: the slots, the identifiers that fire, the recorded
// window, and the refusal of any other identifier.
#include "timer_utils.h"

#include "test_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Long enough to see a timer fire several times, short enough to keep the tests quick.
const UINT shortInterval = 30;
const DWORD observation = 300;

// Every timer of the utility is cancelled and its messages drained between tests.
class TimerUtilsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        TimerUtils::KillTimer(bothTimers);
        pumpFor(50);
    }
};

// Runs first in its process: nothing has been armed yet, so no window has been recorded.
TEST(TimerUtilsBeforeArming, KillTimerDoesNothingAndNothingIsActive) {
    TestWindow window;
    // A system timer with the display timer's identifier, made without the utility.
    ASSERT_NE(::SetTimer(window.get(), displayTimerId, shortInterval, NULL), 0u);
    for (UINT selector : {0u, 1u, 2u})
        TimerUtils::KillTimer(selector);
    for (UINT id : {0u, 1u, 2u, 3u})
        EXPECT_FALSE(TimerUtils::IsTimerActive(id)) << id;
    EXPECT_TRUE(pumpUntil([&] { return window.timerCount(displayTimerId) > 0; }, 2000));
    ::KillTimer(window.get(), displayTimerId);
}

TEST_F(TimerUtilsTest, InvalidIdentifierRaisesAndArmsNothing) {
    for (UINT id : {0u, 3u, 100u}) {
        SCOPED_TRACE(id);
        TestWindow window;
        try {
            TimerUtils::SetTimer(window.get(), 10, id);
            ADD_FAILURE() << "no exception";
        } catch (const std::string& text) {
            EXPECT_EQ(text, "TimerUtils::SetTimer - invalid timer ID");
        }
        EXPECT_FALSE(TimerUtils::IsTimerActive(displayTimerId));
        EXPECT_FALSE(TimerUtils::IsTimerActive(launchTimerId));
        EXPECT_FALSE(TimerUtils::IsTimerActive(id));
        pumpFor(150);
        EXPECT_TRUE(window.timers().empty());
    }
}

TEST_F(TimerUtilsTest, RefusedIdentifierKeepsTheRecordedWindow) {
    TestWindow armed;
    TestWindow other;
    TimerUtils::SetTimer(armed.get(), shortInterval, displayTimerId);
    EXPECT_THROW(TimerUtils::SetTimer(other.get(), shortInterval, 3), std::string);
    // The cancel still reaches the window armed before the refusal.
    TimerUtils::KillTimer(displayTimerId);
    pumpFor(observation);
    EXPECT_EQ(armed.timerCount(displayTimerId), 0);
    EXPECT_TRUE(other.timers().empty());
}

TEST_F(TimerUtilsTest, ArmedTimerFiresWithItsIdentifierUntilCancelled) {
    for (UINT id : {displayTimerId, launchTimerId}) {
        SCOPED_TRACE(id);
        TestWindow window;
        TimerUtils::SetTimer(window.get(), shortInterval, id);
        EXPECT_TRUE(TimerUtils::IsTimerActive(id));
        ASSERT_TRUE(pumpUntil([&] { return window.timerCount(id) > 0; }, 2000));
        // Firing alone does not clear the slot; only a cancel does.
        EXPECT_TRUE(TimerUtils::IsTimerActive(id));
        EXPECT_EQ(window.timers().size(), 1u);
        TimerUtils::KillTimer(id);
        EXPECT_FALSE(TimerUtils::IsTimerActive(id));
        pumpFor(50);
        window.clearTimers();
        pumpFor(observation);
        EXPECT_TRUE(window.timers().empty());
    }
}

TEST_F(TimerUtilsTest, IntervalIsTheOneGiven) {
    TestWindow window;
    const DWORD start = GetTickCount();
    TimerUtils::SetTimer(window.get(), 400, launchTimerId);
    ASSERT_TRUE(pumpUntil([&] { return window.timerCount(launchTimerId) > 0; }, 3000));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 350u);
    EXPECT_LT(elapsed, 1500u);
}

struct SelectorCase {
    UINT selector;
    bool displayLeft; // display timer still armed and firing afterwards
    bool launchLeft;
};

const SelectorCase selectorCases[] = {
    {0, false, false}, {1, false, true},          {2, true, false},
    {3, true, true},   {0xFFFFFFFFu, true, true},
};

TEST_F(TimerUtilsTest, KillTimerCancelsWhatItsSelectorNames) {
    for (const SelectorCase& c : selectorCases) {
        SCOPED_TRACE(c.selector);
        TestWindow window;
        TimerUtils::SetTimer(window.get(), shortInterval, displayTimerId);
        TimerUtils::SetTimer(window.get(), shortInterval, launchTimerId);
        EXPECT_TRUE(TimerUtils::IsTimerActive(displayTimerId));
        EXPECT_TRUE(TimerUtils::IsTimerActive(launchTimerId));
        TimerUtils::KillTimer(c.selector);
        EXPECT_EQ(TimerUtils::IsTimerActive(displayTimerId), c.displayLeft);
        EXPECT_EQ(TimerUtils::IsTimerActive(launchTimerId), c.launchLeft);
        EXPECT_FALSE(TimerUtils::IsTimerActive(0));
        pumpFor(observation);
        EXPECT_EQ(window.timerCount(displayTimerId) > 0, c.displayLeft);
        EXPECT_EQ(window.timerCount(launchTimerId) > 0, c.launchLeft);
        EXPECT_EQ(window.timers().size(),
                  static_cast<size_t>(c.displayLeft) + static_cast<size_t>(c.launchLeft));
        TimerUtils::KillTimer(bothTimers);
        pumpFor(50);
    }
}

TEST_F(TimerUtilsTest, CancelGoesToTheMostRecentlyArmedWindow) {
    TestWindow first;
    TestWindow second;
    TimerUtils::SetTimer(first.get(), shortInterval, displayTimerId);
    TimerUtils::SetTimer(second.get(), shortInterval, launchTimerId);
    // The second arming recorded the second window: the display timer of the first is out of
    // the utility's reach and keeps firing.
    TimerUtils::KillTimer(bothTimers);
    EXPECT_FALSE(TimerUtils::IsTimerActive(displayTimerId));
    pumpFor(50);
    first.clearTimers();
    second.clearTimers();
    pumpFor(observation);
    EXPECT_GT(first.timerCount(displayTimerId), 0);
    EXPECT_TRUE(second.timers().empty());
    ::KillTimer(first.get(), displayTimerId);
}

TEST_F(TimerUtilsTest, ArmingAgainAfterACancelWorks) {
    TestWindow window;
    TimerUtils::SetTimer(window.get(), shortInterval, displayTimerId);
    TimerUtils::KillTimer(displayTimerId);
    TimerUtils::SetTimer(window.get(), shortInterval, displayTimerId);
    EXPECT_TRUE(TimerUtils::IsTimerActive(displayTimerId));
    EXPECT_TRUE(pumpUntil([&] { return window.timerCount(displayTimerId) > 0; }, 2000));
}

} // namespace
