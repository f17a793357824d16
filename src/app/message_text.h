#pragma once

#include <string_view>

#include <QString>

namespace vornix::app {

// One of the program's message texts (image/messages.h, UTF-8) as a QString.
inline QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace vornix::app
