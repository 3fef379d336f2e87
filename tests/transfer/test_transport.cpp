#include <gtest/gtest.h>

#include <cstdlib>

#include "view/transfer/sibling_transfer.h"

// Without a display the send fails at once with a reason; it never ends the
// process (Xlib's default handlers would).
TEST(SiblingTransport, NoDisplayIsAFailureWithAReason) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    setenv("DISPLAY", ":65000", 1);
    std::string whyNot;
    EXPECT_FALSE(SendToSibling("<MAP></MAP>", &whyNot));
    EXPECT_EQ(whyNot, "cannot open the X display");
    EXPECT_FALSE(SendToSibling("", nullptr));
    if (saved)
        setenv("DISPLAY", display.c_str(), 1);
    else
        unsetenv("DISPLAY");
}
