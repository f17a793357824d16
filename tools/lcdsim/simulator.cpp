#include "simulator.h"

#include <cmath>
#include <cstdio>

#include <QCoreApplication>

#include "line_reader.h"
#include "serial_endpoint.h"
#include "signal_relay.h"
#include "snapshot_files.h"

namespace vornix::lcdsim {

Simulator::Simulator(SimOptions options, std::unique_ptr<SerialEndpoint> endpoint, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_endpoint(std::move(endpoint)),
      m_reader(new LineReader(*m_endpoint, m_options.baud, m_options.fast, this)),
      m_signals(new SignalRelay(this)) {
    m_idle.setSingleShot(true);
    if (m_options.exitAfterIdle > 0.0) {
        m_idle.setInterval(static_cast<int>(std::ceil(m_options.exitAfterIdle * 1000.0)));
    }
    connect(&m_idle, &QTimer::timeout, qApp, &QCoreApplication::quit);
    connect(m_reader, &LineReader::received, this, &Simulator::onReceived);
    connect(m_signals, &SignalRelay::quitRequested, qApp, &QCoreApplication::quit);
    connect(m_signals, &SignalRelay::snapshotRequested, this, &Simulator::writeOutputs);
}

// The reader goes first: it listens on the endpoint's descriptor, which the endpoint closes.
Simulator::~Simulator() {
    delete m_reader;
}

bool Simulator::start(std::string& error) {
    if (!m_signals->install()) {
        error = "cannot install the signal handlers";
        return false;
    }
    m_reader->start();
    return true;
}

void Simulator::onReceived(const QByteArray& bytes) {
    m_controller.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (m_options.exitAfterIdle > 0.0) {
        m_idle.start();
    }
}

bool Simulator::writeOutputs() {
    bool ok = true;
    std::string error;
    if (!m_options.pbmPath.empty() &&
        !WritePbmFile(m_controller.framebuffer(), m_options.pbmPath, error)) {
        std::fprintf(stderr, "vornix-lcdsim: %s\n", error.c_str());
        ok = false;
    }
    if (!m_options.pngPath.empty() &&
        !WritePngFile(m_controller.framebuffer(), m_options.pngPath, error)) {
        std::fprintf(stderr, "vornix-lcdsim: %s\n", error.c_str());
        ok = false;
    }
    printSummary();
    return ok;
}

void Simulator::printSummary() const {
    const ControllerCounters& c = m_controller.counters();
    std::fprintf(
        stderr,
        "vornix-lcdsim: %llu bytes, %llu commands, %llu data bytes (%llu clipped), "
        "%llu errors, %llu resets\n",
        static_cast<unsigned long long>(c.bytesReceived),
        static_cast<unsigned long long>(c.commands), static_cast<unsigned long long>(c.dataBytes),
        static_cast<unsigned long long>(c.clippedBytes), static_cast<unsigned long long>(c.errors),
        static_cast<unsigned long long>(c.resets));
    for (const ControllerError& e : m_controller.recentErrors()) {
        std::fprintf(stderr, "vornix-lcdsim: %s\n", e.describe().c_str());
    }
    std::fflush(stderr);
}

} // namespace vornix::lcdsim
