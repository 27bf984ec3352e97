#include "platform/textfile.h"
#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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

QStringList readDataFileLines(const QString& bareName)
{
    const QString path = dataFilePath(bareName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw IOException(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw IOException(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));

    // Split by hand: QTextStream::readLine does not end a line at a lone "\r".
    // Latin-1 maps every byte to one character, so no byte can fail to decode.
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        lines.append(QString::fromLatin1(bytes.constData() + start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n) // last line without an end of line
        lines.append(QString::fromLatin1(bytes.constData() + start, n - start));
    return lines;
}

void rewriteDataFile(const QString& bareName, const QStringList& lines)
{
    const QString folder = dataFolder();
    if (!QDir().mkpath(folder))
        throw IOException(QStringLiteral("cannot create the folder %1").arg(folder));

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
