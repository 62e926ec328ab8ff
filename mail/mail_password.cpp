#include "mail/mail_password.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "mail/mail_module.h"
#include "mail/mail_module_loader.h"
#include "mail/mail_settings.h"

namespace {

QByteArray Server(const MailSettings& settings) {
    return settings.server.trimmed().toLower().toUtf8();
}

QByteArray User(const MailSettings& settings) {
    return settings.user.trimmed().toUtf8();
}

// What the secret store said: whether it answered, and the password when it has one; when the
// mail module could not be opened, why.
struct StoreAnswer {
    bool answered = false;
    bool found = false;
    QString password;
    QString moduleError;
};

StoreAnswer LookUpInStore(const MailSettings& settings) {
    StoreAnswer answer;
    const MailModuleTable* module = MailModule(&answer.moduleError);
    if (!module) return answer;
    char* found = nullptr;
    answer.answered =
        module->lookUpPassword(Server(settings).constData(), User(settings).constData(), &found);
    if (found) {
        answer.found = true;
        answer.password = QString::fromUtf8(found);
        module->freePassword(found);
    }
    return answer;
}

// False when the store did not keep it, or the mail module could not be opened.
bool KeepInStore(const MailSettings& settings, const QString& password) {
    QString moduleError;
    const MailModuleTable* module = MailModule(&moduleError);
    if (!module) return false;
    const QByteArray label =
        "Corvane mail password for " + User(settings) + " at " + Server(settings);
    return module->keepPassword(label.constData(), Server(settings).constData(),
                                User(settings).constData(), password.toUtf8().constData());
}

// A store that does not answer keeps nothing to clear; false with the reason in *error when
// the mail module could not be opened to ask it.
bool ClearInStore(const MailSettings& settings, QString* error) {
    const MailModuleTable* module = MailModule(error);
    if (!module) return false;
    module->clearPassword(Server(settings).constData(), User(settings).constData());
    return true;
}

// The password file holds one line per server and user: server, user and password, each in
// base64, separated by tabs.
struct FileEntry {
    QByteArray server;
    QByteArray user;
    QByteArray password;
};

bool OthersMayRead(const QFileInfo& info) {
    return info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

// Reads the entries of the password file; true with none when there is no file. False with the
// reason in *error when it cannot be read, or others may read it and `refuseShared`.
bool ReadFileEntries(std::vector<FileEntry>* entries, bool refuseShared, QString* error) {
    entries->clear();
    const QString path = MailPasswordFile();
    const QFileInfo info(path);
    if (!info.exists()) return true;
    if (refuseShared && OthersMayRead(info)) {
        *error = QString(
                     "The password file %1 can be read by other users, so it is not used. "
                     "Type the password again in Mail Settings to keep it safely.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QString("The password file %1 could not be read: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArrayList parts = line.split('\t');
        if (parts.size() == 3)
            entries->push_back({QByteArray::fromBase64(parts[0]), QByteArray::fromBase64(parts[1]),
                                QByteArray::fromBase64(parts[2])});
    }
    return true;
}

bool WriteFileEntries(const std::vector<FileEntry>& entries, QString* error) {
    const QString path = MailPasswordFile();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QString("The folder %1 could not be made.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSaveFile file(path);
    QByteArray text;
    for (const FileEntry& e : entries)
        text +=
            e.server.toBase64() + '\t' + e.user.toBase64() + '\t' + e.password.toBase64() + '\n';
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         file.write(text) == text.size() && file.commit();
    if (!written) {
        *error = QString("The password file %1 could not be written: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

bool Matches(const FileEntry& entry, const MailSettings& settings) {
    return entry.server == Server(settings) && entry.user == User(settings);
}

// Removes the settings' entry from the file, if it has one; a file others could read is written
// again readable by the user alone.
bool RemoveFromFile(const MailSettings& settings, QString* error) {
    std::vector<FileEntry> entries;
    if (!ReadFileEntries(&entries, false, error)) return false;
    const auto removed =
        std::erase_if(entries, [&](const FileEntry& e) { return Matches(e, settings); });
    return removed == 0 || WriteFileEntries(entries, error);
}

}  // namespace

QString MailPasswordFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Corvane/mail-passwords";
}

bool FindMailPassword(const MailSettings& settings, QString* password, QString* error) {
    password->clear();
    error->clear();
    if (qEnvironmentVariableIsSet(kPasswordVariable)) {
        *password = qEnvironmentVariable(kPasswordVariable);
        return true;
    }
    const StoreAnswer store = LookUpInStore(settings);
    if (store.found) {
        *password = store.password;
        return true;
    }
    std::vector<FileEntry> entries;
    if (!ReadFileEntries(&entries, true, error)) return false;
    for (const FileEntry& e : entries) {
        if (Matches(e, settings)) {
            *password = QString::fromUtf8(e.password);
            return true;
        }
    }
    if (!store.moduleError.isEmpty())
        *error =
            store.moduleError + " The password kept in the desktop's secret store cannot be read.";
    return false;
}

bool StoreMailPassword(const MailSettings& settings, const QString& password, QString* error) {
    error->clear();
    if (KeepInStore(settings, password)) return RemoveFromFile(settings, error);
    std::vector<FileEntry> entries;
    // A file others could read is written again readable by the user alone.
    if (!ReadFileEntries(&entries, false, error)) return false;
    std::erase_if(entries, [&](const FileEntry& e) { return Matches(e, settings); });
    entries.push_back({Server(settings), User(settings), password.toUtf8()});
    return WriteFileEntries(entries, error);
}

bool ForgetMailPassword(const MailSettings& settings, QString* error) {
    error->clear();
    QString storeError;
    const bool cleared = ClearInStore(settings, &storeError);
    if (!RemoveFromFile(settings, error)) return false;
    if (!cleared)
        *error = storeError + " A password kept in the desktop's secret store was not removed.";
    return cleared;
}
