// The re-entrant lock.
#include "platform/kernel/CritSec.h"
#include <gtest/gtest.h>
#include <thread>

TEST(CritSec, IsReentrantAndExcludesOtherThreads) {
    CCritSec cs;
    int counter = 0;
    {
        CAutoLock outer(&cs);
        CAutoLock inner(&cs); // the same thread may enter again
        ++counter;
    }
    std::thread t([&] {
        for (int i = 0; i < 10000; ++i) {
            CAutoLock l(&cs);
            ++counter;
        }
    });
    for (int i = 0; i < 10000; ++i) {
        CAutoLock l(&cs);
        ++counter;
    }
    t.join();
    EXPECT_EQ(counter, 20001);
}
