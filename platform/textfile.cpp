#include "platform/textfile.h"
#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString& folderOverride()
{
    static QString folder;
    return folder;
}

RewriteHook rewriteHook = nullptr;

} // namespace

QString dataFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void setDataFolder(const QString& folder)
{
    folderOverride() = folder;
}

QString dataFilePath(const QString& bareName)
{
    return dataFolder() + QLatin1Char('/') + bareName;
}

bool dataFileExists(const QString& bareName)
{
    return QFileInfo::exists(dataFilePath(bareName));
}

namespace {

// Why something that is there is not a file to read.
QString notAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a file");
    return QStringLiteral("it is not a regular file");
}

} // namespace

QStringList readDataFileLines(const QString& bareName, qsizetype maxLines, qint64 maxBytes)
{
    const QString path = dataFilePath(bareName);
    // Opened without blocking, so a named pipe with no writer cannot stall
    // the start; what was opened is then checked, not the name, so nothing
    // can be swapped in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw IOException(QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat info {};
    QString why;
    if (::fstat(fd, &info) != 0)
        why = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(info.st_mode))
        why = notAFile(info.st_mode);
    if (!why.isEmpty()) {
        ::close(fd);
        throw IOException(QStringLiteral("cannot read %1: %2").arg(path, why));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw IOException(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    }
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        throw IOException(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));

    // Split by hand: QTextStream::readLine does not end a line at a lone "\r".
    // Latin-1 maps every byte to one character, so no byte can fail to decode.
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n && lines.size() != maxLines; ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        lines.append(QString::fromLatin1(bytes.constData() + start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n && lines.size() != maxLines) // last line without an end of line
        lines.append(QString::fromLatin1(bytes.constData() + start, n - start));
    return lines;
}

void removeRewriteLeftovers(const QString& bareName)
{
    // The temporary file of the rewrite is NAME plus "." and six letters or
    // digits; only regular files of that form are taken.
    const QDir folder(dataFolder());
    const QFileInfoList found = folder.entryInfoList({bareName + QStringLiteral(".??????")},
                                                     QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    for (const QFileInfo& leftover : found) {
        const QString tail = leftover.fileName().mid(bareName.size() + 1);
        const bool random = std::all_of(tail.begin(), tail.end(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        });
        if (random)
            QFile::remove(leftover.filePath());
    }
}

void rewriteDataFile(const QString& bareName, const QStringList& lines)
{
    const QString folder = dataFolder();
    if (!QDir().mkpath(folder))
        throw IOException(QStringLiteral("cannot create the folder %1").arg(folder));

    removeRewriteLeftovers(bareName);
    const QString path = dataFilePath(bareName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw IOException(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));

    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toLatin1();
        bytes += '\n';
    }
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw IOException(QStringLiteral("cannot write %1: %2").arg(path, why));
    }
    // QSaveFile discards the temporary file if the hook throws.
    if (rewriteHook)
        rewriteHook(path);
    if (!file.commit())
        throw IOException(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

void setRewriteHook(RewriteHook hook)
{
    rewriteHook = hook;
}

} // namespace platform
