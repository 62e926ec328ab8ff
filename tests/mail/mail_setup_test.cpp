// The mail settings dialog over a copy of the supplied tables, driven as the user drives it: the
// port following the security, wrong addresses told, Save storing the settings in the data
// directory and the password outside it (never shown back), and the test message sent to a real
// server started by the test, with its outcome told.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>

#include "db/mail_settings_table.h"
#include "db/program_state.h"
#include "mail/mail_password.h"
#include "mail/mail_setup.h"
#include "tests/support/mail_server.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_data_dir.h"

using prompt::Kind;

namespace {

class MailSetupTest : public ::testing::Test {
protected:
    MailSetupTest() : dir_(TempDataDir::SuppliedTables) {
        // No secret store can answer: the password goes to the user's file under home_.
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        qputenv("XDG_RUNTIME_DIR", home_.path().toUtf8());
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
        qunsetenv(kPasswordVariable);
        ResetProgramState();
        EndProgram = [this] { ++endCalls_; };
        InitDbContext();
    }
    ~MailSetupTest() override { ResetProgramState(); }

    template <typename W>
    static W* Child(QWidget* form, const char* name) {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }

    // Every file of the data directory that holds `text`.
    QStringList DataFilesHolding(const QByteArray& text) const {
        QStringList holding;
        for (QDirIterator it(QString::fromStdString(dir_.path().string()), QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            QFile file(it.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            if (file.readAll().contains(text)) holding << file.fileName();
        }
        return holding;
    }

    QTemporaryDir home_;
    TempDataDir dir_;
    ScriptedPrompts prompts_;
    int endCalls_ = 0;
};

TEST_F(MailSetupTest, SaveStoresTheSettingsAndKeepsThePasswordOutsideTheDataNeverShownBack) {
    TMailSetup dialog;
    dialog.show();
    auto* port = Child<QSpinBox>(&dialog, "EditPort");
    auto* security = Child<QComboBox>(&dialog, "ComboSecurity");
    EXPECT_EQ(port->value(), 587);
    security->setCurrentIndex(2);
    EXPECT_EQ(port->value(), 465);
    security->setCurrentIndex(0);
    EXPECT_EQ(port->value(), 25);
    port->setValue(2525);
    security->setCurrentIndex(1);
    EXPECT_EQ(port->value(), 2525);  // a port typed stays

    Child<QLineEdit>(&dialog, "EditServer")->setText("mail.baker.example:587");
    prompts_.expect(Kind::Information, "Type the mail server's name alone");
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    Child<QLineEdit>(&dialog, "EditServer")->setText("mail.baker.example");
    Child<QLineEdit>(&dialog, "EditUser")->setText("accounts");
    Child<QLineEdit>(&dialog, "EditPassword")->setText("Pw-unique-7731");
    Child<QLineEdit>(&dialog, "EditSenderName")->setText("Baker & Sons");
    Child<QLineEdit>(&dialog, "EditSender")->setText("accounts at baker");
    Child<QCheckBox>(&dialog, "CheckCopy")->setChecked(true);
    prompts_.expect(Kind::Information, "Type the sender's address as a mail address");
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    EXPECT_TRUE(dialog.isVisible());
    MailSettings stored;
    QString error;
    ASSERT_TRUE(LoadMailSettings(&stored, &error)) << error.toStdString();
    EXPECT_EQ(stored.server, "");

    Child<QLineEdit>(&dialog, "EditSender")->setText("accounts@baker.example");
    auto* document = Child<QComboBox>(&dialog, "ComboDocument");
    auto* subject = Child<QLineEdit>(&dialog, "EditSubject");
    document->setCurrentIndex(static_cast<int>(MailDocument::Statement));
    subject->setText("Statement for {customer}");
    document->setCurrentIndex(static_cast<int>(MailDocument::Invoice));
    EXPECT_EQ(subject->text(), MailSettings::ReadyMailTemplates()[0].subject);
    Child<QPlainTextEdit>(&dialog, "MemoBody")->setPlainText("Dear {customer},\nsee attached.");
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);

    ASSERT_TRUE(LoadMailSettings(&stored, &error)) << error.toStdString();
    EXPECT_EQ(stored.server, "mail.baker.example");
    EXPECT_EQ(stored.port, 2525);
    EXPECT_EQ(stored.security, MailSecurity::StartTls);
    EXPECT_EQ(stored.user, "accounts");
    EXPECT_EQ(stored.senderName, "Baker & Sons");
    EXPECT_EQ(stored.senderAddress, "accounts@baker.example");
    EXPECT_TRUE(stored.copyToSender);
    EXPECT_EQ(stored.TemplateFor(MailDocument::Statement).subject, "Statement for {customer}");
    EXPECT_EQ(QString(stored.TemplateFor(MailDocument::Invoice).body).remove('\r'),
              "Dear {customer},\nsee attached.");
    EXPECT_EQ(stored.TemplateFor(MailDocument::Bill).subject,
              MailSettings::ReadyMailTemplates()[1].subject);

    QString password;
    ASSERT_TRUE(FindMailPassword(stored, &password, &error)) << error.toStdString();
    EXPECT_EQ(password, "Pw-unique-7731");
    EXPECT_EQ(DataFilesHolding("Pw-unique-7731"), QStringList());
    EXPECT_EQ(DataFilesHolding(QByteArray("Pw-unique-7731").toBase64()), QStringList());

    // Shown again, the box says a password is kept without showing it; Save keeps it.
    TMailSetup again;
    again.show();
    auto* box = Child<QLineEdit>(&again, "EditPassword");
    EXPECT_FALSE(box->text().isEmpty());
    EXPECT_NE(box->text(), "Pw-unique-7731");

    // A password file others can read is not used, and the user is told so.
    QFile::setPermissions(MailPasswordFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadOther);
    prompts_.expect(Kind::Warning, "can be read by other users");
    TMailSetup shared;
    shared.show();
    EXPECT_EQ(Child<QLineEdit>(&shared, "EditPassword")->text(), "");
    shared.close();
    QFile::setPermissions(MailPasswordFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Child<QLineEdit>(&again, "EditUser")->setText("office");
    Child<QAbstractButton>(&again, "BtnSave")->click();
    ASSERT_EQ(again.result(), QDialog::Accepted);
    stored.user = "office";
    ASSERT_TRUE(FindMailPassword(stored, &password, &error)) << error.toStdString();
    EXPECT_EQ(password, "Pw-unique-7731");  // the kept password follows the user name
    EXPECT_EQ(endCalls_, 0);
}

TEST_F(MailSetupTest, ADirectoryWithoutTheTableReadsTheReadySettingsAndATextNotStorableIsRefused) {
    ASSERT_TRUE(QFile::remove("MailSet.dbf"));
    QFile::remove("MailSet.dbt");
    MailSettings settings;
    settings.server = "left over";
    QString error;
    ASSERT_TRUE(LoadMailSettings(&settings, &error)) << error.toStdString();
    EXPECT_EQ(settings.server, "");
    EXPECT_EQ(settings.port, 587);
    EXPECT_EQ(settings.TemplateFor(MailDocument::Reminder).subject,
              MailSettings::ReadyMailTemplates()[3].subject);

    settings.server = "mail.baker.example";
    settings.senderAddress = "accounts@baker.example";
    ASSERT_TRUE(StoreMailSettings(settings, &error)) << error.toStdString();
    EXPECT_TRUE(QFile::exists("MailSet.dbf"));

    MailSettings refused = settings;
    refused.server = "mail.other.example";
    refused.TemplateFor(MailDocument::Bill).body = QString::fromUtf8("Zapłać");
    EXPECT_FALSE(StoreMailSettings(refused, &error));
    EXPECT_TRUE(error.contains(QString::fromUtf8("ł"))) << error.toStdString();
    refused.TemplateFor(MailDocument::Bill).body.clear();
    refused.TemplateFor(MailDocument::Bill).subject = QString(kMailSubjectWidth + 1, 'x');
    EXPECT_FALSE(StoreMailSettings(refused, &error));
    EXPECT_EQ(error, "The mail settings keep at most 120 characters in BilSubject.");
    ASSERT_TRUE(LoadMailSettings(&settings, &error));
    EXPECT_EQ(settings.server, "mail.baker.example");
}

TEST_F(MailSetupTest, TheTestMessageReachesTheServerAndARefusalIsToldWithTheServersReply) {
    MailTestServer server;
    ASSERT_TRUE(server.Start({.refuse = "refused@baker.example"})) << server.error().toStdString();
    TMailSetup dialog;
    dialog.show();
    Child<QLineEdit>(&dialog, "EditServer")->setText("127.0.0.1");
    Child<QComboBox>(&dialog, "ComboSecurity")->setCurrentIndex(0);
    Child<QSpinBox>(&dialog, "EditPort")->setValue(server.port());
    Child<QLineEdit>(&dialog, "EditSender")->setText("accounts@baker.example");
    prompts_.expect(Kind::Information, "The test message was sent to accounts@baker.example");
    Child<QAbstractButton>(&dialog, "BtnTest")->click();
    const std::vector<ReceivedMail> received = server.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].recipients, QStringList{"accounts@baker.example"});

    Child<QLineEdit>(&dialog, "EditSender")->setText("refused@baker.example");
    prompts_.expect(Kind::Warning, "The mail server 127.0.0.1:" + QString::number(server.port()) +
                                       " refused the recipient refused@baker.example: 550");
    Child<QAbstractButton>(&dialog, "BtnTest")->click();
    EXPECT_EQ(server.Received().size(), 1u);
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_EQ(prompts_.pending(), 0);
}

}  // namespace
