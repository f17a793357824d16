#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/byte_sink.h"

namespace vornix::image {

// Writes a file so that it is never seen half-written: the bytes go to a new temporary file
// in the target's folder, and only commit() renames it over the target. Until then, and after
// any failure, the target keeps its previous content (or stays absent). The destructor
// abandons an uncommitted file. Errors are kept as errno values.
class AtomicFileWriter : public ByteSink {
public:
    explicit AtomicFileWriter(std::string targetPath);
    ~AtomicFileWriter() override;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file (write() and commit() do so when needed). False, with error()
    // set, when it cannot be created or the writer is already committed or abandoned.
    bool open();
    // Appends bytes to the temporary file; false after any failure so far.
    bool write(std::string_view bytes) override;
    // Closes the temporary file and renames it over the target. False when anything failed;
    // the temporary file is then removed and the target untouched. Once committed, further
    // calls return true and change nothing.
    bool commit();
    // Closes and removes the temporary file; the target is untouched. Safe to call twice.
    void abandon();

    // errno of the first failure, 0 when none.
    int error() const { return m_error; }
    const std::string& temporaryPath() const { return m_tempPath; }

private:
    bool fail(int error);

    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
    int m_error = 0;
    bool m_finished = false; // committed or abandoned: no second file
    bool m_committed = false;
};

// Writes `bytes` to `path` through an AtomicFileWriter. Returns 0 or the errno of the failure.
int WriteFileAtomically(const std::string& path, std::string_view bytes);

} // namespace vornix::image
