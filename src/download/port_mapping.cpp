#include "download/port_mapping.h"

#include <algorithm>

#include <QSerialPortInfo>

namespace vornix::download {

namespace {

// Orders "/dev/ttyS2" before "/dev/ttyS10": runs of digits compare by value.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a[i].isDigit()) {
                ++i;
            }
            while (j < b.size() && b[j].isDigit()) {
                ++j;
            }
            QStringView numberA = QStringView(a).mid(startA, i - startA);
            QStringView numberB = QStringView(b).mid(startB, j - startB);
            while (numberA.size() > 1 && numberA.front() == u'0') {
                numberA = numberA.mid(1);
            }
            while (numberB.size() > 1 && numberB.front() == u'0') {
                numberB = numberB.mid(1);
            }
            if (numberA.size() != numberB.size()) {
                return numberA.size() < numberB.size();
            }
            if (numberA != numberB) {
                return numberA < numberB;
            }
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

QString NthPortByName(QStringList systemLocations, int portNumber) {
    if (portNumber < 1 || portNumber > systemLocations.size()) {
        return {};
    }
    std::stable_sort(systemLocations.begin(), systemLocations.end(), naturalLess);
    return systemLocations.at(portNumber - 1);
}

QString DeviceForPort(int portNumber) {
    if (portNumber < 1) {
        return {};
    }
    const QString fromEnvironment =
        qEnvironmentVariable(qPrintable(QStringLiteral("VORNIX_COM%1").arg(portNumber)));
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    QStringList locations;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        locations << info.systemLocation();
    }
    const QString reported = NthPortByName(locations, portNumber);
    if (!reported.isEmpty()) {
        return reported;
    }
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

QString DeviceForPort(const QString& portNumber) {
    bool ok = false;
    const int number = portNumber.trimmed().toInt(&ok);
    return ok ? DeviceForPort(number) : QString();
}

} // namespace vornix::download
