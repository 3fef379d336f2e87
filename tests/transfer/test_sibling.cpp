// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the sibling window, the message sent to it, and sending it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "transfer/sibling_choice.h"
#include "transfer/sibling_message.h"
#include "transfer/sibling_transfer.h"

using ze::transfer::ChooseSibling;
using ze::transfer::CopyDataMessage;
using ze::transfer::MakeCopyDataMessage;
using ze::transfer::ToCodePage932;
using ze::transfer::ToCrLf;
using ze::transfer::WindowState;

namespace {
constexpr auto kMin = WindowState::Minimised;
constexpr auto kVis = WindowState::Visible;
constexpr auto kHid = WindowState::Hidden;
const std::string kTitle = "index.html - ZURI Zezez SEKKA";

CopyDataMessage Make(const std::string& text) {
    CopyDataMessage message;
    message.dwData = 77;  // must be overwritten
    EXPECT_TRUE(MakeCopyDataMessage(text, &message));
    return message;
}
}  // namespace

TEST(SiblingMessage, CarriesTheTextWithCrLfAndOneNul) {
    const CopyDataMessage ten = Make("<MAP></MAP");
    EXPECT_EQ(ten.dwData, 0u);
    EXPECT_EQ(ten.cbData, 11u);
    EXPECT_EQ(ten.bytes, std::string("<MAP></MAP\0", 11));
    const CopyDataMessage empty = Make("");
    EXPECT_EQ(empty.cbData, 1u);
    EXPECT_EQ(empty.bytes, std::string(1, '\0'));

    EXPECT_EQ(ToCrLf("a\r\nb\nc\rd\n\n"), "a\r\nb\r\nc\rd\r\n\r\n");
    EXPECT_EQ(ToCrLf("\n"), "\r\n");
    EXPECT_EQ(Make("<MAP>\r\n</MAP>\n").bytes, std::string("<MAP>\r\n</MAP>\r\n\0", 16));
}

TEST(SiblingMessage, TextBecomesCodePage932AndTheRestReferences) {
    // Half-width katakana take one byte; NEC row 13, the full-width tilde.
    EXPECT_EQ(ToCodePage932("日本語ｱ①～\\~"), "\x93\xfa\x96\x7b\x8c\xea\xb1\x87\x40\x81\x60\\~");
    // Look-alikes that a best-fit table would turn into other characters.
    EXPECT_EQ(ToCodePage932("a〜b¥—é😀"), "a&#12316;b&#165;&#8212;&#233;&#128512;");
    // Bytes that are not UTF-8 are replaced one by one, never dropped: a stray
    // byte, an overlong form, a surrogate, a character cut short.
    EXPECT_EQ(ToCodePage932("x\xff\xc0\xaf\xed\xa0\x80\xe6\x97"),
              "x&#65533;&#65533;&#65533;&#65533;&#65533;&#65533;&#65533;&#65533;");
    EXPECT_EQ(Make("<AREA ALT=\"地図\">").bytes,
              std::string("<AREA ALT=\"\x92\x6e\x90\x7d\">\0", 18));
}

TEST(SiblingChoice, FirstMinimisedOrVisibleMatchWinsAHiddenOneOnlyIfNoneFollows) {
    EXPECT_EQ(ChooseSibling({{"Terminal", kVis}, {kTitle, kMin}, {kTitle, kVis}}), 1u);
    EXPECT_EQ(ChooseSibling({{"Terminal", kVis}, {kTitle, kVis}, {kTitle, kMin}}), 1u);
    // Two visible ones: only the first in the order.
    EXPECT_EQ(ChooseSibling({{kTitle, kVis}, {"ZURI Zezez SEKKA 2", kVis}}), 0u);
    // A hidden match is kept only until a later one.
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {"Other", kVis}, {kTitle, kVis}}), 2u);
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {kTitle, kMin}}), 1u);
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {"Other", kVis}}), 0u);
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {kTitle, kHid}, {"Other", kMin}}), 1u);
    // A visible match ends the search: a hidden one after it is never looked at.
    EXPECT_EQ(ChooseSibling({{kTitle, kVis}, {kTitle, kHid}}), 0u);
}

TEST(SiblingChoice, OnlyTheExactNameInTheFirst255BytesMatches) {
    EXPECT_FALSE(ChooseSibling({}));
    EXPECT_FALSE(ChooseSibling({{"zuri zezez sekka", kVis},
                                {"ZURI ZEZEZ SEKKA", kVis},
                                {"ZURI Zezez  SEKKA", kVis},
                                {"ZURI Zezez SEKK", kVis},
                                {"", kVis}}));
    EXPECT_EQ(ChooseSibling({{"ZURI Zezez SEKKA", kVis}}), 0u);
    const std::string name = "ZURI Zezez SEKKA";
    const std::string endsAt255 = std::string(255 - name.size(), 'x') + name;
    const std::string endsAt256 = std::string(256 - name.size(), 'x') + name;
    EXPECT_EQ(ChooseSibling({{endsAt256, kVis}, {endsAt255, kVis}}), 1u);
    EXPECT_FALSE(ChooseSibling({{endsAt256 + "tail", kMin}}));
}

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
        ze::StatusCode status;
        const char* why;
    } cases[] = {
        {":65000", ze::StatusCode::kNoDisplay, "cannot open the X display"},
        {"127.0.0.1:" + std::to_string(ntohs(address.sin_port) - 6000),
         ze::StatusCode::kServerSilent, "the X server did not answer within 6 seconds"},
    };
    const char* saved = std::getenv("DISPLAY");
    const std::string before = saved ? saved : "";
    for (const auto& c : cases) {
        setenv("DISPLAY", c.display.c_str(), 1);
        const auto start = std::chrono::steady_clock::now();
        const ze::Status outcome = ze::transfer::SendMarkupToSibling("<MAP></MAP>");
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(outcome, c.status) << c.display;
        EXPECT_EQ(ze::StatusText(outcome, ze::TextLanguage::kEnglish), c.why);
        // The deadline is 6 s; the rest is slack for a busy machine.
        EXPECT_LT(took, std::chrono::milliseconds(ze::transfer::kTransferDeadlineMs + 1500));
    }
    saved ? setenv("DISPLAY", before.c_str(), 1) : unsetenv("DISPLAY");
    close(silent);
}
