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
    // The name itself: a link that leads nowhere is there, and is reported
    // when read rather than taken for no file at all.
    struct stat info {};
    return ::lstat(QFile::encodeName(dataFilePath(bareName)).constData(), &info) == 0;
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

// Where a save writes: the file the name leads to, through every link, so a
// link keeps pointing at its target and the target gets the new content. A
// link that leads nowhere leaves the name itself (a save then refuses it).
QString saveTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? path : target;
}

// The leftovers of rewrites of the file at `path`, in its own folder.
void removeLeftoversOf(const QString& path)
{
    const QFileInfo file(path);
    const QString name = file.fileName();
    const QFileInfoList found = file.dir().entryInfoList({name + rewriteMark + QStringLiteral("??????")},
                                                         QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QFileInfo& leftover : found) {
        const QString tail = leftover.fileName().mid(name.size() + rewriteMark.size());
        const bool random = std::all_of(tail.begin(), tail.end(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        });
        if (random && leftover.lastModified().secsTo(now) >= staleAfterSeconds)
            QFile::remove(leftover.filePath());
    }
}

// Why the file at `target` may not be replaced; empty when it may (or is not
// there yet). What the user cannot write stays as it is, and so does anything
// that is not a regular file: a rename would put the new file in its place.
// A link that leads nowhere is said as a start says it.
QString whyNotReplaceable(const QString& target)
{
    const QByteArray name = QFile::encodeName(target);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return QString();
    if (S_ISLNK(info.st_mode))
        return reason(ENOENT);
    if (!S_ISREG(info.st_mode))
        return notAFile(info.st_mode);
    if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
        return reason(errno);
    return QString();
}

} // namespace

void removeRewriteLeftovers(const QString& bareName)
{
    const QString path = dataFilePath(bareName);
    removeLeftoversOf(path);
    const QString target = saveTarget(path);
    if (target != path)
        removeLeftoversOf(target);
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
    auto fail = [&](const QString& why) {
        throw IOException(QStringLiteral("cannot write %1: %2").arg(path, why));
    };

    removeRewriteLeftovers(bareName);
    const QString target = saveTarget(path);
    if (const QString why = whyNotReplaceable(target); !why.isEmpty())
        fail(why);
    // The new content goes into a temporary file beside the file it replaces,
    // which is renamed over it only once every byte is known to be on the
    // disk. Every step is checked, and the bytes go straight to the file, not
    // through QFile's buffer: a buffered write that fails only when flushed (a
    // full disk, a quota, a file-size limit) must not replace the old file,
    // and the reason is the system's own.
    QTemporaryFile file(target + rewriteMark + QStringLiteral("XXXXXX"));
    if (!file.open())
        fail(file.errorString());
    // Asking for the name gives the file its name now (Qt may keep it unnamed
    // until then), so it has the form removeRewriteLeftovers knows for the
    // whole of the save.
    const QString temporary = file.fileName();
    // The file keeps its mode bits exactly; a new one is the owner's only.
    struct stat old {};
    if (::stat(QFile::encodeName(target).constData(), &old) == 0 && ::fchmod(file.handle(), old.st_mode & 07777) != 0)
        fail(reason(errno));

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
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        fail(reason(errno));
    file.setAutoRemove(false); // it is the data file now
}

void setRewriteHook(RewriteHook hook)
{
    rewriteHook = hook;
}

} // namespace platform
