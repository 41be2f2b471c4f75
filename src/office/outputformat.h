#pragma once

#include "pageexport.h"

#include <QString>

#include <array>
#include <optional>

namespace office {

// Every form a page leaves the program in, one row each, for the command line's --output,
// the page menu's saves, "Save Results To Word File" and the exporters: the extensions
// that ask for it (the first is the one a save adds to a name without it), the save
// dialog's title and filter, and the page file it is when it is not the Word document.
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
    const char* filter;
    std::optional<PageFileKind> pageFile;
};

inline constexpr std::array<OutputFormatRow, 5> kOutputFormats{{
    {OutputFormat::Word, {"doc", "docx"}, "Save File", "Word Files (*.doc)|*.doc", std::nullopt},
    {OutputFormat::Pdf,
     {"pdf", nullptr},
     "Save Page as PDF",
     "PDF Files (*.pdf)|*.pdf",
     PageFileKind::Pdf},
    {OutputFormat::Png,
     {"png", nullptr},
     "Save Page as PNG",
     "PNG Images (*.png)|*.png",
     PageFileKind::Png},
    {OutputFormat::Svg,
     {"svg", nullptr},
     "Save Page as SVG",
     "SVG Images (*.svg)|*.svg",
     PageFileKind::Svg},
    {OutputFormat::Slide,
     {"pptx", nullptr},
     "Save Page as PowerPoint Slide",
     "PowerPoint Presentations (*.pptx)|*.pptx",
     std::nullopt},
}};

const OutputFormatRow& outputFormatRow(OutputFormat format);
const OutputFormatRow& outputFormatRow(PageFileKind kind);
// By the file name's extension, in any case; nothing for an unknown one.
std::optional<OutputFormat> outputFormatOf(const QString& path);

} // namespace office
