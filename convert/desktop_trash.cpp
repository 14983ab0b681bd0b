#include "convert/desktop_trash.h"

#include <filesystem>
#include <system_error>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool MakePrivateFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isSymLink())
        return false;
    if (!info.exists() && !QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return false;
    return QFileInfo(folder).isDir();
}

// The trash folder for a file on the mount at `mountRoot`, set up with its files/ and info/; empty when none
// can be had there.
QString TrashFolderFor(const QString& filePath, QString& pathBase) {
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString mountRoot = QStorageInfo(QFileInfo(filePath).absolutePath()).rootPath();
    QStringList candidates;
    if (!home.isEmpty() && QDir().mkpath(home) && QStorageInfo(home).rootPath() == mountRoot) {
        candidates << home + QStringLiteral("/Trash");
        pathBase.clear(); // the home trash records absolute paths
    } else {
#ifdef Q_OS_UNIX
        const QString uid = QString::number(::getuid());
#else
        const QString uid = QStringLiteral("0");
#endif
        const QString root = mountRoot.endsWith(QLatin1Char('/')) ? mountRoot : mountRoot + QLatin1Char('/');
        // An administrator's .Trash counts only when it is a real folder with the sticky bit.
        const QString shared = root + QStringLiteral(".Trash");
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(shared.toStdString(), ec);
        if (!ec && std::filesystem::is_directory(status) &&
            (status.permissions() & std::filesystem::perms::sticky_bit) != std::filesystem::perms::none)
            candidates << shared + QLatin1Char('/') + uid;
        candidates << root + QStringLiteral(".Trash-") + uid;
        pathBase = root;
    }
    for (const QString& trash : candidates) {
        if (MakePrivateFolder(trash) && MakePrivateFolder(trash + QStringLiteral("/files")) &&
            MakePrivateFolder(trash + QStringLiteral("/info")))
            return trash;
    }
    return {};
}

} // namespace

bool MoveToDesktopTrash(const QString& path, QString* why) {
    const auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    const QFileInfo source(path);
    if (!source.exists() && !source.isSymLink())
        return fail(QStringLiteral("no such file"));
    const QString absolute = source.absoluteFilePath();
    QString pathBase;
    const QString trash = TrashFolderFor(absolute, pathBase);
    if (trash.isEmpty())
        return fail(QStringLiteral("no trash folder can be used on its disk"));

    // Reserve a name through its info file, created exclusively, then move the file beside it.
    const QString recorded =
        pathBase.isEmpty() || !absolute.startsWith(pathBase) ? absolute : absolute.mid(pathBase.size());
    const QByteArray info = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(recorded, "/") +
                            "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toUtf8() +
                            "\n";
    const QString base = source.fileName();
    for (int n = 1; n < 10000; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1.%2").arg(base).arg(n);
        QFile infoFile(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        if (!infoFile.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        const bool written = infoFile.write(info) == info.size();
        infoFile.close();
        std::error_code ec;
        if (written && !QFileInfo::exists(trash + QStringLiteral("/files/") + name))
            std::filesystem::rename(absolute.toStdString(), (trash + QStringLiteral("/files/") + name).toStdString(),
                                    ec);
        if (written && !ec && !QFileInfo::exists(absolute))
            return true;
        infoFile.remove();
        return fail(ec ? QString::fromStdString(ec.message()) : QStringLiteral("the trash could not take it"));
    }
    return fail(QStringLiteral("the trash holds too many files of that name"));
}
