// Writes the program's icon as a PNG file of 256 pixels square, for the desktop entry that
// tools/install-desktop.sh installs. The icon is the one the main window shows, drawn at that
// size.
// Usage: program-icon FILE.png
#include <QBuffer>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

#include "ui/pictures.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: program-icon FILE.png\n", stderr);
        return 2;
    }
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!RenderPicture(Picture::Program, 256).save(&png, "PNG")) {
        std::fputs("program-icon: the icon could not be drawn\n", stderr);
        return 1;
    }
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(png.data()) != png.data().size() ||
        !file.flush() || !file.commit()) {
        std::fprintf(stderr, "program-icon: cannot write %s: %s\n", argv[1],
                     qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
