// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/messages.h"

#include <utility>

namespace ze {
namespace {
MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}
thread_local ScopedMessageCollector* t_collector = nullptr;
}  // namespace

ScopedMessageCollector::ScopedMessageCollector() : m_outer(std::exchange(t_collector, this)) {}

ScopedMessageCollector::~ScopedMessageCollector() {
    t_collector = m_outer;
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void ReportMessage(const std::string& text) {
    if (t_collector) {
        t_collector->m_messages.push_back(text);
        return;
    }
    if (Handler()) Handler()(text);
}

}  // namespace ze
