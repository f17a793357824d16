#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/photo/prepare_buffer.h"
#include "image/picture/pxl_field_stream.h"
#include "image/platform/platform.h"

namespace vornix::image {

// Every file the product reads goes through here: whole files up to a size their format can
// describe, and PXL text block by block. A named file must be a regular file: a FIFO, a
// device, a socket or a folder is refused without waiting for it (it is opened without
// blocking and looked at before anything is read), and each file is opened once and read once.
//
// Failures are errno values: those of opening and reading, and three of the reader's own:
inline constexpr int kNotRegularFile = ENODEV; // a FIFO, a character or block device, a socket
inline constexpr int kFolderNamed = EISDIR;    // a folder
inline constexpr int kFileTooLarge = EFBIG;    // above the limit of the read

// The largest one-bit bitmap file whose sizes fit 16 bits, the limit of every whole-file read
// of a bitmap or a picture the window shows:
//   pixel data offset at most 14 (file header) + 124 (the largest information header)
//                             + 256 * 4 (the largest colour table of any depth) = 1162;
//   pixel rows at most 32767 rows of a 32767-pixel row, (32767 + 7) / 8 = 4096 bytes, already
//                             a multiple of 4: 32767 * 4096 = 134,213,632;
//   together 134,214,794 bytes (128 MiB). Nothing after the pixels is read by any reader.
inline constexpr std::size_t kLargestPixelOffset = 14 + 124 + 256 * 4;
inline constexpr std::size_t kMaxBitmapFileBytes =
    kLargestPixelOffset + std::size_t{32767} * ((32767 + 7) / 8);

// The largest file the picture preparation reads: at most 2^26 pixels (kMaxPicturePixels), the
// widest pixel being 6 bytes (a PPM with 16-bit samples; a bitmap row of any depth takes at
// most 4 bytes a pixel, padding included: a 24-bit row one pixel wide is 4 bytes), plus 64 KiB
// for the header (a bitmap's 1162 bytes before its pixels, a PBM, PGM or PPM header with its
// comments): 6 * 2^26 + 65536 = 402,718,720 bytes. The text forms (P1, P2, P3) are held to the
// same size: they could only pass it through long numbers or comments.
inline constexpr std::size_t kPreparedHeaderRoom = std::size_t{1} << 16;
inline constexpr std::size_t kMaxPreparedFileBytes =
    6 * (std::size_t{1} << 26) + kPreparedHeaderRoom;

// The most PXL text a download holds: far more than any picture the controller can show
// (a 240 x 128 picture is about 19 KB; 64 MiB would take a day on the line). A download keeps
// the text it sends, so that later changes to the file cannot reach it.
inline constexpr std::size_t kMaxDownloadTextBytes = std::size_t{64} << 20;

// The most text a PXL file written for the largest bitmap can hold, for the copies of the
// program's own working PXL file: each byte of a bitmap row becomes at most five characters
// ("0XXh," or "0XXh" and a line end), an empty row two (CR LF), and the header line fewer
// than 32: 5 * kMaxBitmapFileBytes + 2 * 32767 + 32 = 671,139,536 bytes.
inline constexpr std::size_t kMaxWrittenPxlBytes = 5 * kMaxBitmapFileBytes + 2 * 32767 + 32;

// A named file opened for reading. Refuses what is not a regular file before reading a byte.
class ReadableFile {
public:
    explicit ReadableFile(const std::string& path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // 0 when the file is open, else the errno of the refusal.
    int error() const { return m_error; }
    platform::FileHandle handle() const { return m_handle; }
    // The file's length when it was opened.
    std::uint64_t size() const { return m_size; }

private:
    platform::FileHandle m_handle = platform::kNoFile;
    int m_error = 0;
    std::uint64_t m_size = 0;
};

// The whole content of a file, or the errno of the failure to read it.
struct FileBytes {
    ByteBuffer bytes; // not cleared before the read: every byte kept was read
    int error = 0;
    bool ok() const { return error == 0; }
};

// The whole file, refused with kFileTooLarge (nothing allocated) when its length is above
// `maxSize`. Large files go into huge pages where the system offers them. A file that grows while
// it is read is read as long as it was when opened; one that shrinks gives what it still had.
FileBytes ReadBoundedFile(const std::string& path, std::size_t maxSize);

// At most the first `count` bytes of a file: a header without the rest.
FileBytes ReadFilePrefix(const std::string& path, std::size_t count);

// The reason of a failure in words for a message: the reader's own three, else strerror().
std::string DescribeReadError(int error);

// PXL text read from a named file block by block, for a PxlFieldStream: the text is never
// held whole, and a field longer than kMaxPxlFieldLength ends the reading (the stream says
// so). The first blocks are kept, so that the text can start again from its beginning after
// its marker has been looked at without reading the file twice.
class PxlFile : public PxlTextSource {
public:
    explicit PxlFile(const std::string& path);

    // 0, or the errno of the failure to open the file (kNotRegularFile, kFolderNamed, ...).
    int openError() const { return m_file.error(); }
    // The errno of a failure to read after the file was opened (the text then ended early).
    int readError() const { return m_readError; }

    // True when the first field is exactly "@". The text then starts again from its beginning.
    bool hasMarker();
    // Starts the text again from its beginning.
    void rewind();
    // The whole file from its beginning, as ReadBoundedFile reads it: for a file that turned
    // out not to be PXL text.
    FileBytes readWhole(std::size_t maxSize);

    std::size_t read(char* into, std::size_t room) override;
    std::size_t sizeHint() const override { return static_cast<std::size_t>(m_file.size()); }

private:
    static constexpr std::size_t kKeptBytes = std::size_t{1} << 18;

    ReadableFile m_file;
    int m_readError = 0;
    std::string m_kept;       // the first bytes read, while they are at most kKeptBytes
    bool m_keptAll = true;    // m_kept holds everything read from the file so far
    std::size_t m_replay = 0; // position in m_kept while replaying after rewind()
    bool m_replaying = false;
};

} // namespace vornix::image
