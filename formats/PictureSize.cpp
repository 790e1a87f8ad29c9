// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/PictureSize.h"

Result CheckPictureSize(std::int64_t width, std::int64_t height)
{
    if (width < 1 || width > kMaxPictureSide)
        return Failure(Reason::PictureWidthOverLimit, width, kMaxPictureSide);
    if (height < 1 || height > kMaxPictureSide)
        return Failure(Reason::PictureHeightOverLimit, height, kMaxPictureSide);
    if (width * height > kMaxPicturePixels)
        return Failure(Reason::PictureTooManyPixels, width * height, kMaxPicturePixels);
    return {};
}
