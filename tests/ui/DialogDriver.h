#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

namespace qdv::test {

// Runs `action` on the modal dialog of type T as soon as it shows and is active, from inside its event
// loop, as an operator would act on it. A dialog that never shows fails the test after ten seconds.
template <class T> void WhenShown(std::function<void(T&)> action) {
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, action] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || QApplication::activeWindow() != dialog) {
            if (++*ticks > 2000) {
                timer->deleteLater();
                timer->stop();
                ADD_FAILURE() << "dialog " << T::staticMetaObject.className() << " never showed";
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        action(*dialog);
    });
    timer->start();
}

// Shows the window and waits until it is the active one, as the operator meets it.
inline bool ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// Clicks the button of `parent` with that object name.
inline void Click(QWidget& parent, const char* name) {
    auto* button = parent.findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

// Saves the window's picture as `file` for the README and the manual; an empty name saves nothing.
inline void SaveShot(QWidget& w, const QString& file) {
    if (file.isEmpty())
        return;
    QTest::qWait(100);
    EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
}

// With QDV70_SCREENSHOT_DIR set, saves the window there as `name`; run under a real display server:
// QDV70_SCREENSHOT_DIR=docs QT_QPA_PLATFORM=xcb xvfb-run -a build/bin/test_ui --gtest_filter='SetupDialogs.*'
inline void Shot(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("QDV70_SCREENSHOT_DIR");
    SaveShot(w, dir.isEmpty() ? QString() : QDir(dir).filePath(name));
}

} // namespace qdv::test
