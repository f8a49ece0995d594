// pelm-screenshot-tour DIR: the desktop program in demo mode (its simulated devices), walked
// through its pages by the picture tour, which writes the pictures of the documentation into
// DIR and ends the program (exit code 0 when every picture was saved). A developer tool, not
// part of the package: scripts/screenshots.sh and test_screenshots run it.

#include "ScreenshotTour.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "gui/GuiReporter.h"
#include "common/Reporter.h"
#include "sim/SimBle.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: pelm-screenshot-tour DIR\n");
        return Application::kBadOptionsExitCode;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    // The program's own start, in demo mode.
    std::vector<char *> args{argv[0], const_cast<char *>("--simulate")};
    GuiReporter gui;
    setReporter(&gui);
    const int code =
        Application::runOnce(int(args.size()), args.data(), gui, QString(), [&](MainWindow &window) {
            auto *tour = new ScreenshotTour(&window, dir, QString::fromLatin1(SimBleBackend::kDefaultAddress),
                                            &window);
            QObject::connect(tour, &ScreenshotTour::finished, qApp, &QCoreApplication::exit);
            tour->start();
        });
    setReporter(nullptr);
    return code;
}
