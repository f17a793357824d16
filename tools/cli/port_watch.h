#pragma once

#include <map>
#include <string>
#include <vector>

namespace vornix::cli {

// A change to a device that matches one of the watched patterns.
struct PortEvent {
    enum class Kind { Appeared, Changed, Gone };
    Kind kind;
    std::string path;
};

// Watches the folders of patterns such as "/dev/serial/by-id/usb-*" with inotify, so that
// waiting for a new device costs nothing until the system creates one. Wildcards may stand
// only in a pattern's last part. A folder that does not exist yet (by-id appears with the
// first adapter) is waited for through its nearest existing parent; a folder that goes away
// is waited for again in the same way.
class PortWatch {
public:
    explicit PortWatch(std::vector<std::string> patterns);
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

    // Starts watching; false with `reason` when inotify cannot be used.
    bool start(std::string& reason);

    // The descriptor that becomes readable when events wait.
    int fd() const { return m_fd; }

    // Reads the waiting events, in order.
    std::vector<PortEvent> take();

    // The devices that match now, sorted.
    std::vector<std::string> present() const;

    // The pattern's folder and its last part; empty `why` when the pattern can be watched.
    static bool Split(const std::string& pattern, std::string& folder, std::string& name,
                      std::string& why);

private:
    void arm(std::vector<PortEvent>* appeared);
    bool matches(const std::string& folder, const std::string& name) const;

    struct Pattern {
        std::string folder;
        std::string name;
    };
    std::vector<Pattern> m_patterns;
    std::map<int, std::string> m_watched; // watch descriptor -> folder
    int m_fd = -1;
};

// The devices that `pattern` names now (glob), sorted; empty when none.
std::vector<std::string> ExpandPorts(const std::string& pattern);

} // namespace vornix::cli
