#include "image/files/temporary_names.h"

#include <cerrno>
#include <random>

#include "image/platform/platform.h"

namespace vornix::image {

std::string FolderOf(const std::string& path) {
    return path.substr(0, platform::FolderLength(path));
}

std::string NameOf(const std::string& path) {
    return path.substr(FolderOf(path).size());
}

int CreateWithFreeName(const std::string& folder, const std::string& name, const std::string& tag,
                       const std::function<int(const std::string&)>& create, std::string& created) {
    constexpr int kNameAttempts = 100;
    constexpr std::size_t kMaxNameInStem = 200;
    constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    // One generator per thread: batch conversions write from several threads at once.
    thread_local std::mt19937_64 generator{std::random_device{}()};
    const std::string stem = folder + "." + name.substr(0, kMaxNameInStem) + tag;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string suffix(8, ' ');
        for (auto& c : suffix) {
            c = kChars[generator() % (sizeof(kChars) - 1)];
        }
        const std::string candidate = stem + suffix + ".tmp";
        const int error = create(candidate);
        if (error == 0) {
            created = candidate;
            return 0;
        }
        if (error != EEXIST) {
            return error;
        }
    }
    return EEXIST;
}

} // namespace vornix::image
