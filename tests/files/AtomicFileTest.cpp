// The one write loop every file goes through: all bytes arrive although a timer keeps
// interrupting the writes (calls that fail with EINTR, and writes cut short by the signal).
#include "files/AtomicFile.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace tarmel::files {
namespace {

TEST(WriteAll, EveryByteArrivesThroughInterruptedAndShortWrites) {
    // A handler without SA_RESTART: a write blocked on the full pipe returns early.
    struct sigaction action {};
    action.sa_handler = [](int) {};
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGALRM, &action, &before), 0);
    const itimerval every{{0, 200}, {0, 200}};
    ASSERT_EQ(::setitimer(ITIMER_REAL, &every, nullptr), 0);

    std::string sent(4 << 20, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<char>(i * 7 + i / 251);
    }
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::string received;
    // The timer's signals go mostly to the writer: the kernel prefers a process's main thread.
    std::thread reader([&] {
        char chunk[4096];
        for (ssize_t n; (n = ::read(ends[0], chunk, sizeof chunk)) != 0;) {
            if (n > 0) {
                received.append(chunk, static_cast<std::size_t>(n));
            }
        }
    });
    const int err = writeAll(ends[1], sent);
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    const itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &before, nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_TRUE(received == sent) << received.size() << " of " << sent.size() << " bytes";
}

} // namespace
} // namespace tarmel::files
