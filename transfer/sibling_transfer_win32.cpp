// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows transport of the sibling transfer: EnumWindows finds the
// window, OpenIcon or SetWindowPos brings it forward, and SendMessageA
// delivers WM_COPYDATA, returning when the receiver has handled it.
#ifdef _WIN32

#include <windows.h>

#include "transfer/sibling_choice.h"
#include "transfer/sibling_message.h"
#include "transfer/sibling_transfer.h"

namespace ze::transfer {
namespace {

// The window found by the current enumeration; null at its start.
HWND g_hTarget = nullptr;

// Callback for EnumWindows; the parameter is not used. Answers FALSE to end
// the enumeration at the first minimised or visible match; a hidden match
// stays the target unless a later match replaces it.
BOOL CALLBACK FindSiblingWindow(HWND hWnd, LPARAM /*lParam*/) {
    char title[kTitleLimit + 1] = {};
    GetWindowTextA(hWnd, title, static_cast<int>(sizeof title));
    if (!TitleNamesSibling(title)) return TRUE;
    g_hTarget = hWnd;
    if (IsIconic(hWnd)) {
        OpenIcon(hWnd);
        return FALSE;
    }
    if (IsWindowVisible(hWnd)) {
        SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

Status SendMarkupToSibling(const std::string& utf8PaneText) {
    g_hTarget = nullptr;
    EnumWindows(FindSiblingWindow, 0);
    const HWND hTarget = g_hTarget;
    g_hTarget = nullptr;
    if (!hTarget) return StatusCode::kNoSibling;

    CopyDataMessage message;
    if (!MakeCopyDataMessage(utf8PaneText, &message)) return StatusCode::kTextTooLarge;
    COPYDATASTRUCT cds{};
    cds.dwData = message.dwData;
    cds.cbData = message.cbData;
    cds.lpData = message.bytes.data();
    SendMessageA(hTarget, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    return StatusCode::kOk;
}

}  // namespace ze::transfer

#endif  // _WIN32
