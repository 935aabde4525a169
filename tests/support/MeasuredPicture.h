#pragma once

#include "pictures/PictureFacts.h"

// What measuring a picture of that size, file size and type finds.
inline PictureFacts measuredPicture(int width, int height, qint64 size, PictureType type)
{
    PictureFacts facts;
    facts.state = PictureFacts::State::Measured;
    facts.width = width;
    facts.height = height;
    facts.fileSize = size;
    facts.type = type;
    return facts;
}
