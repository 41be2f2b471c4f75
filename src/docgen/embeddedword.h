#pragma once

#include "app/clipboard.h"
#include "docgen/wordautomation.h"

#include <QImage>
#include <QSize>

#include <functional>
#include <memory>

namespace office {
class Document;
}

// The embedded engine behind the automation boundary: every automation interface is
// served by office::Document objects; office failures reach callers as app::Failure.
namespace docgen {

struct EmbeddedWordOptions
{
    // Called on entry to every member of every interface with the member's name, e.g.
    // "Selection.EndKey". What it throws surfaces from that member as app::Failure.
    std::function<void(const char* member)> beforeMember;
};

std::shared_ptr<WordApplication> createEmbeddedWord(app::Clipboard& clipboard,
                                                    EmbeddedWordOptions options = {});
// Registers the engine under "Word.Application"; the clipboard must outlive the factory.
void registerEmbeddedWord(AutomationFactory& factory, app::Clipboard& clipboard,
                          EmbeddedWordOptions options = {});

// The model behind a document of the embedded engine, kept alive by the returned handle;
// null for a document of any other engine.
std::shared_ptr<const office::Document> embeddedModel(const WordDocument& document);

// The preview viewport at zoom 1 (96 dpi) that the content picture fits into.
inline constexpr QSize kContentPictureViewport{600, 460};
inline constexpr qreal kContentPictureDevicePixelRatio = 2.0;

// The picture Range.CopyAsPicture places on the clipboard: every shape with 18 pt around
// them (the page's text area when there are none), cut to the page, scaled to fit the
// viewport and drawn at twice that density.
QImage renderContentPicture(const office::Document& document);

} // namespace docgen
