#include "app/TerminationRequest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {

// Raises SIGHUP until the handler's pipe is full (nothing reads it) and exits with 0 when
// errno was the interrupted code's own after every signal.
[[noreturn]] void RaiseUntilThePipeIsFull()
{
    if (!TerminationRequest::InstallHandlers())
        std::_Exit(2);
    // A pipe holds 64 KiB unless the system was told otherwise; one byte per signal.
    for (int sent = 0; sent < 65536 + 4096; ++sent) {
        errno = ERANGE;
        if (::raise(SIGHUP) != 0 || errno != ERANGE)
            std::_Exit(1);
    }
    std::_Exit(0);
}

// The handler writes to a pipe. Once the pipe is full that write fails, and the code the signal
// interrupted must still find its own errno afterwards. In a child process, so that the
// signals stay out of the other tests.
TEST(TerminationRequestTest, TheSignalHandlerKeepsErrno)
{
    EXPECT_EXIT(RaiseUntilThePipeIsFull(), ::testing::ExitedWithCode(0), "");
}

}
