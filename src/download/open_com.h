#pragma once

#include <string_view>

#include <QString>

#include "download/serial_link.h"
#include "image/text/messages.h"

namespace vornix::download {

enum class OpenComResult {
    Opened,      // the port was closed and is now open with the line settings
    AlreadyOpen, // an open port is kept as it is, whatever its number or settings
    Failed       // no such device, in use, or settings refused
};

// What became of opening the port, in words: the command line says "cannot open" and why.
std::string_view describe(OpenComResult result);

// The port's settings text: the baud rate followed by ",N,8,1".
QString SettingsText(const QString& baudRate);

// Opens the device that `portNumber` ("1".."4") maps to with SettingsText(baudRate) and
// RTS/CTS flow control, unless the link is already open. The caller turns the result into
// PortStatus: "CLOSED" for Failed (after showing CanNotOpenComText), "OPEN" otherwise.
OpenComResult OpenControllerPort(SerialLink& link, const QString& portNumber,
                                 const QString& baudRate);

// The same for a device named directly (the command line's --port).
OpenComResult OpenComDevice(SerialLink& link, const QString& device, const QString& baudRate);

// The failure message: image::messages::kCannotOpenCom followed by the port number (or device).
QString CanNotOpenComText(const QString& portNumber);

// The title of the box that shows CanNotOpenComText (image::messages::kComErrorTitle).
inline constexpr const char* kComErrorTitle = image::messages::kComErrorTitle.data();

} // namespace vornix::download
