#pragma once

#include <csignal>
#include <string>

namespace vornix::image {

// The names of temporary files that exist now, kept where a signal handler can read them:
// SIGINT, SIGTERM and SIGHUP remove them before the process ends as the signal says. The
// handler is installed with the first name, and only for signals whose action is still the
// default (an ignored SIGHUP under nohup stays ignored). At most eight names are kept at once.

// Keeps `path`; returns the record's number for ForgetTemporaryName, or -1 when the path is too
// long or every record is taken (the file is then still removed on every path but a signal).
int RememberTemporaryName(const std::string& path);
// Drops the record (-1 is ignored). Call it once the file is gone or renamed.
void ForgetTemporaryName(int slot);

// Holds SIGINT, SIGTERM and SIGHUP while a temporary file and its record change together, and
// while a file is overwritten in place: a signal then arrives just after, never half-way.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_previous;
};

} // namespace vornix::image
