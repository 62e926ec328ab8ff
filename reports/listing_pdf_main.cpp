// product-listing-pdf: prints the product listing of a data directory into a PDF file, with the
// report window's printing code and the settings' report font, as a sample of printed output.
//   product-listing-pdf [-C DIR] FILE.pdf
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/entry/prompt.h"
#include "db/maintenance.h"
#include "db/program_state.h"
#include "db/settings.h"
#include "reports/print_target.h"
#include "reports/product_listing.h"
#include "reports/report_painter.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool withDir = args.size() == 3 && args[0] == "-C";
    if (args.size() != (withDir ? 3 : 1)) {
        std::fputs("usage: product-listing-pdf [-C DIR] FILE.pdf\n", stderr);
        return 2;
    }
    const QString pdfName = QDir::current().absoluteFilePath(args.last());
    if (withDir && !QDir::setCurrent(args[1])) {
        std::fprintf(stderr, "product-listing-pdf: no directory %s\n", qPrintable(args[1]));
        return 1;
    }
    prompt::setHandler([](const prompt::Request& request) {
        std::fprintf(stderr, "product-listing-pdf: %s\n", qPrintable(request.text));
        return prompt::Reply{true, {}};
    });
    InitDbContext();
    if (!RebuildIndexes(true) || !LoadSettings()) return 1;
    reports::ReportDocument& doc = reports::TheReport();
    if (!reports::MakeProductListing(doc)) {
        std::fputs("product-listing-pdf: no products\n", stderr);
        return 1;
    }
    const reports::ExportResult result =
        reports::PrintToPdf(doc, pdfName, reports::CurrentReportFont());
    if (!result.saved) {
        std::fprintf(stderr, "product-listing-pdf: %s\n", qPrintable(result.message));
        return 1;
    }
    return 0;
}
