#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace vornix::download::testing {

// Where the bytes a controller received end, against the whole stream they are the start of.
struct StreamEnd {
    bool prefix = false;      // the received bytes are the start of the whole stream
    bool atStopPoint = false; // ... and end where a download may stop: after the I or the D
                              // command, or after a data command, that is after a whole group
    int lastWholeRow = -1;    // the last row all of whose groups were received; -1: none
};

// `full` is a whole command stream: 0x03, the I command, the D command, then a position
// command ("G 0 row column") and a data command for each group, every command ended by CR.
inline StreamEnd ExamineStreamEnd(const QByteArray& full, const QByteArray& received) {
    StreamEnd end;
    end.prefix = full.startsWith(received);
    if (!end.prefix) {
        return end;
    }
    const auto rowOf = [](const QByteArray& position) {
        return position.split(' ').value(2).toInt();
    };
    int command = 0;
    int groupRow = -1;
    for (qsizetype at = 0; at < full.size(); ++command) {
        const qsizetype next = full.indexOf('\r', at) + 1;
        if (next <= 0) {
            break;
        }
        const QByteArray text = full.mid(at, next - at - 1);
        const bool endsHere = next == received.size();
        if (command == 1 || command == 2) {
            end.atStopPoint = end.atStopPoint || endsHere;
        } else if (command > 2 && text.startsWith("G 0 ")) {
            groupRow = rowOf(text);
        } else if (command > 2 && next <= received.size()) {
            end.atStopPoint = end.atStopPoint || endsHere;
            const qsizetype after = full.indexOf('\r', next);
            if (after < 0 || rowOf(full.mid(next, after - next)) != groupRow) {
                end.lastWholeRow = groupRow;
            }
        }
        at = next;
    }
    return end;
}

// The row caption the download shows when `row` is the last row it sent whole.
inline QString RowCaptionFor(int row) {
    return row < 0 ? QString() : QStringLiteral("Row %1").arg(row);
}

} // namespace vornix::download::testing
