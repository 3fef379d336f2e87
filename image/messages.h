#pragma once
// The image library never shows a window itself: it reports through one
// handler that the application installs (a message box in the editor, stderr
// in the command-line tool, a recorder in tests).

#include <functional>
#include <string>

namespace ze {

using MessageHandler = std::function<void(const std::string& text)>;

// Installs the handler and answers the previous one. An empty handler means
// messages are dropped.
MessageHandler SetMessageHandler(MessageHandler handler);

// Passes one message to the installed handler.
void ReportMessage(const std::string& text);

}  // namespace ze
