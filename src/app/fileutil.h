#pragma once

#include <QImage>
#include <QString>

namespace app {

// True when the file system reports a modification time for the path; false on any
// failure (missing file or folder, empty or malformed path). Never throws.
bool FileExists(const QString& path);

// Lets queued window events run, then deletes the file; a second, forced attempt makes
// a read-only file writable first. Never throws and reports nothing.
void RemoveFile(const QString& path);

// The folder that holds the program file, without a trailing separator.
QString programFolder();
// The folder followed directly by a relative name such as "HAND-M.CUR", with the
// platform's separator between them.
QString inFolder(const QString& folder, const QString& name);

// The value of TEMP; when it is unset or empty, the system's temporary folder.
QString temporaryFolder();

// Picture files keep their resolution in the pixels-per-metre fields, so a page picture
// saved at twice the screen's density comes back with a device pixel ratio of 2.
void markPictureDensity(QImage& image, qreal devicePixelRatio);
// Loads a picture file; a null image when it cannot be read.
QImage loadPictureFile(const QString& path);

} // namespace app
