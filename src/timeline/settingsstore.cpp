#include "settingsstore.h"

#include "scale.h"

#include "app/failure.h"
#include "filewrite/safefile.h"
#include "timeline/scale.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cstring>

#include <sys/stat.h>

namespace editor {
namespace {
QString describeStatus(QSettings::Status status)
{
    switch (status) {
    case QSettings::NoError:
        return QStringLiteral("no error");
    case QSettings::AccessError:
        return QStringLiteral("the file cannot be read or written");
    case QSettings::FormatError:
        return QStringLiteral("the file is not a valid settings file");
    }
    return QStringLiteral("unknown error");
}

// A file this process wrote. Each write makes a new file, so while the same file (device,
// inode and size) is there, it holds the value written, whatever its time says.
struct WrittenFile
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    QString value;

    bool sameFile(const struct stat& now) const
    {
        return now.st_dev == device && now.st_ino == inode && now.st_size == size;
    }
};

// Shared by every store of the process, as QSettings' cache is.
QMutex gWrittenMutex;
QHash<QString, WrittenFile> gWritten;

bool statFile(const QString& path, struct stat& info)
{
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

// Only a regular file is read: a pipe or a device would block the read, or never end.
void refuseIfNotRegular(const QString& path, const QString& key)
{
    struct stat info = {};
    if (statFile(path, info) && !S_ISREG(info.st_mode))
        throw UnreadableSetting(
            QStringLiteral("The setting \"%1\" cannot be read: it is not a regular file").arg(key));
}

bool isUtf8File(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // the reader has said what it could not read
    QStringDecoder decoder(QStringDecoder::Utf8);
    constexpr qint64 kChunkBytes = 1 << 20;
    while (!file.atEnd()) {
        // A chunk may end inside a sequence; the stateful decoder carries it on. The
        // decoding runs when its result becomes a string.
        const QString decoded = decoder.decode(file.read(kChunkBytes));
        if (decoder.hasError())
            return false;
    }
    return true;
}

// The value as QSettings reads it from `path`; the default when absent.
QString readIniValue(const QString& path, const QString& key, const QString& defaultValue)
{
    refuseIfNotRegular(path, key);
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw UnreadableSetting(QStringLiteral("The setting \"%1\" cannot be read: %2")
                                    .arg(key, describeStatus(settings.status())));
    settings.beginGroup(QLatin1String(kStoreSection));
    if (!settings.contains(key))
        return defaultValue;
    const QVariant value = settings.value(key);
    // An unquoted comma makes a list, "@Variant(...)" a typed value: neither is what the
    // store wrote, and writing over it would lose it.
    if (value.typeId() != QMetaType::QString)
        throw UnreadableSetting(QStringLiteral("The setting \"%1\" cannot be read: it is not "
                                               "plain text")
                                    .arg(key));
    QString text = value.toString();
    // QSettings reads bytes that are not UTF-8 as U+FFFD; written back, that would replace
    // them for good. Only a value holding one is checked, so a list costs no second read.
    if (text.contains(QChar::ReplacementCharacter) && !isUtf8File(path))
        throw UnreadableSetting(
            QStringLiteral("The setting \"%1\" cannot be read: it is not UTF-8 text").arg(key));
    return text;
}

// The offset just past the `maxPieces`th `mark` in the file, or -1 when it holds fewer.
qint64 endOfPieces(QFile& file, const QByteArray& mark, int maxPieces)
{
    constexpr qint64 kChunkBytes = 1 << 20;
    int count = 0;
    qint64 chunkStart = 0;
    QByteArray carried;
    while (true) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty())
            return -1;
        const QByteArray window = carried + chunk;
        const qint64 windowStart = chunkStart - carried.size();
        qsizetype searched = 0; // past the last mark found, as a search of the whole would
        for (qsizetype at = window.indexOf(mark); at >= 0; at = window.indexOf(mark, searched)) {
            searched = at + mark.size();
            if (++count == maxPieces)
                return windowStart + searched;
        }
        chunkStart += chunk.size();
        // A mark split across two chunks is found in the next window.
        carried = window.right(std::min<qsizetype>(mark.size() - 1, window.size() - searched));
    }
}

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A string value as the INI reader of QSettings takes it back unchanged: backslash
// escapes for controls, quotes and backslashes; "\x" and the UTF-16 unit in hex for
// surrogates, and for a hex digit right after such an escape, which the reader would
// otherwise take as part of it; UTF-8 for the rest; quotes around a value holding a
// separator or an outer blank; a leading "@" doubled, as the reader strips one.
void appendIniValue(QByteArray& out, QStringView value)
{
    // Written through a pointer into room for the longest form ("\xhhhh", six bytes per
    // unit, and a quote at each end): a list is megabytes, and this runs on every change.
    const qsizetype start = out.size();
    out.resize(start + value.size() * 6 + 3);
    char* const first = out.data() + start;
    char* p = first + 1; // leaves room for an opening quote
    if (value.startsWith(u'@'))
        *p++ = '@';
    bool needsQuotes = false;
    bool escapeHexDigit = false;
    static constexpr char kHex[] = "0123456789abcdef";
    const auto escapeUnit = [&](char16_t unit) {
        *p++ = '\\';
        *p++ = 'x';
        bool leading = true;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const int digit = (unit >> shift) & 0xF;
            if (leading && digit == 0 && shift > 0)
                continue;
            leading = false;
            *p++ = kHex[digit];
        }
        escapeHexDigit = true;
    };
    const char16_t* in = value.utf16();
    const char16_t* const stop = in + value.size();
    while (in != stop) {
        // Most of a list is plain ASCII: copy such a run in a tight loop.
        if (!escapeHexDigit) {
            while (in != stop && *in >= 0x20 && *in < 0x7F && *in != u'"' && *in != u'\\' &&
                   *in != u';' && *in != u',' && *in != u'=')
                *p++ = char(*in++);
            if (in == stop)
                break;
        }
        const char16_t c = *in++;
        if (escapeHexDigit && isHexDigit(c)) {
            escapeUnit(c);
            continue;
        }
        escapeHexDigit = false;
        if (c >= 0x20 && c < 0x7F) {
            if (c == u'"' || c == u'\\')
                *p++ = '\\';
            else if (c == u';' || c == u',' || c == u'=')
                needsQuotes = true;
            *p++ = char(c);
        } else if (c < 0x20 || c == 0x7F) {
            if (c == u'\n' || c == u'\r' || c == u'\t') {
                *p++ = '\\';
                *p++ = c == u'\n' ? 'n' : (c == u'\r' ? 'r' : 't');
            } else {
                escapeUnit(c);
            }
        } else if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            escapeUnit(c);
        } else {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
            *p++ = char(0x80 | (c & 0x3F));
        }
    }
    char* begin = first + 1;
    if (needsQuotes || (p > begin && (*begin == ' ' || p[-1] == ' '))) {
        *first = '"';
        *p++ = '"';
        begin = first;
    }
    const qsizetype length = p - begin;
    if (begin != first)
        std::memmove(first, begin, static_cast<size_t>(length));
    out.truncate(start + length);
}
} // namespace

SettingsStore::Pieces SettingsStore::readPieces(const QString& key, QStringView terminator,
                                                int maxPieces)
{
    Pieces pieces{read(key, QString())};
    qsizetype end = 0;
    for (int count = 0; count < maxPieces; ++count) {
        const qsizetype at = pieces.value.indexOf(terminator, end);
        if (at < 0)
            return pieces;
        end = at + terminator.size();
    }
    if (!QStringView(pieces.value).mid(end).trimmed().isEmpty()) {
        pieces.value.truncate(end);
        pieces.cut = true;
    }
    return pieces;
}

QString SettingsStore::setAside(const QString& key)
{
    throw app::Failure(QStringLiteral("The setting \"%1\" cannot be set aside").arg(key));
}

QString readOrSetAside(SettingsStore& store, const QString& key, const QString& defaultValue,
                       const QString& what, QStringList& notices)
{
    try {
        return store.read(key, defaultValue);
    } catch (const UnreadableSetting& unreadable) {
        // The key then reads as absent, so this is said once.
        const QString keptAs = store.setAside(key);
        notices << QStringLiteral("The saved %1 could not be read (%2). It was kept "
                                  "as \"%3\", and the %1 starts afresh.")
                       .arg(what, unreadable.description(), QDir::toNativeSeparators(keptAs));
        return defaultValue;
    }
}

QString readChoice(SettingsStore& store, const QString& key, const QString& defaultValue,
                   const QString& what, QStringList* notices)
{
    try {
        if (notices)
            return readOrSetAside(store, key, defaultValue, what, *notices);
        return store.read(key, defaultValue);
    } catch (const app::Failure&) {
        // An unreadable choice is no reason to refuse a page: the default holds.
        return defaultValue;
    }
}

QString timelineKey(int scale)
{
    return QStringLiteral("Timeline") + QString::number(scale);
}

QString titleKey(int scale)
{
    return QStringLiteral("Title") + QString::number(scale);
}

QString storedTitle(SettingsStore& store, int scale)
{
    const QString shown = store.read(QLatin1String(kTitleKey), QString());
    if (scaleOfStoredOption(store.read(QLatin1String(kOptionKey), QString())) == scale)
        return shown;
    return store.read(titleKey(scale), shown);
}

QString timelineDetailsKey(int scale)
{
    return timelineKey(scale) + QStringLiteral("Details");
}

void writeEntryDetails(SettingsStore& store, int scale, const QList<TimelineEntry>& entries)
{
    const QString key = timelineDetailsKey(scale);
    const QString details = encodeEntryDetails(entries);
    if (details.isEmpty()) {
        try {
            if (store.read(key, QString()).isEmpty())
                return;
        } catch (const UnreadableSetting&) {
            return; // what could not be read is not written over with nothing
        }
    }
    store.write(key, details);
}

void readEntryDetails(SettingsStore& store, int scale, QList<TimelineEntry>& entries,
                      QStringList* notices)
{
    const QString key = timelineDetailsKey(scale);
    QString details;
    try {
        // No more pieces than a list holds entries, however long the value.
        details = store.readPieces(key, kEntryTerminator, kMaxListEntries).value;
    } catch (const UnreadableSetting&) {
        if (notices)
            readOrSetAside(store, key, QString(),
                           QStringLiteral("record of the %1 list's categories and milestones")
                               .arg(scaleName(scale)),
                           *notices);
        return;
    }
    decodeEntryDetails(details, entries);
}

QString QSettingsStore::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QLatin1String(kStoreApplication));
}

QSettingsStore::QSettingsStore(QString folder) : mFolder(std::move(folder)) {}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::filePath(const QString& key) const
{
    return QDir(mFolder).filePath(key + QStringLiteral(".ini"));
}

QByteArray QSettingsStore::fileContents(const QString& key, QStringView value)
{
    // One group named after the section, percent-encoded as QSettings names groups.
    QByteArray contents = QByteArrayLiteral("[") + QByteArray(kStoreSection).replace(' ', "%20") +
                          QByteArrayLiteral("]\n") + key.toUtf8() + '=';
    appendIniValue(contents, value);
    contents += '\n';
    return contents;
}

QString QSettingsStore::read(const QString& key, const QString& defaultValue)
{
    const QString path = filePath(key);
    struct stat info = {};
    if (statFile(path, info)) {
        const QMutexLocker lock(&gWrittenMutex);
        const auto written = gWritten.constFind(path);
        if (written != gWritten.cend() && written->sameFile(info))
            return written->value;
    }
    return readIniValue(path, key, defaultValue);
}

SettingsStore::Pieces QSettingsStore::readPieces(const QString& key, QStringView terminator,
                                                 int maxPieces)
{
    refuseIfNotRegular(filePath(key), key);
    QFile file(filePath(key));
    if (!file.open(QIODevice::ReadOnly))
        return {read(key, QString())};
    const qint64 end = endOfPieces(file, terminator.toUtf8(), maxPieces);
    // What may follow the last piece: the closing quote and the line's end.
    const auto onlyLineEnd = [&] {
        file.seek(end);
        const QByteArray rest = file.read(4);
        return rest.size() < 4 && QByteArray(rest).replace('"', "").trimmed().isEmpty();
    };
    if (end < 0 || onlyLineEnd())
        return {read(key, QString())};

    // The pieces within the cap, closed as the writer closes a value, read by QSettings
    // from a copy of their own.
    file.seek(0);
    QByteArray head = file.read(end);
    const QByteArray assignment = key.toUtf8() + '=';
    const qsizetype valueStart = head.indexOf(assignment);
    const bool quoted = valueStart >= 0 && head.size() > valueStart + assignment.size() &&
                        head.at(valueStart + assignment.size()) == '"';
    head += quoted ? "\"\n" : "\n";
    QTemporaryFile copy;
    if (!copy.open() || copy.write(head) != head.size() || !copy.flush())
        throw UnreadableSetting(
            QStringLiteral("The setting \"%1\" cannot be read: %2").arg(key, copy.errorString()));
    return {readIniValue(copy.fileName(), key, QString()), true};
}

void QSettingsStore::write(const QString& key, const QString& value)
{
    if (!QDir().mkpath(mFolder))
        throw app::Failure(QStringLiteral("The settings folder %1 cannot be created")
                               .arg(QDir::toNativeSeparators(mFolder)));
    const QString path = filePath(key);
    const filewrite::WriteResult written = filewrite::replaceFile(path, fileContents(key, value));
    if (!written)
        throw app::Failure(
            QStringLiteral("The setting \"%1\" cannot be saved: %2").arg(key, written.reason));
    struct stat info = {};
    const QMutexLocker lock(&gWrittenMutex);
    if (statFile(path, info))
        gWritten.insert(path, {info.st_dev, info.st_ino, info.st_size, value});
    else
        gWritten.remove(path);
}

QString QSettingsStore::setAside(const QString& key)
{
    const QString from = filePath(key);
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    QString to;
    for (int n = 1;; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral(" %1").arg(n);
        to = QDir(mFolder).filePath(
            QStringLiteral("%1 (unreadable, set aside %2%3).ini").arg(key, stamp, suffix));
        if (!QFileInfo::exists(to))
            break;
    }
    if (!QFile::rename(from, to))
        throw app::Failure(QStringLiteral("The unreadable setting \"%1\" cannot be moved aside "
                                          "to %2")
                               .arg(key, QDir::toNativeSeparators(to)));
    return to;
}

} // namespace editor
