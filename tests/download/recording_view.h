#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "download/download_view.h"

namespace vornix::download::testing {

// Records what a download shows, in order, as short lines such as "menu off", "lamp red",
// "row Row 4", so that a test can compare the whole sequence at once.
class RecordingView : public DownloadView {
public:
    void setFileMenuEnabled(bool enabled) override {
        fileMenuEnabled = enabled;
        events << (enabled ? QStringLiteral("menu on") : QStringLiteral("menu off"));
    }
    void setRowCounter(const QString& caption) override {
        rowCounter = caption;
        events << QStringLiteral("row ") + caption;
    }
    void setLamp(LampColor color) override {
        static const char* const names[] = {"white", "red", "yellow", "green"};
        lamp = color;
        events << QStringLiteral("lamp ") + QLatin1String(names[static_cast<int>(color)]);
    }
    void showHeaderMissing() override { events << QStringLiteral("header missing"); }
    void showProgress(qint64 sent, qint64 total) override {
        bytesSent = sent;
        bytesTotal = total;
    }

    void showStalled(bool stalled) override { stallNotes.push_back(stalled); }
    void showEnd(DownloadEnd how) override { end = how; }

    // Only the events that are not row captions.
    QStringList withoutRows() const {
        QStringList kept;
        for (const QString& event : events) {
            if (!event.startsWith(QStringLiteral("row Row"))) {
                kept << event;
            }
        }
        return kept;
    }

    QStringList events;
    bool fileMenuEnabled = true;
    QString rowCounter;
    LampColor lamp = LampColor::White;
    qint64 bytesSent = 0;
    qint64 bytesTotal = 0;
    std::optional<DownloadEnd> end;
    std::vector<bool> stallNotes; // each showStalled, in order
};

} // namespace vornix::download::testing
