// Reaching forms and their controls as the tests do: by object name, never by position
// on the window nor by member access.
#pragma once

#include <QApplication>
#include <QObject>
#include <QString>
#include <QWidget>

namespace ombrix::testing {

/// The child of `parent` named `name` (the parent's own children first, then theirs) that
/// is a T. A name that is missing ends the test program with a message naming the parent,
/// the type and the name: the test cannot go on without the control.
template <class T> T* Child(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr)
        qFatal("%s has no %s named %s", qPrintable(parent.objectName()),
               T::staticMetaObject.className(), name);
    return child;
}

/// The window named `name` that is a T, among the application's top-level windows (shown
/// or not); null when there is none.
template <class T> T* TopLevel(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(window);
            found && found->objectName() == QLatin1String(name))
            return found;
    return nullptr;
}

} // namespace ombrix::testing
