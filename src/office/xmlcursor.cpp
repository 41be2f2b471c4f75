#include "xmlcursor.h"

#include "error.h"
#include "readlimits.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>

namespace office {

using namespace limits;

namespace {

// The most attributes one start tag of the part carries, counted in its bytes before the
// XML reader sees them; stops counting past `cap`. Comments, CDATA and processing
// instructions are passed over; an '=' inside a quoted value is not counted.
int mostAttributes(const QByteArray& data, int cap)
{
    const char* p = data.constData();
    const char* const end = p + data.size();
    const auto skipPast = [&](const char* mark) {
        const qsizetype at = QByteArrayView(p, end - p).indexOf(mark);
        p = at < 0 ? end : p + at + qstrlen(mark);
    };
    int most = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p))))) {
        ++p;
        if (QByteArrayView(p, end - p).startsWith("!--")) {
            skipPast("-->");
            continue;
        }
        if (QByteArrayView(p, end - p).startsWith("![CDATA[")) {
            skipPast("]]>");
            continue;
        }
        if (p != end && (*p == '?' || *p == '!' || *p == '/'))
            continue;
        int count = 0;
        char quote = 0;
        for (; p != end && (quote || *p != '>'); ++p) {
            if (quote) {
                if (*p == quote)
                    quote = 0;
            } else if (*p == '"' || *p == '\'') {
                quote = *p;
            } else if (*p == '=' && ++count > cap) {
                return count;
            }
        }
        most = std::max(most, count);
        if (p == end)
            break;
    }
    return most;
}

} // namespace

XmlCursor::XmlCursor(const QByteArray& data, const QString& part) : mReader(data), mPart(part)
{
    if (mostAttributes(data, kMaxAttributes) > kMaxAttributes)
        fail(QStringLiteral("an element has more than %1 attributes").arg(kMaxAttributes));
}

bool XmlCursor::next()
{
    const QXmlStreamReader::TokenType token = mReader.readNext();
    if (token == QXmlStreamReader::StartElement) {
        if (++mDepth > kMaxDepth) {
            fail(QStringLiteral("elements are nested too deeply"));
        }
    } else if (token == QXmlStreamReader::EndElement) {
        --mDepth;
    } else if (token == QXmlStreamReader::Invalid) {
        fail(mReader.errorString());
    } else if (token == QXmlStreamReader::EndDocument) {
        return false;
    }
    return true;
}

void XmlCursor::skip()
{
    const int depth = mDepth;
    while (mDepth >= depth) {
        if (!next()) {
            fail(QStringLiteral("the part ends inside an element"));
        }
    }
}

QString XmlCursor::text()
{
    QString all;
    const int depth = mDepth;
    while (next()) {
        if (mReader.isCharacters()) {
            all += mReader.text();
        } else if (mReader.isEndElement() && mDepth < depth) {
            return all;
        } else if (mReader.isStartElement()) {
            skip();
        }
    }
    fail(QStringLiteral("the part ends inside an element"));
}

long long XmlCursor::integer(const QString& value, long long low, long long high) const
{
    bool ok = false;
    const long long number = value.trimmed().toLongLong(&ok);
    if (!ok || number < low || number > high) {
        fail(QStringLiteral("the number \"%1\" is out of range").arg(value.left(40)));
    }
    return number;
}

void XmlCursor::fail(const QString& why) const
{
    throw Error(QStringLiteral("The document is damaged: %1 (%2, line %3).")
                    .arg(why, mPart)
                    .arg(mReader.lineNumber()));
}

} // namespace office
