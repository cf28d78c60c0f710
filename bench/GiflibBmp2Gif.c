/* The peer of `vellumdesk bmp2gif` in the whole-process benchmark: a plain
 * giflib program that converts a BMP of 1, 4 or 8 bits per pixel (40-byte
 * header, plain rows, bottom row first or top row first) into a GIF. It reads
 * the rows as it needs them, in GIF order, a 256 KiB window at a time, and
 * hands each row to EGifPutLine.
 *
 *   bench_giflib_bmp2gif BITMAP GIF
 */
#include <gif_lib.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kWindowBytes = 256 * 1024 };

static uint32_t Le32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static int Fail(const char* pszWhat) {
    fprintf(stderr, "bench_giflib_bmp2gif: %s\n", pszWhat);
    return 1;
}

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf(
            "usage: bench_giflib_bmp2gif BITMAP GIF\n"
            "Converts a plain 1-, 4- or 8-bit BMP into GIF with giflib, reading rows as needed.\n");
        return 0;
    }
    if (argc != 3) return Fail("usage: bench_giflib_bmp2gif BITMAP GIF");
    FILE* in = fopen(argv[1], "rb");
    if (in == NULL) return Fail("cannot open the bitmap");
    unsigned char head[14 + 40 + 1024];
    const size_t nHead = fread(head, 1, sizeof head, in);
    if (nHead < 54 || head[0] != 'B' || head[1] != 'M' || Le32(head + 14) != 40) {
        return Fail("not a bitmap with a 40-byte header");
    }
    const int32_t nWidth = (int32_t)Le32(head + 18);
    const int32_t nSignedHeight = (int32_t)Le32(head + 22);
    const int nDepth = head[28];
    const int bTopDown = nSignedHeight < 0;
    const int32_t nHeight = bTopDown ? -nSignedHeight : nSignedHeight;
    if (Le32(head + 30) != 0 || (nDepth != 1 && nDepth != 4 && nDepth != 8) || nWidth <= 0 ||
        nWidth > 65535 || nHeight > 65535) {
        return Fail("unsupported bitmap");
    }
    const uint32_t nColours = Le32(head + 46) != 0 ? Le32(head + 46) : (1u << nDepth);
    if (nColours > 256 || 54 + 4 * nColours > nHead) return Fail("bad colour table");
    const long nRowsAt = (long)Le32(head + 10);
    const size_t nStride = ((size_t)nWidth * (size_t)nDepth + 31) / 32 * 4;

    GifColorType colours[256];
    memset(colours, 0, sizeof colours);
    for (uint32_t i = 0; i < nColours; ++i) {
        colours[i].Red = head[54 + 4 * i + 2];
        colours[i].Green = head[54 + 4 * i + 1];
        colours[i].Blue = head[54 + 4 * i];
    }
    int nError = 0;
    GifFileType* pGif = EGifOpenFileName(argv[2], 0, &nError);
    if (pGif == NULL) return Fail("cannot create the GIF");
    ColorMapObject* pMap = GifMakeMapObject(1 << nDepth, colours);
    if (EGifPutScreenDesc(pGif, nWidth, nHeight, nDepth, 0, pMap) != GIF_OK ||
        EGifPutImageDesc(pGif, 0, 0, nWidth, nHeight, 0, NULL) != GIF_OK) {
        return Fail("cannot write the GIF header");
    }

    const size_t nWindowRows = kWindowBytes / nStride > 0 ? kWindowBytes / nStride : 1;
    unsigned char* pWindow = malloc(nWindowRows * nStride);
    GifPixelType* pLine = malloc((size_t)nWidth + 8);
    if (pWindow == NULL || pLine == NULL) return Fail("out of memory");
    long nFirst = -1; /* the first stored row in the window */
    long nCount = 0;
    for (int32_t y = 0; y < nHeight; ++y) {
        const long nStored = bTopDown ? y : nHeight - 1 - y;
        if (nStored < nFirst || nStored >= nFirst + nCount) {
            /* Next window, in the direction of reading. */
            nCount = (long)nWindowRows;
            nFirst = bTopDown ? nStored : nStored + 1 - nCount;
            if (nFirst < 0) {
                nCount += nFirst;
                nFirst = 0;
            }
            if (nFirst + nCount > nHeight) nCount = nHeight - nFirst;
            if (fseek(in, nRowsAt + nFirst * (long)nStride, SEEK_SET) != 0 ||
                fread(pWindow, nStride, (size_t)nCount, in) != (size_t)nCount) {
                return Fail("the rows are cut short");
            }
        }
        const unsigned char* pRow = pWindow + (size_t)(nStored - nFirst) * nStride;
        if (nDepth == 8) {
            memcpy(pLine, pRow, (size_t)nWidth);
        } else if (nDepth == 4) {
            for (int32_t x = 0; x < nWidth; ++x) pLine[x] = (pRow[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        } else {
            for (int32_t x = 0; x < nWidth; ++x) pLine[x] = (pRow[x / 8] >> (7 - x % 8)) & 1;
        }
        if (EGifPutLine(pGif, pLine, nWidth) != GIF_OK) return Fail("cannot write the GIF");
    }
    if (EGifCloseFile(pGif, &nError) != GIF_OK) return Fail("cannot close the GIF");
    GifFreeMapObject(pMap);
    free(pWindow);
    free(pLine);
    fclose(in);
    return 0;
}
