#include "settingsstore.h"

#include "app/failure.h"
#include "app/processend.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

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

QSettingsStore::QSettingsStore(QString folder) : mFolder(std::move(folder))
{
    mFlushId = app::registerFlushBeforeEnd([this] { flush(); });
}

QSettingsStore::~QSettingsStore()
{
    app::unregisterFlushBeforeEnd(mFlushId);
}

QString QSettingsStore::filePath(const QString& key) const
{
    return QDir(mFolder).filePath(key + QStringLiteral(".ini"));
}

QSettings& QSettingsStore::settingsFor(const QString& key)
{
    auto found = mFiles.find(key);
    if (found == mFiles.end()) {
        auto settings = std::make_unique<QSettings>(filePath(key), QSettings::IniFormat);
        settings->setAtomicSyncRequired(true);
        settings->beginGroup(QLatin1String(kStoreSection));
        found = mFiles.emplace(key, std::move(settings)).first;
    }
    return *found->second;
}

QString QSettingsStore::read(const QString& key, const QString& defaultValue)
{
    QSettings& settings = settingsFor(key);
    if (settings.status() != QSettings::NoError) {
        const QSettings::Status status = settings.status();
        // A later read, after the file was set aside or mended, starts afresh.
        mFiles.erase(key);
        throw UnreadableSetting(QStringLiteral("The setting \"%1\" cannot be read: %2")
                                    .arg(key, describeStatus(status)));
    }
    return settings.value(key, defaultValue).toString();
}

void QSettingsStore::write(const QString& key, const QString& value)
{
    if (!QDir().mkpath(mFolder))
        throw app::Failure(QStringLiteral("The settings folder %1 cannot be created")
                               .arg(QDir::toNativeSeparators(mFolder)));
    QSettings& settings = settingsFor(key);
    settings.setValue(key, value);
    settings.sync();
    const QSettings::Status status = settings.status();
    if (status != QSettings::NoError) {
        // QSettings keeps the first error for good; a fresh object lets a later write
        // succeed once the cause is gone.
        mFiles.erase(key);
        throw app::Failure(QStringLiteral("The setting \"%1\" cannot be saved: %2")
                               .arg(key, describeStatus(status)));
    }
}

QString QSettingsStore::setAside(const QString& key)
{
    mFiles.erase(key);
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

void QSettingsStore::flush()
{
    for (auto& [key, settings] : mFiles)
        settings->sync();
}

} // namespace editor
