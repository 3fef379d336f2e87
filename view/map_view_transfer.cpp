// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer command (cmd::kTransfer): the pane's whole text, hand edits included, goes to the
// sibling HTML editor. The frame reads the pane at the moment of the command;
// the transfer runs off the GUI thread (one at a time), under the wait
// cursor, and a receiver that did not answer is reported in the status bar.
// No matching window shows nothing, as before.

#include "view/map_view.h"
#include "view/transfer_runner.h"

void CMapView::Transfer(const std::string& text) {
    auto* runner = findChild<CTransferRunner*>(QString(), Qt::FindDirectChildrenOnly);
    if (!runner) {
        runner = new CTransferRunner(this);
        connect(runner, &CTransferRunner::finished, this, [this](const QString& line) {
            if (!line.isEmpty()) ShowStatus(line);
        });
    }
    runner->Start(text);
}
