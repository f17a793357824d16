#pragma once

#include <QLabel>

namespace vornix::app {

// A label whose caption is kept exactly as set (CR LF line breaks included) and shown with
// plain line feeds. Its tag carries a free text, as the file dialog's request code does.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    // How a caption too long for the label is drawn: Qt::ElideNone (the default) cuts it at the
    // label's edge; any other mode draws it on one line shortened with "…" there and gives the
    // whole caption as the tool tip. caption() and text() always hold the whole caption.
    void setElideMode(Qt::TextElideMode mode);
    // The text as drawn.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    QString m_tag;
    Qt::TextElideMode m_elideMode = Qt::ElideNone;
};

} // namespace vornix::app
