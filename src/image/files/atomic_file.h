#pragma once

#include <string>
#include <string_view>

#include "image/files/output_file.h"

namespace vornix::image {

// Writes one of the program's own files (a working file) so that it is never seen
// half-written: an OutputFile that replaces the path itself. The bytes gather in a new
// temporary file in the target's folder, and only commit() renames it over the target; until
// then, and after any failure, the target keeps its previous content (or stays absent).
// Whatever stands at the path (a link, a FIFO, a device) is replaced, never followed or written
// into, and the new file gets the user's usual permissions (0666 & ~umask). The destructor
// abandons an uncommitted file. Errors are kept as errno values.
class AtomicFileWriter : public OutputFile {
public:
    explicit AtomicFileWriter(std::string targetPath)
        : OutputFile(std::move(targetPath), Options{.replacePath = true}) {}
};

// Writes `bytes` to `path` through an AtomicFileWriter. Returns 0 or the errno of the failure.
int WriteFileAtomically(const std::string& path, std::string_view bytes);

} // namespace vornix::image
