#pragma once

#include "pageexport.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace office {

// Every form a page leaves the program in, one row each, for the command line's --output,
// the page menu's saves, "Save Results To Word File" and the exporters: the extensions
// that ask for it (the first is the one a save adds to a name without it), the save
// dialog's title and its file types (Qt filter entries, the format's own extension
// first), and the page file it is when it is not the Word document.
enum class OutputFormat
{
    Word, // .doc and .docx: the same package either way
    Pdf,
    Png,
    Svg,
    Slide, // .pptx: the page as native shapes on one slide
};

struct OutputFormatRow
{
    OutputFormat format;
    std::array<const char*, 2> extensions; // unused places are null
    const char* saveTitle;
    std::array<const char*, 2> filters; // unused places are null
    std::optional<PageFileKind> pageFile;

    QStringList saveFilters() const
    {
        QStringList entries;
        for (const char* filter : filters)
            if (filter)
                entries << QLatin1String(filter);
        return entries;
    }
};

inline constexpr std::array<OutputFormatRow, 5> kOutputFormats{{
    // A Word 2007 document whichever the name: its own extension first, then the one the
    // original dialog offered.
    {OutputFormat::Word,
     {"docx", "doc"},
     "Save File",
     {"Word Document (*.docx)", "Word Files (*.doc)"},
     std::nullopt},
    {OutputFormat::Pdf,
     {"pdf", nullptr},
     "Save Page as PDF",
     {"PDF Files (*.pdf)", nullptr},
     PageFileKind::Pdf},
    {OutputFormat::Png,
     {"png", nullptr},
     "Save Page as PNG",
     {"PNG Images (*.png)", nullptr},
     PageFileKind::Png},
    {OutputFormat::Svg,
     {"svg", nullptr},
     "Save Page as SVG",
     {"SVG Images (*.svg)", nullptr},
     PageFileKind::Svg},
    {OutputFormat::Slide,
     {"pptx", nullptr},
     "Save Page as PowerPoint Slide",
     {"PowerPoint Presentations (*.pptx)", nullptr},
     std::nullopt},
}};

const OutputFormatRow& outputFormatRow(OutputFormat format);
const OutputFormatRow& outputFormatRow(PageFileKind kind);
// By the file name's extension, in any case; nothing for an unknown one.
std::optional<OutputFormat> outputFormatOf(const QString& path);

} // namespace office
