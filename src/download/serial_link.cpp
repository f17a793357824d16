#include "download/serial_link.h"

#include <QStringList>

namespace vornix::download {

namespace {

bool readPositive(const QString& text, int& value) {
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok);
    if (!ok || parsed <= 0) {
        return false;
    }
    value = parsed;
    return true;
}

} // namespace

std::string_view describe(LinkError error) {
    switch (error) {
    case LinkError::Resource:
        return "the device went away";
    case LinkError::Other:
        return "the port reported an error";
    }
    return "unknown error";
}

bool ParseLineSettings(const QString& text, LineSettings& settings) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) {
        return false;
    }
    LineSettings parsed;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity != QLatin1String("N") && parity != QLatin1String("E") &&
        parity != QLatin1String("O")) {
        return false;
    }
    parsed.parity = parity.at(0).toLatin1();
    if (!readPositive(parts[0], parsed.baudRate) || !readPositive(parts[2], parsed.dataBits) ||
        !readPositive(parts[3], parsed.stopBits)) {
        return false;
    }
    if (parsed.dataBits < 5 || parsed.dataBits > 8 || parsed.stopBits > 2) {
        return false;
    }
    settings = parsed;
    return true;
}

} // namespace vornix::download
