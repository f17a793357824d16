#define LOGO_WIDTH 10
#define LOGO_HEIGHT 2
const unsigned char logo[] = {0xA5, 0x40, 0x01, 0x80};
