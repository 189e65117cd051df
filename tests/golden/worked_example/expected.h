// Sprite header file made with Bitvane 2.0
// http://www.bitvane.example/

static unsigned char sprite[4] = {0xa1, 0x0, 0xc1, 0x0};

