#pragma once

#include <QString>

namespace vornix::dialogs {

// Gives a control its object name (for tests and tools) and its caption as accessible text
// (for screen readers and the accessibility tree); returns it, so a control is made, named and
// placed in one expression.
template <typename Widget>
Widget* Named(Widget* widget, const QString& name, const QString& caption) {
    widget->setObjectName(name);
    widget->setAccessibleName(caption);
    return widget;
}

} // namespace vornix::dialogs
