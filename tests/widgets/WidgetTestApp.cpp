#include "widgets/WidgetTestApp.h"

#include <QApplication>

namespace corvane::test {

QApplication& WidgetApp() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *app;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "widgets_tests";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends; the tests share it.
    return *new QApplication(argc, argv);
}

}  // namespace corvane::test
