#pragma once

#include <csignal>
#include <functional>
#include <string>

namespace vornix::image {

// The folder part of `path` with its closing slash; "" for a bare name.
std::string FolderOf(const std::string& path);

// The last part of `path`, after its last slash.
std::string NameOf(const std::string& path);

// Finds a free name for a temporary file in `folder` (ending in a slash, or "" for the current
// one): "." + `name` + `tag` + eight random letters and digits + ".tmp", with `name` cut to 200
// characters so that the whole stays within the file system's limit. `create` is tried with up
// to 100 such names and returns 0 or an errno; EEXIST moves on to the next name. Returns 0 with
// the name in `created`, or the errno of the failure. Safe to call from several threads at once.
int CreateWithFreeName(const std::string& folder, const std::string& name, const std::string& tag,
                       const std::function<int(const std::string&)>& create, std::string& created);

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
