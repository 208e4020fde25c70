// main() for widget tests: one QApplication for the whole test program.
#include <gtest/gtest.h>

#include <QApplication>

#include "speech/quickexit.h"

int main(int argc, char** argv) {
    // Widget tests need no screen; without this, listing the tests would need a display too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int status;
    {
        QApplication app(argc, argv);
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    vernalo::ExitSkippingAudioTeardown(status);
}
