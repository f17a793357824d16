#pragma once

#include <string>
#include <string_view>

namespace vornix::image {

// Where a converter puts its output, piece by piece, so that a large picture never has to be
// held in memory as a whole. write() returns false when the bytes could not be stored; the
// converter then stops and reports the failure.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(std::string_view bytes) = 0;
};

// Collects everything in a string: for small pictures, tests and previews.
class StringSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        m_text.append(bytes);
        return true;
    }
    const std::string& text() const { return m_text; }
    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

} // namespace vornix::image
