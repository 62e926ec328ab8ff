// The password where a secret store answers: a session bus and a key ring daemon of the test's
// own (dbus-daemon, and gnome-keyring-daemon unlocked from its standard input; their files in a
// temporary folder) take the password, the user's file is not made, and forgetting it leaves
// nothing behind.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "mail/mail_password.h"
#include "mail/mail_settings.h"

namespace {

class SecretStoreTest : public ::testing::Test {
protected:
    SecretStoreTest() {
        for (const char* folder : {"config", "data", "runtime"}) QDir(home_.path()).mkdir(folder);
        QFile::setPermissions(home_.filePath("runtime"), QFileDevice::ReadOwner |
                                                             QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner);
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_RUNTIME_DIR", home_.filePath("runtime").toUtf8());
        qunsetenv("DISPLAY");
        qunsetenv(kPasswordVariable);
        settings_.server = "mail.baker.example";
        settings_.user = "accounts";
    }
    ~SecretStoreTest() override {
        if (keyring_ > 0) kill(keyring_, SIGTERM);
        bus_.terminate();
        if (!bus_.waitForFinished(3000)) bus_.kill();
        bus_.waitForFinished(3000);
    }

    // Asks the bus `method` about the key ring's name; its reply.
    static QByteArray AskBus(const char* method) {
        QProcess ask;
        ask.start("dbus-send", {"--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                "/org/freedesktop/DBus", QString("org.freedesktop.DBus.") + method,
                                "string:org.freedesktop.secrets"});
        return ask.waitForFinished(3000) ? ask.readAllStandardOutput() : QByteArray();
    }

    // Starts the bus and the key ring on it; false with the reason in *why.
    bool StartStore(QString* why) {
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                   "--address=unix:path=" + home_.filePath("runtime/bus")});
        if (!bus_.waitForStarted(5000) || !bus_.waitForReadyRead(5000)) {
            *why = "dbus-daemon did not start: " + bus_.errorString();
            return false;
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed());
        // The daemon's first process leaves the daemon behind, which takes its name on the bus.
        QProcess keyring;
        keyring.start("gnome-keyring-daemon", {"--unlock", "--components=secrets"});
        keyring.write("unlock-the-test-ring");
        keyring.closeWriteChannel();
        if (!keyring.waitForFinished(10000) || keyring.exitCode() != 0) {
            *why = "gnome-keyring-daemon did not start: " + keyring.readAllStandardError();
            return false;
        }
        for (int tries = 0; !AskBus("NameHasOwner").contains("boolean true"); ++tries) {
            if (tries == 100) {
                *why = "gnome-keyring-daemon did not come to the bus";
                return false;
            }
            QThread::msleep(100);
        }
        const QByteArray pid = AskBus("GetConnectionUnixProcessID").trimmed();
        keyring_ = pid.mid(pid.lastIndexOf(' ') + 1).toInt();
        if (keyring_ <= 0) {
            *why = "the key ring daemon's process is not known: " + pid;
            return false;
        }
        return true;
    }

    QTemporaryDir home_;
    QProcess bus_;
    pid_t keyring_ = 0;  // the key ring daemon, which its first process leaves running
    MailSettings settings_;
};

TEST_F(SecretStoreTest, AnAnsweringStoreTakesThePasswordAndTheFileIsNotMade) {
    QString why;
    ASSERT_TRUE(StartStore(&why)) << why.toStdString();
    QString error;
    ASSERT_TRUE(StoreMailPassword(settings_, "kept in the ring", &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(MailPasswordFile()));
    QString password;
    ASSERT_TRUE(FindMailPassword(settings_, &password, &error)) << error.toStdString();
    EXPECT_EQ(password, "kept in the ring");
    MailSettings other = settings_;
    other.user = "office";
    EXPECT_FALSE(FindMailPassword(other, &password, &error));

    ASSERT_TRUE(ForgetMailPassword(settings_, &error)) << error.toStdString();
    EXPECT_FALSE(FindMailPassword(settings_, &password, &error));
    EXPECT_EQ(error, "");
}

}  // namespace
