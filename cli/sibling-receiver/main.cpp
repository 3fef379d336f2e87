// SPDX-License-Identifier: GPL-3.0-or-later
// sibling-receiver: the reference receiver of Zer Evizi SEKKA's markup
// transfer on X11, for the tests and for the sibling editor's authors.
//
//   sibling-receiver --title TITLE [--out FILE] [--minimised] [--no-answer]
//                    [--keep-open]
//
// Opens a window titled TITLE, takes one transfer, writes its cbData bytes to
// FILE (stdout by default), prints "dwData=D cbData=N" on stderr and exits.
//   --minimised  start minimised (without a window manager: unmapped, with
//                WM_STATE iconic, as a window manager would leave it)
//   --no-answer  never read or delete the data, so the sender times out
//   --keep-open  after the transfer, stay open until the window is closed or
//                the process is ended (later transfers are not taken)
//
// What a receiver does (docs/sibling-protocol.md gives the whole protocol):
//   1. A ClientMessage arrives on the window with message type
//      _ZER_EVIZI_COPYDATA, format 32: l[1] = dwData, l[2] = cbData.
//   2. Read the window's property _ZER_EVIZI_COPYDATA (type
//      _ZER_EVIZI_COPYDATA, format 8) whole, deleting it in the same request.
//      The deletion is the answer the sender waits for.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Options {
    std::string title;
    std::string out;  // empty: stdout
    bool minimised = false;
    bool noAnswer = false;
    bool keepOpen = false;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: sibling-receiver --title TITLE [--out FILE] [--minimised] [--no-answer] "
                 "[--keep-open]\n");
    return 2;
}

bool ParseArgs(int argc, char** argv, Options* options) {
    bool haveTitle = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--title" && i + 1 < argc) {
            options->title = argv[++i];
            haveTitle = true;
        } else if (arg == "--out" && i + 1 < argc) {
            options->out = argv[++i];
        } else if (arg == "--minimised") {
            options->minimised = true;
        } else if (arg == "--no-answer") {
            options->noAnswer = true;
        } else if (arg == "--keep-open") {
            options->keepOpen = true;
        } else {
            return false;
        }
    }
    return haveTitle;
}

bool WindowManagerPresent(Display* display, Window root, Atom check) {
    auto read = [&](Window w, Window* result) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        bool ok = XGetWindowProperty(display, w, check, 0, 1, False, XA_WINDOW, &type, &format,
                                     &count, &after, &data) == Success &&
                  data && format == 32 && count == 1;
        if (ok) *result = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        return ok;
    };
    Window w = None, self = None;
    return read(root, &w) && read(w, &self) && self == w;
}

void SetWmState(Display* display, Window window, Atom wmState, long state) {
    const long data[2] = {state, static_cast<long>(None)};
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data), 2);
}

// Writes the bytes to the file (whole, through a temporary name so that a
// reader never sees half of it) or to stdout.
bool WriteOut(const Options& options, const std::string& bytes) {
    if (options.out.empty()) {
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        return std::fflush(stdout) == 0 && ok;
    }
    const std::string temp = options.out + ".part";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) return false;
    return std::rename(temp.c_str(), options.out.c_str()) == 0;
}

// Reads the whole property and deletes it in the same request.
bool TakeData(Display* display, Window window, Atom copyData, std::string* bytes) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    // First the size, then everything with delete set (Xlib deletes only
    // when nothing is left after the part read).
    if (XGetWindowProperty(display, window, copyData, 0, 0, False, copyData, &type, &format, &count,
                           &after, &data) != Success)
        return false;
    if (data) XFree(data);
    if (type != copyData || format != 8) return false;
    const long longs = static_cast<long>((after + 3) / 4);
    data = nullptr;
    if (XGetWindowProperty(display, window, copyData, 0, longs, True, copyData, &type, &format,
                           &count, &after, &data) != Success)
        return false;
    if (data) bytes->assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return type == copyData && format == 8 && after == 0;
}

// The atoms the receiver uses.
struct Atoms {
    explicit Atoms(Display* display)
        : copyData(XInternAtom(display, "_ZER_EVIZI_COPYDATA", False)),
          netWmName(XInternAtom(display, "_NET_WM_NAME", False)),
          utf8String(XInternAtom(display, "UTF8_STRING", False)),
          wmState(XInternAtom(display, "WM_STATE", False)),
          wmProtocols(XInternAtom(display, "WM_PROTOCOLS", False)),
          wmDelete(XInternAtom(display, "WM_DELETE_WINDOW", False)),
          wmCheck(XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False)) {}
    Atom copyData, netWmName, utf8String, wmState, wmProtocols, wmDelete, wmCheck;
};

// The title: UTF-8 in _NET_WM_NAME, and in WM_NAME (as STRING when it is
// plain ASCII).
void SetTitle(Display* display, Window window, const Atoms& atoms, const std::string& text) {
    const auto* title = reinterpret_cast<const unsigned char*>(text.data());
    const int titleLength = static_cast<int>(text.size());
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    XChangeProperty(display, window, atoms.netWmName, atoms.utf8String, 8, PropModeReplace, title,
                    titleLength);
    XChangeProperty(display, window, XA_WM_NAME, ascii ? XA_STRING : atoms.utf8String, 8,
                    PropModeReplace, title, titleLength);
}

// Makes the window with its title, class and protocols, and shows it, or
// leaves it minimised.
Window MakeWindow(Display* display, const Atoms& atoms, const Options& options,
                  bool windowManager) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = WhitePixel(display, DefaultScreen(display));
    attributes.event_mask = StructureNotifyMask | PropertyChangeMask | ExposureMask;
    const Window window =
        XCreateWindow(display, DefaultRootWindow(display), 0, 0, 320, 120, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    SetTitle(display, window, atoms, options.title);
    char resName[] = "sibling-receiver";
    char resClass[] = "SiblingReceiver";
    XClassHint classHint{resName, resClass};
    XSetClassHint(display, window, &classHint);
    Atom protocols[] = {atoms.wmDelete};
    XSetWMProtocols(display, window, protocols, 1);

    if (options.minimised) {
        XWMHints hints{};
        hints.flags = StateHint;
        hints.initial_state = IconicState;
        XSetWMHints(display, window, &hints);
    }
    if (options.minimised && !windowManager)
        SetWmState(display, window, atoms.wmState, IconicState);  // unmapped until restored
    else
        XMapWindow(display, window);
    XFlush(display);
    return window;
}

// What one transfer came to.
enum class Taken { kNo, kYes, kWriteFailed };

// Takes the transfer a ClientMessage announces: reads and deletes the data,
// which answers the sender, and writes it out.
Taken TakeTransfer(Display* display, Window window, const Atoms& atoms, const Options& options,
                   const XClientMessageEvent& message) {
    const unsigned long dwData = static_cast<unsigned long>(message.data.l[1]);
    const unsigned long cbData = static_cast<unsigned long>(message.data.l[2]) & 0xFFFFFFFFul;
    std::string bytes;
    if (!TakeData(display, window, atoms.copyData, &bytes)) {
        std::fprintf(stderr, "sibling-receiver: the data property is missing or malformed\n");
        return Taken::kNo;
    }
    XFlush(display);  // the deletion is the sender's answer
    if (bytes.size() != cbData)
        std::fprintf(stderr, "sibling-receiver: cbData %lu but %zu bytes arrived\n", cbData,
                     bytes.size());
    if (!WriteOut(options, bytes)) {
        std::fprintf(stderr, "sibling-receiver: cannot write the data: %s\n", std::strerror(errno));
        return Taken::kWriteFailed;
    }
    std::fprintf(stderr, "dwData=%lu cbData=%lu\n", dwData, cbData);
    return Taken::kYes;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArgs(argc, argv, &options)) return Usage();

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "sibling-receiver: cannot open the X display\n");
        return 1;
    }
    const Atoms atoms(display);
    const bool windowManager =
        WindowManagerPresent(display, DefaultRootWindow(display), atoms.wmCheck);
    const Window window = MakeWindow(display, atoms, options, windowManager);

    bool taken = false;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.window == window && !windowManager) {
            SetWmState(display, window, atoms.wmState, NormalState);  // restored by the sender
        } else if (event.type == ClientMessage && event.xclient.window == window) {
            const XClientMessageEvent& message = event.xclient;
            if (message.message_type == atoms.wmProtocols &&
                static_cast<Atom>(message.data.l[0]) == atoms.wmDelete)
                break;
            if (message.message_type != atoms.copyData || message.format != 32) continue;
            if (options.noAnswer || taken) continue;
            const Taken result = TakeTransfer(display, window, atoms, options, message);
            if (result == Taken::kWriteFailed) {
                XCloseDisplay(display);
                return 1;
            }
            taken = result == Taken::kYes;
            if (taken && !options.keepOpen) break;
        }
    }
    XCloseDisplay(display);
    return taken ? 0 : 1;
}
