#pragma once

#include <leptonica/allheaders.h>

namespace mivo::platform {

// Turns every dark ground of an 8-bit grey picture light, with what is
// written on it, so that all its text is dark on light as the recogniser
// reads it best: a dark desktop, a dark panel with light text, a dark button.
// Each is inverted and stretched so that the ground itself becomes white.
// A dark ground is a dark shape of at least 32 x 12 pixels that fills at least
// three fifths of its box, or a bar of such a shape, square-edged above and
// below, across which its rows lie (a third of their width dark or more)
// where what touches it does not: the letters of the line above, a window's
// frame. What it encloses, or would enclose closed along one side of its box
// (a light letter whose descender reaches the bar's foot), is turned with it,
// except the light grounds it holds (windows, fields): enclosed areas wider or
// higher than 128 pixels, or with three dark shapes or more in them, where a
// light letter holds two at most (its counters). Mid-tone grounds (a title bar, a
// selected row, a coloured button) are turned too where what is written on
// them is lighter than they are, a short title on a wide bar too. Throws
// RecognitionError.
void levelGrounds(Pix* grey);

// Makes every ground of an 8-bit grey picture of dark text on light white,
// with what is written on it in proportion: each pixel is divided by the
// lightest grey within 7 pixels of it, which is its ground wherever no stroke
// is thicker. A levelled terminal's grey ground beside a white desktop, or a
// yellow panel on a white page, is then as white as the page: the recogniser
// binarises the whole picture at one threshold, which otherwise falls between
// the two grounds and turns the darker one black, with its text.
void whitenGrounds(Pix* grey);

}  // namespace mivo::platform
