// Corvane: the program starts in its data directory, the current directory.
#include <QApplication>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvane");
    TMain main;
    main.show();
    return app.exec();
}
