/* The floor for the conversion benchmark: the least work that turns a 1-bit bitmap into PXL
 * text and back. It trusts its input (a bitmap as `gen` writes it, PXL text as a converter
 * writes it), reads the whole file, converts through lookup tables into one buffer and writes
 * it with one call. Anything a real converter must do beyond this is overhead.
 *
 *   convert_floor gen WIDTH HEIGHT SEED OUT.bmp   a 1-bit bitmap of random-ish pixels
 *   convert_floor bmp2pxl IN.bmp OUT.pxl          bitmap -> PXL text
 *   convert_floor pxl2bmp IN.pxl OUT.bmp          PXL text -> bitmap (pixel data at 70)
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned char* readAll(const char* path, size_t* size) {
    FILE* f = fopen(path, "rb");
    if (!f) {
        perror(path);
        exit(1);
    }
    fseek(f, 0, SEEK_END);
    *size = (size_t)ftell(f);
    fseek(f, 0, SEEK_SET);
    unsigned char* bytes = malloc(*size + 1);
    if (!bytes || fread(bytes, 1, *size, f) != *size) {
        perror(path);
        exit(1);
    }
    fclose(f);
    return bytes;
}

static void writeAll(const char* path, const void* bytes, size_t size) {
    FILE* f = fopen(path, "wb");
    if (!f || fwrite(bytes, 1, size, f) != size || fclose(f) != 0) {
        perror(path);
        exit(1);
    }
}

static void put32(unsigned char* p, uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

static uint32_t get32(const unsigned char* p) {
    return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static size_t strideOf(long width) {
    return (size_t)((width + 7) / 8 + 3) / 4 * 4;
}

/* Headers of a 1-bit bitmap, colour 0 black and colour 1 white, then `extra` bytes of filler. */
static void bitmapHeaders(unsigned char* h, long w, long hgt, size_t extra) {
    const size_t offset = 62 + extra;
    const size_t image = strideOf(w) * (size_t)hgt;
    static const unsigned char table[16] = {0, 0, 0, 0, 255, 255, 255, 0,
                                            255, 255, 255, 255, 255, 0, 0, 0};
    memset(h, 0, offset);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, (uint32_t)(offset + image));
    put32(h + 10, (uint32_t)offset);
    put32(h + 14, 40);
    put32(h + 18, (uint32_t)w);
    put32(h + 22, (uint32_t)hgt);
    h[26] = 1;
    h[28] = 1;
    put32(h + 34, (uint32_t)image);
    memcpy(h + 54, table, 8 + extra);
}

static int gen(long w, long hgt, uint64_t seed, const char* out) {
    const size_t stride = strideOf(w), lineBytes = (size_t)(w + 7) / 8;
    const size_t size = 62 + stride * (size_t)hgt;
    unsigned char* file = malloc(size);
    bitmapHeaders(file, w, hgt, 0);
    uint64_t x = seed | 1;
    for (long y = 0; y < hgt; ++y) {
        unsigned char* row = file + 62 + (size_t)y * stride;
        for (size_t i = 0; i < stride; ++i) {
            x ^= x << 13; /* xorshift64 */
            x ^= x >> 7;
            x ^= x << 17;
            row[i] = i < lineBytes ? (unsigned char)(x >> 24) : 0;
        }
    }
    writeAll(out, file, size);
    return 0;
}

static int bmp2pxl(const char* in, const char* out) {
    size_t size;
    const unsigned char* file = readAll(in, &size);
    const long w = (int32_t)get32(file + 18), hgt = (int32_t)get32(file + 22);
    const size_t offset = get32(file + 10), stride = strideOf(w), lineBytes = (size_t)(w + 7) / 8;
    char table[256][5];
    for (int v = 0; v < 256; ++v) {
        const int d = v ^ 0xFF;
        table[v][0] = '0';
        table[v][1] = "0123456789ABCDEF"[d >> 4];
        table[v][2] = "0123456789ABCDEF"[d & 15];
        table[v][3] = 'h';
        table[v][4] = ',';
    }
    FILE* f = fopen(out, "wb");
    if (!f) {
        perror(out);
        exit(1);
    }
    /* Whole lines go into a 1 MiB buffer, which is written out whenever the next line might
     * not fit: the output never has to be held in memory as a whole. */
    const size_t lineSize = lineBytes * 5 + 2, bufferSize = (1 << 20) + lineSize;
    char* buffer = malloc(bufferSize);
    char* p = buffer + sprintf(buffer, "@,%ld,%ld,8\r\n", w, hgt);
    for (long y = hgt - 1; y >= 0; --y) {
        if ((size_t)(p - buffer) + lineSize > bufferSize) {
            fwrite(buffer, 1, (size_t)(p - buffer), f);
            p = buffer;
        }
        const unsigned char* row = file + offset + (size_t)y * stride;
        for (size_t x = 0; x < lineBytes; ++x, p += 5) {
            memcpy(p, table[row[x]], 5);
        }
        p[-1] = '\r';
        *p++ = '\n';
    }
    if (fwrite(buffer, 1, (size_t)(p - buffer), f) != (size_t)(p - buffer) || fclose(f) != 0) {
        perror(out);
        exit(1);
    }
    return 0;
}

static int pxl2bmp(const char* in, const char* out) {
    FILE* f = fopen(in, "rb");
    long w, hgt;
    if (!f || fscanf(f, "@,%ld,%ld,8\r\n", &w, &hgt) != 2) {
        fprintf(stderr, "%s: not PXL text\n", in);
        return 1;
    }
    signed char hex[256];
    memset(hex, 0, sizeof hex);
    for (int d = 0; d < 16; ++d) {
        hex[(unsigned char)"0123456789ABCDEF"[d]] = (signed char)d;
    }
    /* The text is read one line at a time; the bitmap is built whole, since its rows are stored
     * in the opposite order. */
    const size_t stride = strideOf(w), lineBytes = (size_t)(w + 7) / 8;
    const size_t lineSize = lineBytes * 5 + 1, fileSize = 70 + stride * (size_t)hgt;
    unsigned char* line = malloc(lineSize);
    unsigned char* file = malloc(fileSize);
    bitmapHeaders(file, w, hgt, 8);
    for (long y = hgt - 1; y >= 0; --y) {
        if (fread(line, 1, lineSize, f) != lineSize) {
            fprintf(stderr, "%s: short\n", in);
            return 1;
        }
        unsigned char* row = file + 70 + (size_t)y * stride;
        for (size_t x = 0; x < lineBytes; ++x) { /* "0XXh" and a comma, or CR LF at the end */
            row[x] = (unsigned char)((hex[line[5 * x + 1]] << 4 | hex[line[5 * x + 2]]) ^ 0xFF);
        }
        memset(row + lineBytes, 0xFF, stride - lineBytes);
    }
    fclose(f);
    writeAll(out, file, fileSize);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 6 && strcmp(argv[1], "gen") == 0) {
        return gen(atol(argv[2]), atol(argv[3]), strtoull(argv[4], NULL, 10), argv[5]);
    }
    if (argc == 4 && strcmp(argv[1], "bmp2pxl") == 0) {
        return bmp2pxl(argv[2], argv[3]);
    }
    if (argc == 4 && strcmp(argv[1], "pxl2bmp") == 0) {
        return pxl2bmp(argv[2], argv[3]);
    }
    fputs("usage: convert_floor gen W H SEED OUT.bmp | bmp2pxl IN OUT | pxl2bmp IN OUT\n", stderr);
    return 2;
}
