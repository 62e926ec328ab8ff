// Puts a sample letterhead into the settings of a data directory, as the stationery dialog
// would: a company name and address, a logo with its printed size, the justification and the
// labels of the two charges. Used to print documents to look at.
// Usage: sample-letterhead DIR LOGO-FILE [JUSTIFY]   (JUSTIFY 1 left, 2 centre, 3 right)
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "db/program_state.h"
#include "db/settings.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: sample-letterhead DIR LOGO-FILE [JUSTIFY]\n", stderr);
        return 2;
    }
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "sample-letterhead: no directory %s\n", argv[1]);
        return 1;
    }
    InitDbContext();
    if (!LoadSettings()) return 1;
    SettingsValues& s = SettingsRecord;
    s.Company = "Harbor Lane Hardware";
    s.Addr1 = "210 Harbor Lane";
    s.Addr2 = "Port Ellis, ME 04101";
    s.Addr3 = "Phone (207) 555-0142";
    s.Addr4 = "";
    s.LogoFile = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    s.LogoHeight = 0.75;
    s.LogoWidth = 1.5;
    s.TopMargin = 0;
    s.LHJustify = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 2;
    s.ShipLine = "Shipping";
    s.TaxLine = "Sales Tax";
    QString error;
    if (!StoreSettings(&error)) {
        std::fprintf(stderr, "sample-letterhead: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
