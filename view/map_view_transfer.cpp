// Command 32779: the pane's whole text, hand edits included, goes to the
// sibling HTML editor. The pane is only read. A failed transfer (no such
// window, no answer) shows nothing, like any failed window call here.

#include "shell/main_frame.h"
#include "view/map_view.h"
#include "view/transfer/sibling_transfer.h"

void CMapView::OnTransfer() {
    CMainFrame* frame = GetParentFrame();
    if (!frame) return;
    std::string whyNot;
    SendToSibling(frame->Pane().GetWindowText(), &whyNot);
}
