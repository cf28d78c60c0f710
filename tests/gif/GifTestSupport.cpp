#include "tests/gif/GifTestSupport.h"

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace vd::test {

namespace {

void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

// A small deterministic generator (xorshift).
class CRandom {
  public:
    explicit CRandom(std::uint32_t nSeed) : m_n(0x9E3779B97F4A7C15ull ^ nSeed) {}
    std::uint32_t Next() {
        m_n ^= m_n << 13;
        m_n ^= m_n >> 7;
        m_n ^= m_n << 17;
        return static_cast<std::uint32_t>(m_n >> 11);
    }
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : Next() % n; }

  private:
    std::uint64_t m_n;
};

std::uint32_t RowBytes(int nDepth, std::uint32_t nWidth) {
    return static_cast<std::uint32_t>(
        (std::uint64_t{nWidth} * static_cast<std::uint32_t>(nDepth) + 7) / 8);
}

}  // namespace

std::vector<std::uint8_t> PackRows(const Picture& picture, bool bTopDown) {
    const std::uint32_t nRowBytes = RowBytes(picture.nDepth, picture.nWidth);
    const std::uint32_t nStride = (nRowBytes + 3) / 4 * 4;
    std::vector<std::uint8_t> rows(std::size_t{nStride} * picture.nHeight, 0);
    for (std::uint32_t y = 0; y < picture.nHeight; ++y) {
        const std::uint32_t nStored = bTopDown ? y : picture.nHeight - 1 - y;
        std::uint8_t* pRow = rows.data() + std::size_t{nStored} * nStride;
        for (std::uint32_t x = 0; x < picture.nWidth; ++x) {
            const std::uint8_t v = picture.indices[std::size_t{y} * picture.nWidth + x];
            switch (picture.nDepth) {
                case 1:
                    pRow[x / 8] = static_cast<std::uint8_t>(pRow[x / 8] | ((v & 1) << (7 - x % 8)));
                    break;
                case 4:
                    pRow[x / 2] =
                        static_cast<std::uint8_t>(pRow[x / 2] | ((v & 15) << (x % 2 == 0 ? 4 : 0)));
                    break;
                default:
                    pRow[x] = v;
                    break;
            }
        }
    }
    return rows;
}

std::vector<std::uint8_t> MakePackedDibWithRows(const Picture& picture,
                                                const std::vector<std::uint8_t>& rows,
                                                const DibOptions& options) {
    const std::size_t nFull = std::size_t{1} << picture.nDepth;
    std::uint32_t nClrUsed = options.nClrUsed;
    if (nClrUsed == 0 && picture.palette.size() != nFull && !picture.palette.empty()) {
        nClrUsed = static_cast<std::uint32_t>(picture.palette.size());
    }
    const std::size_t nTable = nClrUsed != 0 ? nClrUsed : nFull;
    std::vector<std::uint8_t> dib;
    PutLe32(dib, 40);
    PutLe32(dib, picture.nWidth);
    const auto nHeight = static_cast<std::int32_t>(picture.nHeight);
    PutLe32(dib, static_cast<std::uint32_t>(options.bTopDown ? -nHeight : nHeight));
    PutLe16(dib, 1);
    PutLe16(dib, static_cast<std::uint32_t>(picture.nDepth));
    PutLe32(dib, options.nCompression);
    PutLe32(dib, options.nSizeImage < 0 ? static_cast<std::uint32_t>(rows.size())
                                        : static_cast<std::uint32_t>(options.nSizeImage));
    PutLe32(dib, 2835);
    PutLe32(dib, 2835);
    PutLe32(dib, nClrUsed);
    PutLe32(dib, 0);
    for (std::size_t i = 0; i < nTable; ++i) {
        const Rgb c = i < picture.palette.size() ? picture.palette[i] : Rgb{0, 0, 0};
        dib.push_back(c[2]);
        dib.push_back(c[1]);
        dib.push_back(c[0]);
        dib.push_back(0);
    }
    dib.insert(dib.end(), rows.begin(), rows.end());
    return dib;
}

std::vector<std::uint8_t> MakePackedDib(const Picture& picture, const DibOptions& options) {
    return MakePackedDibWithRows(picture, PackRows(picture, options.bTopDown), options);
}

std::vector<std::uint8_t> MakeBitmapFile(const std::vector<std::uint8_t>& packedDib) {
    std::vector<std::uint8_t> file{'B', 'M'};
    PutLe32(file, static_cast<std::uint32_t>(14 + packedDib.size()));
    PutLe32(file, 0);
    // Offset of the rows as a writer would give it; the loader ignores it.
    std::uint32_t nOffBits = 14 + 40;
    if (packedDib.size() >= 40) {
        const std::uint32_t nClrUsed = packedDib[32] | (packedDib[33] << 8);
        const std::uint32_t nBits = packedDib[14];
        nOffBits += 4 * (nClrUsed != 0 ? nClrUsed : (nBits <= 8 ? 1u << nBits : 0u));
    }
    PutLe32(file, nOffBits);
    file.insert(file.end(), packedDib.begin(), packedDib.end());
    return file;
}

std::vector<Rgb> GreyPalette(int nDepth, std::size_t nCount) {
    const std::size_t nFull = std::size_t{1} << nDepth;
    if (nCount == 0) nCount = nFull;
    std::vector<Rgb> palette;
    for (std::size_t i = 0; i < nCount; ++i) {
        const auto v = static_cast<std::uint8_t>(nFull == 1 ? 0 : i * 255 / (nFull - 1));
        palette.push_back({v, v, v});
    }
    return palette;
}

std::vector<Rgb> ColourPalette(std::size_t nCount, std::uint32_t nSeed) {
    std::vector<Rgb> palette;
    for (std::size_t i = 0; i < nCount; ++i) {
        // Distinct by construction: red and green carry the index.
        const auto r = static_cast<std::uint8_t>((i * 37 + nSeed) & 0xFF);
        const auto g = static_cast<std::uint8_t>(i & 0xFF);
        const auto b = static_cast<std::uint8_t>((i * 101 + 7 * nSeed) & 0xFF);
        palette.push_back({r, g, b});
    }
    return palette;
}

TrueColourPicture ColourfulPicture(std::size_t nColours, std::uint32_t nWidth,
                                   std::uint32_t nHeight, std::uint32_t nSeed) {
    TrueColourPicture picture{nWidth, nHeight, {}};
    std::vector<Rgb> colours;
    for (std::size_t i = 0; i < nColours; ++i) {
        // Distinct for up to 512 colours: green is the index's low byte, blue
        // differs by 128 between i and i + 256, red varies with both.
        colours.push_back({static_cast<std::uint8_t>(i * 37 + nSeed), static_cast<std::uint8_t>(i),
                           static_cast<std::uint8_t>((i >> 8) * 128 + i * 3)});
    }
    CRandom random(nSeed);
    picture.pixels.resize(std::size_t{nWidth} * nHeight);
    // Runs of random colours, every colour once at a shuffled place.
    for (std::size_t i = 0; i < picture.pixels.size();) {
        const Rgb colour = colours[random.Below(static_cast<std::uint32_t>(nColours))];
        for (std::uint32_t n = 1 + random.Below(6); n > 0 && i < picture.pixels.size(); --n) {
            picture.pixels[i++] = colour;
        }
    }
    for (std::size_t i = 0; i < nColours && i < picture.pixels.size(); ++i) {
        const std::size_t nAt = (i * 7919 + nSeed) % picture.pixels.size();
        picture.pixels[nAt] = colours[nColours - 1 - i];
    }
    return picture;
}

std::vector<std::uint8_t> PackTrueColourRows(const TrueColourPicture& picture, int nBits,
                                             bool bTopDown) {
    const std::size_t nBytes = static_cast<std::size_t>(nBits) / 8;
    const std::size_t nStride = (picture.nWidth * nBytes + 3) / 4 * 4;
    std::vector<std::uint8_t> rows(nStride * picture.nHeight, 0);
    for (std::uint32_t y = 0; y < picture.nHeight; ++y) {
        const std::uint32_t nStored = bTopDown ? y : picture.nHeight - 1 - y;
        std::uint8_t* pRow = rows.data() + nStored * nStride;
        for (std::uint32_t x = 0; x < picture.nWidth; ++x) {
            const Rgb& c = picture.pixels[std::size_t{y} * picture.nWidth + x];
            std::uint8_t* p = pRow + x * nBytes;
            p[0] = c[2];
            p[1] = c[1];
            p[2] = c[0];
            if (nBytes == 4) p[3] = 0xA5;
        }
    }
    return rows;
}

std::vector<std::uint8_t> MakeTrueColourDib(const TrueColourPicture& picture, int nBits,
                                            bool bTopDown, bool bBitFields) {
    const std::vector<std::uint8_t> rows = PackTrueColourRows(picture, nBits, bTopDown);
    std::vector<std::uint8_t> dib;
    PutLe32(dib, 40);
    PutLe32(dib, picture.nWidth);
    PutLe32(dib, bTopDown ? static_cast<std::uint32_t>(-static_cast<std::int64_t>(picture.nHeight))
                          : picture.nHeight);
    PutLe16(dib, 1);
    PutLe16(dib, static_cast<std::uint32_t>(nBits));
    PutLe32(dib, bBitFields ? 3 : 0);
    PutLe32(dib, static_cast<std::uint32_t>(rows.size()));
    for (int i = 0; i < 4; ++i) PutLe32(dib, i < 2 ? 2835 : 0);
    if (bBitFields) {
        PutLe32(dib, 0xFF0000);
        PutLe32(dib, 0xFF00);
        PutLe32(dib, 0xFF);
    }
    dib.insert(dib.end(), rows.begin(), rows.end());
    return dib;
}

std::vector<Rgb> PixelColours(const DecodedGif& gif) {
    std::vector<Rgb> colours;
    for (const std::uint8_t nIndex : gif.indices) {
        if (nIndex >= gif.colours.size()) return {};
        colours.push_back(gif.colours[nIndex]);
    }
    return colours;
}

bool DecodeWithPillow(const std::filesystem::path& path, std::vector<Rgb>& colours) {
    const std::string strPython = FindProgram({"python3", "/usr/bin/python3"}, "-c 'import PIL'");
    if (strPython.empty()) return false;
    const std::filesystem::path out = path.string() + ".rgb";
    const std::string command = strPython +
                                " -c 'import sys; from PIL import Image; "
                                "open(sys.argv[2], \"wb\").write(Image.open(sys.argv[1])"
                                ".convert(\"RGB\").tobytes())' '" +
                                path.string() + "' '" + out.string() + "'";
    colours.clear();
    if (std::system(command.c_str()) != 0) return true;  // nothing decoded: no colours
    std::ifstream in(out, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    in.close();
    std::filesystem::remove(out);
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
        colours.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
    }
    return true;
}

Picture RandomPicture(int nDepth, std::uint32_t nWidth, std::uint32_t nHeight,
                      std::uint32_t nSeed) {
    Picture picture{nDepth, nWidth, nHeight, {}, ColourPalette(std::size_t{1} << nDepth, nSeed)};
    CRandom random(nSeed);
    picture.indices.resize(std::size_t{nWidth} * nHeight);
    const std::uint32_t nMask = (1u << nDepth) - 1;
    for (auto& v : picture.indices) v = static_cast<std::uint8_t>(random.Next() & nMask);
    return picture;
}

Picture ScreenshotPicture(int nDepth, std::uint32_t nWidth, std::uint32_t nHeight,
                          std::uint32_t nSeed) {
    Picture picture{nDepth, nWidth, nHeight, {}, ColourPalette(std::size_t{1} << nDepth, nSeed)};
    CRandom random(nSeed);
    const std::uint32_t nColours = 1u << nDepth;
    auto colour = [&](std::uint32_t n) { return static_cast<std::uint8_t>(n % nColours); };
    picture.indices.assign(std::size_t{nWidth} * nHeight, colour(3));  // desktop
    auto fill = [&](std::uint32_t x0, std::uint32_t y0, std::uint32_t w, std::uint32_t h,
                    std::uint8_t v) {
        for (std::uint32_t y = y0; y < y0 + h && y < nHeight; ++y) {
            for (std::uint32_t x = x0; x < x0 + w && x < nWidth; ++x) {
                picture.indices[std::size_t{y} * nWidth + x] = v;
            }
        }
    };
    // Glyphs: 5 x 7 patterns in 6 x 10 cells.
    std::uint64_t glyphs[64];
    for (auto& g : glyphs)
        g = (std::uint64_t{random.Next()} << 32 | random.Next()) & ((1ull << 35) - 1);
    const std::uint32_t nWindows = 3 + nWidth * nHeight / 200000;
    for (std::uint32_t w = 0; w < nWindows; ++w) {
        const std::uint32_t x0 = random.Below(nWidth);
        const std::uint32_t y0 = random.Below(nHeight);
        const std::uint32_t ww = 40 + random.Below(nWidth / 2 + 1);
        const std::uint32_t wh = 40 + random.Below(nHeight / 2 + 1);
        const std::uint8_t background = colour(w % 2 == 0 ? 15 : 7);
        const std::uint8_t text = colour(0);
        fill(x0, y0, ww, wh, background);
        fill(x0, y0, ww, 18, colour(4 + w % 5));  // title bar
        fill(x0, y0 + wh - 1, ww, 1, colour(8));  // frame
        // Lines of text-like glyphs with spaces between words.
        for (std::uint32_t ty = y0 + 24; ty + 10 < y0 + wh; ty += 12) {
            std::uint32_t tx = x0 + 6;
            const std::uint32_t nLineEnd = x0 + 6 + random.Below(ww > 12 ? ww - 12 : 1);
            while (tx + 6 < nLineEnd) {
                const std::uint32_t nWord = 1 + random.Below(9);
                for (std::uint32_t c = 0; c < nWord && tx + 6 < nLineEnd; ++c, tx += 6) {
                    const std::uint64_t g = glyphs[random.Below(64)];
                    for (std::uint32_t gy = 0; gy < 7; ++gy) {
                        for (std::uint32_t gx = 0; gx < 5; ++gx) {
                            if ((g >> (gy * 5 + gx) & 1) == 0) continue;
                            const std::uint32_t px = tx + gx;
                            const std::uint32_t py = ty + gy;
                            if (px < nWidth && py < nHeight) {
                                picture.indices[std::size_t{py} * nWidth + px] = text;
                            }
                        }
                    }
                }
                tx += 6;
            }
        }
    }
    return picture;
}

namespace {
std::string GiflibError(int nError) {
    const char* pszText = GifErrorString(nError);
    return pszText != nullptr ? pszText : "error " + std::to_string(nError);
}
}  // namespace

DecodedGif DecodeWithGiflib(const std::filesystem::path& path) {
    DecodedGif result;
    int nError = 0;
    GifFileType* pGif = DGifOpenFileName(path.c_str(), &nError);
    if (pGif == nullptr) {
        result.strError = "DGifOpenFileName: " + GiflibError(nError);
        return result;
    }
    if (DGifSlurp(pGif) != GIF_OK) {
        result.strError = "DGifSlurp: " + GiflibError(pGif->Error);
        DGifCloseFile(pGif, &nError);
        return result;
    }
    result.nScreenWidth = pGif->SWidth;
    result.nScreenHeight = pGif->SHeight;
    result.nImageCount = pGif->ImageCount;
    if (pGif->SColorMap != nullptr) {
        for (int i = 0; i < pGif->SColorMap->ColorCount; ++i) {
            const GifColorType& c = pGif->SColorMap->Colors[i];
            result.colours.push_back({c.Red, c.Green, c.Blue});
        }
    }
    if (pGif->ImageCount > 0) {
        const SavedImage& image = pGif->SavedImages[0];
        result.nImageWidth = image.ImageDesc.Width;
        result.nImageHeight = image.ImageDesc.Height;
        const std::size_t n = static_cast<std::size_t>(image.ImageDesc.Width) *
                              static_cast<std::size_t>(image.ImageDesc.Height);
        if (image.RasterBits != nullptr)
            result.indices.assign(image.RasterBits, image.RasterBits + n);
    }
    DGifCloseFile(pGif, &nError);
    result.bOk = true;
    return result;
}

GifLayout ParseGif(const std::vector<std::uint8_t>& b) {
    GifLayout g;
    std::size_t i = 0;
    auto need = [&](std::size_t n) { return b.size() - i >= n; };
    auto le16 = [&](std::size_t at) {
        return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
    };
    auto fail = [&](const std::string& s) {
        g.strError = s + " at byte " + std::to_string(i);
        return g;
    };
    if (!need(13)) return fail("short header");
    g.strSignature.assign(b.begin(), b.begin() + 6);
    g.nScreenWidth = le16(6);
    g.nScreenHeight = le16(8);
    g.byScreenFields = b[10];
    g.byBackground = b[11];
    g.byAspect = b[12];
    i = 13;
    if ((g.byScreenFields & 0x80) != 0) {
        const std::size_t n = 3u << ((g.byScreenFields & 7) + 1);
        if (!need(n)) return fail("short colour table");
        g.colourTable.assign(b.begin() + static_cast<std::ptrdiff_t>(i),
                             b.begin() + static_cast<std::ptrdiff_t>(i + n));
        i += n;
    }
    if (!need(11)) return fail("short image descriptor");
    if (b[i] != 0x2C) return fail("no image separator");
    std::copy(b.begin() + static_cast<std::ptrdiff_t>(i),
              b.begin() + static_cast<std::ptrdiff_t>(i + 10), g.descriptor.begin());
    i += 10;
    const std::size_t nDataStart = i;
    g.nMinCodeSize = b[i++];
    for (;;) {
        if (!need(1)) return fail("data ends without a block terminator");
        const std::size_t n = b[i++];
        if (n == 0) break;
        if (!need(n)) return fail("short sub-block");
        g.blockLengths.push_back(n);
        g.data.insert(g.data.end(), b.begin() + static_cast<std::ptrdiff_t>(i),
                      b.begin() + static_cast<std::ptrdiff_t>(i + n));
        i += n;
    }
    g.imageData.assign(b.begin() + static_cast<std::ptrdiff_t>(nDataStart),
                       b.begin() + static_cast<std::ptrdiff_t>(i - 1));
    if (!need(1) || b[i] != 0x3B) return fail("no trailer");
    ++i;
    if (i != b.size()) return fail("bytes after the trailer");
    g.bOk = true;
    return g;
}

std::vector<std::uint8_t> FindImageData(const std::vector<std::uint8_t>& b,
                                        std::vector<Rgb>* pColours) {
    std::size_t i = 13;
    if (b.size() < 13) return {};
    auto readTable = [&](std::uint8_t fields) -> bool {
        const std::size_t n = 3u << ((fields & 7) + 1);
        if (b.size() - i < n) return false;
        if (pColours != nullptr) {
            pColours->clear();
            for (std::size_t k = 0; k < n; k += 3)
                pColours->push_back({b[i + k], b[i + k + 1], b[i + k + 2]});
        }
        i += n;
        return true;
    };
    if ((b[10] & 0x80) != 0 && !readTable(b[10])) return {};
    while (i < b.size()) {
        const std::uint8_t by = b[i++];
        if (by == 0x21) {  // extension: label, then sub-blocks
            ++i;
            while (i < b.size() && b[i] != 0) i += 1u + b[i];
            ++i;
        } else if (by == 0x2C) {
            if (b.size() - i < 10) return {};
            const std::uint8_t fields = b[i + 8];
            i += 9;
            if ((fields & 0x80) != 0 && !readTable(fields)) return {};
            const std::size_t nStart = i;
            ++i;
            while (i < b.size() && b[i] != 0) i += 1u + b[i];
            if (i >= b.size()) return {};
            return {b.begin() + static_cast<std::ptrdiff_t>(nStart),
                    b.begin() + static_cast<std::ptrdiff_t>(i)};
        } else {
            return {};
        }
    }
    return {};
}

CodeStream ReadCodes(const std::vector<std::uint8_t>& imageData) {
    CodeStream s;
    if (imageData.empty()) {
        s.strError = "no data";
        return s;
    }
    const int m = imageData[0];
    s.nMinCodeSize = m;
    if (m < 2 || m > 8) {
        s.strError = "bad minimum code size";
        return s;
    }
    std::vector<std::uint8_t> data;
    for (std::size_t i = 1; i < imageData.size();) {
        const std::size_t n = imageData[i++];
        if (n == 0 || imageData.size() - i < n) {
            s.strError = "bad sub-block";
            return s;
        }
        s.blockLengths.push_back(n);
        data.insert(data.end(), imageData.begin() + static_cast<std::ptrdiff_t>(i),
                    imageData.begin() + static_cast<std::ptrdiff_t>(i + n));
        i += n;
    }
    const int nClear = 1 << m;
    const int nEnd = nClear + 1;
    int nWidth = m + 1;
    int nNext = nClear + 2;
    int nPrev = -1;
    bool bFull = false;
    std::vector<int> prefix(4096, -1);
    std::vector<std::uint8_t> suffix(4096, 0);
    std::vector<std::uint8_t> first(4096, 0);
    for (int c = 0; c < nClear; ++c) {
        suffix[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
        first[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
    }
    auto emit = [&](int code) {
        std::vector<std::uint8_t> out;
        for (int c = code; c != -1; c = prefix[static_cast<std::size_t>(c)]) {
            out.push_back(suffix[static_cast<std::size_t>(c)]);
        }
        s.pixels.insert(s.pixels.end(), out.rbegin(), out.rend());
    };
    std::size_t nBit = 0;
    for (;;) {
        if (nBit + static_cast<std::size_t>(nWidth) > data.size() * 8) {
            s.strError = "no end code";
            return s;
        }
        int code = 0;
        for (int k = 0; k < nWidth; ++k, ++nBit) {
            code |= ((data[nBit / 8] >> (nBit % 8)) & 1) << k;
        }
        s.codes.push_back(code);
        s.widths.push_back(nWidth);
        if (bFull && code != nClear && code != nEnd) s.bFullTableFollowedByClear = false;
        if (code == nClear) {
            if (s.codes.size() > 1) {
                s.clearPositions.push_back(s.codes.size() - 1);
                if (!bFull) s.bClearsOnlyWhenFull = false;
            }
            nWidth = m + 1;
            nNext = nClear + 2;
            nPrev = -1;
            bFull = false;
            continue;
        }
        if (code == nEnd) break;
        if (nPrev == -1) {
            if (code >= nClear) {
                s.strError = "first code after a clear is not a pixel";
                return s;
            }
            emit(code);
            nPrev = code;
            continue;
        }
        std::uint8_t byFirst;
        if (code < nNext && code != nClear && code != nEnd) {
            byFirst = first[static_cast<std::size_t>(code)];
        } else if (code == nNext && nNext < 4096) {
            byFirst = first[static_cast<std::size_t>(nPrev)];
        } else {
            s.strError = "code " + std::to_string(code) + " not yet defined";
            return s;
        }
        if (nNext < 4096) {
            prefix[static_cast<std::size_t>(nNext)] = nPrev;
            suffix[static_cast<std::size_t>(nNext)] = byFirst;
            first[static_cast<std::size_t>(nNext)] = first[static_cast<std::size_t>(nPrev)];
            ++nNext;
            if (nNext == (1 << nWidth) && nWidth < 12) ++nWidth;
        }
        bFull = nNext == 4096;
        emit(code);
        nPrev = code;
    }
    // Everything after the end code must be the zero bits of the last byte.
    if ((nBit + 7) / 8 != data.size()) {
        s.strError = "bytes after the end code";
        return s;
    }
    s.bOk = true;
    return s;
}

namespace {

// The encoder's design written out step by step, without any shortcut.
class CReferenceEncoder {
  public:
    std::vector<std::uint8_t> Run(int nDepth, const std::uint8_t* pRows, std::uint32_t nWidth,
                                  std::uint32_t nImageSize) {
        // Pixels top row first, taken row by row from the stored rows.
        const std::uint32_t nRowBytes = RowBytes(nDepth, nWidth);
        const std::uint32_t nStride = (nRowBytes + 3) / 4 * 4;
        const std::uint32_t nRows = nStride == 0 ? 0 : nImageSize / nStride;
        for (std::uint32_t r = 0; r < nRows; ++r) {
            const std::uint8_t* pRow = pRows + std::size_t{nRows - 1 - r} * nStride;
            for (std::uint32_t x = 0; x < nWidth; ++x) {
                int v;
                if (nDepth == 8) {
                    v = pRow[x];
                } else if (nDepth == 4) {
                    v = (pRow[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15;
                } else {
                    v = (pRow[x / 8] >> (7 - x % 8)) & 1;
                }
                m_pixels.push_back(v);
            }
        }
        const int m = nDepth == 1 ? 2 : nDepth;
        m_out.push_back(static_cast<std::uint8_t>(m));
        m_nBitCount = 0;
        ResetTable(m);
        PutCode(m_nClearCode);
        if (m_pixels.empty()) return m_out;
        int nPrefix = m_pixels[0];
        for (std::size_t p = 1; p < m_pixels.size(); ++p) {
            const int x = m_pixels[p];
            int h = ((x << 5) ^ nPrefix) % 5003;
            int nStep = 1;
            int nProbes = 0;
            bool bKnown = false;
            for (;;) {
                if (m_code[h] == 0) break;
                if (m_prefix[h] == nPrefix && m_suffix[h] == x) {
                    bKnown = true;
                    break;
                }
                if (++nProbes > 5003) {
                    // Neither an empty slot nor a match on the probe path:
                    // scan on linearly.
                    h = (h + 1) % 5003;
                    continue;
                }
                h += nStep;
                nStep += 2;
                if (h >= 5003) h -= 5003;
                if (h >= 5003) h %= 5003;
            }
            if (bKnown) {
                nPrefix = m_code[h];
                continue;
            }
            PutCode(nPrefix);
            const int k = m_nNextCode;
            if (k <= 4095) {
                m_prefix[h] = static_cast<std::int16_t>(nPrefix);
                m_suffix[h] = static_cast<std::int16_t>(x);
                m_code[h] = static_cast<std::int16_t>(k);
                m_nNextCode = k + 1;
            }
            if (k == m_nCodeLimit) {
                if (m_nCodeWidth < 12) {
                    ++m_nCodeWidth;
                    m_nCodeLimit *= 2;
                } else {
                    PutCode(m_nClearCode);
                    ResetTable(m);
                }
            }
            nPrefix = x;
        }
        PutCode(nPrefix);
        PutCode(m_nEndCode);
        int nPending = (m_nBitCount + 7) / 8;
        int nDone = 0;
        while (nPending > 0) {
            const int n = nPending < 255 ? nPending : 255;
            m_out.push_back(static_cast<std::uint8_t>(n));
            m_out.insert(m_out.end(), m_block + nDone, m_block + nDone + n);
            nDone += n;
            nPending -= n;
        }
        return m_out;
    }

  private:
    void ResetTable(int m) {
        m_nCodeWidth = m + 1;
        m_nClearCode = 1 << m;
        m_nEndCode = m_nClearCode + 1;
        m_nNextCode = m_nClearCode + 2;
        m_nCodeLimit = 1 << (m + 1);
        std::memset(m_code, 0, sizeof m_code);
    }
    void WriteBlock(int n) {
        m_out.push_back(static_cast<std::uint8_t>(n));
        m_out.insert(m_out.end(), m_block, m_block + n);
    }
    void PutCode(int nCode) {
        int i = m_nBitCount / 8;
        const int o = m_nBitCount % 8;
        if (i >= 254) {
            WriteBlock(i);
            m_block[0] = m_block[i];
            m_nBitCount = o;
            i = 0;
        }
        if (o > 0) {
            const int v = (nCode << o) | m_block[i];
            m_block[i] = static_cast<std::uint8_t>(v & 0xFF);
            m_block[i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
            m_block[i + 2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
        } else {
            m_block[i] = static_cast<std::uint8_t>(nCode & 0xFF);
            m_block[i + 1] = static_cast<std::uint8_t>((nCode >> 8) & 0xFF);
        }
        m_nBitCount += m_nCodeWidth;
    }

    std::int16_t m_prefix[5003] = {};
    std::int16_t m_suffix[5003] = {};
    std::int16_t m_code[5003] = {};
    int m_nClearCode = 0, m_nEndCode = 0, m_nCodeWidth = 0, m_nNextCode = 0, m_nCodeLimit = 0;
    int m_nBitCount = 0;
    std::uint8_t m_block[259] = {};
    std::vector<int> m_pixels;
    std::vector<std::uint8_t> m_out;
};

}  // namespace

std::vector<std::uint8_t> ReferenceCompress(int nDepth, const std::uint8_t* pRows,
                                            std::uint32_t nWidth, std::uint32_t nImageSize) {
    auto pEncoder = std::make_unique<CReferenceEncoder>();
    return pEncoder->Run(nDepth, pRows, nWidth, nImageSize);
}

std::string FindProgram(const std::vector<std::string>& candidates, const std::string& strProbe) {
    for (const std::string& candidate : candidates) {
        const std::string command = candidate + " " + strProbe + " >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) return candidate;
    }
    return {};
}

}  // namespace vd::test
