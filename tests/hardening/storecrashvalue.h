#pragma once

#include <QCryptographicHash>
#include <QString>
#include <QStringList>

#include <optional>

// The values the crash writer stores: a header with the sequence number, the payload's
// length and its hash, then the payload. Every few values are large, so a kill often
// lands in the middle of writing one.
namespace storecrash {

inline QString payloadFor(const QString& key, qint64 sequence)
{
    const qint64 length = sequence % 5 == 0 ? 3'000'000 + sequence % 977 : 200 + sequence % 3001;
    QString payload;
    payload.reserve(length);
    // Text that the store's format has to escape: separators, a line break, non-Latin.
    static const QString alphabet = QStringLiteral("abc=;[]\\\"\n\u00e9\u05d0%, ");
    for (qint64 i = 0; i < length; ++i)
        payload += alphabet.at(int((i * 31 + sequence + key.size()) % alphabet.size()));
    return payload;
}

inline QString hashOf(const QString& payload)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(payload.toUtf8(), QCryptographicHash::Sha1).toHex());
}

inline QString valueFor(const QString& key, qint64 sequence)
{
    const QString payload = payloadFor(key, sequence);
    return QStringLiteral("%1:%2:%3:%4|")
               .arg(key)
               .arg(sequence)
               .arg(payload.size())
               .arg(hashOf(payload)) +
           payload;
}

// The sequence number of a complete, untouched value written for `key`; empty otherwise.
inline std::optional<qint64> checkValue(const QString& key, const QString& value)
{
    const qsizetype bar = value.indexOf(u'|');
    if (bar < 0)
        return std::nullopt;
    const QStringList header = value.left(bar).split(u':');
    if (header.size() != 4 || header[0] != key)
        return std::nullopt;
    bool ok = false;
    const qint64 sequence = header[1].toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    const QString payload = value.mid(bar + 1);
    if (header[2] != QString::number(payload.size()) || header[3] != hashOf(payload))
        return std::nullopt;
    if (payload != payloadFor(key, sequence))
        return std::nullopt;
    return sequence;
}

} // namespace storecrash
