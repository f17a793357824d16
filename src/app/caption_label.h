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

private:
    QString m_caption;
    QString m_tag;
};

} // namespace vornix::app
