#include "report/report_form.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/prompt.h"
#include "db/data_directory.h"
#include "report/draw_plan.h"
#include "report/print_target.h"
#include "report/report_painter.h"
#include "ui/form_parts.h"

namespace reports {

// The area under the menu in which the lines are drawn; the wheel scrolls it.
class TReportF::Page : public QWidget {
public:
    explicit Page(TReportF* form) : QWidget(form), form_(form) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setObjectName(QStringLiteral("Page"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        form_->PaintPage(painter);
    }
    void wheelEvent(QWheelEvent* event) override {
        if (form_->ScrollBar1->isEnabled()) QCoreApplication::sendEvent(form_->ScrollBar1, event);
    }

private:
    TReportF* form_;
};

namespace {

// Asks for a file to save to; the dialog may change the current directory, which holds the
// data files, so it is put back. Nothing when the user cancelled.
std::optional<QString> AskSaveName(QWidget* parent, const QString& caption, const QString& filter) {
    const QString dataDir = QDir::currentPath();
    const std::optional<QString> chosen = prompt::saveFileName(parent, caption, {}, filter);
    QDir::setCurrent(dataDir);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    return chosen;
}

}  // namespace

TReportF::TReportF(const ReportDocument& doc, QWidget* parent, SendAction send)
    : QDialog(parent), doc_(doc), send_(std::move(send)) {
    setObjectName(QStringLiteral("TReportF"));
    setWindowTitle(QStringLiteral("Report"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto* menu = new QMenuBar(this);
    menu->setObjectName(QStringLiteral("MainMenu1"));
    mExit = menu->addAction(QStringLiteral("E&xit"));
    mExit->setObjectName(QStringLiteral("mExit"));
    mPrint = menu->addAction(QStringLiteral("Print"));
    mPrint->setObjectName(QStringLiteral("mPrint"));
    mExport = menu->addMenu(QStringLiteral("&Export"));
    mExport->setObjectName(QStringLiteral("mExport"));
    AsciiText1 = mExport->addAction(QStringLiteral("Ascii &Text"));
    AsciiText1->setObjectName(QStringLiteral("AsciiText1"));
    TabDelimited1 = mExport->addAction(QStringLiteral("Tab &Delimited"));
    TabDelimited1->setObjectName(QStringLiteral("TabDelimited1"));
    mSavePdf = menu->addAction(QStringLiteral("Save as PDF..."));
    mSavePdf->setObjectName(QStringLiteral("mSavePdf"));
    if (send_) {
        mSendMail = menu->addAction(QStringLiteral("Send by E-mail"));
        mSendMail->setObjectName(QStringLiteral("mSendMail"));
        connect(mSendMail, &QAction::triggered, this, &TReportF::mSendMailClick);
    }

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Plain);
    Bevel1->setFixedHeight(1);

    page_ = new Page(this);
    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(page_, 1);
    body->addWidget(ScrollBar1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu);
    layout->addWidget(Bevel1);
    layout->addLayout(body, 1);
    FitToTitle(this);

    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TReportF::ScrollBar1Change);
    connect(mExit, &QAction::triggered, this, &TReportF::mExitClick);
    connect(mPrint, &QAction::triggered, this, &TReportF::mPrintClick);
    connect(AsciiText1, &QAction::triggered, this, &TReportF::AsciiText1Click);
    connect(TabDelimited1, &QAction::triggered, this, &TReportF::TabDelimited1Click);
    connect(mSavePdf, &QAction::triggered, this, &TReportF::mSavePdfClick);
    // Escape closes the window as Exit does, wherever the focus is (the menu bar included).
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TReportF::mExitClick);
}

void TReportF::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TReportF::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ComputeGeometry();
}

void TReportF::keyPressEvent(QKeyEvent* event) {
    static const std::pair<int, QAbstractSlider::SliderAction> keys[] = {
        {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
        {Qt::Key_End, QAbstractSlider::SliderToMaximum}};
    for (const auto& [key, action] : keys) {
        if (event->key() == key) {
            if (ScrollBar1->isEnabled()) ScrollBar1->triggerAction(action);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void TReportF::FormShow() {
    setWindowState(windowState() | Qt::WindowMaximized);
    topLine_ = 0;
    ScrollBar1->setValue(0);
    ComputeGeometry();
}

void TReportF::ComputeGeometry() {
    QFont font = CurrentReportFont();
    const int usableWidth = page_->width();
    const int points =
        FitScreenFontSize(PointSizeOf(font), usableWidth, doc_.RptWidth, [&](int size) {
            QFont sized = font;
            sized.setPointSize(size);
            return QFontMetrics(sized).horizontalAdvance(u'B');
        });
    font.setPointSize(points);
    screenFont_ = font;
    const QFontMetrics metrics(font);
    geometry_ = ComputeScreenGeometry(usableWidth + ScrollBar1->width(), page_->height(),
                                      ScrollBar1->width(), 0, metrics.horizontalAdvance(u'B'),
                                      metrics.height(), doc_.RptWidth);
    geometry_.dpiX = logicalDpiX();
    geometry_.dpiY = logicalDpiY();
    const ScrollSettings scroll =
        ScrollFor(static_cast<int>(doc_.Lines.size()), geometry_.visibleLines);
    ScrollBar1->setRange(0, scroll.maximum);
    ScrollBar1->setPageStep(std::max(1, scroll.largeChange));
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setEnabled(scroll.enabled);
    topLine_ = ScrollBar1->value();
    page_->update();
}

void TReportF::ScrollBar1Change(int position) {
    topLine_ = position;
    page_->update();
}

void TReportF::PaintPage(QPainter& painter) {
    painter.fillRect(page_->rect(), Qt::white);
    const QFontMetrics metrics(screenFont_);
    QFont bold = screenFont_;
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold);
    const DrawList plan = PlanScreen(
        doc_, geometry_, topLine_,
        [&](const QString& text, bool isBold) {
            return (isBold ? boldMetrics : metrics).horizontalAdvance(text);
        },
        [](const QString& fileName) -> std::optional<QSize> {
            const QSize size = QImageReader(fileName).size();
            if (!size.isValid()) return std::nullopt;
            return size;
        });
    painter.setPen(Qt::black);
    DrawPlan(painter, plan, screenFont_, 1);
}

void TReportF::mExitClick() {
    accept();
}

void TReportF::mPrintClick() {
    const QFont font = CurrentReportFont();
    if (PrinterInstalled()) {
        QPrinter& printer = CurrentReportPrinter();
        printer.setDocName(doc_.Titles.value(0));
        if (!PrintDocument(doc_, printer, font))
            prompt::information(this, "Unable to print on " + printer.printerName());
        return;
    }
    SaveAsPdf(QStringLiteral("Print to PDF File"));
}

void TReportF::mSavePdfClick() {
    SaveAsPdf(QStringLiteral("Save as PDF"));
}

void TReportF::mSendMailClick() {
    send_(this);
}

void TReportF::SaveAsPdf(const QString& caption) {
    const std::optional<QString> chosen =
        AskSaveName(this, caption, QStringLiteral("PDF files (*.pdf)"));
    if (!chosen) return;
    const QString fileName =
        QFileInfo(*chosen).suffix().isEmpty() ? *chosen + QStringLiteral(".pdf") : *chosen;
    if (IsDataDirectoryFile(fileName)) {
        prompt::information(this, DataFileOutputMessage(fileName));
        return;
    }
    const ExportResult result = PrintToPdf(doc_, fileName, CurrentReportFont());
    if (!result.saved) prompt::information(this, result.message);
}

void TReportF::AsciiText1Click() {
    ExportReport(ExportFormat::PlainText);
}

void TReportF::TabDelimited1Click() {
    ExportReport(ExportFormat::TabDelimited);
}

void TReportF::ExportReport(ExportFormat format) {
    const std::optional<QString> chosen =
        AskSaveName(this, QStringLiteral("Export Report"), ExportFilter(format));
    if (!chosen) return;
    const QString fileName = ExportFileName(*chosen, format);
    if (IsDataDirectoryFile(fileName)) {
        prompt::information(this, DataFileOutputMessage(fileName));
        return;
    }
    const ExportResult result = SaveReport(doc_, fileName, format);
    if (!result.saved) prompt::information(this, result.message);
}

void ShowReport(const ReportDocument& doc, QWidget* parent, SendAction send) {
    TReportF form(doc, parent, std::move(send));
    form.exec();
}

}  // namespace reports
