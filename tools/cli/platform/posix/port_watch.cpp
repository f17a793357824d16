// Serial devices coming and going, told by inotify on their folders. Nothing here polls: the
// caller sleeps in poll() on fd() until the kernel reports a change.
#include "port_watch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include <dirent.h>
#include <fnmatch.h>
#include <glob.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornix::cli {

namespace {

constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM |
                                        IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string parentOf(const std::string& folder) {
    const auto slash = folder.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : folder.substr(0, slash);
}

std::string join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

} // namespace

PortWatch::PortWatch(std::vector<std::string> patterns) {
    for (const std::string& pattern : patterns) {
        Pattern split;
        std::string why;
        if (Split(pattern, split.folder, split.name, why)) {
            m_patterns.push_back(split);
        }
    }
}

PortWatch::~PortWatch() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool PortWatch::Split(const std::string& pattern, std::string& folder, std::string& name,
                      std::string& why) {
    const auto slash = pattern.rfind('/');
    folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern.substr(0, slash));
    name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (name.empty()) {
        why = "--ports needs a pattern of device names, not a folder: " + pattern;
        return false;
    }
    if (folder.find_first_of("*?[") != std::string::npos) {
        why = "--ports takes wildcards only in the last part of the path: " + pattern;
        return false;
    }
    return true;
}

bool PortWatch::start(std::string& reason) {
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        reason = std::string("cannot watch for new ports: ") + std::strerror(errno);
        return false;
    }
    arm(nullptr);
    if (m_watched.empty()) {
        reason = "cannot watch for new ports: no folder of the patterns can be watched";
        return false;
    }
    return true;
}

// Watches each pattern's folder, or its nearest existing parent while it is missing. A folder
// that comes into being while the caller waits brings its devices with it: they are new.
void PortWatch::arm(std::vector<PortEvent>* appeared) {
    std::set<std::string> before;
    for (const auto& [descriptor, folder] : m_watched) {
        before.insert(folder);
    }
    for (const Pattern& pattern : m_patterns) {
        std::string folder = pattern.folder;
        while (!isFolder(folder) && folder != "/" && folder != ".") {
            folder = parentOf(folder);
        }
        const int descriptor = ::inotify_add_watch(m_fd, folder.c_str(), kFolderEvents);
        if (descriptor < 0) {
            continue;
        }
        m_watched[descriptor] = folder;
        if (appeared != nullptr && folder == pattern.folder && before.count(folder) == 0) {
            for (const std::string& path : ExpandPorts(join(pattern.folder, pattern.name))) {
                appeared->push_back({PortEvent::Kind::Appeared, path});
            }
        }
    }
}

bool PortWatch::matches(const std::string& folder, const std::string& name) const {
    return std::any_of(m_patterns.begin(), m_patterns.end(), [&](const Pattern& pattern) {
        return pattern.folder == folder && ::fnmatch(pattern.name.c_str(), name.c_str(), 0) == 0;
    });
}

std::vector<PortEvent> PortWatch::take() {
    std::vector<PortEvent> events;
    alignas(inotify_event) char buffer[16384];
    bool rearm = false;
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto watched = m_watched.find(event->wd);
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_Q_OVERFLOW)) {
                if (watched != m_watched.end() && (event->mask & IN_IGNORED)) {
                    m_watched.erase(watched);
                }
                rearm = true;
                continue;
            }
            if (watched == m_watched.end() || event->len == 0) {
                continue;
            }
            const std::string name = event->name;
            const std::string& folder = watched->second;
            if (matches(folder, name)) {
                const PortEvent::Kind kind =
                    (event->mask & (IN_DELETE | IN_MOVED_FROM)) ? PortEvent::Kind::Gone
                    : (event->mask & IN_ATTRIB)                 ? PortEvent::Kind::Changed
                                                                : PortEvent::Kind::Appeared;
                events.push_back({kind, join(folder, name)});
            } else if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
                // A missing folder of a pattern, or one of its parents, has come.
                const std::string path = join(folder, name);
                rearm =
                    rearm ||
                    std::any_of(m_patterns.begin(), m_patterns.end(), [&](const Pattern& pattern) {
                        return pattern.folder == path || pattern.folder.starts_with(path + "/");
                    });
            }
        }
    }
    if (rearm) {
        arm(&events);
    }
    return events;
}

std::vector<std::string> PortWatch::present() const {
    std::vector<std::string> paths;
    for (const Pattern& pattern : m_patterns) {
        for (const std::string& path : ExpandPorts(join(pattern.folder, pattern.name))) {
            paths.push_back(path);
        }
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

std::vector<std::string> ExpandPorts(const std::string& pattern) {
    std::vector<std::string> paths;
    glob_t found{};
    if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            paths.emplace_back(found.gl_pathv[i]);
        }
    }
    ::globfree(&found);
    return paths;
}

} // namespace vornix::cli
