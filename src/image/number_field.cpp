#include "image/number_field.h"

namespace vornix::image {

std::string NumberField(std::int64_t value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string PlainNumber(std::int64_t value) {
    return std::to_string(value);
}

} // namespace vornix::image
