#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "transfer/sibling_transfer.h"

// Without a display, or with one that accepts the connection and never
// answers (as a frozen or stopped X server does), the send fails with a
// reason by the deadline; it never ends the process (Xlib's default handlers
// would) and never hangs.
TEST(SiblingTransport, NoOrSilentDisplayFailsWithAReason) {
    // The silent display: a loopback port that listens, X display number
    // (port - 6000).
    const int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(listen(silent, 8), 0);
    ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const struct {
        std::string display;
        ze::transfer::SendStatus status;
        const char* why;
    } cases[] = {
        {":65000", ze::transfer::SendStatus::Failed, "cannot open the X display"},
        {"127.0.0.1:" + std::to_string(ntohs(address.sin_port) - 6000),
         ze::transfer::SendStatus::TimedOut, "the X server did not answer within 6 seconds"},
    };
    const char* saved = std::getenv("DISPLAY");
    const std::string before = saved ? saved : "";
    for (const auto& c : cases) {
        setenv("DISPLAY", c.display.c_str(), 1);
        const auto start = std::chrono::steady_clock::now();
        const ze::transfer::SendOutcome outcome = ze::transfer::SendMarkupToSibling("<MAP></MAP>");
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(outcome.status, c.status) << c.display;
        EXPECT_EQ(outcome.why, c.why);
        // The deadline is 6 s; the rest is slack for a busy machine.
        EXPECT_LT(took, std::chrono::milliseconds(ze::transfer::kTransferDeadlineMs + 1500));
    }
    saved ? setenv("DISPLAY", before.c_str(), 1) : unsetenv("DISPLAY");
    close(silent);
}
