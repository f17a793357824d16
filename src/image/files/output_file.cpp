// The parts of an output file that are the same on every system; how a file is opened,
// replaced and written in place is the system's own (platform/*/output_file.cpp).
#include "image/files/output_file.h"

#include <cerrno>
#include <cstring>

namespace vornix::image {

OutputFile::OutputFile(std::string path) : OutputFile(std::move(path), Options{}) {}

OutputFile::OutputFile(std::string path, Options options)
    : m_path(std::move(path)), m_options(options) {}

OutputFile::~OutputFile() {
    abandon();
}

bool OutputFile::fail(int error) {
    if (m_error == 0) {
        m_error = error != 0 ? error : EIO;
    }
    return false;
}

bool OutputFile::refuse(OutputRefusal refusal, int error) {
    if (m_error == 0) {
        m_refusal = refusal;
    }
    return fail(error);
}

std::string_view describe(OutputRefusal refusal) {
    switch (refusal) {
    case OutputRefusal::None:
        return "not refused";
    case OutputRefusal::DanglingLink:
        return "not writing through dangling symlink";
    case OutputRefusal::NoReader:
        return "no process is reading the FIFO";
    case OutputRefusal::NotAFile:
        return "not a regular file, character device or FIFO";
    }
    return "refused";
}

std::string OutputFile::reason() const {
    if (m_refusal != OutputRefusal::None) {
        return std::string(describe(m_refusal));
    }
    return m_error != 0 ? std::strerror(m_error) : std::string();
}

} // namespace vornix::image
