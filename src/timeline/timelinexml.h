#pragma once

#include "timeline.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QXmlStreamReader;
class QXmlStreamWriter;

// The timeline as a small XML document of the studio's own namespace, which every file
// made for a page carries so that it can be opened again:
//   <timeline xmlns="…" scale="yearly" layout="fit" spacing="even" paper="A4" theme="Slate">
//     <title>…</title>
//     <entry><date>…</date><notes>…</notes><category>…</category><milestone>yes</milestone>
//     </entry> …
//   </timeline>
// An entry holds one element per row of kEntryColumns, named by the column in lower case,
// so a new field needs only its row there; the fields past the date and notes only when
// they hold something (a flag as "yes"). The reader takes the bytes as hostile.
namespace timeline::xml {

inline constexpr char kNamespace[] = "urn:loomchart:page-studio:timeline:1";
inline constexpr char kRootName[] = "timeline";

// What the reader accepts: far above any page (63 entries), low enough that a hostile
// document costs little.
inline constexpr qsizetype kMaxBytes = 4 * 1024 * 1024;
inline constexpr int kMaxEntries = 10000;
inline constexpr qsizetype kMaxTextLength = 1024 * 1024;
inline constexpr int kMaxDepth = 64;

// The whole document, UTF-8 with its XML declaration.
QByteArray write(const Timeline& timeline);
// The timeline element alone, into a document being written (an SVG's metadata).
void writeElement(QXmlStreamWriter& writer, const Timeline& timeline);

struct ReadResult
{
    std::optional<Timeline> timeline;
    QString error; // why there is none, in one sentence
};

// The document as write() makes it: UTF-8 (declared so or undeclared), no document type
// declaration, within the limits above, one timeline element of the namespace. Unknown
// elements inside an entry are passed over (a later version's fields); an unknown scale
// is an error, an unknown page choice reads as the default.
ReadResult read(const QByteArray& bytes);
// The timeline element the reader stands on (its start), read to its end. Limits of the
// enclosing document (size, encoding, no DTD) are the caller's.
ReadResult readElement(QXmlStreamReader& reader);

} // namespace timeline::xml
