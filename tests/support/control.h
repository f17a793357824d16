#pragma once

#include <stdexcept>
#include <string>

#include <QList>
#include <QObject>
#include <QString>

#include <gtest/gtest.h>

namespace vornix::test {

// The control named `name` under `root`, found as users' tools find it: through the object
// tree by its object name. The name must belong to exactly one object, of type T; otherwise
// the test fails with the name and ends there (the throw ends the test body), so no test goes
// on with a missing control.
template <class T> T& control(const QObject& root, const char* name) {
    const QList<QObject*> found = root.findChildren<QObject*>(QString::fromLatin1(name));
    T* typed = found.size() == 1 ? qobject_cast<T*>(found.front()) : nullptr;
    if (typed == nullptr) {
        const std::string what = found.isEmpty()    ? "no control named "
                                 : found.size() > 1 ? "more than one control named "
                                                    : "control of another type named ";
        ADD_FAILURE() << what << name << " under " << root.objectName().toStdString();
        throw std::runtime_error(what + name);
    }
    return *typed;
}

} // namespace vornix::test
