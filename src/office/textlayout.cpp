#include "textlayout.h"

#include "error.h"

#include "units/lengths.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <optional>

namespace office {

namespace {

QFont makeLayoutFont(const CharFormat& format)
{
    QFont font(format.fontName);
    font.setPixelSize(std::max(1, format.sizeHalfPt * 2));
    font.setBold(format.bold);
    font.setKerning(false);
    // Unhinted advances keep line breaks independent of the render scale.
    font.setHintingPreference(QFont::PreferNoHinting);
    // Word processors set no ligatures unless asked; a ligature glyph would also break the
    // word in the text a PDF reader extracts ("Sea" "le" for "Seattle"). Scripts that need
    // shaping are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace

QFont layoutFont(const CharFormat& format)
{
    // Copies of one font share the engine Qt found for it; a font made afresh for every
    // layout looks its engine up again, which costs more than laying a short text out.
    // Per thread, as fonts are.
    thread_local QHash<QString, QFont> fonts;
    const QString key = format.fontName + QLatin1Char('/') + QString::number(format.sizeHalfPt) +
                        (format.bold ? QStringLiteral("/b") : QStringLiteral("/r"));
    const auto found = fonts.constFind(key);
    if (found != fonts.constEnd())
        return *found;
    const QFont font = makeLayoutFont(format);
    fonts.insert(key, font);
    return font;
}

namespace {

// Line metrics as word processors take them: from the font's horizontal header
// (ascender, descender, line gap), per em. Qt may report the OS/2 "win" values instead,
// which sit the baseline of some fonts (Carlito) two points lower at 10 pt.
struct EmMetrics
{
    double ascent = 0; // ascender + line gap: baseline below the line top
    double descent = 0;
};

EmMetrics emMetrics(const QFont& font)
{
    thread_local QHash<QString, EmMetrics> cache; // per thread, as the fonts it reads
    const QString key = font.family() + (font.bold() ? QStringLiteral("/b") : QStringLiteral("/r"));
    const auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    EmMetrics metrics;
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray hhea = raw.fontTable("hhea");
    const QByteArray head = raw.fontTable("head");
    // Big-endian fields; callers check the table is long enough.
    const auto readU16 = [](const QByteArray& table, int offset) {
        return quint16((quint8(table.at(offset)) << 8) | quint8(table.at(offset + 1)));
    };
    const auto readS16 = [&](const QByteArray& table, int offset) {
        return qint16(readU16(table, offset));
    };
    const int unitsPerEm = head.size() >= 20 ? readU16(head, 18) : 0;
    if (hhea.size() >= 10 && unitsPerEm > 0) {
        metrics.ascent = double(readS16(hhea, 4) + readS16(hhea, 8)) / unitsPerEm;
        metrics.descent = double(-readS16(hhea, 6)) / unitsPerEm;
    } else {
        // No tables to read: fall back to what the font engine reports.
        const QFontMetricsF qt(font);
        metrics.ascent = (qt.ascent() + qt.leading()) / font.pixelSize();
        metrics.descent = qt.descent() / font.pixelSize();
    }
    cache.insert(key, metrics);
    return metrics;
}

// Fonts exist only once a GUI application runs; without one Qt's shaper crashes.
void requireGuiApplication()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw Error(QStringLiteral("Text cannot be laid out without a running GUI application."));
}

QColor inkOf(const CharFormat& format)
{
    return format.color ? QColor::fromRgb(*format.color) : QColor(Qt::black);
}

} // namespace

ParagraphLayout::ParagraphLayout(const Paragraph& paragraph, double widthPt, LayoutLimit limit)
{
    requireGuiApplication();
    QString text;
    struct Span
    {
        int start = 0;
        int length = 0;
        QTextCharFormat format;
        QFont font;
    };
    std::vector<Span> spans; // the non-empty runs, in order
    for (const Run& run : paragraph.runs) {
        if (run.text.isEmpty()) {
            continue;
        }
        Span span{int(text.size()), int(run.text.size()), {}, layoutFont(run.format)};
        span.format.setFont(span.font);
        span.format.setForeground(inkOf(run.format));
        spans.push_back(span);
        text += run.text;
    }
    // A manual line break keeps its position so offsets match the model.
    text.replace(QChar(u'\v'), QChar::LineSeparator);

    const CharFormat& first =
        paragraph.runs.empty() ? paragraph.markFormat : paragraph.runs.front().format;
    const QFont firstFont = layoutFont(first);
    const double atLeastUnits = units::twipsToPt(paragraph.lineAtLeastTwips) * kLayoutUnitsPerPt;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);

    // Each line is as tall as its tallest font: the fonts of the spans it holds, or the
    // paragraph mark's when it holds none.
    const auto lineMetrics = [&](int start, int length) {
        double ascent = 0;
        double descent = 0;
        bool any = false;
        auto span = std::upper_bound(spans.begin(), spans.end(), start,
                                     [](int at, const Span& s) { return at < s.start + s.length; });
        for (; span != spans.end() && span->start < start + std::max(length, 1); ++span) {
            const QFont& font = span->font;
            const EmMetrics em = emMetrics(font);
            ascent = std::max(ascent, em.ascent * font.pixelSize());
            descent = std::max(descent, em.descent * font.pixelSize());
            any = true;
        }
        if (!any) {
            const EmMetrics em = emMetrics(firstFont);
            ascent = em.ascent * firstFont.pixelSize();
            descent = em.descent * firstFont.pixelSize();
        }
        return std::pair{ascent, descent};
    };

    // A window's layout over text[from, from + length) with the spans it overlaps.
    const auto windowLayout = [&](int from, int length) {
        auto layout = std::make_unique<QTextLayout>(text.mid(from, length), firstFont);
        layout->setTextOption(option);
        QList<QTextLayout::FormatRange> ranges;
        auto span = std::upper_bound(spans.begin(), spans.end(), from,
                                     [](int at, const Span& s) { return at < s.start + s.length; });
        for (; span != spans.end() && span->start < from + length; ++span) {
            QTextLayout::FormatRange range;
            range.start = std::max(span->start, from) - from;
            range.length = std::min(span->start + span->length, from + length) - from - range.start;
            range.format = span->format;
            ranges.append(range);
        }
        layout->setFormats(ranges);
        layout->setCacheEnabled(true);
        return layout;
    };

    const int total = int(text.size());
    const double widthUnits = std::max(0.0, widthPt) * kLayoutUnitsPerPt;
    const double limitUnits = limit.heightPt * kLayoutUnitsPerPt;
    // Enough for several ordinary lines; a line that fills it makes it four times larger,
    // so the text shaped for one long line stays within a few times the line's length.
    constexpr int kWindowChars = 256;
    int windowChars = kWindowChars;
    int position = 0; // where the next line starts
    double topUnits = 0;
    bool done = false;
    while (!done) {
        const int length = std::min(total - position, windowChars);
        const bool lastWindow = position + length == total;
        auto layout = windowLayout(position, length);
        layout->beginLayout();
        int accepted = 0;
        for (;;) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) {
                done = true; // the whole text is laid out
                break;
            }
            line.setLineWidth(widthUnits);
            const int end = line.textStart() + line.textLength();
            if (!lastWindow && end >= length) {
                // The text after the window might have joined this line.
                break;
            }
            double x = 0;
            const double slack = widthUnits - line.naturalTextWidth();
            if (paragraph.alignment == Alignment::Center) {
                x = slack / 2;
            } else if (paragraph.alignment == Alignment::Right) {
                x = slack;
            }
            const int start = position + line.textStart();
            auto [ascentUnits, descentUnits] = lineMetrics(start, line.textLength());
            // "At least" spacing puts the extra room above the text, as word processors do.
            ascentUnits += std::max(0.0, atLeastUnits - ascentUnits - descentUnits);
            // Qt draws the baseline at the line's position plus its own ascent.
            line.setPosition(QPointF(x, topUnits + ascentUnits - line.ascent()));
            LineBox box;
            box.textStart = start;
            box.textLength = line.textLength();
            box.xPt = x / kLayoutUnitsPerPt;
            box.topPt = topUnits / kLayoutUnitsPerPt;
            box.baselinePt = (topUnits + ascentUnits) / kLayoutUnitsPerPt;
            const double heightUnits = ascentUnits + descentUnits;
            box.heightPt = heightUnits / kLayoutUnitsPerPt;
            box.widthPt = line.naturalTextWidth() / kLayoutUnitsPerPt;
            mLines.push_back(box);
            mPlaced.push_back({mWindows.size(), line.lineNumber()});
            topUnits += heightUnits;
            ++accepted;
            if (topUnits >= limitUnits || start + box.textLength > limit.throughOffset ||
                int(mLines.size()) >= limit.lines) {
                done = true;
                mComplete = lastWindow && start + box.textLength >= total &&
                            !layout->createLine().isValid();
                break;
            }
        }
        layout->endLayout();
        if (accepted > 0 && mLines.back().textStart + mLines.back().textLength == position &&
            !done) {
            // A line that takes no text would repeat for ever.
            mComplete = false;
            done = true;
        }
        if (accepted > 0) {
            const LineBox& last = mLines.back();
            position = last.textStart + last.textLength;
            mWindows.push_back(std::move(layout));
            windowChars = kWindowChars;
        } else if (!done) {
            windowChars = int(std::min<qint64>(qint64(windowChars) * 4, total));
        }
    }
    mHeightPt = topUnits / kLayoutUnitsPerPt;
}

ParagraphLayout::~ParagraphLayout() = default;
ParagraphLayout::ParagraphLayout(ParagraphLayout&&) noexcept = default;
ParagraphLayout& ParagraphLayout::operator=(ParagraphLayout&&) noexcept = default;

void ParagraphLayout::draw(QPainter& painter, QPointF topLeftPt) const
{
    painter.save();
    painter.translate(topLeftPt);
    painter.scale(1 / kLayoutUnitsPerPt, 1 / kLayoutUnitsPerPt);
    for (const Placed& placed : mPlaced) {
        mWindows[placed.window]->lineAt(placed.line).draw(&painter, QPointF(0, 0));
    }
    painter.restore();
}

namespace {

// Qt's line breaker sums advances in fixed point, 1/64 of a layout unit; so does this one,
// so that both reach the same sums.
constexpr int kFixedPerUnit = 64;

// Characters that take one glyph each, left to right, whatever stands beside them: the
// Latin letters, digits, punctuation and symbols up to the spacing modifiers, the Latin
// additions, general punctuation and currency signs. No space but the plain one, no
// control, no soft hyphen, no combining mark.
constexpr char16_t kPlainLimit = 0x20c1;
bool isPlain(char16_t c)
{
    if (c == u' ')
        return true;
    if (c < 0x21 || (c >= 0x7f && c <= 0xa0) || c == 0xad)
        return false;
    return c < 0x300 || (c >= 0x1e00 && c < 0x1f00) || (c >= 0x2010 && c < 0x2028) ||
           (c >= 0x2030 && c < 0x205f) || (c >= 0x20a0 && c < kPlainLimit);
}

QTextOption measuringOption()
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    return option;
}

// One layout font's figures for plain text: each character's advance and how far its ink
// reaches past it, in fixed point, learnt the first time the character is met.
struct PlainFont
{
    QFont font;
    double ascentUnits = 0;
    double descentUnits = 0;
    qint64 leastOverhang = 0; // the font's own bound, below which Qt does not look closer
    std::vector<qint32> advance = std::vector<qint32>(kPlainLimit, -1);
    std::vector<qint32> overhang = std::vector<qint32>(kPlainLimit, 0);

    void learn(char16_t c)
    {
        // A line of the one character: its end is its advance, and the line's width adds
        // the ink past it, as at the end of any line.
        QTextLayout layout(QString(QChar(c)), font);
        layout.setTextOption(measuringOption());
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e6);
        layout.endLayout();
        advance[c] = qRound(line.cursorToX(1) * kFixedPerUnit);
        if (c != u' ')
            overhang[c] = std::max(0, qRound(line.naturalTextWidth() * kFixedPerUnit) - advance[c]);
    }
    qint64 width(const QString& text, int start, int length)
    {
        qint64 sum = 0;
        for (int i = start; i < start + length; ++i) {
            const char16_t c = text.at(i).unicode();
            if (advance[c] < 0)
                learn(c);
            sum += advance[c];
        }
        return sum;
    }
    qint64 overhangOf(char16_t c)
    {
        if (advance[c] < 0)
            learn(c);
        return overhang[c];
    }
};

PlainFont& plainFont(const CharFormat& format)
{
    // A plan measures one font many times in a row: the last few are found without a key.
    struct Recent
    {
        QString fontName;
        int sizeHalfPt = 0;
        bool bold = false;
        PlainFont* font = nullptr;
    };
    thread_local std::array<Recent, 4> recent;
    thread_local size_t nextRecent = 0;
    for (const Recent& r : recent) {
        if (r.font && r.sizeHalfPt == format.sizeHalfPt && r.bold == format.bold &&
            r.fontName == format.fontName)
            return *r.font;
    }
    thread_local QHash<QString, std::shared_ptr<PlainFont>> fonts;
    const QString key = format.fontName + QLatin1Char('/') + QString::number(format.sizeHalfPt) +
                        (format.bold ? QStringLiteral("/b") : QStringLiteral("/r"));
    std::shared_ptr<PlainFont>& found = fonts[key];
    if (!found) {
        found = std::make_shared<PlainFont>();
        found->font = layoutFont(format);
        const EmMetrics em = emMetrics(found->font);
        found->ascentUnits = em.ascent * found->font.pixelSize();
        found->descentUnits = em.descent * found->font.pixelSize();
        found->leastOverhang = std::abs(
            std::min(0, int(QFontMetricsF(found->font).minRightBearing() * kFixedPerUnit)));
    }
    recent[nextRecent] = Recent{format.fontName, format.sizeHalfPt, format.bold, found.get()};
    nextRecent = (nextRecent + 1) % recent.size();
    return *found;
}

// A plain text cut where Qt's breaker looks at it: words, each ending where a line may
// break, and the blanks between them. Empty when the text is not plain, or starts or
// ends with a blank (Qt then counts the blanks differently).
struct Token
{
    int start = 0;
    int length = 0;
    bool blank = false;
};

// More than any frame of a page shows; a longer text is laid out in full.
constexpr int kPlainMaxLength = 2000;

struct PlainText
{
    std::vector<Token> tokens;
    // Each token's width in the fonts it was measured in, summed once per font.
    std::vector<std::pair<const PlainFont*, std::vector<qint64>>> widths;

    const std::vector<qint64>& widthsIn(PlainFont& font, const QString& text)
    {
        for (const auto& [measured, values] : widths) {
            if (measured == &font)
                return values;
        }
        std::vector<qint64> values;
        values.reserve(tokens.size());
        for (const Token& token : tokens)
            values.push_back(font.width(text, token.start, token.length));
        widths.emplace_back(&font, std::move(values));
        return widths.back().second;
    }
};

PlainText& plainText(const QString& text)
{
    thread_local QHash<QString, PlainText> known;
    const auto found = known.find(text);
    if (found != known.end())
        return *found;
    if (known.size() > 4096)
        known.clear();
    std::vector<Token> tokens;
    const int n = int(text.size());
    const bool plain =
        n > 0 && n <= kPlainMaxLength && text.front() != u' ' && text.back() != u' ' &&
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return isPlain(c.unicode()); });
    if (plain) {
        std::vector<bool> breakBefore(size_t(n) + 1, false);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
        for (qsizetype at = finder.toNextBoundary(); at > 0 && at < n; at = finder.toNextBoundary())
            breakBefore[size_t(at)] = true;
        for (int i = 0; i < n;) {
            Token token{i, 0, text.at(i) == u' '};
            int j = i + 1;
            while (j < n && (token.blank ? text.at(j) == u' '
                                         : text.at(j) != u' ' && !breakBefore[size_t(j)]))
                ++j;
            token.length = j - i;
            tokens.push_back(token);
            i = j;
        }
    }
    return *known.insert(text, PlainText{std::move(tokens), {}});
}

// Whether a line that ends at `end` broke inside a word.
bool splitsWord(const QString& text, QTextBoundaryFinder& finder, int end)
{
    if (end <= 0 || end >= text.size() || text.at(end - 1).isSpace())
        return false;
    finder.setPosition(end);
    return !finder.isAtBoundary();
}

// The lines of a plain paragraph in one font, as Qt's breaker sets them: a word joins the
// line while the line with it, and with the ink of its last character when it nears the
// edge, stays within the width. A line that will not hold its first word (or whose ink
// ends past the edge) is filled again a character at a time, as Qt then does.
std::optional<MeasuredLines> plainLines(const Paragraph& paragraph, double widthPt,
                                        const LayoutLimit& limit)
{
    if (paragraph.runs.empty())
        return std::nullopt;
    const CharFormat& format = paragraph.runs.front().format;
    for (const Run& run : paragraph.runs) {
        if (run.format.fontName != format.fontName || run.format.sizeHalfPt != format.sizeHalfPt ||
            run.format.bold != format.bold)
            return std::nullopt;
    }
    const QString text = paragraph.text();
    PlainText& plain = plainText(text);
    const std::vector<Token>& tokens = plain.tokens;
    if (tokens.empty())
        return std::nullopt;
    PlainFont& font = plainFont(format);
    const std::vector<qint64>& tokenWidths = plain.widthsIn(font, text);
    const double widthUnits = std::max(0.0, widthPt) * kLayoutUnitsPerPt;
    // Qt truncates a width to its fixed point.
    const qint64 width = qint64(widthUnits * kFixedPerUnit);
    const double atLeastUnits = units::twipsToPt(paragraph.lineAtLeastTwips) * kLayoutUnitsPerPt;
    const double ascentUnits =
        font.ascentUnits + std::max(0.0, atLeastUnits - font.ascentUnits - font.descentUnits);
    const double heightUnits = ascentUnits + font.descentUnits;
    const double limitUnits = limit.heightPt * kLayoutUnitsPerPt;
    const int total = int(text.size());
    const auto overhangBefore = [&](int end) {
        return font.overhangOf(text.at(end - 1).unicode());
    };
    // Whether a piece ending with `last` may join the line, which is then `with` wide: its
    // ink is looked at only near the edge, as Qt looks.
    const auto joins = [&](qint64 with, char16_t last) {
        return with <= width &&
               (with + font.leastOverhang <= width || with + font.overhangOf(last) <= width);
    };
    // A line from the pieces `piece(0)`, `piece(1)`... up to `count`, each joining while it
    // may: where the line ends and how wide its pieces are, or nothing when blanks alone
    // overflow it (Qt then lets them end the line).
    struct Piece
    {
        int start;
        int length;
        qint64 width;
        bool blank;
    };
    struct Filled
    {
        int end;
        qint64 width;
    };
    const auto fill = [&](auto piece, size_t count) -> std::optional<Filled> {
        Filled line{total, 0};
        qint64 blanks = 0;
        bool first = true;
        for (size_t k = 0; k < count; ++k) {
            const Piece p = piece(k);
            if (p.blank) {
                blanks += p.width;
                if (blanks > width)
                    return std::nullopt;
                continue;
            }
            const qint64 with = line.width + blanks + p.width;
            if (!first && !joins(with, text.at(p.start + p.length - 1).unicode())) {
                line.end = p.start;
                break;
            }
            line.width = with;
            blanks = 0;
            first = false;
        }
        return line;
    };

    MeasuredLines result;
    double topUnits = 0;
    int position = 0; // where the next line starts
    size_t t = 0;     // the token holding it
    while (position < total) {
        // Word by word; the token holding the line's start counts from there.
        std::optional<Filled> filled = fill(
            [&](size_t k) {
                const Token& token = tokens[t + k];
                const int start = std::max(token.start, position);
                const int length = token.start + token.length - start;
                return Piece{start, length,
                             start == token.start ? tokenWidths[t + k]
                                                  : font.width(text, start, length),
                             token.blank};
            },
            tokens.size() - t);
        if (!filled)
            return std::nullopt;
        qint64 natural = filled->width + overhangBefore(filled->end);
        if (natural > width) {
            // Character by character, when the first word (or its ink) is wider than the line.
            filled = fill(
                [&](size_t k) {
                    const int at = position + int(k);
                    return Piece{at, 1, font.width(text, at, 1), text.at(at) == u' '};
                },
                size_t(total - position));
            if (!filled)
                return std::nullopt;
            natural = filled->width + overhangBefore(filled->end);
        }
        const int end = filled->end;
        while (t < tokens.size() && tokens[t].start + tokens[t].length <= end)
            ++t;
        const double naturalUnits = double(natural) / kFixedPerUnit;
        double x = 0;
        if (paragraph.alignment == Alignment::Center)
            x = (widthUnits - naturalUnits) / 2;
        else if (paragraph.alignment == Alignment::Right)
            x = widthUnits - naturalUnits;
        MeasuredLine line;
        line.box.textStart = position;
        line.box.textLength = end - position;
        line.box.xPt = x / kLayoutUnitsPerPt;
        line.box.topPt = topUnits / kLayoutUnitsPerPt;
        line.box.baselinePt = (topUnits + ascentUnits) / kLayoutUnitsPerPt;
        line.box.heightPt = heightUnits / kLayoutUnitsPerPt;
        line.box.widthPt = naturalUnits / kLayoutUnitsPerPt;
        // A line that ends inside a token ends inside a word.
        line.splitsWord = end < total && t < tokens.size() && tokens[t].start < end;
        result.lines.push_back(line);
        topUnits += heightUnits;
        position = end;
        if (position < total && (topUnits >= limitUnits || end > limit.throughOffset ||
                                 int(result.lines.size()) >= limit.lines)) {
            result.complete = false;
            break;
        }
    }
    result.heightPt = topUnits / kLayoutUnitsPerPt;
    return result;
}

} // namespace

MeasuredLines measureLines(const Paragraph& paragraph, double widthPt, LayoutLimit limit)
{
    requireGuiApplication();
    if (std::optional<MeasuredLines> plain = plainLines(paragraph, widthPt, limit))
        return std::move(*plain);
    const ParagraphLayout layout(paragraph, widthPt, limit);
    MeasuredLines result;
    result.heightPt = layout.heightPt();
    result.complete = layout.complete();
    const QString text = paragraph.text();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    for (const LineBox& box : layout.lines())
        result.lines.push_back(
            MeasuredLine{box, splitsWord(text, finder, box.textStart + box.textLength)});
    return result;
}

} // namespace office
