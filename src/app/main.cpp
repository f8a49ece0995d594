// The desktop program: starts the application, and starts it again when the main window
// asks for a restart (after a change of language).

#include "app/Application.h"
#include "gui/GuiReporter.h"
#include "common/Reporter.h"

int main(int argc, char *argv[])
{
    GuiReporter gui;
    setReporter(&gui);
    const int code = Application::runWithRestart([&] { return Application::runOnce(argc, argv, gui); });
    setReporter(nullptr);
    return code;
}
