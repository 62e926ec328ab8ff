// The password kept where no secret store answers: the user's file, readable by the user alone,
// refused once others can read it; the environment variable that wins for scripted runs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "mail/mail_password.h"
#include "mail/mail_settings.h"

namespace {

class MailPasswordTest : public ::testing::Test {
protected:
    // No session bus and no display: no secret store can answer, so the file keeps passwords.
    MailPasswordTest() {
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        qputenv("XDG_RUNTIME_DIR", home_.path().toUtf8());
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
        qunsetenv(kPasswordVariable);
        settings_.server = "mail.baker.example";
        settings_.user = "accounts";
    }

    static mode_t Mode(const QString& path) {
        struct stat info {};
        EXPECT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
        return info.st_mode & 0777;
    }

    QTemporaryDir home_;
    MailSettings settings_;
};

TEST_F(MailPasswordTest, TheFileIsTheUsersAloneAndKeepsOnePasswordPerServerAndUser) {
    QString error;
    ASSERT_TRUE(StoreMailPassword(settings_, "first\tpass word", &error)) << error.toStdString();
    MailSettings other = settings_;
    other.user = "other";
    ASSERT_TRUE(StoreMailPassword(other, "second", &error)) << error.toStdString();
    ASSERT_TRUE(StoreMailPassword(settings_, "third", &error)) << error.toStdString();
    EXPECT_TRUE(MailPasswordFile().startsWith(home_.filePath("config")));
    EXPECT_EQ(Mode(MailPasswordFile()), 0600u);

    QString password;
    ASSERT_TRUE(FindMailPassword(settings_, &password, &error)) << error.toStdString();
    EXPECT_EQ(password, "third");
    ASSERT_TRUE(FindMailPassword(other, &password, &error));
    EXPECT_EQ(password, "second");

    ASSERT_TRUE(ForgetMailPassword(settings_, &error)) << error.toStdString();
    EXPECT_FALSE(FindMailPassword(settings_, &password, &error));
    EXPECT_EQ(error, "");
    EXPECT_TRUE(FindMailPassword(other, &password, &error));
}

TEST_F(MailPasswordTest, AFileOthersCanReadIsRefusedAndTheVariableWins) {
    QString error;
    ASSERT_TRUE(StoreMailPassword(settings_, "secret", &error));
    ASSERT_EQ(chmod(QFile::encodeName(MailPasswordFile()).constData(), 0644), 0);
    QString password;
    EXPECT_FALSE(FindMailPassword(settings_, &password, &error));
    EXPECT_EQ(password, "");
    EXPECT_TRUE(error.contains("can be read by other users")) << error.toStdString();

    qputenv(kPasswordVariable, "from the environment");
    EXPECT_TRUE(FindMailPassword(settings_, &password, &error));
    EXPECT_EQ(password, "from the environment");
    qunsetenv(kPasswordVariable);

    // Keeping the password again makes the file the user's alone.
    ASSERT_TRUE(StoreMailPassword(settings_, "secret", &error)) << error.toStdString();
    EXPECT_EQ(Mode(MailPasswordFile()), 0600u);
    EXPECT_TRUE(FindMailPassword(settings_, &password, &error));
}

}  // namespace
