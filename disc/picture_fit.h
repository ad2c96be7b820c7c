// The size at which setup shows a picture in the band above a dialog's
// controls; the authoring tool tells the publisher the same size.
#pragma once

#include "picture_format.h"

// A band is at most this share of the screen's height (a third): the
// dialog's controls stay in view on a 640 x 480 screen.
constexpr int kBandScreenShare = 3;

// The size at which a picture of `shape` is shown in a band of at most
// `maxWidth` x `maxHeight`: its own, or scaled down to fit, its aspect kept
// (never below 1 x 1).
void FitPicture(const alib::PictureShape& shape, int maxWidth, int maxHeight, int* width, int* height);
