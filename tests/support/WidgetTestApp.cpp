#include "support/WidgetTestApp.h"

#include <QApplication>

namespace corvane::test {

namespace {

// Ends the application after the last test, so that its fonts and caches are released and
// a leak checker sees only real leaks.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void TearDown() override { delete QCoreApplication::instance(); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

QApplication& WidgetApp() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *app;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "corvane_tests";
    static char* argv[] = {name, nullptr};
    return *new QApplication(argc, argv);
}

}  // namespace corvane::test
