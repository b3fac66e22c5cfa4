// A file that a tool writes at a path a user names: it replaces what was
// there only as a whole new file, or leaves it as it was.
//
// A regular file (or a missing one) is written as a temporary file beside its
// target, with any link at the path resolved first so that the link keeps
// leading to the new file; only a finished file is renamed over the target. A
// device, a pipe or a descriptor the program inherited (/dev/stdout,
// /dev/fd/N) cannot be replaced that way: it is written in place, without
// truncation, and never removed.
//
// Every tool's main thread should call handleSignals() first: an interrupted
// run then removes its unfinished temporary files and ends with a line that
// says so, and a file-size limit makes a write fail with its reason instead of
// killing the tool.
#pragma once

#include <cstddef>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Abandons an unfinished file.
    ~OutputFile();

    // Main thread, before any other thread starts: ignores SIGXFSZ, and on
    // SIGINT, SIGTERM or SIGHUP removes every unfinished temporary file,
    // prints "PROGRAM: stopped by SIGTERM: PATH is left as it was" and ends
    // by that signal. A signal the process was started ignoring stays ignored.
    static void handleSignals(const char* program);

    // Opens `path` for writing; false with "cannot write PATH: REASON" in
    // error (a folder, a missing folder, no permission, ...). Any thread.
    bool open(const std::string& path, std::string& error);

    // The open descriptor, for libraries that write through one; -1 when
    // closed. Write errors they meet are theirs to report.
    int descriptor() const { return m_fd; }
    // False for a device, a pipe or an inherited descriptor written in place.
    bool replacesWhole() const { return !m_temp.empty(); }
    const std::string& path() const { return m_path; }

    // Appends all of data; false with "cannot write PATH: REASON" once a
    // write fails, and the file is then abandoned.
    bool write(const void* data, std::size_t size, std::string& error);

    // Closes the file and renames it over the target; false with the reason
    // when the close or the rename fails, and the temporary file is removed.
    bool commit(std::string& error);

    // Closes and removes the temporary file; the target stays as it was.
    void abandon();

    // The whole of `bytes` into path, or nothing; false with the reason.
    static bool writeWhole(const std::string& path, const std::string& bytes, std::string& error);

private:
    bool fail(const char* what, int errorNumber, std::string& error, bool namePath = true);

    std::string m_path;
    std::string m_target; // the path with its links resolved
    std::string m_temp;   // empty when written in place
    int m_fd = -1;
    int m_slot = -1; // where the signal handler finds m_temp
};
