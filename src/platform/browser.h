#pragma once

#include <functional>
#include <string>

// Opens a web address in the user's browser through xdg-open, found on PATH.
// The address reaches xdg-open as one argument and is never part of a
// command line; no descriptor of the host but standard input, output and
// error reaches it, and it starts in a session of its own with no signal
// blocked or ignored. Returns at once and leaves no child process behind;
// whether a browser appeared is not known and not reported. Any thread.
void openUrlInBrowser(const std::string& url);

// Replaces what openUrlInBrowser starts, so tests can observe the address
// without a browser appearing. An empty function restores xdg-open. Not for
// use while another thread opens an address.
using BrowserLauncher = std::function<void(const std::string& url)>;
void setBrowserLauncher(BrowserLauncher launcher);
