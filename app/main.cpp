// Corvane: the program works in its data directory, named as its one argument or, without one,
// the directory it is started in. A directory named that does not exist yet, or is empty, starts
// a new business (app/new_business.h).
#include <QApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

#include "app/main_window.h"
#include "app/new_business.h"
#include "core/prompt.h"
#include "ui/prompt_dialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvane");
    prompt::UseDialogs();
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() > 1) {
        std::fprintf(stderr, "usage: corvane [DATA_DIR]\n");
        return 2;
    }
    if (!args.isEmpty()) {
        const NewBusinessStart start = StartNewBusiness(
            args.first(), SuppliedTablesDirectory(QApplication::applicationDirPath()));
        if (start.outcome == NewBusinessStart::Failed) {
            std::fprintf(stderr, "corvane: %s\n", qPrintable(start.message));
            return 2;
        }
        if (start.outcome == NewBusinessStart::Started) prompt::information(nullptr, start.message);
    }
    if (!args.isEmpty() && !QDir::setCurrent(args.first())) {
        std::fprintf(stderr, "corvane: cannot work in %s: no such directory\n",
                     qPrintable(args.first()));
        return 2;
    }
    TMain main;
    main.show();
    return app.exec();
}
