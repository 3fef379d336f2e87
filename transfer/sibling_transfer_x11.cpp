// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 transport of the sibling transfer, through Xlib on a connection of
// its own (the editor's toolkit keeps its own connection untouched). The
// protocol, as docs/sibling-protocol.md gives it to the sibling editor's authors:
//   - top-level client windows from _NET_CLIENT_LIST_STACKING (top first)
//     when a window manager provides it, else the root's children with a
//     title; titles from _NET_WM_NAME (UTF-8) or WM_NAME;
//   - minimised = WM_STATE iconic or _NET_WM_STATE_HIDDEN; visible =
//     viewable; anything else is hidden;
//   - restore or raise through _NET_ACTIVE_WINDOW with a window manager, map
//     and raise without one;
//   - the cbData bytes go into the target's property _ZER_EVIZI_COPYDATA
//     (type _ZER_EVIZI_COPYDATA, format 8), then a ClientMessage of that type
//     (format 32: l[0] 0, l[1] dwData, l[2] cbData) goes to the target; the
//     receiver reads and deletes the property, and the sender waits for the
//     deletion for at most kReplyTimeoutMs.
// Every Xlib call that needs an answer blocks for as long as the server does
// not give one (a frozen or stopped server, another client's server grab, a
// socket that accepts and never answers). The whole transfer therefore runs
// in a child process that is ended when it takes longer than
// kTransferDeadlineMs.
#ifndef _WIN32

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// Xlib names its int result Status by a macro; here Status is ze::Status.
#undef Status
#include <fcntl.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <memory>
#include <vector>

#include "transfer/sibling_choice.h"
#include "transfer/sibling_message.h"
#include "transfer/sibling_transfer.h"

namespace ze::transfer {
namespace {

// Xlib's default error handler ends the process. While a send runs, errors
// (a window that vanished between two calls) are counted instead.
int g_xErrors = 0;
int CountXError(Display*, XErrorEvent*) {
    ++g_xErrors;
    return 0;
}

class ErrorTrap {
public:
    ErrorTrap() : m_previous(XSetErrorHandler(CountXError)) { g_xErrors = 0; }
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits until the server has answered every request so far; true when
    // any of them failed since the last call.
    bool Failed(Display* display) {
        XSync(display, False);
        const bool failed = g_xErrors != 0;
        g_xErrors = 0;
        return failed;
    }

private:
    XErrorHandler m_previous;
};

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

struct XFreer {
    void operator()(unsigned char* data) const { XFree(data); }
};

enum AtomIndex {
    kClientListStacking,
    kSupportingWmCheck,
    kNetWmName,
    kUtf8String,
    kWmState,
    kNetWmState,
    kNetWmStateHidden,
    kNetActiveWindow,
    kCopyData,
    kAtomCount
};

struct Atoms {
    Atom a[kAtomCount] = {};
    Atom operator[](AtomIndex i) const { return a[i]; }
};

bool InternAtoms(Display* display, Atoms* atoms) {
    const char* names[kAtomCount] = {"_NET_CLIENT_LIST_STACKING",
                                     "_NET_SUPPORTING_WM_CHECK",
                                     "_NET_WM_NAME",
                                     "UTF8_STRING",
                                     "WM_STATE",
                                     "_NET_WM_STATE",
                                     "_NET_WM_STATE_HIDDEN",
                                     "_NET_ACTIVE_WINDOW",
                                     kX11CopyDataAtom};
    return XInternAtoms(display, const_cast<char**>(names), kAtomCount, False, atoms->a) != 0;
}

// A format-32 property as its items (Xlib hands them out as longs).
std::vector<unsigned long> ReadLongs(Display* display, Window window, Atom property, Atom type,
                                     long maxItems) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, property, 0, maxItems, False, type, &actualType,
                           &format, &count, &after, &raw) != Success)
        return items;
    std::unique_ptr<unsigned char, XFreer> owner(raw);
    if (raw && format == 32 && actualType == type) {
        const unsigned long* longs = reinterpret_cast<const unsigned long*>(raw);
        items.assign(longs, longs + count);
    }
    return items;
}

// A format-8 property's first `maxBytes` bytes and its type (None when the
// window has no such property).
std::string ReadBytes(Display* display, Window window, Atom property, long maxBytes, Atom* type) {
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    *type = None;
    if (XGetWindowProperty(display, window, property, 0, (maxBytes + 3) / 4, False, AnyPropertyType,
                           type, &format, &count, &after, &raw) != Success)
        return {};
    std::unique_ptr<unsigned char, XFreer> owner(raw);
    if (!raw || format != 8) return {};
    return std::string(reinterpret_cast<const char*>(raw),
                       std::min<unsigned long>(count, static_cast<unsigned long>(maxBytes)));
}

// The title as code page 932 bytes, at most kTitleLimit of them. Enough
// UTF-8 is read that its conversion fills the limit.
std::string ReadTitle(Display* display, Window window, const Atoms& atoms) {
    constexpr long kReadBytes = 4 * kTitleLimit;
    Atom type = None;
    std::string title = ReadBytes(display, window, atoms[kNetWmName], kReadBytes, &type);
    if (type != atoms[kUtf8String])
        title = ReadBytes(display, window, XA_WM_NAME, kReadBytes, &type);
    if (type == atoms[kUtf8String]) title = ToCodePage932(title);
    if (title.size() > kTitleLimit) title.resize(kTitleLimit);
    return title;
}

WindowState ReadState(Display* display, Window window, const Atoms& atoms) {
    const auto wmState = ReadLongs(display, window, atoms[kWmState], atoms[kWmState], 2);
    if (!wmState.empty() && wmState[0] == IconicState) return WindowState::Minimised;
    const auto netState = ReadLongs(display, window, atoms[kNetWmState], XA_ATOM, 64);
    if (std::find(netState.begin(), netState.end(), atoms[kNetWmStateHidden]) != netState.end())
        return WindowState::Minimised;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        return WindowState::Visible;
    return WindowState::Hidden;
}

// A window manager that follows the desktop conventions names a check
// window that names itself.
bool WindowManagerPresent(Display* display, Window root, const Atoms& atoms) {
    const auto check = ReadLongs(display, root, atoms[kSupportingWmCheck], XA_WINDOW, 1);
    if (check.size() != 1) return false;
    const auto self = ReadLongs(display, check[0], atoms[kSupportingWmCheck], XA_WINDOW, 1);
    return self.size() == 1 && self[0] == check[0];
}

// Top-level client windows, top of the stacking order first.
std::vector<Window> TopLevelWindows(Display* display, Window root, bool windowManager,
                                    const Atoms& atoms) {
    std::vector<Window> windows;
    if (windowManager) {
        for (unsigned long w :
             ReadLongs(display, root, atoms[kClientListStacking], XA_WINDOW, 1 << 16))
            windows.push_back(w);
    }
    if (windows.empty()) {
        Window rootReturn, parent;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children) {
            windows.assign(children, children + count);
            XFree(children);
        }
    }
    std::reverse(windows.begin(), windows.end());  // both lists run bottom to top
    return windows;
}

// Restores a minimised window or raises a visible one.
void BringForward(Display* display, Window root, Window target, bool windowManager,
                  const Atoms& atoms) {
    if (windowManager) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = atoms[kNetActiveWindow];
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;  // the request comes from a pager-like tool
        event.xclient.data.l[1] = CurrentTime;
        event.xclient.data.l[2] = 0;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XMapRaised(display, target);
    }
}

enum class WaitResult { Deleted, Destroyed, TimedOut, Broken };

using Clock = std::chrono::steady_clock;

// Waits for the receiver to delete the property, reading the connection only
// when select() says there is something to read, until `deadline`.
WaitResult WaitForDeletion(Display* display, Window target, Atom property,
                           Clock::time_point deadline) {
    const int fd = ConnectionNumber(display);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == PropertyNotify && event.xproperty.window == target &&
                event.xproperty.atom == property && event.xproperty.state == PropertyDelete)
                return WaitResult::Deleted;
            if (event.type == DestroyNotify && event.xdestroywindow.window == target)
                return WaitResult::Destroyed;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0) return WaitResult::TimedOut;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval timeout{static_cast<time_t>(left.count() / 1000000),
                        static_cast<suseconds_t>(left.count() % 1000000)};
        if (select(fd + 1, &readable, nullptr, nullptr, &timeout) < 0 && errno != EINTR)
            return WaitResult::Broken;
    }
}

// The status of `code`, the seconds waited kept for the two that time out.
Status Outcome(StatusCode code) {
    Status status = code;
    if (code == StatusCode::kReceiverSilent) status.limit = kReplyTimeoutMs / 1000;
    if (code == StatusCode::kServerSilent) status.limit = kTransferDeadlineMs / 1000;
    return status;
}

Status Send(Display* display, ErrorTrap& trap, const std::string& utf8PaneText,
            Clock::time_point deadline) {
    Atoms atoms;
    if (!InternAtoms(display, &atoms)) return Outcome(StatusCode::kNoAtoms);
    const Window root = DefaultRootWindow(display);
    const bool windowManager = WindowManagerPresent(display, root, atoms);

    // The choice: titles for every window, states only where a title matches.
    const std::vector<Window> windows = TopLevelWindows(display, root, windowManager, atoms);
    std::vector<WindowRecord> records;
    records.reserve(windows.size());
    for (Window w : windows) {
        WindowRecord record;
        record.title = ReadTitle(display, w, atoms);
        if (TitleNamesSibling(record.title)) record.state = ReadState(display, w, atoms);
        records.push_back(std::move(record));
    }
    trap.Failed(display);  // a window that vanished while listed is simply skipped
    const std::optional<size_t> chosen = ChooseSibling(records);
    if (!chosen) return Outcome(StatusCode::kNoSibling);
    const Window target = windows[*chosen];
    if (records[*chosen].state != WindowState::Hidden)
        BringForward(display, root, target, windowManager, atoms);

    CopyDataMessage message;
    if (!MakeCopyDataMessage(utf8PaneText, &message)) return Outcome(StatusCode::kTextTooLarge);
    // One ChangeProperty request must hold the data (header: 24 bytes).
    long maxRequest = XExtendedMaxRequestSize(display);
    if (maxRequest == 0) maxRequest = XMaxRequestSize(display);
    if (static_cast<unsigned long>(message.cbData) + 64 >
        static_cast<unsigned long>(maxRequest) * 4)
        return Outcome(StatusCode::kTooLargeForX);

    XSelectInput(display, target, PropertyChangeMask | StructureNotifyMask);
    XChangeProperty(display, target, atoms[kCopyData], atoms[kCopyData], 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(message.bytes.data()),
                    static_cast<int>(message.cbData));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atoms[kCopyData];
    event.xclient.format = 32;
    event.xclient.data.l[0] = 0;  // no sender window
    event.xclient.data.l[1] = static_cast<long>(message.dwData);
    event.xclient.data.l[2] = static_cast<long>(message.cbData);
    XSendEvent(display, target, False, NoEventMask, &event);
    if (trap.Failed(display)) return Outcome(StatusCode::kReceiverVanished);

    // The receiver's time, cut short where the whole transfer's ends.
    const auto replyBy = std::min(Clock::now() + std::chrono::milliseconds(kReplyTimeoutMs),
                                  deadline - std::chrono::milliseconds(200));
    switch (WaitForDeletion(display, target, atoms[kCopyData], replyBy)) {
        case WaitResult::Deleted:
            return Outcome(StatusCode::kOk);
        case WaitResult::Destroyed:
            return Outcome(StatusCode::kReceiverClosed);
        case WaitResult::TimedOut:
            return Outcome(StatusCode::kReceiverSilent);
        case WaitResult::Broken:
            break;
    }
    return Outcome(StatusCode::kConnectionBroken);
}

// Xlib ends the process when the connection breaks; here that ends only the
// child, which the parent then reports.
int ExitOnBrokenConnection(Display*) {
    _exit(2);
}

// The child's side: the whole transfer on a connection of its own, the
// outcome written to `fd` as one byte, its status code.
[[noreturn]] void SendFromChild(int fd, const std::string& utf8PaneText,
                                Clock::time_point deadline) {
    XSetIOErrorHandler(ExitOnBrokenConnection);
    Status outcome;
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) {
        outcome = Outcome(StatusCode::kNoDisplay);
    } else {
        ErrorTrap trap;
        outcome = Send(display.get(), trap, utf8PaneText, deadline);
    }
    const std::string report(1, static_cast<char>(outcome.code));
    for (size_t done = 0; done < report.size();) {
        const ssize_t n = write(fd, report.data() + done, report.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    // No clean-up: the connection closes with the process, and exit handlers
    // belong to the parent.
    _exit(0);
}

// Reads the child's report until it closes the pipe or the deadline passes;
// false on the deadline.
bool ReadReport(int fd, Clock::time_point deadline, std::string* report) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) return true;
        if (ready <= 0) continue;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        report->append(buffer, static_cast<size_t>(n));
    }
}

// Whether a byte from the child is a code its side of the transfer gives.
bool TransferCode(int code) {
    return code == int(StatusCode::kOk) ||
           (code >= int(StatusCode::kNoSibling) && code <= int(StatusCode::kConnectionFailed));
}

}  // namespace

Status SendMarkupToSibling(const std::string& utf8PaneText) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kTransferDeadlineMs);
    Status cannotStart = StatusCode::kCannotStart;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        cannotStart.sysError = errno;
        return cannotStart;
    }
    const pid_t child = fork();
    if (child < 0) {
        cannotStart.sysError = errno;
        close(fds[0]);
        close(fds[1]);
        return cannotStart;
    }
    if (child == 0) {
        close(fds[0]);
        SendFromChild(fds[1], utf8PaneText, deadline);
    }
    close(fds[1]);
    std::string report;
    const bool inTime = ReadReport(fds[0], deadline, &report);
    close(fds[0]);
    kill(child, SIGKILL);  // whatever it still does (its report is complete)
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (!inTime) return Outcome(StatusCode::kServerSilent);
    const int code = report.size() == 1 ? static_cast<unsigned char>(report[0]) : -1;
    if (!TransferCode(code)) return Outcome(StatusCode::kConnectionFailed);
    return Outcome(StatusCode(code));
}

}  // namespace ze::transfer

#endif  // _WIN32
