#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/picture/byte_sink.h"

// The system's description of a file, used by the POSIX side only.
struct stat;

namespace vornix::image {

// How an OutputFile delivers its bytes; decided when it opens.
enum class OutputWay {
    Undecided,
    // A new file, complete before commit() renames it over the path's final target (through
    // any symbolic links, which stay links). An existing file's mode, owner and group go with it.
    // With Options::replacePath, over the path itself, with the user's usual permissions.
    Replace,
    // The existing file is overwritten where it is, from a complete copy, at commit(): a file
    // with several hard links, one whose owner or group the user may not give a new file, one
    // in a folder the user cannot write, or another process's descriptor named through /proc.
    // Room for the whole new length is reserved first, and the old bytes are kept aside until
    // the copy is through: a full disk refuses the output, and any other failure puts the old
    // content back (unless the user may write the file but not read it).
    InPlace,
    // A character device or a FIFO, opened and written as the bytes come (/dev/null, a pipe,
    // a terminal). What was written before a failure stays written.
    Stream,
    // One of the process's own open descriptors, named as /dev/stdout, /dev/fd/N or
    // /proc/self/fd/N: written as the bytes come at the descriptor's own offset (at the end
    // when it appends), exactly as standard output is written for "-". What was written before
    // a failure stays written.
    Descriptor,
};

// Why an OutputFile refused a path, when no errno value says it alone.
enum class OutputRefusal {
    None,
    DanglingLink, // a symbolic link whose target does not exist: nothing is created
    NoReader,     // a FIFO that no process opened for reading within kFifoReaderWaitMs
    NotAFile,     // a block device, a socket: not written
};

// Why a path was refused, in the words the command line prints after the path.
std::string_view describe(OutputRefusal refusal);

// How long opening a FIFO waits for a reader before it is refused: long enough for a reader
// started beside the command (`vornix-cli convert a.bmp fifo & cat fifo`), never forever.
inline constexpr int kFifoReaderWaitMs = 2000;

// Writes an output to the path its user named, as the usual Unix tools do: through symbolic
// links, into devices and FIFOs, keeping an existing file's permissions, owner, group and hard
// links, and refusing a file the user may not write ("Permission denied") even in a folder the
// user may write. For files, the path's content changes only at commit(): after a refusal or a
// failure it is as before (or still absent), and no temporary file is left.
//
// With Options::replacePath it writes one of the program's own files instead (a working file):
// whatever stands at the path (a link, a FIFO, a device, a file) is replaced by a new file with
// the user's usual permissions (0666 & ~umask), never followed or written into.
//
// The bytes are gathered in an unnamed file (O_TMPFILE) in the target's folder, which a killed
// process cannot leave behind; it gets a name only for the rename at commit(). Where the file
// system has no unnamed files, a named one, ".NAME.vornix-XXXXXXXX.tmp" beside the target, is
// used instead, and SIGINT, SIGTERM and SIGHUP remove it before the process ends as the signal
// says. Only SIGKILL (or a crash) can leave such a file; it is safe to delete.
class OutputFile : public ByteSink {
public:
    struct Options {
        // False: always a named temporary file (what file systems without O_TMPFILE get).
        bool unnamedTemporary = true;
        // True: the path itself is replaced, as for the program's own files (see above).
        bool replacePath = false;
    };

    explicit OutputFile(std::string path);
    OutputFile(std::string path, Options options);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Looks at the path and opens what the bytes go to (write() and commit() do so when
    // needed). False, with error() and reason() set, when the path is refused or cannot be
    // opened, or the file was already committed or abandoned.
    bool open();
    // Appends bytes; false after any failure so far.
    bool write(std::string_view bytes) override;
    // Delivers the bytes: renames, copies in place, or closes the stream. False when anything
    // failed; a file is then left as it was. Once committed, further calls return true.
    bool commit();
    // Drops what was written (a stream keeps what it already received). Safe to call twice.
    void abandon();

    // errno of the first failure, 0 when none.
    int error() const { return m_error; }
    OutputRefusal refusal() const { return m_refusal; }
    // The failure in words: the system's text for error(), or the refusal's own.
    std::string reason() const;
    OutputWay way() const { return m_way; }

private:
    bool fail(int error);
    bool refuse(OutputRefusal refusal, int error);
    bool openNew();
    bool openStream(bool fifo);
    bool openDescriptor(int descriptor);
    bool openReplacing();
    bool openExisting(const struct ::stat& link);
    bool createTemporary(const std::string& folder, unsigned mode);
    bool createNamedTemporary(const std::string& folder, unsigned mode);
    bool keepIdentity(const struct ::stat& old);
    bool nameTemporary();
    bool commitReplace();
    bool commitInPlace();
    bool overwriteInPlace(std::int64_t oldSize, std::int64_t newSize);
    void dropTemporary();

    std::string m_path;
    Options m_options;
    std::string m_final;    // where the rename goes: the end of the path's chain of links
    std::string m_tempPath; // empty while the temporary file has no name
    int m_tempFd = -1;
    int m_targetFd = -1; // the file written in place, the stream, or the own descriptor's copy
    bool m_targetReadable = false; // the file written in place was opened for reading too
    int m_slot = -1;               // the signal handler's record of m_tempPath
    int m_error = 0;
    OutputRefusal m_refusal = OutputRefusal::None;
    OutputWay m_way = OutputWay::Undecided;
    bool m_finished = false;
    bool m_committed = false;
};

} // namespace vornix::image
