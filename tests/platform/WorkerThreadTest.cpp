// The worker thread that runs jobs one at a time beside its caller.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/Handles.h"
#include "platform/WorkerThread.h"

namespace {

// A job that waits until the test lets it go on, so the test decides when it ends.
struct Gate {
    UniqueKernelHandle open{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle entered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    void Pass()
    {
        ::SetEvent(entered.get());
        ::WaitForSingleObject(open.get(), INFINITE);
    }
};

} // namespace

TEST(WorkerThread, RunsJobsInOrderOnAThreadOfItsOwn)
{
    WorkerThread worker;
    std::vector<int> order;
    DWORD jobThread = 0;
    for (int i = 0; i < 5; ++i)
        worker.Post([&order, &jobThread, i] {
            order.push_back(i);
            jobThread = ::GetCurrentThreadId();
        });
    worker.Wait();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_NE(jobThread, 0u);
    EXPECT_NE(jobThread, ::GetCurrentThreadId());
}

TEST(WorkerThread, WaitReturnsOnlyOnceTheJobIsDone)
{
    WorkerThread worker;
    Gate gate;
    bool done = false;
    worker.Post([&] {
        gate.Pass();
        done = true;
    });
    ASSERT_EQ(::WaitForSingleObject(gate.entered.get(), 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(done) << "the job is held at the gate";
    ::SetEvent(gate.open.get());
    worker.Wait();
    EXPECT_TRUE(done);
}

TEST(WorkerThread, EndsOnlyAfterTheJobInHand)
{
    Gate gate;
    bool done = false;
    {
        WorkerThread worker;
        worker.Post([&] {
            gate.Pass();
            done = true;
        });
        ASSERT_EQ(::WaitForSingleObject(gate.entered.get(), 10000), WAIT_OBJECT_0);
        ::SetEvent(gate.open.get());
    }
    EXPECT_TRUE(done);
}

TEST(WorkerThread, AJobThatThrowsLeavesTheThreadRunning)
{
    WorkerThread worker;
    bool later = false;
    worker.Post([] { throw std::runtime_error("job failed"); });
    worker.Post([&later] { later = true; });
    worker.Wait();
    EXPECT_TRUE(later);
}
