// The mail module missing or broken: no message goes out and the reason names the module's file;
// the password lookup says why the secret store cannot be read, the password file still serves,
// and forgetting a password says the secret store was not asked.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "mail/mail_message.h"
#include "mail/mail_module_loader.h"
#include "mail/mail_password.h"
#include "mail/mail_settings.h"
#include "mail/smtp_session.h"

namespace {

class MailModuleTest : public ::testing::Test {
protected:
    MailModuleTest() : real_(qgetenv(kMailModuleVariable)) {
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        qunsetenv(kPasswordVariable);
        settings_.server = "127.0.0.1";
        settings_.port = 1;
        settings_.security = MailSecurity::None;
        settings_.user = "accounts";
        settings_.senderAddress = "office@corvane.test";
        message_.senderAddress = settings_.senderAddress;
        message_.to = {"customer@corvane.test"};
        message_.subject = "Invoice";
        message_.body = "Dear customer,";
    }
    ~MailModuleTest() override { qputenv(kMailModuleVariable, real_); }

    // Points the loader at `name` in an otherwise empty folder.
    QString PointAt(const QString& name) {
        const QString path = modules_.filePath(name);
        qputenv(kMailModuleVariable, path.toUtf8());
        return path;
    }

    SendOutcome SendOne() {
        SmtpSession session(settings_, "secret", {1000, 1000});
        return session.Send(message_, ComposeMessage(&message_, QDateTime::currentDateTime()));
    }

    const QByteArray real_;  // the built module, which the tests name
    QTemporaryDir home_;
    QTemporaryDir modules_;
    MailSettings settings_;
    MailMessage message_;
};

TEST_F(MailModuleTest, WithoutTheModuleNothingIsSentAndEveryReasonNamesItsFile) {
    const QString path = PointAt("corvane-mail.so");
    const SendOutcome outcome = SendOne();
    EXPECT_FALSE(outcome.sent);
    EXPECT_TRUE(outcome.serverFault);
    EXPECT_TRUE(outcome.reason.startsWith("The mail module " + path + " could not be loaded: "))
        << outcome.reason.toStdString();
    EXPECT_TRUE(outcome.reason.contains("No such file")) << outcome.reason.toStdString();

    QString password;
    QString error;
    EXPECT_FALSE(FindMailPassword(settings_, &password, &error));
    EXPECT_TRUE(error.contains(path) && error.contains("secret store cannot be read"))
        << error.toStdString();

    // The password file keeps it instead, and answers without the module.
    ASSERT_TRUE(StoreMailPassword(settings_, "horse", &error)) << error.toStdString();
    ASSERT_TRUE(FindMailPassword(settings_, &password, &error)) << error.toStdString();
    EXPECT_EQ(password, "horse");
    EXPECT_FALSE(ForgetMailPassword(settings_, &error));
    EXPECT_TRUE(error.contains(path) && error.contains("was not removed")) << error.toStdString();
    EXPECT_FALSE(FindMailPassword(settings_, &password, &error));
}

TEST_F(MailModuleTest, AFileThatIsNoModuleIsRefusedAndTheRealOneSendsAfterIt) {
    const QString path = PointAt("corvane-mail.so");
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    ASSERT_EQ(broken.write("not a library"), 13);
    broken.close();
    const SendOutcome outcome = SendOne();
    EXPECT_FALSE(outcome.sent);
    EXPECT_TRUE(outcome.reason.startsWith("The mail module " + path + " could not be loaded: "))
        << outcome.reason.toStdString();

    // Once the module is in place the next session reaches the transfer: nothing listens at
    // port 1, so the server's own failure is told.
    ASSERT_FALSE(real_.isEmpty()) << "the tests name the built module in " << kMailModuleVariable;
    qputenv(kMailModuleVariable, real_);
    const SendOutcome reached = SendOne();
    EXPECT_FALSE(reached.sent);
    EXPECT_TRUE(reached.reason.startsWith("The mail server 127.0.0.1:1 could not be reached"))
        << reached.reason.toStdString();
}

}  // namespace
