// The main() of every window test: a settings store of this process alone (the file dialogs
// remember their folders there too) and no display needed.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace tessa::testing {

template <typename TestClass> int runWindowTest(int argc, char* argv[])
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestClass test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace tessa::testing

#define TESSA_WINDOW_TEST_MAIN(TestClass)                                                                              \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        return tessa::testing::runWindowTest<TestClass>(argc, argv);                                                   \
    }
