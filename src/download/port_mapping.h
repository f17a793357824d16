#pragma once

#include <QString>
#include <QStringList>

namespace vornix::download {

// The device behind port number N (1..4 in the port list):
//  1. the environment variable VORNIX_COM<N>, when set and not empty (how the simulator and
//     the tests attach a pseudo-terminal);
//  2. otherwise the N-th serial port the system reports, ports ordered by name with numbers
//     compared as numbers (ttyS2 before ttyS10);
//  3. otherwise /dev/ttyS<N-1>.
// "" for a number below 1.
QString DeviceForPort(int portNumber);

// The same for the port list's item text ("1".."4"); "" when it is not a number.
QString DeviceForPort(const QString& portNumber);

// Step 2 alone, on a given list of system locations: the N-th by name, or "".
QString NthPortByName(QStringList systemLocations, int portNumber);

} // namespace vornix::download
