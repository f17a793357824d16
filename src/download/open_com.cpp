#include "download/open_com.h"

#include "download/port_mapping.h"
#include "image/text/messages.h"

namespace vornix::download {

std::string_view describe(OpenComResult result) {
    switch (result) {
    case OpenComResult::Opened:
        return "opened";
    case OpenComResult::AlreadyOpen:
        return "already open";
    case OpenComResult::Failed:
        return "cannot open";
    }
    return "unknown result";
}

QString SettingsText(const QString& baudRate) {
    return baudRate + QStringLiteral(",N,8,1");
}

OpenComResult OpenComDevice(SerialLink& link, const QString& device, const QString& baudRate) {
    if (link.isOpen()) {
        return OpenComResult::AlreadyOpen;
    }
    LineSettings settings;
    if (device.isEmpty() || !ParseLineSettings(SettingsText(baudRate), settings)) {
        return OpenComResult::Failed;
    }
    settings.rtsCts = true;
    return link.open(device, settings) ? OpenComResult::Opened : OpenComResult::Failed;
}

OpenComResult OpenControllerPort(SerialLink& link, const QString& portNumber,
                                 const QString& baudRate) {
    if (link.isOpen()) {
        return OpenComResult::AlreadyOpen;
    }
    return OpenComDevice(link, DeviceForPort(portNumber), baudRate);
}

QString CanNotOpenComText(const QString& portNumber) {
    return QString::fromUtf8(image::messages::kCannotOpenCom.data(),
                             static_cast<qsizetype>(image::messages::kCannotOpenCom.size())) +
           portNumber;
}

} // namespace vornix::download
