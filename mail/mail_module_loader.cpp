#include "mail/mail_module_loader.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>

#include "mail/mail_module.h"

namespace {

// The files to try, in order.
QStringList Candidates() {
    if (const QString named = qEnvironmentVariable(kMailModuleVariable); !named.isEmpty())
        return {named};
    const QDir program(QCoreApplication::applicationDirPath());
    return {
        program.absoluteFilePath(kMailModuleFile),
        QDir::cleanPath(program.absoluteFilePath(QString("../lib/corvane/") + kMailModuleFile))};
}

// Opens the module at `path`; null with the reason in *error.
const MailModuleTable* Open(const QString& path, QString* error) {
    const QString file = QDir::toNativeSeparators(path);
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        QString reason = QString::fromLocal8Bit(dlerror()).trimmed();
        if (!reason.endsWith('.')) reason += '.';
        *error = QString("The mail module %1 could not be loaded: %2").arg(file, reason);
        return nullptr;
    }
    const auto entry = reinterpret_cast<MailModuleEntry>(dlsym(handle, kMailModuleEntry));
    const MailModuleTable* table = entry ? entry() : nullptr;
    if (!table || table->version != kMailModuleVersion) {
        *error = table ? QString(
                             "The mail module %1 is of another version (%2) than the "
                             "program (%3): install the two from one package.")
                             .arg(file)
                             .arg(table->version)
                             .arg(kMailModuleVersion)
                       : QString("The mail module %1 is not a mail module of Corvane.").arg(file);
        dlclose(handle);
        return nullptr;
    }
    return table;
}

}  // namespace

const MailModuleTable* MailModule(QString* error) {
    static std::mutex guard;
    static const MailModuleTable* opened = nullptr;
    const std::lock_guard lock(guard);
    error->clear();
    if (opened) return opened;
    const QStringList candidates = Candidates();
    for (const QString& path : candidates) {
        if (candidates.size() > 1 && !QFileInfo::exists(path)) continue;
        opened = Open(path, error);
        return opened;
    }
    *error =
        QString("The mail module %1 could not be found beside the program (%2) nor in %3.")
            .arg(kMailModuleFile, QDir::toNativeSeparators(QFileInfo(candidates[0]).absolutePath()),
                 QDir::toNativeSeparators(QFileInfo(candidates[1]).absolutePath()));
    return nullptr;
}
