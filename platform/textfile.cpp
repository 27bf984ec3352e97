#include "platform/textfile.h"
#include "platform/errors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

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

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

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
        throw IOException(QStringLiteral("cannot open %1: %2").arg(path, reason(errno)));
    struct stat info {};
    QString why;
    if (::fstat(fd, &info) != 0)
        why = reason(errno);
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

namespace {

// A rewrite's temporary file is NAME, this mark and six random letters or
// digits: a name no one gives a backup of their own.
const QString rewriteMark = QStringLiteral(".velvane-save-");

// A temporary file this old is no save's that is still writing: a save takes
// milliseconds. A younger one may be another copy's save in progress.
constexpr qint64 staleAfterSeconds = 60;

// Writes every byte to the file, or returns false with errno saying why.
bool writeAll(int fd, const QByteArray& bytes)
{
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

} // namespace

void removeRewriteLeftovers(const QString& bareName)
{
    const QDir folder(dataFolder());
    const QFileInfoList found = folder.entryInfoList({bareName + rewriteMark + QStringLiteral("??????")},
                                                     QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QFileInfo& leftover : found) {
        const QString tail = leftover.fileName().mid(bareName.size() + rewriteMark.size());
        const bool random = std::all_of(tail.begin(), tail.end(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        });
        if (random && leftover.lastModified().secsTo(now) >= staleAfterSeconds)
            QFile::remove(leftover.filePath());
    }
}

void rewriteDataFile(const QString& bareName, const QStringList& lines)
{
    const QString folder = dataFolder();
    const QString path = dataFilePath(bareName);
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), made);
    if (made)
        throw IOException(QStringLiteral("cannot write %1: cannot create the folder %2: %3")
                              .arg(path, folder, QString::fromLocal8Bit(made.message())));

    removeRewriteLeftovers(bareName);
    // The new content goes into a temporary file beside the old one, which is
    // renamed over it only once every byte is known to be on the disk. Every
    // step is checked, and the bytes go straight to the file, not through
    // QFile's buffer: a buffered write that fails only when flushed (a full
    // disk, a quota, a file-size limit) must not replace the old file, and
    // the reason is the system's own.
    QTemporaryFile file(path + rewriteMark + QStringLiteral("XXXXXX"));
    if (!file.open())
        throw IOException(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    // Asking for the name gives the file its name now (Qt may keep it unnamed
    // until then), so it has the form removeRewriteLeftovers knows for the
    // whole of the save.
    const QString temporary = file.fileName();
    auto fail = [&](const QString& why) {
        throw IOException(QStringLiteral("cannot write %1: %2").arg(path, why));
    };
    // The file keeps its permissions; a new one is the owner's only.
    const QFileInfo old(path);
    if (old.exists() && !file.setPermissions(old.permissions()))
        fail(file.errorString());

    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toLatin1();
        bytes += '\n';
    }
    if (!writeAll(file.handle(), bytes))
        fail(reason(errno));
    if (::fsync(file.handle()) != 0)
        fail(reason(errno));
    // The temporary file goes with `file` if the hook throws.
    if (rewriteHook)
        rewriteHook(path);
    file.close();
    if (file.error() != QFileDevice::NoError)
        fail(file.errorString());
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0)
        fail(reason(errno));
    file.setAutoRemove(false); // it is the data file now
}

void setRewriteHook(RewriteHook hook)
{
    rewriteHook = hook;
}

} // namespace platform
