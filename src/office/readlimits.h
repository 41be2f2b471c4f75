#pragma once

#include <QtGlobal>

// What a reader accepts from a file it did not make. Every count is far above what a real
// document holds and low enough that a hostile file costs little time and memory; the
// archive's own limits (part and total sizes, entries) are zippackage::ReadLimits.
namespace office::limits {

inline constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
inline constexpr int kMaxDepth = 256;
// Far more than any element of a word-processing part carries; the XML reader checks
// each attribute against all before it, so a hostile count costs time squared.
inline constexpr int kMaxAttributes = 256;
inline constexpr int kMaxShapes = 10000;
inline constexpr qsizetype kMaxShapeTypes = 1000;
inline constexpr int kMaxBlocks = 200000;
inline constexpr int kMaxRows = 10000;
inline constexpr qint64 kMaxEmu = 1LL << 40; // far beyond any page, well inside a double
// Relationships one part may state, and the custom XML items read from a package.
inline constexpr int kMaxRelationships = 1000;
inline constexpr int kMaxCustomXmlItems = 64;
inline constexpr qint64 kMaxCustomXmlBytes = 8 * 1024 * 1024;
inline constexpr int kMaxSchemaRefs = 64;
inline constexpr qsizetype kMaxUriLength = 2048;

} // namespace office::limits
