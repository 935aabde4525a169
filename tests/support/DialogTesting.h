#pragma once

#include <QApplication>
#include <QObject>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

// Helpers for driving the program's dialogs through their widgets.
//
// Screenshots: every dialog has a "...Look" test. Run with QM_KEEP_OPEN=1 it shows its
// dialog with exec() and waits until it is closed by hand instead of checking it, e.g.
//   shot form2.png --wait "Build Sequential List" -- env QM_KEEP_OPEN=1
//       QT_QPA_PLATFORM=xcb build/tests/ui_tests --gtest_filter='Form2Look.*'
// (shot: /work/shared/tools/shot, a screenshot under a private X server).
namespace DialogTesting
{

inline bool KeepOpen()
{
    return qEnvironmentVariableIntValue("QM_KEEP_OPEN") == 1;
}

// The child with this objectName; fails the test when there is none.
template <typename T> T* Child(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no child named " << name;
    return found;
}

// Shows the window and waits until it has the keyboard focus, so focus changes inside
// it deliver focus-in and focus-out events.
inline bool ShowActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

// Runs `act` on the first modal widget of type T once a nested event loop (exec) shows
// it. Polls from the event loop, so call it right before the exec() that opens the
// window.
template <typename T> void WhenModal(std::function<void(T*)> act, int triesLeft = 500)
{
    QTimer::singleShot(triesLeft == 500 ? 0 : 10, [act, triesLeft] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(w);
            return;
        }
        if (triesLeft > 0) {
            WhenModal<T>(act, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal window of the expected type appeared";
            // Close whatever is open so the test ends instead of waiting for a person.
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
}

} // namespace DialogTesting
