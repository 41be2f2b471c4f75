#pragma once

#include <QString>

// Namespace URIs and the few fixed strings the writer and the reader share.
namespace office::ooxml {

inline const QString kW =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
inline const QString kWp =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
inline const QString kA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
inline const QString kWps =
    QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordprocessingShape");
inline const QString kMc =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
inline const QString kV = QStringLiteral("urn:schemas-microsoft-com:vml");
inline const QString kO = QStringLiteral("urn:schemas-microsoft-com:office:office");
inline const QString kW10 = QStringLiteral("urn:schemas-microsoft-com:office:word");
// Word 2010's extensions: declared and ignorable, as a word processor's own files have them.
inline const QString kW14 = QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordml");
inline const QString kWp14 =
    QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing");
inline const QString kR =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
inline const QString kContentTypes =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
inline const QString kRelationships =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
inline const QString kOfficeDocumentType = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument");
inline const QString kStylesType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles");
inline const QString kSettingsType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings");
inline const QString kCustomXmlType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/customXml");
inline const QString kCustomXmlPropsType = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/customXmlProps");
inline const QString kCustomXmlPropsContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.customXmlProperties+xml");
inline const QString kDs =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/customXml");

inline const QString kCorePropertiesType = QStringLiteral(
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties");
inline const QString kExtendedPropertiesType = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties");
inline const QString kCoreProperties =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
inline const QString kExtendedProperties =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/extended-properties");
inline const QString kDc = QStringLiteral("http://purl.org/dc/elements/1.1/");
inline const QString kDcTerms = QStringLiteral("http://purl.org/dc/terms/");
inline const QString kDcmiType = QStringLiteral("http://purl.org/dc/dcmitype/");
inline const QString kXsi = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

// PresentationML: the presentation, its master, layout, slide and theme, and a table's
// graphic data.
inline const QString kP =
    QStringLiteral("http://schemas.openxmlformats.org/presentationml/2006/main");
inline const QString kTableGraphic =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/table");
inline const QString kSlideType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/slide");
inline const QString kSlideLayoutType = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/slideLayout");
inline const QString kSlideMasterType = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/slideMaster");
inline const QString kThemeType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme");
inline const QString kPresPropsType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/presProps");
inline const QString kViewPropsType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/viewProps");
inline const QString kTableStylesType = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/tableStyles");
// Where a presentation program keeps its main part.
inline const QString kPresentationPart = QStringLiteral("ppt/presentation.xml");

} // namespace office::ooxml
