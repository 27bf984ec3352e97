#pragma once
// Text files looked up by bare file name in the user's data folder.
#include <QString>
#include <QStringList>

namespace platform {

// The folder bare names resolve to: QStandardPaths::AppDataLocation unless a
// test pointed it elsewhere. An empty text restores the default.
QString dataFolder();
void setDataFolder(const QString& folder);
QString dataFilePath(const QString& bareName);

// Whether the name is there, a link that leads nowhere included.
bool dataFileExists(const QString& bareName);

// The lines of the file without their ends of line; lines end at "\n",
// "\r\n" or a lone "\r". At most the first maxLines lines (all when
// negative) from at most the first maxBytes bytes are read, so a huge or
// endless file costs no more than a small one (64 KiB is far more than the
// data file's 13 scrambled lines take). Only a regular file (or a link
// to one) is read: a folder, a named pipe, a device or a socket of that name,
// like a file that cannot be opened, throws IOException naming the file and
// the reason.
QStringList readDataFileLines(const QString& bareName, qsizetype maxLines = -1, qint64 maxBytes = 64 * 1024);

// Removes what an interrupted rewrite of the file can leave beside it (and,
// when the name is a link, beside the file it leads to): the rewrite's own
// temporary files, NAME.velvane-save- and six letters or digits, once they
// are a minute old. A younger one may belong to a save of another copy of the
// program that is still writing; no other file is touched.
void removeRewriteLeftovers(const QString& bareName);

// Replaces the file with these lines, each followed by "\n", atomically: a
// temporary file is written, flushed and synced, and only then renamed over
// the old one, so a failed or interrupted write (a full disk, a file-size
// limit, an I/O error) leaves the old file byte for byte as it was. The new
// file has the old one's mode bits. A name that is a link stays a link: the
// file it leads to is replaced, in its own folder. A file the user cannot
// write, and anything that is not a regular file (a folder, a named pipe, a
// link that leads nowhere), is not replaced: the rewrite throws and leaves it
// as it is. Creates the folder when needed and removes the stale leftovers of
// earlier interrupted rewrites. Throws IOException naming the file and the
// reason.
void rewriteDataFile(const QString& bareName, const QStringList& lines);

// Runs in every rewrite after the new content is written and before it
// replaces the old file; when it throws, the rewrite is abandoned and the old
// file stays whole. The program installs none; tests install one that fails
// as a full disk would. nullptr removes it.
using RewriteHook = void (*)(const QString& path);
void setRewriteHook(RewriteHook hook);

} // namespace platform
