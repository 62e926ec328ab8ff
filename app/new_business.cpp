#include "app/new_business.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool HoldsTables(const QString& dir) {
    return !dir.isEmpty() && QFileInfo::exists(QDir(dir).filePath("CVN1.dbf"));
}

NewBusinessStart Failure(const QString& why) {
    return {NewBusinessStart::Failed, "A new business could not be started: " + why};
}

}  // namespace

QString SuppliedTablesDirectory(const QString& programDir) {
    const QDir program(programDir);
    for (const char* place : {"../share/corvane/data", "../data"}) {
        const QString dir = QDir::cleanPath(program.absoluteFilePath(place));
        if (HoldsTables(dir)) return dir;
    }
    return {};
}

NewBusinessStart StartNewBusiness(const QString& dir, const QString& suppliedDir) {
    const QFileInfo info(dir);
    if (info.exists() && (!info.isDir() || !QDir(dir).isEmpty())) return {};
    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    if (!HoldsTables(suppliedDir))
        return Failure("the supplied tables were not found beside the program.");
    if (!QDir().mkpath(dir)) return Failure("the folder " + shown + " could not be made.");
    const QStringList tables =
        QDir(suppliedDir).entryList({"*.dbf", "*.dbt"}, QDir::Files, QDir::Name);
    QStringList copied;
    for (const QString& name : tables) {
        const QString from = QDir(suppliedDir).filePath(name);
        const QString to = QDir(dir).filePath(name);
        // Files of an installed program are read-only; the business's copies must take writes.
        const bool whole = QFile::copy(from, to) &&
                           QFileInfo(to).size() == QFileInfo(from).size() &&
                           QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner);
        if (!whole) {
            QFile::remove(to);
            for (const QString& done : copied) QFile::remove(QDir(dir).filePath(done));
            return Failure(name + " could not be copied into " + shown + ".");
        }
        copied << name;
    }
    return {NewBusinessStart::Started,
            "A new business has been started in " + shown +
                ": its empty tables are in place.\nFirst set up your letterhead (Preferences, "
                "Stationery), the tax lines (Preferences, Sales Tax) and a label stock "
                "(Preferences, Label Forms). F1 in an editor shows its help."};
}
