#pragma once

#include <cstddef>
#include <string>

#include "cli_files.h"
#include "image/pxl_field_stream.h"

namespace vornix::cli {

// A PXL file as the conversion reads it: block by block, so that the text of a large picture
// is never held whole. A pipe or device, which cannot be read twice, is read into memory first.
class PxlInput : public image::PxlTextSource {
public:
    explicit PxlInput(const std::string& path);
    ~PxlInput() override;
    PxlInput(const PxlInput&) = delete;
    PxlInput& operator=(const PxlInput&) = delete;

    // 0, or the code "Bad file name or file type" shows when the file cannot be opened or read.
    int code() const { return m_code; }

    // True when the first field is exactly "@". The text then starts again from its beginning.
    bool hasMarker();

    std::size_t read(char* into, std::size_t room) override;
    std::size_t sizeHint() const override { return m_size; }

    // errno of a failure to read after the file was opened (the text then ended early), or 0.
    int readError() const { return m_readError; }

private:
    int m_fd = -1;
    int m_code = 0;
    int m_readError = 0;
    std::size_t m_size = 0;
    InputFile m_whole; // the text of a pipe or device, read at once
    std::size_t m_wholePos = 0;
};

} // namespace vornix::cli
