#include "outputfile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary files being written, where a signal handler can find them
// without taking a lock or touching the heap. A slot is claimed before its
// file is made and released after the file is renamed or removed, so that no
// moment leaves a file the handler does not know of.
constexpr int kSlots = 64;
struct Slot {
    std::atomic<bool> active{false};
    char temp[PATH_MAX];
    char target[PATH_MAX];
};
Slot g_slots[kSlots];
std::atomic<bool> g_claimed[kSlots];
char g_program[64] = "output";
std::once_flag g_signalsOnce;

// Other threads go on writing while the handler runs: one may be between
// claiming its slot and making its file, whose name the handler cannot know
// yet. The handler therefore first stops new files, then waits until no
// other thread is making one (this thread may be, interrupted there).
std::atomic<bool> g_stopping{false};
std::atomic<int> g_making{0};
thread_local bool t_making = false;

// Brackets the making of a temporary file. A thread that comes when the
// handler has begun waits for the end of the process instead.
void beginMaking() {
    t_making = true;
    ++g_making;
    if (g_stopping.load()) {
        --g_making;
        t_making = false;
        for (;;)
            pause();
    }
}

void endMaking() {
    --g_making;
    t_making = false;
}

int claimSlot(const std::string& temp, const std::string& target) {
    if (temp.size() >= PATH_MAX || target.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_claimed[i].compare_exchange_strong(expected, true)) {
            std::memcpy(g_slots[i].temp, temp.c_str(), temp.size() + 1);
            std::memcpy(g_slots[i].target, target.c_str(), target.size() + 1);
            g_slots[i].active.store(true);
            return i;
        }
    }
    return -1;
}

void releaseSlot(int slot) {
    if (slot < 0)
        return;
    g_slots[slot].active.store(false);
    g_claimed[slot].store(false);
}

void say(const char* text) {
    const std::size_t length = std::strlen(text);
    for (std::size_t done = 0; done < length;) {
        const ssize_t n = ::write(STDERR_FILENO, text + done, length - done);
        if (n <= 0 && errno != EINTR)
            return;
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

// Async-signal-safe: write(), unlink() and atomics only.
void onSignal(int signal) {
    g_stopping.store(true);
    while (g_making.load() > (t_making ? 1 : 0))
        sched_yield();
    const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
    const char* target = nullptr;
    int others = 0;
    for (Slot& slot : g_slots) {
        // A file whose rename has just happened is there whole: only one
        // still under its temporary name is removed and left as it was.
        if (slot.active.load() && (::unlink(slot.temp) == 0 || errno != ENOENT)) {
            if (target == nullptr)
                target = slot.target;
            else
                ++others;
        }
    }
    say(g_program);
    say(": stopped by ");
    say(name);
    if (target != nullptr) {
        say(": ");
        say(target);
        say(others > 0 ? " and the other files being written are left as they were"
                       : " is left as it was");
    }
    say("\n");
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installHandlers() {
    std::signal(SIGXFSZ, SIG_IGN);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue; // started in the background or under nohup: keep ignoring
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigfillset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

// The descriptor a path names when it is one the program inherited
// (/dev/stdout, /dev/fd/3, /proc/self/fd/3), or -1.
int inheritedDescriptor(const std::string& path) {
    if (path == "/dev/stdin")
        return STDIN_FILENO;
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    const std::string own = "/proc/" + std::to_string(getpid()) + "/fd/";
    for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"), own}) {
        if (path.compare(0, prefix.size(), prefix) != 0 || path.size() == prefix.size())
            continue;
        const std::string digits = path.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::atoi(digits.c_str());
    }
    return -1;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Follows the links at path to what they lead to, which need not exist yet.
// False with errno set on a loop or an unreadable link.
bool resolveLinks(std::string& path, int& descriptor) {
    for (int hop = 0; hop < 40; ++hop) {
        descriptor = inheritedDescriptor(path);
        if (descriptor >= 0)
            return true;
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return true;
        char buffer[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer - 1);
        if (length < 0)
            return false;
        const std::string link(buffer, static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : folderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

// The mode a new file gets from open(): 0666 less the umask, read without
// changing it (umask() would race with other threads).
mode_t newFileMode() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            unsigned mask = 022;
            status >> std::oct >> mask;
            return 0666 & ~static_cast<mode_t>(mask);
        }
        status.ignore(1 << 20, '\n');
    }
    return 0644;
}

} // namespace

void OutputFile::handleSignals(const char* program) {
    std::call_once(g_signalsOnce, [program] {
        std::snprintf(g_program, sizeof g_program, "%s", program);
        installHandlers();
    });
}

OutputFile::~OutputFile() {
    abandon();
}

bool OutputFile::fail(const char* what, int errorNumber, std::string& error, bool namePath) {
    error = std::string(what) + (namePath ? " " + m_path + ": " : " ") + std::strerror(errorNumber);
    abandon();
    return false;
}

bool OutputFile::open(const std::string& path, std::string& error) {
    abandon();
    handleSignals(program_invocation_short_name);
    m_path = path;
    m_target = path;
    int inherited = -1;
    if (path.empty())
        return fail("cannot write", ENOENT, error);
    if (!resolveLinks(m_target, inherited))
        return fail("cannot write", errno, error);
    if (inherited >= 0) {
        m_fd = fcntl(inherited, F_DUPFD_CLOEXEC, 3);
        return m_fd >= 0 || fail("cannot write", errno, error);
    }

    struct stat status {};
    const bool exists = ::stat(m_target.c_str(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode))
        return fail("cannot write", EISDIR, error);
    if (exists && !S_ISREG(status.st_mode)) {
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        return m_fd >= 0 || fail("cannot write", errno, error);
    }
    // A replaced file keeps its permissions; a new one gets what open() gives.
    const mode_t mode = exists ? (status.st_mode & 07777) : newFileMode();
    std::string name = m_target.substr(m_target.rfind('/') + 1);
    name = "." + name.substr(0, 200) + ".XXXXXX";
    beginMaking();
    m_slot = claimSlot(folderOf(m_target) + "/" + name, m_path);
    if (m_slot < 0) {
        endMaking();
        return fail("cannot write", ENAMETOOLONG, error);
    }
    // mkostemp fills in the slot's own name, so the handler always holds it.
    m_fd = mkostemp(g_slots[m_slot].temp, O_CLOEXEC);
    endMaking();
    if (m_fd < 0) {
        const int reason = errno;
        releaseSlot(m_slot);
        m_slot = -1;
        // The file itself may be writable where its folder is not.
        return fail(
            ("cannot write " + m_path + ": cannot make a file in " + folderOf(m_target) + ":")
                .c_str(),
            reason, error, false);
    }
    m_temp = g_slots[m_slot].temp;
    if (fchmod(m_fd, mode) != 0)
        return fail("cannot write", errno, error);
    return true;
}

bool OutputFile::write(const void* data, std::size_t size, std::string& error) {
    if (m_fd < 0)
        return fail("cannot write", EBADF, error);
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("cannot write", n < 0 ? errno : ENOSPC, error);
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (m_fd < 0)
        return fail("cannot write", EBADF, error);
    // A file system may report a failed write only when the file is closed.
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        return fail("cannot write", errno, error);
    if (!m_temp.empty() && std::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return fail("cannot replace", errno, error);
    m_temp.clear();
    releaseSlot(m_slot);
    m_slot = -1;
    return true;
}

void OutputFile::abandon() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
    releaseSlot(m_slot);
    m_slot = -1;
}

bool OutputFile::writeWhole(const std::string& path, const std::string& bytes, std::string& error) {
    OutputFile file;
    return file.open(path, error) && file.write(bytes.data(), bytes.size(), error) &&
           file.commit(error);
}
