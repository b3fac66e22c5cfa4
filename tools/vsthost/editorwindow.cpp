#include "editorwindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int) {
    g_stop = 1;
}

// True once standard input has ended (read end closed or EOF); input itself
// is read and ignored.
bool inputEnded() {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    if (poll(&fd, 1, 0) <= 0) {
        return false;
    }
    if (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        char buffer[256];
        return read(STDIN_FILENO, buffer, sizeof buffer) <= 0;
    }
    char buffer[256];
    return read(STDIN_FILENO, buffer, sizeof buffer) == 0;
}

// Reports what the editor asked of the host since the last call.
class RequestReport {
public:
    RequestReport(VstPlugin& plugin, std::FILE* out) : m_plugin(plugin), m_out(out) {
        m_seen = hostState();
    }

    void print() {
        const HostState& now = hostState();
        for (; m_seen.beginEditCount < now.beginEditCount; ++m_seen.beginEditCount) {
            std::fprintf(m_out, "host: begin edit\n");
        }
        if (m_seen.automateCount != now.automateCount) {
            std::fprintf(m_out, "host: automate parameter %d value %.4f (%lld requests)\n",
                         now.lastAutomateIndex, static_cast<double>(now.lastAutomateValue),
                         static_cast<long long>(now.automateCount - m_seen.automateCount));
        }
        for (; m_seen.endEditCount < now.endEditCount; ++m_seen.endEditCount) {
            std::fprintf(m_out, "host: end edit\n");
        }
        if (m_seen.updateDisplayCount != now.updateDisplayCount) {
            std::fprintf(m_out, "host: update display, program %ld \"%s\"\n",
                         static_cast<long>(m_plugin.dispatch(effGetProgram)),
                         m_plugin.text(effGetProgramName).c_str());
        }
        m_seen = now;
        std::fflush(m_out);
    }

private:
    VstPlugin& m_plugin;
    std::FILE* m_out;
    HostState m_seen;
};

} // namespace

int runEditorWindow(VstPlugin& plugin, double seconds, std::FILE* report) {
    if (!(plugin.effect()->flags & effFlagsHasEditor)) {
        std::fprintf(stderr, "vsthost: the plug-in has no editor\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "vsthost: no X display (DISPLAY)\n");
        return 1;
    }
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    const int width = rect && rect->right > rect->left ? rect->right - rect->left : 400;
    const int height = rect && rect->bottom > rect->top ? rect->bottom - rect->top : 300;

    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, 0, 0);
    const std::string title = "vsthost: " + plugin.text(effGetEffectName);
    XStoreName(display, window, title.c_str());
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            break;
        }
    }

    RequestReport requests(plugin, report);
    if (!plugin.dispatch(effEditOpen, 0, 0,
                         reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)))) {
        std::fprintf(stderr, "vsthost: the editor did not open\n");
        XDestroyWindow(display, window);
        XCloseDisplay(display);
        return 1;
    }
    std::fprintf(report, "editor: window 0x%lx %dx%d\n", static_cast<unsigned long>(window), width,
                 height);
    std::fflush(report);

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    const auto period = std::chrono::microseconds(1000000 / 30);
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    bool running = true;
    while (running && !g_stop) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                running = false;
            }
        }
        plugin.dispatch(effEditIdle);
        requests.print();
        running = running && !inputEnded() &&
                  (seconds <= 0 || Clock::now() - start < std::chrono::duration<double>(seconds));
        next += period;
        std::this_thread::sleep_until(next);
    }

    plugin.dispatch(effEditClose);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    std::fprintf(report, "editor: closed\n");
    std::fflush(report);
    return 0;
}
