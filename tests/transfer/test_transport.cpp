#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "view/transfer/sibling_transfer.h"

namespace {

// Sets DISPLAY for the lifetime of the object.
class DisplayVariable {
public:
    explicit DisplayVariable(const std::string& value) {
        if (const char* saved = std::getenv("DISPLAY")) m_saved = saved, m_had = true;
        setenv("DISPLAY", value.c_str(), 1);
    }
    ~DisplayVariable() {
        if (m_had)
            setenv("DISPLAY", m_saved.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }

private:
    std::string m_saved;
    bool m_had = false;
};

// A display socket that takes connections and never answers, as a frozen or
// stopped X server does: /tmp/.X11-unix/XNN for a free NN.
class SilentDisplay {
public:
    SilentDisplay() {
        mkdir("/tmp/.X11-unix", 01777);
        for (int n = 640; n < 700 && m_fd < 0; ++n) {
            const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
            if (access(path.c_str(), F_OK) == 0) continue;
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            path.copy(address.sun_path, sizeof address.sun_path - 1);
            if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                listen(fd, 8) == 0) {
                m_fd = fd, m_path = path, m_name = ":" + std::to_string(n);
            } else {
                close(fd);
            }
        }
    }
    ~SilentDisplay() {
        if (m_fd < 0) return;
        close(m_fd);
        unlink(m_path.c_str());
    }
    const std::string& Name() const { return m_name; }

private:
    int m_fd = -1;
    std::string m_path, m_name;
};

}  // namespace

// Without a display, or with one that accepts the connection and never
// answers, the send fails with a reason by the deadline; it never ends the
// process (Xlib's default handlers would) and never hangs.
TEST(SiblingTransport, NoOrSilentDisplayFailsWithAReason) {
    SilentDisplay silent;
    ASSERT_FALSE(silent.Name().empty()) << "no free display socket";
    const struct {
        std::string display;
        ze::transfer::SendStatus status;
        const char* why;
    } cases[] = {
        {":65000", ze::transfer::SendStatus::Failed, "cannot open the X display"},
        {silent.Name(), ze::transfer::SendStatus::TimedOut,
         "the X server did not answer within 6 seconds"},
    };
    for (const auto& c : cases) {
        DisplayVariable display(c.display);
        const auto start = std::chrono::steady_clock::now();
        const ze::transfer::SendOutcome outcome = ze::transfer::SendMarkupToSibling("<MAP></MAP>");
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.why, c.why);
        // The deadline is 6 s; the rest is slack for a busy machine.
        EXPECT_LT(took, std::chrono::milliseconds(ze::transfer::kTransferDeadlineMs + 1500));
    }
}
