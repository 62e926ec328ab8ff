// Label runs over the hand-made business of the sales reports, with label stocks added through
// the program's own write operations.
#pragma once

#include <sys/resource.h>

#include <QProcess>
#include <csignal>

#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"
#include "tests/reports/sales_data_fixture.h"

class LabelDataTest : public SalesDataTest {
protected:
    // Three across on Letter: labels of 189 x 72 points, 9 apart, from 36 down and 13.5 in.
    static LabelRecord ThreeAcross(const QString& name) {
        LabelRecord s;
        s.Name = name;
        s.TopM = 36;
        s.LeftM = 13.5;
        s.BottomM = 36;
        s.Width = 189;
        s.Height = 72;
        s.HGap = 9;
        s.NAcross = 3;
        return s;
    }

    // The text pdftotext finds inside the label at `row`, `column` (1 on) of page `page` of the
    // three-across stock, on Letter paper measured in points; each line with its runs of blanks
    // made one (as pdftotext lays text out), lines joined by '|'.
    static QString Cell(const QString& pdf, int page, int row, int column) {
        const int x = static_cast<int>(13.5 + (column - 1) * (189 + 9));
        const int y = 36 + (row - 1) * 72;
        QProcess process;
        process.start("pdftotext",
                      {"-r", "72", "-f", QString::number(page), "-l", QString::number(page), "-x",
                       QString::number(x), "-y", QString::number(y), "-W", "189", "-H", "72",
                       "-layout", pdf, "-"});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) return "<pdftotext>";
        QStringList lines;
        for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
            if (!line.simplified().isEmpty()) lines << line.simplified();
        return lines.join(u'|');
    }

    static void AddStock(const LabelRecord& stock) {
        ASSERT_TRUE(OpenLabels());
        LabBuf = stock;
        LabTbl->appendBlank();
        WriteLabel();
        reports::CloseReportTables();
    }
};

// While it lives, no file of this process may grow beyond `bytes`: a write past that fails as
// on a full disk (the signal such a write raises is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousSignal_)(int) = nullptr;
};
