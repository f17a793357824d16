#pragma once

#include <string_view>

class QApplication;
class QLockFile;
class QString;

namespace vornix::app {

class Prompts;

// What became of the attempt to take the single-instance lock.
enum class InstanceLock {
    Taken,                 // this process is the only instance
    HeldByRunningInstance, // another instance runs: end quietly
    Failed,                // the lock could not be taken for another reason; the user was told
};

// What became of the lock, in words, for logs and test output.
std::string_view describe(InstanceLock lock);

// Takes the single-instance lock `lock` kept in the file `path`. A lock held by a running
// instance is left to it; a lock left by an instance that died is taken over. Any other
// reason the lock cannot be taken (a folder in its place, no permission, a full disk) is told
// in a box titled kProgramTitle that names the lock file and the reason.
InstanceLock TakeInstanceLock(QLockFile& lock, const QString& path, Prompts& prompts);

// True when the working files can be kept in `folder`: it is a folder (made when missing, as
// MakePrivateFolder makes it) in which this user may create a file. Otherwise a box titled
// kProgramTitle names the folder and the system's reason, and false.
bool CheckWorkingFolder(const QString& folder, Prompts& prompts);

// Sets up the application state and the main window, runs start-up and the event loop.
// The exit status: 1 when the single-instance lock could not be taken or the working files
// have no folder they can be kept in.
int RunApplication(QApplication& app);

} // namespace vornix::app
