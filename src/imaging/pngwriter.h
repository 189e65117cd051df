// A PNG encoder for 8-bit grey and grey-with-alpha pictures, the two forms
// extracted sprites take (Qt writes neither).
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace bitvane {

// The PNG file of a width x height picture, rows top to bottom: grey holds
// width * height levels; alpha is empty (colour type 0, grey) or as large
// as grey (colour type 4, grey and alpha). The same pixels give the same
// bytes. Sizes that do not match give the empty text.
QByteArray EncodeGreyPng(int width, int height, QByteArrayView grey, QByteArrayView alpha = {});

} // namespace bitvane
