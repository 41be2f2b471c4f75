#include "settingsstore.h"

#include "app/failure.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <system_error>

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
        } else if (c < 0x20) {
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

QString SettingsStore::setAside(const QString& key)
{
    throw app::Failure(QStringLiteral("The setting \"%1\" cannot be set aside").arg(key));
}

QString timelineKey(int scale)
{
    return QStringLiteral("Timeline") + QString::number(scale);
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
    // A fresh reader each time: the files are written below, not through QSettings.
    QSettings settings(filePath(key), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw UnreadableSetting(QStringLiteral("The setting \"%1\" cannot be read: %2")
                                    .arg(key, describeStatus(settings.status())));
    settings.beginGroup(QLatin1String(kStoreSection));
    return settings.value(key, defaultValue).toString();
}

void QSettingsStore::write(const QString& key, const QString& value)
{
    if (!QDir().mkpath(mFolder))
        throw app::Failure(QStringLiteral("The settings folder %1 cannot be created")
                               .arg(QDir::toNativeSeparators(mFolder)));
    const auto failed = [&](const QString& why) {
        return app::Failure(QStringLiteral("The setting \"%1\" cannot be saved: %2").arg(key, why));
    };
    // The whole file goes to a new file beside it, which is then renamed over the old one:
    // a process killed at any moment leaves the old or the new value, never a mix. What
    // was written is in the system's cache when the rename returns, so it outlives the
    // process; the rename is what makes ext4 put the new data on disk before the name.
    QTemporaryFile file(QDir(mFolder).filePath(QStringLiteral(".%1.ini.XXXXXX").arg(key)));
    if (!file.open())
        throw failed(file.errorString());
    const QByteArray contents = fileContents(key, value);
    if (file.write(contents) != contents.size() || !file.flush())
        throw failed(file.errorString());
    // QSettings keeps files it read in a cache for the process and reads one again only
    // when its size or time differs; two values of one size written within the clock's
    // step would look unchanged. Every file written here gets a later time than the last.
    static std::atomic<qint64> lastStampMs{0};
    qint64 stamp = QDateTime::currentMSecsSinceEpoch();
    for (qint64 last = lastStampMs.load();
         !lastStampMs.compare_exchange_weak(last, std::max(stamp, last + 1));) {
    }
    stamp = lastStampMs.load();
    file.setFileTime(QDateTime::fromMSecsSinceEpoch(stamp), QFileDevice::FileModificationTime);
    // Named while still open: an unnamed temporary file gets its name only then.
    const QString written = file.fileName();
    file.close();
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(written.toStdU16String()),
                            std::filesystem::path(filePath(key).toStdU16String()), error);
    if (error)
        throw failed(QString::fromStdString(error.message()));
    file.setAutoRemove(false);
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
