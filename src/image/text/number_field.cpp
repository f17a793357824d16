#include "image/text/number_field.h"

namespace vornix::image {

std::string NumberField(std::int64_t value) {
    // Appended rather than built with operator+, which GCC 12 at -O2 wrongly reports as an
    // overlapping copy (-Wrestrict).
    std::string field = value < 0 ? "" : " ";
    field += std::to_string(value);
    return field;
}

std::string PlainNumber(std::int64_t value) {
    return std::to_string(value);
}

} // namespace vornix::image
