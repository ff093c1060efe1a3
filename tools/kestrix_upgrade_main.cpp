#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "gui/upgrade_runner.h"

int main(int argc, char** argv) {
    // The toolkit takes its own options (such as -platform) out of argv first.
    QApplication application(argc, argv);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kestrix::gui::RunUpgrade(arguments, std::cout, std::cerr);
}
