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

inline constexpr double kEmuPerPt = 12700.0;
inline constexpr double kTwipsPerPt = 20.0;

} // namespace office::ooxml
