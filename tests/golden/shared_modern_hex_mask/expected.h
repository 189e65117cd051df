/* Sprite header file made with Bitvane 2.0 from project.bvp */
#ifndef OUT_H
#define OUT_H

#include <stdint.h>

/* Define BITVANE_DATA before including this file to place the sprites,
   for example in program memory. */
#ifndef BITVANE_DATA
#define BITVANE_DATA
#endif

/* Shared by several C files: every file that includes this one sees the
   declarations; the data is defined only in the one file that defines
   BITVANE_IMPLEMENTATION before its first include of this file. */

#define transparent_WIDTH 16
#define transparent_HEIGHT 10
extern const uint16_t transparent[20] BITVANE_DATA;
extern const uint16_t transparent_mask[10] BITVANE_DATA;
#ifdef BITVANE_IMPLEMENTATION
const uint16_t transparent[20] BITVANE_DATA = {
    0x03FC, /* ++++++--------++ */
    0x0368, /* ++++++--+--+-... */
    0x03DC, /* ++++++----+---++ */
    0x43D5, /* +-++++----+-+-+- */
    0x0000, /* +++++.++++++++++ */
    0x0000, /* ++++++++++++++++ */
    0x6000, /* .--.+++++.+.++++ */
    0x8801, /* -+++-++++++++++- */
    0x0000, /* ++++++++++.+.+++ */
    0x0080, /* ++++++++-+++.+++ */
    0xFC03,
    0xFC90,
    0xFC23,
    0xBC2A,
    0xFBFF,
    0xFFFF,
    0x0FAF,
    0x77FE,
    0xFFD7,
    0xFF77
};
const uint16_t transparent_mask[10] BITVANE_DATA = {
    0xFFFF,
    0xFFF8,
    0xFFFF,
    0xFFFF,
    0xFBFF,
    0xFFFF,
    0x6FAF,
    0xFFFF,
    0xFFD7,
    0xFFF7
};
#endif /* BITVANE_IMPLEMENTATION */

#define fading_WIDTH 16
#define fading_HEIGHT 20
extern const uint16_t fading[40] BITVANE_DATA;
extern const uint16_t fading_mask[20] BITVANE_DATA;
#ifdef BITVANE_IMPLEMENTATION
const uint16_t fading[40] BITVANE_DATA = {
    0x0FB0, /* ....-----+--.... */
    0x0FE0, /* ....-------..... */
    0x0FE0, /* ....-------..... */
    0x1FC0, /* ...-------...... */
    0x1F80, /* ...------+...... */
    0x3F00, /* ..------+....... */
    0x2F80, /* ..-.-----....... */
    0xFF10, /* --------...-.... */
    0x7F10, /* .-------...-.... */
    0xFE10, /* -------....-.... */
    0xF210, /* ----++-....-.... */
    0xFC10, /* ------.....-.... */
    0xFC30, /* ------....--.... */
    0xB830, /* -+---.....--.... */
    0xD830, /* --.--.....--.... */
    0xF030, /* ----......--.... */
    0xB170, /* -+--...-.---.... */
    0xE1F0, /* ---....-----.... */
    0x65F0, /* +--..-.-----.... */
    0xE1F0, /* ---....-----.... */
    0x0040,
    0x0000,
    0x0000,
    0x0000,
    0x0040,
    0x0080,
    0x0000,
    0x0000,
    0x0000,
    0x0000,
    0x0C00,
    0x0000,
    0x0000,
    0x4000,
    0x0000,
    0x0000,
    0x4000,
    0x0000,
    0x8000,
    0x0000
};
const uint16_t fading_mask[20] BITVANE_DATA = {
    0x03F0,
    0x03E0,
    0x07E0,
    0x07C0,
    0x0FC0,
    0x0F80,
    0x1F80,
    0x1F00,
    0x3F00,
    0x3E00,
    0x7E00,
    0x7C00,
    0xFC10,
    0xF810,
    0xF830,
    0xF030,
    0xF030,
    0xE070,
    0xE070,
    0xE0F0
};
#endif /* BITVANE_IMPLEMENTATION */

#define wide_WIDTH 32
#define wide_HEIGHT 3
extern const uint32_t wide[6] BITVANE_DATA;
extern const uint32_t wide_mask[3] BITVANE_DATA;
#ifdef BITVANE_IMPLEMENTATION
const uint32_t wide[6] BITVANE_DATA = {
    0x81240000, /* -++++++-++-++-++++++++++++++++++ */
    0x00000000, /* .++.++.++.++.++.++.++.++.++.++.+ */
    0x829FE020, /* -+.+++-+#++########+++++++-+++++ */
    0x7EDBFFFF,
    0x6DB6DB6D,
    0x5DFFFFDF
};
const uint32_t wide_mask[3] BITVANE_DATA = {
    0xFFFFFFFF,
    0x6DB6DB6D,
    0xFFFFFFFF
};
#endif /* BITVANE_IMPLEMENTATION */

#endif /* OUT_H */
