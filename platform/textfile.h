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

bool dataFileExists(const QString& bareName);

// Every line of the file without its end of line; lines end at "\n", "\r\n"
// or a lone "\r". Throws IOException when the file cannot be read.
QStringList readDataFileLines(const QString& bareName);

// Replaces the file with these lines, each followed by "\n", atomically: a
// temporary file is written and then renamed over the old one, so a failed or
// interrupted write leaves the old file whole. Creates the folder when needed.
// Throws IOException on failure.
void rewriteDataFile(const QString& bareName, const QStringList& lines);

// Runs in every rewrite after the new content is written and before it
// replaces the old file; when it throws, the rewrite is abandoned and the old
// file stays whole. The program installs none; tests install one that fails
// as a full disk would. nullptr removes it.
using RewriteHook = void (*)(const QString& path);
void setRewriteHook(RewriteHook hook);

} // namespace platform
