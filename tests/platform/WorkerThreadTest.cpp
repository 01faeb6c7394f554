#include "platform/ErrorReport.h"
#include "platform/ScriptedUserPrompt.h"
#include "platform/WorkerThread.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <cerrno>
#include <chrono>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

using namespace std::chrono_literals;

const QString kAdvice = QStringLiteral("Immediately save the date with another name and restart the application.");

TEST(ErrorReportTest, EveryKindHasItsMessage)
{
    struct Row {
        int kind;
        const char* message;
    };
    const Row rows[] = {
        { 0, "It ended normally." },
        { 1, "The memory allocating error occurred." },
        { 2, "The memory unlawful computer access error occurred." },
        { 3, "The operation result error occurred." },
        { 4, "The algorithm error occurred." },
        { 5, "OS error occurred." },
        { 6, "An undefined error occurred." },
        { 42, "An undefined error occurred." },
        { -1, "An undefined error occurred." },
    };
    for (const Row& row : rows)
        EXPECT_EQ(Exception::MessageOf(static_cast<Exception::ExceptionProcessor2Error>(row.kind)), QString::fromLatin1(row.message)) << row.kind;
}

TEST(ErrorReportTest, ReportsJoinTheirPartsExactly)
{
    EXPECT_EQ(KindReport(Exception::OsError, QStringLiteral("No such file or directory")),
        QStringLiteral("OS error occurred.\r\n") + kAdvice + QStringLiteral("\r\nNo such file or directory"));
    EXPECT_EQ(GenericReport(QStringLiteral("Success")),
        QStringLiteral("An error has occurred. The command will be cancelled.\r\n") + kAdvice + QStringLiteral("Success"));
    EXPECT_EQ(ErrorNumberText(ENOENT), QStringLiteral("No such file or directory"));
}

class WorkerThreadTest : public ::testing::Test {
protected:
    void SetUp() override { m_prompt = &ScriptedUserPrompt::Install(); }
    void TearDown() override { SetPrompt(nullptr); }

    // Waits, bounded, for the worker to end, then lets queued reports arrive.
    static bool WaitUntilEnded(const WorkerThread& worker)
    {
        const auto give_up = std::chrono::steady_clock::now() + 10s;
        while (worker.Running()) {
            if (std::chrono::steady_clock::now() > give_up)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    std::vector<ScriptedUserPrompt::Request> ReportsAfterEvents() const
    {
        QCoreApplication::processEvents();
        return m_prompt->Requests();
    }

    ScriptedUserPrompt* m_prompt { nullptr };
};

TEST_F(WorkerThreadTest, FailuresAreReportedWithTheirKind)
{
    struct Row {
        const char* label;
        std::function<void()> fail;
        QString expected;
    };
    const QString error_text = ErrorNumberText(ENOENT);
    const std::vector<Row> rows = {
        { "allocation", [] { throw std::bad_alloc(); }, KindReport(Exception::MemoryAllocatingError, error_text) },
        { "index out of range", [] { (void)std::vector<int>(2).at(5); }, KindReport(Exception::OsError, error_text) },
        { "thrown kind", [] { throw Exception::AlgorithmError; }, KindReport(Exception::AlgorithmError, error_text) },
        { "other exception", [] { throw std::runtime_error("x"); }, GenericReport(error_text) },
        { "anything thrown", [] { throw 7; }, GenericReport(error_text) },
    };
    WorkerThread worker;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        m_prompt->ClearRequests();
        ASSERT_TRUE(worker.Start([&row](WorkerThread&) {
            errno = ENOENT;
            row.fail();
        }));
        ASSERT_TRUE(WaitUntilEnded(worker));
        const auto reports = ReportsAfterEvents();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].kind, ScriptedUserPrompt::Kind::Message);
        EXPECT_EQ(reports[0].caption, QStringLiteral("Exception"));
        EXPECT_EQ(reports[0].icon, MessageIcon::Warning);
        EXPECT_EQ(reports[0].text, row.expected);
    }
}

TEST_F(WorkerThreadTest, ReportIsQueuedToTheUserInterfaceThread)
{
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([](WorkerThread&) { throw Exception::OsError; }));
    ASSERT_TRUE(WaitUntilEnded(worker));
    // The worker ended without waiting for the warning; it shows once events are processed.
    EXPECT_TRUE(m_prompt->Requests().empty());
    EXPECT_EQ(ReportsAfterEvents().size(), 1u);
}

TEST_F(WorkerThreadTest, FinishedWorkerClearsItsStateAndCanStartAgain)
{
    WorkerThread worker;
    EXPECT_FALSE(worker.Running());
    int runs = 0;
    int policy = -1;
    ASSERT_TRUE(worker.Start([&](WorkerThread&) {
        sched_param parameters {};
        pthread_getschedparam(pthread_self(), &policy, &parameters);
        ++runs;
    }));
    ASSERT_TRUE(WaitUntilEnded(worker));
    EXPECT_EQ(policy, SCHED_IDLE);
    ASSERT_TRUE(worker.Start([&](WorkerThread&) { ++runs; }));
    ASSERT_TRUE(WaitUntilEnded(worker));
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(worker.Failed());
    EXPECT_TRUE(ReportsAfterEvents().empty());
    EXPECT_FALSE(worker.Start(WorkerThread::Work()));
}

TEST_F(WorkerThreadTest, BusyWorkerRefusesASecondStartAndStopsOnRequest)
{
    WorkerThread worker;
    std::atomic<bool> started { false };
    ASSERT_TRUE(worker.Start([&](WorkerThread& self) {
        started = true;
        while (!self.StopRequested())
            std::this_thread::sleep_for(1ms);
    }));
    while (!started)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(worker.Running());
    EXPECT_FALSE(worker.Start([](WorkerThread&) {}));
    worker.StopAndWait();
    EXPECT_FALSE(worker.Running());
    // A new start clears the stop request.
    bool saw_stop = true;
    ASSERT_TRUE(worker.Start([&](WorkerThread& self) { saw_stop = self.StopRequested(); }));
    ASSERT_TRUE(WaitUntilEnded(worker));
    EXPECT_FALSE(saw_stop);
}

TEST_F(WorkerThreadTest, DestroyingAWorkerStopsAndWaitsForIt)
{
    std::atomic<bool> finished { false };
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.Start([&](WorkerThread& self) {
            while (!self.StopRequested())
                std::this_thread::sleep_for(1ms);
            finished = true;
        }));
    }
    EXPECT_TRUE(finished);
}

}
