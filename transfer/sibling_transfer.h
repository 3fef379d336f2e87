// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sending the markup to the sibling HTML editor "ZURI Zezez SEKKA": find its
// window (sibling_choice.h), bring it forward, and hand it the whole text in
// one synchronous message (sibling_message.h). On Windows that is
// WM_COPYDATA; on X11 the same three values travel as a window property and a
// client message (the protocol is described in docs/sibling-protocol.md).

#include <string>

#include "io/status.h"

namespace ze::transfer {

// The X11 property, its type and the client message type all carry this name.
inline constexpr const char* kX11CopyDataAtom = "_ZER_EVIZI_COPYDATA";
// How long the X11 sender waits for the receiver to take the data.
inline constexpr int kReplyTimeoutMs = 5000;
// How long the whole X11 transfer may take, opening the display included.
inline constexpr int kTransferDeadlineMs = 6000;

// Looks for the sibling editor and sends it `utf8PaneText`: kOk when the
// receiver took it, kNoSibling (nothing at all happened) when no window
// matches, else why the transfer failed. The text is read only. The editor's transfer
// command runs it through CTransferRunner (view/transfer_runner.h).
Status SendMarkupToSibling(const std::string& utf8PaneText);

}  // namespace ze::transfer
