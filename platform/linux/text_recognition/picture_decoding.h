#pragma once

#include <cstdio>

#include "platform/linux/text_recognition/grey_picture.h"
#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {

// The first image of the picture open in `file`, decoded straight into 8-bit
// grey, colours weighed as greyOf does and transparency dropped; or none
// when it is no picture, holds more than 2^28 pixels (a JPEG 2000 more than
// 2^26, as its decoder takes some 16 bytes a pixel), or is cut or broken
// anywhere in that image, whatever its colour model. PNG, JPEG, TIFF, GIF,
// BMP and PNM are decoded row by row, so that a picture costs little more
// than its grey copy, and what their files say beside the pixels (texts,
// colour profiles, comments) is skipped unread; the rest (WebP, JPEG 2000,
// Leptonica's own) by Leptonica, in colour, then made grey.
PixPointer decodedGreyPicture(std::FILE* file);

// The decoders of the formats read row by row, each from the start of the
// file.
PixPointer decodedPng(std::FILE* file);
PixPointer decodedJpeg(std::FILE* file);
PixPointer decodedTiff(std::FILE* file);
PixPointer decodedGif(std::FILE* file);
PixPointer decodedBmp(std::FILE* file);
PixPointer decodedPnm(std::FILE* file);

}  // namespace mivo::platform
