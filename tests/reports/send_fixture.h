// A business to send documents of: generated customers (each with a mail address), products and
// invoices in a fresh data directory, the mail test server, the data directory's mail settings
// pointed at it, and readers of the customers, of the sent log and of a PDF file's text.
#pragma once

#include <QFile>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include "db/field_values.h"
#include "db/generator.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/sent_log.h"
#include "mail/mail_settings.h"
#include "report/generator_steps.h"
#include "tests/reports/report_data_fixture.h"
#include "tests/support/mail_server.h"

class SendTest : public ReportDataTest {
protected:
    SendTest() {
        GeneratorCounts counts;
        QString error;
        EXPECT_TRUE(GenerateData({40, 30, 7}, &counts, &error)) << error.toStdString();
    }

    struct Customer {
        int cuno = 0;
        QString email;
        QString first;
        QString last;
    };

    static Customer CustomerNo(int cuno) {
        Customer found;
        EXPECT_TRUE(OpenCustomers());
        for (int rc = CustTbl->top(); rc == xbase::kFound; rc = CustTbl->skip()) {
            ReadCustomer();
            if (CustBuf.cuno == cuno)
                found = {cuno, CustBuf.email.trimmed(), CustBuf.first.trimmed(),
                         CustBuf.last.trimmed()};
        }
        reports::CloseReportTables();
        return found;
    }

    // The first `count` invoices of as many different customers, with their customers.
    static std::vector<std::pair<int, Customer>> InvoicesOfDifferentCustomers(int count) {
        std::vector<std::pair<int, int>> invoices;
        QList<int> customers;
        EXPECT_TRUE(OpenInvoices());
        for (int rc = InvTbl->top(); rc == xbase::kFound && invoices.size() < size_t(count);
             rc = InvTbl->skip()) {
            ReadInvoice();
            if (customers.contains(InvBuf.CuNo)) continue;
            customers << InvBuf.CuNo;
            invoices.emplace_back(InvBuf.IvNo, InvBuf.CuNo);
        }
        reports::CloseReportTables();
        std::vector<std::pair<int, Customer>> out;
        for (const auto& [invoice, cuno] : invoices) out.emplace_back(invoice, CustomerNo(cuno));
        return out;
    }

    static void SetEmail(int cuno, const QString& email) {
        ASSERT_TRUE(OpenCustomers());
        for (int rc = CustTbl->top(); rc == xbase::kFound; rc = CustTbl->skip()) {
            ReadCustomer();
            if (CustBuf.cuno != cuno) continue;
            CustBuf.email = email;
            WriteCustomer();
        }
        reports::CloseReportTables();
    }

    // Starts the server and stores mail settings for it: its port and security, its certificate
    // trusted, the user, and the sender.
    void StartServer(const MailTestServer::Options& options) {
        ASSERT_TRUE(server_.Start(options)) << server_.error().toStdString();
        MailSettings settings;
        settings.server = QStringLiteral("127.0.0.1");
        settings.port = server_.port();
        settings.security = options.security == MailTestServer::Security::None ? MailSecurity::None
                            : options.security == MailTestServer::Security::StartTls
                                ? MailSecurity::StartTls
                                : MailSecurity::Tls;
        settings.trustedCertificate = server_.certificateFile();
        settings.user = options.user;
        settings.senderName = QStringLiteral("Front Office");
        settings.senderAddress = QStringLiteral("office@corvane.test");
        QString error;
        ASSERT_TRUE(StoreMailSettings(settings, &error)) << error.toStdString();
    }

    static std::vector<SentEntry> SentLog() {
        std::vector<SentEntry> log;
        EXPECT_TRUE(ReadSentLog(&log));
        return log;
    }

    static QString PdfText(const QByteArray& pdf) {
        QTemporaryDir dir;
        QFile file(dir.filePath("attached.pdf"));
        if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) return {};
        file.close();
        QProcess process;
        process.start("pdftotext", {"-layout", file.fileName(), "-"});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    MailTestServer server_;
};
