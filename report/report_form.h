// The report window: the one window in which every report is seen. It draws the report document
// centred, with a vertical scroll bar, in the report font (made smaller, down to 8 points, while
// the report is wider than the window); prints the whole document on the current printer, or
// into a PDF file the user names when no printer is installed; saves it as a PDF file through
// the same printing code ("Save as PDF..."); and exports it as plain or tab-delimited text. It
// never changes the document. Documents to customers add "Send by E-mail", whose work their
// caller supplies.
#pragma once

#include <QDialog>
#include <QFont>
#include <functional>

#include "report/page_geometry.h"
#include "report/report_document.h"
#include "report/report_export.h"

class QAction;
class QFrame;
class QMenu;
class QScrollBar;

namespace reports {

// What "Send by E-mail" does, given the report window; without one the window has no such item.
using SendAction = std::function<void(QWidget* window)>;

class TReportF : public QDialog {
    Q_OBJECT
public:
    explicit TReportF(const ReportDocument& doc, QWidget* parent = nullptr, SendAction send = {});

    // The font the window draws in, after fitting the report to the window's width.
    const QFont& ScreenFont() const { return screenFont_; }
    const ScreenGeometry& Geometry() const { return geometry_; }
    int TopLine() const { return topLine_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Page;

    void FormShow();
    void ScrollBar1Change(int position);
    void mExitClick();
    void mPrintClick();
    void AsciiText1Click();
    void TabDelimited1Click();
    void mSavePdfClick();
    void mSendMailClick();

    void PaintPage(QPainter& painter);
    void ComputeGeometry();
    void ExportReport(ExportFormat format);
    // Asks for a file name under `caption` and prints the document into it as PDF.
    void SaveAsPdf(const QString& caption);

    const ReportDocument& doc_;
    QFrame* Bevel1;
    QScrollBar* ScrollBar1;
    QAction* mExit;
    QAction* mPrint;
    QMenu* mExport;
    QAction* AsciiText1;
    QAction* TabDelimited1;
    QAction* mSavePdf;
    QAction* mSendMail = nullptr;
    SendAction send_;
    Page* page_;
    QFont screenFont_;
    ScreenGeometry geometry_;
    int topLine_ = 0;
};

// Shows the document in the report window, modally, with "Send by E-mail" when `send` is given.
void ShowReport(const ReportDocument& doc, QWidget* parent, SendAction send = {});

}  // namespace reports
