// The window tests need an application object; listing the tests (as CTest does at build time) does
// not, and may run where there is no display at all.

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // The expected texts are the English ones, and no window may need a real screen.
    // QDV70_TEST_LOCALE runs them in another one (the editors' metrics in a Japanese locale).
    qputenv("LC_ALL", qEnvironmentVariableIsEmpty("QDV70_TEST_LOCALE") ? QByteArray("C.UTF-8")
                                                                       : qgetenv("QDV70_TEST_LOCALE"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // What the windows remember for the user goes to a folder of the run, not the tester's own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    return RUN_ALL_TESTS();
}
