#include "support/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::TempFolder;

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstIsKilled) {
    TempFolder dir;
    const auto lockFile = dir / "dravio.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        SingleInstance mine(lockFile);
        char answer = mine.tryAcquire() == SingleInstance::Result::Acquired ? 'y' : 'n';
        if (::write(ready[1], &answer, 1) != 1) ::_exit(1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(answer, 'y');

    SingleInstance second(lockFile);
    EXPECT_EQ(second.tryAcquire(), SingleInstance::Result::AlreadyRunning);
    EXPECT_FALSE(second.held());

    // A crash: the kernel drops the lock with the process, no stale lock remains.
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(second.tryAcquire(), SingleInstance::Result::Acquired);
    EXPECT_TRUE(second.held());
}

TEST(SingleInstance, ReleasedWhenTheHolderIsDestroyedAndAnUnopenableFileIsAnError) {
    TempFolder dir;
    {
        SingleInstance first(dir / "dravio.lock");
        ASSERT_EQ(first.tryAcquire(), SingleInstance::Result::Acquired);
        EXPECT_EQ(SingleInstance(dir / "dravio.lock").tryAcquire(), SingleInstance::Result::AlreadyRunning);
    }
    EXPECT_EQ(SingleInstance(dir / "dravio.lock").tryAcquire(), SingleInstance::Result::Acquired);
    EXPECT_EQ(SingleInstance(dir / "no-such-folder" / "dravio.lock").tryAcquire(), SingleInstance::Result::Error);
}

}  // namespace
}  // namespace dravio::support
