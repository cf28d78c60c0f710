// Helpers of the GIF tests: building bitmaps, reading GIF files back with
// giflib and with an independent parser of their structure and LZW codes.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vd::test {

using Rgb = std::array<std::uint8_t, 3>;

// An indexed picture: indices top row first, row by row, width * height.
struct Picture {
    int nDepth = 8;
    std::uint32_t nWidth = 0;
    std::uint32_t nHeight = 0;
    std::vector<std::uint8_t> indices;
    std::vector<Rgb> palette;  // the bitmap's colour table
};

// Options of the bitmap built from a picture.
struct DibOptions {
    bool bTopDown = false;         // negative height, rows top row first
    std::uint32_t nClrUsed = 0;    // 0: the palette's size is written (0 when it is 2^depth)
    std::int64_t nSizeImage = -1;  // -1: the rows' size
    std::uint32_t nCompression = 0;
};

// Plain rows of the picture, padded to 4 bytes, bottom row first (or top
// row first when bTopDown).
std::vector<std::uint8_t> PackRows(const Picture& picture, bool bTopDown = false);
// The packed DIB (header, colour table, rows) of the picture.
std::vector<std::uint8_t> MakePackedDib(const Picture& picture, const DibOptions& options = {});
// A packed DIB with the given rows bytes (plain or encoded) in place of the
// picture's own rows.
std::vector<std::uint8_t> MakePackedDibWithRows(const Picture& picture,
                                                const std::vector<std::uint8_t>& rows,
                                                const DibOptions& options);
// The bitmap file: a 14-byte file header in front of the packed DIB.
std::vector<std::uint8_t> MakeBitmapFile(const std::vector<std::uint8_t>& packedDib);

// A grey ramp palette of 2^depth entries, or nCount entries when given.
std::vector<Rgb> GreyPalette(int nDepth, std::size_t nCount = 0);
// A palette of distinct, varied colours.
std::vector<Rgb> ColourPalette(std::size_t nCount, std::uint32_t nSeed = 1);

// Pictures: random indices, or a screenshot-like picture (flat windows, bars,
// rows of text-like glyphs), both deterministic for a seed.
Picture RandomPicture(int nDepth, std::uint32_t nWidth, std::uint32_t nHeight,
                      std::uint32_t nSeed = 1);
Picture ScreenshotPicture(int nDepth, std::uint32_t nWidth, std::uint32_t nHeight,
                          std::uint32_t nSeed = 1);

// A true-colour picture: its pixels top row first, row by row. Made of
// nColours distinct colours (all of them used), in an order that is not the
// order of first appearance.
struct TrueColourPicture {
    std::uint32_t nWidth = 0;
    std::uint32_t nHeight = 0;
    std::vector<Rgb> pixels;
};
TrueColourPicture ColourfulPicture(std::size_t nColours, std::uint32_t nWidth,
                                   std::uint32_t nHeight, std::uint32_t nSeed = 1);
// Its rows at 24 or 32 bits per pixel (blue, green, red, and an unused byte
// set to 0xA5 at 32 bits), padded to 4 bytes, bottom row first unless
// bTopDown.
std::vector<std::uint8_t> PackTrueColourRows(const TrueColourPicture& picture, int nBits,
                                             bool bTopDown);
// The packed DIB: header (BI_RGB, or BI_BITFIELDS with the masks 0xFF0000,
// 0xFF00 and 0xFF after it), rows.
std::vector<std::uint8_t> MakeTrueColourDib(const TrueColourPicture& picture, int nBits,
                                            bool bTopDown, bool bBitFields);

// A GIF decoded by giflib.
struct DecodedGif {
    bool bOk = false;
    std::string strError;
    int nScreenWidth = 0;
    int nScreenHeight = 0;
    int nImageCount = 0;
    int nImageWidth = 0;
    int nImageHeight = 0;
    std::vector<Rgb> colours;           // the global colour map
    std::vector<std::uint8_t> indices;  // of the first image, top row first
};
DecodedGif DecodeWithGiflib(const std::filesystem::path& path);
// Its pixels' colours, top row first (empty when an index is outside the map).
std::vector<Rgb> PixelColours(const DecodedGif& gif);
// The pixels' colours of a GIF as Pillow decodes them; false when Python
// with Pillow is not available.
bool DecodeWithPillow(const std::filesystem::path& path, std::vector<Rgb>& colours);

// The structure of a GIF file as the library writes it, read independently.
struct GifLayout {
    bool bOk = false;
    std::string strError;
    std::string strSignature;  // "GIF87a"
    std::uint16_t nScreenWidth = 0;
    std::uint16_t nScreenHeight = 0;
    std::uint8_t byScreenFields = 0;
    std::uint8_t byBackground = 0;
    std::uint8_t byAspect = 0;
    std::vector<std::uint8_t> colourTable;
    std::array<std::uint8_t, 10> descriptor{};
    std::uint8_t nMinCodeSize = 0;
    std::vector<std::size_t> blockLengths;  // the data sub-blocks
    std::vector<std::uint8_t> data;         // their bytes, joined
    std::vector<std::uint8_t> imageData;    // code size byte and sub-blocks as written
};
// Reads a GIF that has one image, no extensions and a global colour table.
GifLayout ParseGif(const std::vector<std::uint8_t>& bytes);
// Finds the first image's data (code size byte and sub-blocks) of any GIF,
// skipping extensions and colour tables; empty when there is none.
std::vector<std::uint8_t> FindImageData(const std::vector<std::uint8_t>& bytes,
                                        std::vector<Rgb>* pColours = nullptr);

// The LZW codes of image data (code size byte and sub-blocks), read the way a
// GIF decoder reads them.
struct CodeStream {
    bool bOk = false;
    std::string strError;
    int nMinCodeSize = 0;
    std::vector<int> codes;
    std::vector<int> widths;
    std::vector<std::size_t> blockLengths;
    std::vector<std::uint8_t> pixels;  // decoded
    // Positions in codes of clear codes after the first, and whether each
    // one came right after the code with which the table became full.
    std::vector<std::size_t> clearPositions;
    bool bClearsOnlyWhenFull = true;
    bool bFullTableFollowedByClear = true;
};
CodeStream ReadCodes(const std::vector<std::uint8_t>& imageData);

// A literal rendering of the encoder's design (5003-slot hashed table with
// its probe sequence, byte-wise code packing), bottom-up rows only; answers
// the code size byte and the sub-blocks.
std::vector<std::uint8_t> ReferenceCompress(int nDepth, const std::uint8_t* pRows,
                                            std::uint32_t nWidth, std::uint32_t nImageSize);

// The first program on PATH (or absolute path) that runs, or "" when none.
std::string FindProgram(const std::vector<std::string>& candidates, const std::string& strProbe);

}  // namespace vd::test
