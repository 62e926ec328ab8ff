// The steps of a report action test, over any data fixture: answering the date range dialog,
// capturing what the report window shows, and failing when a report window opens where none is
// expected.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QList>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "report/date_span_form.h"
#include "report/report_document.h"
#include "report/report_form.h"
#include "tests/reports/modal_of.h"
#include "ui/date_box.h"

template <typename Data>
class ReportActionSteps : public Data {
protected:
    // Fails the test and closes the window should a report window open where none is expected.
    void ExpectNoWindow() {
        QObject::connect(&guard_, &QTimer::timeout, [] {
            if (auto* window =
                    qobject_cast<reports::TReportF*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "unexpected window " << window->objectName().toStdString();
                window->close();
            }
        });
        guard_.start(500);
    }

    // Answers the date range dialog with a span, or cancels it.
    static void AnswerSpan(const char* from, const char* to, bool ok = true) {
        onModalOf<reports::TDateSpan>([=](reports::TDateSpan* dialog) {
            dialog->findChild<DateBox*>("MaskEdit1")->setEntryText(from);
            dialog->findChild<DateBox*>("MaskEdit2")->setEntryText(to);
            QTest::mouseClick(dialog->findChild<QPushButton*>(ok ? "BtnOK" : "BtnCancel"),
                              Qt::LeftButton);
        });
    }

    // Records the lines the report window shows, then closes it.
    void CaptureReport() {
        onModalOf<reports::TReportF>([this](reports::TReportF* form) {
            shown_ = reports::TheReport().Lines;
            form->close();
        });
    }

    QTimer guard_;
    reports::ReportLines shown_;
};
