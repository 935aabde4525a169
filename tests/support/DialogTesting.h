#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>

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

// The text of the label or button with this objectName.
inline QString Caption(const QObject& parent, const char* name)
{
    const QObject* found = parent.findChild<QObject*>(QString::fromLatin1(name));
    if (const auto* label = qobject_cast<const QLabel*>(found))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(found))
        return button->text();
    ADD_FAILURE() << "no label or button named " << name;
    return {};
}

// A "...Look" test's checks: the title, each named label's or button's caption, the
// default button (none: no check), and a frame that neither resizes nor minimises.
inline void ExpectFixedDialog(const QWidget& dialog, const char* title,
    std::initializer_list<std::pair<const char*, const char*>> captions, const char* defaultButton)
{
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(title));
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(Caption(dialog, name), QString::fromUtf8(caption)) << name;
    const auto* button = defaultButton ? Child<QPushButton>(dialog, defaultButton) : nullptr;
    if (button) {
        EXPECT_TRUE(button->isDefault()) << defaultButton;
    }
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
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
