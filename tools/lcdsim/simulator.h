#pragma once

#include <memory>
#include <string>

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include "lcdsim/lcd_controller.h"
#include "sim_options.h"

namespace vornix::lcdsim {

class LineReader;
class SerialEndpoint;
class SignalRelay;

// Ties the line, the controller and the output files together: every byte read goes to the
// controller; SIGUSR1 writes the files; SIGTERM, SIGINT and a long enough silence (when asked
// for) end the event loop.
class Simulator : public QObject {
    Q_OBJECT
public:
    Simulator(SimOptions options, std::unique_ptr<SerialEndpoint> endpoint,
              QObject* parent = nullptr);
    ~Simulator() override;

    // Starts reading; false (with `error` set) when the signal handlers cannot be installed.
    bool start(std::string& error);

    const LcdController& controller() const { return m_controller; }

    // Writes the requested PBM and PNG files and prints the summary to stderr. False when a
    // file could not be written.
    bool writeOutputs();

private:
    void onReceived(const QByteArray& bytes);
    void printSummary() const;

    SimOptions m_options;
    std::unique_ptr<SerialEndpoint> m_endpoint;
    LcdController m_controller;
    LineReader* m_reader;
    SignalRelay* m_signals;
    QTimer m_idle;
};

} // namespace vornix::lcdsim
