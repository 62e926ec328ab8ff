// corvane-admin send run as a process against the mail test server: what the customers receive
// (recipient, subject, body and the PDF of their own document), what a refusal, a wrong password
// and a server that drops the message do to the sent log, that a second run sends nothing twice,
// that a dry run only writes .eml files, that without the mail module nothing is sent, and that
// the password is written nowhere.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <algorithm>

#include "core/dates.h"
#include "mail/mail_module_loader.h"
#include "mail/mail_password.h"
#include "reports/reminder_letters.h"
#include "tests/reports/send_fixture.h"

namespace {

struct AdminRun {
    int status = -1;
    QString output;
    QString errors;
    QString LastLine() const { return output.trimmed().split(u'\n').last(); }
};

class SendCommandTest : public SendTest {
protected:
    AdminRun Admin(const QStringList& args, const QMap<QString, QString>& env = {},
                   const QString& program = CORVANE_ADMIN) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove(kPasswordVariable);
        environment.insert("LC_ALL", "en_US.UTF-8");
        for (auto it = env.begin(); it != env.end(); ++it) environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QDir::currentPath());
        process.start(program, args);
        AdminRun run;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.status = process.exitCode();
        run.output = QString::fromUtf8(process.readAllStandardOutput());
        run.errors = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    static QStringList Numbers(const std::vector<std::pair<int, Customer>>& invoices) {
        QStringList numbers;
        for (const auto& invoice : invoices) numbers << QString::number(invoice.first);
        return numbers;
    }

    static int SentCount(const std::vector<SentEntry>& log) {
        return static_cast<int>(
            std::count_if(log.begin(), log.end(), [](const SentEntry& e) { return e.Sent(); }));
    }

    // A server that asks for STARTTLS and the clerk's log-in with `password`; the command that
    // sends it `invoices`.
    QStringList StartLogInServer(const QString& password,
                                 const std::vector<std::pair<int, Customer>>& invoices) {
        MailTestServer::Options options;
        options.security = MailTestServer::Security::StartTls;
        options.user = "clerk";
        options.password = password;
        StartServer(options);
        return {"send", "invoices", "--invoices", Numbers(invoices).join(u',')};
    }

    QTemporaryDir out_;
};

TEST_F(SendCommandTest, EachCustomerGetsItsOwnInvoiceOnceAndOneWithoutAddressIsListed) {
    const auto invoices = InvoicesOfDifferentCustomers(3);
    ASSERT_EQ(invoices.size(), 3u);
    SetEmail(invoices[2].second.cuno, {});
    StartServer({});
    const QStringList args = {"send", "invoices", "--invoices", Numbers(invoices).join(u',')};

    const AdminRun run = Admin(args);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(run.LastLine().toStdString(), "2 sent, 0 refused, 1 skipped (no address)");
    EXPECT_TRUE(run.output.contains("invoice " + QString::number(invoices[2].first)))
        << run.output.toStdString();
    const std::vector<ReceivedMail> received = server_.Received();
    ASSERT_EQ(received.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const auto& [number, customer] = invoices[i];
        const ReceivedMail& mail = received[i];
        EXPECT_EQ(mail.recipients, QStringList{customer.email});
        EXPECT_EQ(mail.from, "office@corvane.test");
        EXPECT_TRUE(mail.subject.startsWith("Invoice " + QString::number(number) + " from"))
            << mail.subject.toStdString();
        EXPECT_TRUE(mail.body.startsWith("Dear " + customer.first + ' ' + customer.last + ','))
            << mail.body.toStdString();
        EXPECT_TRUE(mail.defects.isEmpty()) << mail.defects.join(", ").toStdString();
        ASSERT_EQ(mail.attachments.size(), 1u);
        EXPECT_EQ(mail.attachments[0].name, "Invoice " + QString::number(number) + ".pdf");
        const QString text = PdfText(mail.attachments[0].data);
        EXPECT_TRUE(
            text.contains(QRegularExpression("Invoice No:\\s+" + QString::number(number) + "\\b")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(customer.last)) << text.toStdString();
        // One document per message: no other invoice's page rides along.
        EXPECT_EQ(text.count("Invoice No:"), 1);
    }
    std::vector<SentEntry> log = SentLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].number, QString::number(invoices[0].first));
    EXPECT_EQ(log[0].address, invoices[0].second.email);
    EXPECT_EQ("<" + log[0].messageId + ">", received[0].messageId);
    EXPECT_EQ(SentCount(log), 2);

    const AdminRun again = Admin(args);
    EXPECT_EQ(again.status, 0) << again.errors.toStdString();
    EXPECT_EQ(again.LastLine().toStdString(),
              "0 sent, 0 refused, 1 skipped (no address), 2 sent before");
    EXPECT_EQ(server_.Received().size(), 2u);

    const AdminRun resent = Admin(args + QStringList{"--resend"});
    EXPECT_EQ(resent.LastLine().toStdString(), "2 sent, 0 refused, 1 skipped (no address)");
    EXPECT_EQ(server_.Received().size(), 4u);
}

TEST_F(SendCommandTest, ARefusedRecipientIsToldAndOnlyItIsTriedAgain) {
    const auto invoices = InvoicesOfDifferentCustomers(2);
    ASSERT_EQ(invoices.size(), 2u);
    MailTestServer::Options options;
    options.refuse = invoices[0].second.email;
    StartServer(options);
    const QStringList args = {"send", "invoices", "--invoices", Numbers(invoices).join(u',')};

    const AdminRun run = Admin(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.output.contains("refused: ") && run.output.contains("no such mailbox"))
        << run.output.toStdString();
    EXPECT_EQ(run.LastLine().toStdString(), "1 sent, 1 refused, 0 skipped (no address)");
    ASSERT_EQ(server_.Received().size(), 1u);
    EXPECT_EQ(server_.Received()[0].recipients, QStringList{invoices[1].second.email});
    const std::vector<SentEntry> log = SentLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].result.startsWith("refused: ")) << log[0].result.toStdString();
    EXPECT_EQ(SentCount(log), 1);

    const AdminRun again = Admin(args);
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.LastLine().toStdString(),
              "0 sent, 1 refused, 0 skipped (no address), 1 sent before");
    EXPECT_EQ(server_.Received().size(), 1u);

    // The Messages Sent report lists all three tries.
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const AdminRun report =
        Admin({"report", "sent-log", "--from", today, "--to", today, "--text", "-"});
    EXPECT_EQ(report.status, 0) << report.errors.toStdString();
    const QRegularExpression refusedLine("^.*invoice " + QString::number(invoices[0].first) + " +" +
                                             QRegularExpression::escape(invoices[0].second.email) +
                                             " +refused$",
                                         QRegularExpression::MultilineOption);
    int refusedLines = 0;
    for (auto it = refusedLine.globalMatch(report.output); it.hasNext(); it.next()) ++refusedLines;
    EXPECT_EQ(refusedLines, 2) << report.output.toStdString();
    EXPECT_TRUE(report.output.contains(QRegularExpression("Total +1 sent, 2 refused")))
        << report.output.toStdString();
}

TEST_F(SendCommandTest, OnlyTheReminderLettersSentAreRecordedAsSent) {
    const auto letters = [] {
        std::vector<std::pair<int, Customer>> customers;
        reports::ReminderRun run;
        EXPECT_TRUE(reports::FindReminders(DateValue(QDate::currentDate()), &run));
        for (const reports::ReminderLetter& letter : run.letters)
            customers.emplace_back(letter.customer, CustomerNo(letter.customer));
        return customers;
    }();
    ASSERT_GE(letters.size(), 2u);
    MailTestServer::Options options;
    options.refuse = letters[0].second.email;
    StartServer(options);

    const AdminRun run = Admin({"send", "reminders"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.LastLine(),
              QString("%1 sent, 1 refused, 0 skipped (no address)").arg(letters.size() - 1));
    reports::ReminderRun after;
    ASSERT_TRUE(reports::FindReminders(DateValue(QDate::currentDate()), &after));
    ASSERT_EQ(after.letters.size(), 1u);
    EXPECT_EQ(after.letters[0].customer, letters[0].first);
}

TEST_F(SendCommandTest, NothingIsSentWhenTheSentLogCannotBeOpened) {
    const auto invoices = InvoicesOfDifferentCustomers(1);
    StartServer({});
    QFile log(QDir::current().filePath("SentLog.dbf"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(log.write("not a table"), 11);
    log.close();
    const AdminRun run =
        Admin({"send", "invoices", "--invoices", Numbers(invoices).join(u','), "--resend"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.errors.contains("SentLog")) << run.errors.toStdString();
    EXPECT_TRUE(server_.Received().empty());
}

TEST_F(SendCommandTest, BadOptionsAreToldWithTheUsage) {
    const QStringList bad[] = {
        {"send", "sales-summary"},
        {"send", "invoices", "--security", "ssl"},
        {"send", "invoices", "--server", "host:99999"},
        {"send", "invoices", "--sender", "Front Office"},
        {"send", "invoices", "--pdf", "out.pdf"},
        {"send", "statements", "--dry-run"},
    };
    for (const QStringList& args : bad) {
        const AdminRun run = Admin(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.errors.contains("corvane-admin [-C DIR] send")) << run.errors.toStdString();
    }
    EXPECT_TRUE(SentLog().empty());
}

TEST_F(SendCommandTest, AWrongPasswordOrAServerThatDropsTheMessageRecordsNothingAsSent) {
    const auto invoices = InvoicesOfDifferentCustomers(2);
    const QString password = "right-horse-battery";
    const QStringList args = StartLogInServer(password, invoices);

    const AdminRun wrong = Admin(args, {{kPasswordVariable, "wrong-horse"}});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(wrong.output.contains("refused the log-in of user clerk"))
        << wrong.output.toStdString();
    EXPECT_TRUE(wrong.errors.contains("Sending stopped")) << wrong.errors.toStdString();
    EXPECT_EQ(SentCount(SentLog()), 0);
    EXPECT_TRUE(server_.Received().empty());

    const AdminRun right = Admin(args, {{kPasswordVariable, password}});
    EXPECT_EQ(right.status, 0) << right.output.toStdString() << right.errors.toStdString();
    EXPECT_EQ(server_.Received().size(), 2u);

    MailTestServer dropping;
    MailTestServer::Options drop;
    drop.behaviour = MailTestServer::Behaviour::CloseInData;
    ASSERT_TRUE(dropping.Start(drop)) << dropping.error().toStdString();
    const AdminRun dropped = Admin({"send", "bills", "--invoices", Numbers(invoices).join(u','),
                                    "--server", "127.0.0.1:" + QString::number(dropping.port()),
                                    "--security", "none", "--user", "", "--resend"});
    EXPECT_EQ(dropped.status, 1);
    EXPECT_TRUE(dropped.output.contains("closed the connection before it took the message"))
        << dropped.output.toStdString();
    int bills = 0;
    for (const SentEntry& entry : SentLog()) {
        if (entry.kind != "bill") continue;
        ++bills;
        EXPECT_FALSE(entry.Sent()) << entry.result.toStdString();
        // A bill is of its day: next month's is another document.
        EXPECT_TRUE(entry.number.endsWith(QDate::currentDate().toString("-yyyyMMdd")))
            << entry.number.toStdString();
    }
    EXPECT_GT(bills, 0);
}

TEST_F(SendCommandTest, WithoutTheMailModuleNothingIsSentAndTheReasonNamesItsFile) {
    const auto invoices = InvoicesOfDifferentCustomers(2);
    StartServer({});
    const QStringList args = {"send", "invoices", "--invoices", Numbers(invoices).join(u',')};
    const QString missing = out_.filePath("corvane-mail.so");

    const AdminRun without = Admin(args, {{kMailModuleVariable, missing}});
    EXPECT_EQ(without.status, 1);
    EXPECT_TRUE(without.output.contains("The mail module " + missing + " could not be loaded"))
        << without.output.toStdString();
    EXPECT_TRUE(without.errors.contains("Sending stopped")) << without.errors.toStdString();
    EXPECT_EQ(SentCount(SentLog()), 0);
    EXPECT_TRUE(server_.Received().empty());

    // Unnamed, it is looked for beside the program, then in lib/corvane beside the program's
    // folder, as installed.
    const QString bin = out_.filePath("installed/bin");
    ASSERT_TRUE(QDir().mkpath(bin) && QFile::copy(CORVANE_ADMIN, bin + "/corvane-admin"));
    const AdminRun lost = Admin(args, {{kMailModuleVariable, ""}}, bin + "/corvane-admin");
    EXPECT_EQ(lost.status, 1);
    EXPECT_TRUE(
        lost.output.contains("The mail module corvane-mail.so could not be found beside the "
                             "program (" +
                             bin + ") nor in " + out_.filePath("installed/lib/corvane") + "."))
        << lost.output.toStdString();
    EXPECT_TRUE(server_.Received().empty());
    const QString lib = out_.filePath("installed/lib/corvane");
    ASSERT_TRUE(QDir().mkpath(lib) &&
                QFile::copy(qEnvironmentVariable(kMailModuleVariable), lib + "/corvane-mail.so"));
    const AdminRun installed = Admin(args, {{kMailModuleVariable, ""}}, bin + "/corvane-admin");
    EXPECT_EQ(installed.status, 0) << installed.output.toStdString();
    EXPECT_EQ(server_.Received().size(), 2u);

    // Beside the program, as built, it is found first.
    const AdminRun beside = Admin(args + QStringList{"--resend"}, {{kMailModuleVariable, ""}});
    EXPECT_EQ(beside.status, 0) << beside.output.toStdString() << beside.errors.toStdString();
    EXPECT_EQ(server_.Received().size(), 4u);
}

TEST_F(SendCommandTest, ADryRunWritesEachStatementAsAnEmlFileAndSendsNothing) {
    const auto invoices = InvoicesOfDifferentCustomers(2);
    StartServer({});
    const QString customers =
        QString::number(invoices[0].second.cuno) + u',' + QString::number(invoices[1].second.cuno);
    const AdminRun run =
        Admin({"send", "statements", "--customers", customers, "--dry-run", out_.filePath("eml")});
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(run.LastLine().toStdString(), "2 written, 0 sent, 0 refused, 0 skipped (no address)");
    const QStringList files = QDir(out_.filePath("eml")).entryList({"*.eml"}, QDir::Files);
    ASSERT_EQ(files.size(), 2);
    const QString today = QDate::currentDate().toString("yyyyMMdd");
    EXPECT_TRUE(
        files.contains(QString("statement-%1-%2.eml").arg(invoices[0].second.cuno).arg(today)))
        << files.join(", ").toStdString();
    QFile eml(out_.filePath("eml/" + files[0]));
    ASSERT_TRUE(eml.open(QIODevice::ReadOnly));
    const QByteArray bytes = eml.readAll();
    EXPECT_TRUE(bytes.contains("Subject: Statement of your account"));
    EXPECT_TRUE(bytes.contains("application/pdf"));
    EXPECT_TRUE(server_.Received().empty());
    EXPECT_TRUE(SentLog().empty());
}

// Every file under `dir` that holds `secret`.
QStringList FilesHolding(const QString& dir, const QByteArray& secret) {
    QStringList holding;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(secret))
            holding << file.fileName();
    }
    return holding;
}

TEST_F(SendCommandTest, ThePasswordIsWrittenToNoDataFileBackupMessageOrOutput) {
    const auto invoices = InvoicesOfDifferentCustomers(1);
    const QString password = "Pw-fig-7391-quince";
    const QStringList args = StartLogInServer(password, invoices);
    QString said;

    // From the environment.
    AdminRun run = Admin(args, {{kPasswordVariable, password}});
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    said += run.output + run.errors;
    run = Admin(args + QStringList{"--dry-run", out_.filePath("eml")},
                {{kPasswordVariable, password}});
    said += run.output + run.errors;

    // From the user's file, with no secret store to answer.
    const QString config = out_.filePath("config");
    const QMap<QString, QString> noStore = {{"XDG_CONFIG_HOME", config},
                                            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"}};
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    MailSettings settings;
    QString error;
    ASSERT_TRUE(LoadMailSettings(&settings, &error)) << error.toStdString();
    ASSERT_TRUE(StoreMailPassword(settings, password, &error)) << error.toStdString();
    run = Admin(args + QStringList{"--resend"}, noStore);
    EXPECT_EQ(run.status, 0) << run.output.toStdString() << run.errors.toStdString();
    said += run.output + run.errors;
    EXPECT_EQ(server_.Received().size(), 2u);

    run = Admin({"backup", out_.filePath("backup")});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    // Neither as typed nor as the user's file keeps it (base64).
    const QByteArray secret = password.toUtf8();
    for (const QByteArray& form : {secret, secret.toBase64()}) {
        EXPECT_EQ(FilesHolding(QDir::currentPath(), form), QStringList());
        EXPECT_EQ(FilesHolding(out_.filePath("backup"), form), QStringList());
        EXPECT_EQ(FilesHolding(out_.filePath("eml"), form), QStringList());
        EXPECT_FALSE(said.toUtf8().contains(form));
    }
    // The user's file holds it, readable by the user alone.
    EXPECT_EQ(FilesHolding(config, secret.toBase64()).size(), 1);
    EXPECT_EQ(QFile(MailPasswordFile()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

}  // namespace
