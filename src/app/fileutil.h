#pragma once

#include <QFile>
#include <QImage>
#include <QString>

#include <memory>

namespace app {

// True when the file system reports a modification time for the path; false on any
// failure (missing file or folder, empty or malformed path). Never throws.
bool FileExists(const QString& path);

// Lets queued window events run, then deletes the file; a second, forced attempt makes
// a read-only file writable first (never the target of a link). Never throws and
// reports nothing.
void RemoveFile(const QString& path);

// The folder that holds the program file, without a trailing separator.
QString programFolder();
// The folder followed directly by a relative name such as "HAND-M.CUR", with the
// platform's separator between them.
QString inFolder(const QString& folder, const QString& name);

// A file name made from a timeline's title, without an extension: the characters no file
// name may hold (on any of the desktops) become blanks, runs of blanks one blank, and
// blanks and dots at the ends go; a name the system reserves ("CON", "LPT1") gets "_"
// after its stem, and a name is cut to 120 characters. Empty when nothing of the title is left.
QString fileNameFromTitle(const QString& title);

// The value of TEMP; when it is unset or empty, the system's temporary folder.
QString temporaryFolder();

// Creates `path` as a new file that only this user may read or write, and returns it
// open for both. It never follows a link and never opens an entry that is already there,
// so nothing can be written into a file somebody else placed at the path. Throws
// app::Failure with the reason when the file cannot be created.
std::unique_ptr<QFile> createNewFile(const QString& path);
// True when `path` itself (a link is not followed) is the file that `file` holds open.
// While it is open its inode cannot be reused, so a file put in its place never passes.
bool namesOpenFile(const QString& path, const QFile& file);

// Picture files keep their resolution in the pixels-per-metre fields, so a page picture
// saved at twice the screen's density comes back with a device pixel ratio of 2.
void markPictureDensity(QImage& image, qreal devicePixelRatio);
// Gives a picture read from a file the pixel ratio its density stands for.
void applyPictureDensity(QImage& image);
// Loads a picture file; a null image when it cannot be read.
QImage loadPictureFile(const QString& path);

} // namespace app
