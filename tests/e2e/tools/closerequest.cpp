// SPDX-License-Identifier: GPL-3.0-or-later
// closerequest <window id>: asks an X window to close as a window manager
// does when the player clicks its close button (a WM_DELETE_WINDOW client
// message); the bare virtual display has no window manager to do it, and
// xdotool's windowclose destroys the window instead of asking.

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kUsageStatus = 2;
constexpr int kClientMessageFormat = 32; // the data are longs
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <window id>\n", argv[0]);
        return kUsageStatus;
    }
    char *end = nullptr;
    const Window window = std::strtoul(argv[1], &end, 0);
    if (!end || *end || window == 0) {
        std::fprintf(stderr, "closerequest: not a window id: %s\n", argv[1]);
        return kUsageStatus;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "closerequest: cannot open the display\n");
        return 1;
    }
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = kClientMessageFormat;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (!sent) {
        std::fprintf(stderr, "closerequest: the message could not be sent to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
