#include "pagetheme.h"

#include <cmath>

namespace docgen {

namespace {
constexpr Colour kWhite{255, 255, 255};
constexpr Colour kBlack{0, 0, 0};
} // namespace

const QList<PageTheme>& PageTheme::all()
{
    // Fonts a reader has: Arial and Calibri stand for their metric-compatible Liberation
    // Sans and Carlito where they are not installed.
    static const QList<PageTheme> themes{
        original(),
        PageTheme{QStringLiteral("Slate"),
                  QStringLiteral("Liberation Sans"),
                  Colour{0x1F, 0x2A, 0x44},
                  QStringLiteral("Carlito"),
                  Colour{0x1F, 0x2A, 0x44},
                  Colour{0xDD, 0xE3, 0xEA},
                  QStringLiteral("Carlito"),
                  Colour{255, 255, 255},
                  Colour{0x34, 0x49, 0x5E},
                  Colour{0x2C, 0x3E, 0x50},
                  {{Colour{0x1F, 0x6F, 0x8B}, kWhite},
                   {Colour{0x7D, 0x3C, 0x98}, kWhite},
                   {Colour{0x9C, 0x42, 0x21}, kWhite},
                   {Colour{0x2E, 0x6B, 0x3F}, kWhite},
                   {Colour{0x6B, 0x5B, 0x2E}, kWhite},
                   {Colour{0x8E, 0x2C, 0x48}, kWhite}}},
        PageTheme{QStringLiteral("Ink"),
                  QStringLiteral("Liberation Serif"),
                  Colour{0, 0, 0},
                  QStringLiteral("Carlito"),
                  Colour{0, 0, 0},
                  Colour{0xE6, 0xE6, 0xE6},
                  QStringLiteral("Carlito"),
                  Colour{0, 0, 0},
                  Colour{255, 255, 255},
                  Colour{0, 0, 0},
                  {{Colour{0xFD, 0xE2, 0xB3}, kBlack},
                   {Colour{0xCD, 0xE8, 0xF6}, kBlack},
                   {Colour{0xD9, 0xF2, 0xD0}, kBlack},
                   {Colour{0xF6, 0xD5, 0xE0}, kBlack},
                   {Colour{0xE6, 0xDD, 0xF6}, kBlack},
                   {Colour{0xFF, 0xF3, 0xB0}, kBlack}}},
        PageTheme{QStringLiteral("Ember"),
                  QStringLiteral("Liberation Sans"),
                  Colour{0x7A, 0x2E, 0x0E},
                  QStringLiteral("Carlito"),
                  Colour{0x5A, 0x2A, 0x0A},
                  Colour{0xFC, 0xE8, 0xD5},
                  QStringLiteral("Carlito"),
                  Colour{255, 255, 255},
                  Colour{0xA6, 0x3A, 0x12},
                  Colour{0x7A, 0x2E, 0x0E},
                  {{Colour{0x4D, 0x7C, 0x0F}, kWhite},
                   {Colour{0x1E, 0x5B, 0x6E}, kWhite},
                   {Colour{0x9F, 0x12, 0x39}, kWhite},
                   {Colour{0x5B, 0x3E, 0x8C}, kWhite},
                   {Colour{0x7C, 0x4A, 0x03}, kWhite},
                   {Colour{0x47, 0x55, 0x69}, kWhite}}},
        PageTheme{QStringLiteral("Forest"),
                  QStringLiteral("Liberation Sans"),
                  Colour{0x1B, 0x43, 0x32},
                  QStringLiteral("Carlito"),
                  Colour{0x1B, 0x43, 0x32},
                  Colour{0xD8, 0xF3, 0xDC},
                  QStringLiteral("Carlito"),
                  Colour{255, 255, 255},
                  Colour{0x2D, 0x6A, 0x4F},
                  Colour{0x1B, 0x43, 0x32},
                  {{Colour{0x7A, 0x4E, 0x2D}, kWhite},
                   {Colour{0x1F, 0x5F, 0x8B}, kWhite},
                   {Colour{0x8C, 0x2F, 0x39}, kWhite},
                   {Colour{0x5C, 0x4B, 0x8A}, kWhite},
                   {Colour{0x7A, 0x62, 0x00}, kWhite},
                   {Colour{0x3F, 0x4F, 0x5F}, kWhite}}},
    };
    return themes;
}

const PageTheme& PageTheme::original()
{
    static const PageTheme theme = [] {
        PageTheme meadow;
        meadow.name = QStringLiteral("Meadow");
        meadow.titleFont = QStringLiteral("Arial");
        meadow.categories = {
            {Colour{0x2E, 0x7D, 0x32}, kWhite}, {Colour{0xB0, 0x3A, 0x2E}, kWhite},
            {Colour{0x7B, 0x3F, 0x98}, kWhite}, {Colour{0x8A, 0x5A, 0x00}, kWhite},
            {Colour{0x00, 0x79, 0x6B}, kWhite}, {Colour{0xAD, 0x14, 0x57}, kWhite}};
        return meadow;
    }();
    return theme;
}

QStringList PageTheme::names()
{
    QStringList found;
    for (const PageTheme& theme : all())
        found << theme.name;
    return found;
}

const PageTheme* PageTheme::find(const QString& name)
{
    for (const PageTheme& theme : all()) {
        if (theme.name.compare(name, Qt::CaseInsensitive) == 0)
            return &theme;
    }
    return nullptr;
}

void PageTheme::dress(PageElement& element) const
{
    ElementStyle& style = element.style;
    switch (element.kind) {
    case ElementKind::TitleBox:
        style.fontName = titleFont;
        style.textColour = titleColour;
        break;
    case ElementKind::TimelineBar:
        style.fill = barFill;
        break;
    case ElementKind::DateTable:
        style.fontName = dateFont;
        style.textColour = dateColour;
        break;
    case ElementKind::Callout:
    case ElementKind::LegendKey:
        style.fontName = notesFont;
        style.textColour = notesColour;
        style.fill = calloutFill;
        style.lineColour = calloutLine;
        break;
    case ElementKind::SpanBand:
    case ElementKind::MilestoneMarker:
        style.fill = calloutFill;
        style.lineColour = calloutLine;
        break;
    }
}

double contrastRatio(const Colour& a, const Colour& b)
{
    const auto luminance = [](const Colour& c) {
        const auto channel = [](int value) {
            const double v = value / 255.0;
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.red) + 0.7152 * channel(c.green) + 0.0722 * channel(c.blue);
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace docgen
