/* Sprite header file made with Bitvane 2.0 from project.bvp */
#ifndef OUT_H
#define OUT_H

#include <stdint.h>

/* Define BITVANE_DATA before including this file to place the sprites,
   for example in program memory. */
#ifndef BITVANE_DATA
#define BITVANE_DATA
#endif

#define transparent_WIDTH 16
#define transparent_HEIGHT 10
static const uint16_t transparent[20] BITVANE_DATA = {
    0b0000001111111100, /* ++++++--------++ */
    0b0000001101101000, /* ++++++--+--+-... */
    0b0000001111011100, /* ++++++----+---++ */
    0b0100001111010101, /* +-++++----+-+-+- */
    0b0000000000000000, /* +++++.++++++++++ */
    0b0000000000000000, /* ++++++++++++++++ */
    0b0110000000000000, /* .--.+++++.+.++++ */
    0b1000100000000001, /* -+++-++++++++++- */
    0b0000000000000000, /* ++++++++++.+.+++ */
    0b0000000010000000, /* ++++++++-+++.+++ */
    0b1111110000000011,
    0b1111110010010000,
    0b1111110000100011,
    0b1011110000101010,
    0b1111101111111111,
    0b1111111111111111,
    0b0000111110101111,
    0b0111011111111110,
    0b1111111111010111,
    0b1111111101110111
};
static const uint16_t transparent_mask[10] BITVANE_DATA = {
    0b1111111111111111,
    0b1111111111111000,
    0b1111111111111111,
    0b1111111111111111,
    0b1111101111111111,
    0b1111111111111111,
    0b0110111110101111,
    0b1111111111111111,
    0b1111111111010111,
    0b1111111111110111
};

#define five_WIDTH 8
#define five_HEIGHT 6
static const uint8_t five[12] BITVANE_DATA = {
    0b10111000, /* -.---... */
    0b11110000, /* ----.... */
    0b01111000, /* .----... */
    0b11111000, /* -----... */
    0b11111000, /* -----... */
    0b11000000, /* --...... */
    0b00000000,
    0b00000000,
    0b00000000,
    0b00000000,
    0b00000000,
    0b00000000
};
static const uint8_t five_mask[6] BITVANE_DATA = {
    0b11111000,
    0b11111000,
    0b11111000,
    0b11111000,
    0b11111000,
    0b11111000
};

#endif /* OUT_H */
