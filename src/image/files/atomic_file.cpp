#include "image/files/atomic_file.h"

namespace vornix::image {

int WriteFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    if (!writer.write(bytes) || !writer.commit()) {
        return writer.error();
    }
    return 0;
}

} // namespace vornix::image
