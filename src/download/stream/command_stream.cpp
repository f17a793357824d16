#include "download/stream/command_stream.h"

#include <algorithm>

#include "image/text/number_field.h"

namespace vornix::download {

namespace {

constexpr char kCr = '\r';

StreamError streamErrorFor(image::PxlHeaderError error) {
    switch (error) {
    case image::PxlHeaderError::NoMarker:
        return StreamError::NoHeader;
    case image::PxlHeaderError::MissingField:
        return StreamError::HeaderTooShort;
    case image::PxlHeaderError::BadNumber:
        return StreamError::BadHeaderNumber;
    }
    return StreamError::NoHeader;
}

} // namespace

std::string_view describe(StreamError error) {
    switch (error) {
    case StreamError::None:
        return "no error";
    case StreamError::NoHeader:
        return image::describe(image::PxlHeaderError::NoMarker);
    case StreamError::HeaderTooShort:
        return image::describe(image::PxlHeaderError::MissingField);
    case StreamError::BadHeaderNumber:
        return image::describe(image::PxlHeaderError::BadNumber);
    }
    return "unknown error";
}

std::string InitCommand(int pixelsPerValue) {
    return pixelsPerValue == 8 ? "/I 6\r" : "I 6\r";
}

CommandStream::CommandStream(std::string_view pxlText) : m_reader(pxlText) {
    const image::PxlHeaderResult result = image::ReadPxlHeader(m_reader);
    if (!result.header) {
        m_error = streamErrorFor(result.error);
        return;
    }
    m_header = *result.header;
    m_valuesPerRow = image::ValuesPerRow(m_header.width, m_header.pixelsPerValue);
    m_phase = Phase::Reset;
}

StreamStep CommandStream::next() {
    StreamStep step;
    switch (m_phase) {
    case Phase::Reset:
        m_phase = Phase::Init;
        step.kind = StepKind::Reset;
        step.command = {'\x03', kCr};
        return step;
    case Phase::Init:
        m_phase = Phase::Pause;
        step.kind = StepKind::Init;
        step.command = InitCommand(m_header.pixelsPerValue);
        return step;
    case Phase::Pause:
        m_phase = Phase::Dimensions;
        step.kind = StepKind::Pause;
        step.ticks = kInitPauseTicks;
        return step;
    case Phase::Dimensions:
        m_phase = Phase::Rows;
        step.kind = StepKind::Dimensions;
        // The controller counts bytes of eight pixels whatever the file's pixels per value.
        step.command = "D";
        step.command += image::NumberField(m_header.width / 8);
        step.command += image::NumberField(m_header.height);
        step.command += kCr;
        return step;
    case Phase::Rows:
        return nextInRows();
    case Phase::Done:
        break;
    }
    return step;
}

StreamStep CommandStream::nextInRows() {
    StreamStep step;
    if (m_row >= m_header.height) {
        m_phase = Phase::Done;
        return step;
    }
    if (m_column >= m_valuesPerRow) {
        step.kind = StepKind::RowDone;
        step.row = m_row;
        ++m_row;
        m_column = 0;
        return step;
    }
    const int count = std::min(kValuesPerGroup, m_valuesPerRow - m_column);
    if (!readGroup(count, step.data)) {
        m_phase = Phase::Done;
        step.data.clear();
        return step;
    }
    step.kind = StepKind::Group;
    step.row = m_row;
    step.column = m_column;
    step.command = "G 0";
    step.command += image::NumberField(m_row);
    step.command += image::NumberField(m_column);
    step.command += kCr;
    m_column += kValuesPerGroup;
    return step;
}

bool CommandStream::readGroup(int count, std::string& data) {
    data.assign(1, 'G');
    data += image::NumberField(count);
    for (int k = 0; k < count; ++k) {
        const auto item = m_reader.next();
        if (!item) {
            return false;
        }
        data += ',';
        data += *item;
    }
    data += kCr;
    return true;
}

StreamBytesResult StreamBytes(std::string_view pxlText) {
    StreamBytesResult result;
    CommandStream stream(pxlText);
    result.error = stream.error();
    for (StreamStep step = stream.next(); step.kind != StepKind::End; step = stream.next()) {
        result.bytes += step.command;
        result.bytes += step.data;
    }
    return result;
}

std::int64_t StreamByteCount(std::string_view pxlText) {
    std::int64_t count = 0;
    CommandStream stream(pxlText);
    for (StreamStep step = stream.next(); step.kind != StepKind::End; step = stream.next()) {
        count += static_cast<std::int64_t>(step.command.size() + step.data.size());
    }
    return count;
}

} // namespace vornix::download
