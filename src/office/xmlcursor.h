#pragma once

#include <QString>
#include <QXmlStreamReader>

// A cursor over one XML part of a package the reader did not make: it tracks the element
// depth and refuses a part nested too deeply or with too many attributes on one element,
// walks an element's children, and reports every failure as office::Error naming the part
// and the line.
namespace office {

class XmlCursor
{
public:
    XmlCursor(const QByteArray& data, const QString& part);

    // The next token; false at the end of the document. Throws on malformed XML.
    bool next();

    // Walks the children of the current element; calls handle for each child start tag.
    template <typename Handle> void children(const Handle& handle)
    {
        const int depth = mDepth;
        while (next()) {
            if (mReader.isStartElement()) {
                const int before = mDepth;
                handle();
                // A handler that did not consume the element leaves it to be skipped.
                if (mDepth >= before) {
                    skip();
                }
            } else if (mReader.isEndElement() && mDepth < depth) {
                return;
            }
        }
        fail(QStringLiteral("the part ends inside an element"));
    }

    // Passes over the current element and everything in it.
    void skip();

    bool is(const QString& ns, const char* name) const
    {
        return mReader.namespaceUri() == ns && mReader.name() == QLatin1String(name);
    }
    QString attr(const QString& ns, const char* name) const
    {
        return mReader.attributes().value(ns, QLatin1String(name)).toString();
    }
    QString attr(const char* name) const
    {
        return mReader.attributes().value(QLatin1String(name)).toString();
    }
    bool hasAttr(const QString& ns, const char* name) const
    {
        return mReader.attributes().hasAttribute(ns, QLatin1String(name));
    }
    // The character data of the current element; child elements are passed over.
    QString text();
    QXmlStreamReader& reader() { return mReader; }

    // A whole number in [low, high], or a failure naming the text.
    long long integer(const QString& value, long long low, long long high) const;

    [[noreturn]] void fail(const QString& why) const;

private:
    QXmlStreamReader mReader;
    QString mPart;
    int mDepth = 0;
};

} // namespace office
