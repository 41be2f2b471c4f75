#pragma once

#include "model.h"

#include <QXmlStreamWriter>

#include <functional>
#include <vector>

namespace office::vml {

// Writes shapes as VML for readers without DrawingML shapes: each kind's v:shapetype once,
// where the first shape of that kind needs it, then the v:shape, page-relative. The text
// box's story is the word-processing writer's, called back inside v:textbox.
class ShapeWriter
{
public:
    using StoryWriter = std::function<void(const Story&)>;
    ShapeWriter(QXmlStreamWriter& xml, StoryWriter writeStory)
        : mXml(xml), mWriteStory(std::move(writeStory))
    {}

    // z is the shape's place in the stacking order, from 1.
    void write(const Shape& shape, int z);

private:
    void writeShapeType(ShapeKind kind);

    QXmlStreamWriter& mXml;
    StoryWriter mWriteStory;
    std::vector<int> mTypesWritten;
};

} // namespace office::vml
