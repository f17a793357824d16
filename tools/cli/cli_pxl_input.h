#pragma once

#include <string>

#include "cli_files.h"
#include "image/files/bounded_read.h"

namespace vornix::cli {

// A PXL file as the conversion reads it: block by block, so that the text of a large picture
// is never held whole. Only a regular file is read: a FIFO or a device is refused at once.
class PxlInput : public image::PxlFile {
public:
    explicit PxlInput(const std::string& path) : image::PxlFile(path) {}

    // None, or the code shown after image::messages::kBadFileName when the file cannot be opened.
    image::ErrorCode code() const {
        return openError() == 0 ? image::ErrorCode::None : FailedInput(openError()).code;
    }
};

} // namespace vornix::cli
