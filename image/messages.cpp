#include "image/messages.h"

#include <utility>

namespace ze {
namespace {
MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}
}  // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void ReportMessage(const std::string& text) {
    if (Handler()) Handler()(text);
}

}  // namespace ze
