// Loads that must not wait on a FIFO, checked without letting a test hang.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

// Runs `work` on a thread of its own and waits at most `seconds` for it.
// If it is still running then (blocked on the FIFO at `fifo`), the FIFO's
// write end is opened and closed so that the reader meets the end of the
// file and the test goes on. Whether `work` finished in time.
inline bool finishesInTime(const std::function<void()>& work, const std::string& fifo,
                           int seconds = 5) {
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread worker([&] {
        work();
        done.set_value();
    });
    const bool inTime =
        finished.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready;
    while (finished.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
        }
    }
    worker.join();
    return inTime;
}
