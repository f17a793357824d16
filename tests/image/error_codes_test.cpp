// The core's failures: the numbers the window shows for failed file operations, and the words
// every failure of the core is described by.
#include "image/text/error_codes.h"

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "image/files/output_file.h"
#include "image/photo/prepare_decode.h"
#include "image/photo/prepare_picture.h"
#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image/picture/pxl_fields.h"
#include "support/described_enum.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

struct ErrnoCase {
    std::string name;
    int error;
    int shown; // the number a message shows
};

void PrintTo(const ErrnoCase& row, std::ostream* out) {
    *out << row.name;
}

class ErrorCodeFromErrnoTest : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrorCodeFromErrnoTest, GivesTheNumberUsersSee) {
    EXPECT_EQ(Number(ErrorCodeFromErrno(GetParam().error)), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ErrorCodeFromErrnoTest,
    ::testing::Values(ErrnoCase{"NoSuchFile", ENOENT, 53}, ErrnoCase{"AccessRefused", EACCES, 70},
                      ErrnoCase{"NotPermitted", EPERM, 70},
                      ErrnoCase{"ReadOnlyFileSystem", EROFS, 70},
                      ErrnoCase{"PathThroughAFile", ENOTDIR, 76}, ErrnoCase{"Folder", EISDIR, 75},
                      ErrnoCase{"ReadFailed", EIO, 75}, ErrnoCase{"DiskFull", ENOSPC, 75}),
    test::RowName);

TEST(ErrorCodeTest, NumbersAreThoseTheMessagesShow) {
    EXPECT_EQ(Number(ErrorCode::None), 0);
    EXPECT_EQ(Number(ErrorCode::OutOfMemory), 7);
    EXPECT_EQ(Number(ErrorCode::InvalidPicture), 481);
}

class DescribeTest : public ::testing::TestWithParam<test::DescribedEnum> {};

TEST_P(DescribeTest, EveryValueHasWordsOfItsOwn) {
    test::ExpectOwnWords(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, DescribeTest,
    ::testing::Values(
        test::Described("ErrorCode",
                        {ErrorCode::None, ErrorCode::OutOfMemory, ErrorCode::FileNotFound,
                         ErrorCode::PermissionDenied, ErrorCode::FileAccessError,
                         ErrorCode::PathNotFound, ErrorCode::InvalidPicture}),
        test::Described("PxlHeaderError", {PxlHeaderError::NoMarker, PxlHeaderError::MissingField,
                                           PxlHeaderError::BadNumber}),
        test::Described("OutputRefusal", {OutputRefusal::None, OutputRefusal::DanglingLink,
                                          OutputRefusal::NoReader, OutputRefusal::NotAFile}),
        test::Described("DecodeOutcome",
                        {DecodeOutcome::Converted, DecodeOutcome::NotBitmap,
                         DecodeOutcome::NotMonochrome, DecodeOutcome::RowLengthOverflow,
                         DecodeOutcome::NegativeRowLength, DecodeOutcome::NegativeHeight,
                         DecodeOutcome::TooManyRows, DecodeOutcome::BadPixelOffset,
                         DecodeOutcome::PixelDataTruncated, DecodeOutcome::OutputFailed}),
        test::Described("EncodeOutcome",
                        {EncodeOutcome::Converted, EncodeOutcome::MissingHeaderField,
                         EncodeOutcome::BadHeaderNumber, EncodeOutcome::ZeroPixelsPerValue,
                         EncodeOutcome::BadPixelsPerValue, EncodeOutcome::WidthTooLarge,
                         EncodeOutcome::RowLongerThanStride, EncodeOutcome::NegativeRowStride,
                         EncodeOutcome::NegativeHeight, EncodeOutcome::MissingValue,
                         EncodeOutcome::EmptyValue, EncodeOutcome::ValueOutOfRange,
                         EncodeOutcome::FieldTooLong, EncodeOutcome::OutputFailed}),
        test::Described("PictureReadOutcome",
                        {PictureReadOutcome::Read, PictureReadOutcome::UnknownFormat,
                         PictureReadOutcome::BadHeader, PictureReadOutcome::Unsupported,
                         PictureReadOutcome::Truncated, PictureReadOutcome::BadSample,
                         PictureReadOutcome::TooLarge, PictureReadOutcome::BadPxl,
                         PictureReadOutcome::Damaged, PictureReadOutcome::TooManyFrames,
                         PictureReadOutcome::NoPhotoReader}),
        test::Described("PrepareOutcome",
                        {PrepareOutcome::Prepared, PrepareOutcome::EmptyPicture,
                         PrepareOutcome::PixelCountMismatch, PrepareOutcome::BadTargetSize,
                         PrepareOutcome::BadThreshold, PrepareOutcome::TooLarge})),
    test::RowName);

} // namespace
} // namespace vornix::image
