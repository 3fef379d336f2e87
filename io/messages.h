// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The image library never shows a window itself: it reports through one
// handler that the application installs (a message box in the editor, stderr
// in the command-line tool, a recorder in tests).

#include <functional>
#include <string>
#include <vector>

namespace ze {

using MessageHandler = std::function<void(const std::string& text)>;

// Installs the handler and answers the previous one. An empty handler means
// messages are dropped.
MessageHandler SetMessageHandler(MessageHandler handler);

// Passes one message to the installed handler, or to the calling thread's
// collector while one exists.
void ReportMessage(const std::string& text);

// While it lives, the messages reported on the thread that made it are kept
// here instead of reaching the handler: a picture read on a worker thread
// must not show a message box there. The owner passes them on afterwards.
class ScopedMessageCollector {
public:
    ScopedMessageCollector();
    ~ScopedMessageCollector();
    ScopedMessageCollector(const ScopedMessageCollector&) = delete;
    ScopedMessageCollector& operator=(const ScopedMessageCollector&) = delete;

    const std::vector<std::string>& Messages() const { return m_messages; }

private:
    friend void ReportMessage(const std::string& text);
    std::vector<std::string> m_messages;
    ScopedMessageCollector* m_outer;
};

}  // namespace ze
