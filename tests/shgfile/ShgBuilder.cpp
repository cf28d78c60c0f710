#include "tests/shgfile/ShgBuilder.h"

#include <algorithm>
#include <stdexcept>

namespace vd::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutCompressedWord(Bytes& out, std::uint32_t value, bool bLong) {
    if (!bLong && value < 0x80) {
        out.push_back(static_cast<std::uint8_t>(value * 2));
    } else {
        if (value >= 0x8000) throw std::invalid_argument("compressed word out of range");
        Put16(out, value * 2 + 1);
    }
}

void PutCompressedDword(Bytes& out, std::uint32_t value, bool bLong) {
    if (!bLong && value < 0x8000) {
        Put16(out, value * 2);
    } else {
        if (value >= 0x80000000u) throw std::invalid_argument("compressed dword out of range");
        Put32(out, value * 2 + 1);
    }
}

Bytes PackPixels(const CShgDescription& desc) {
    switch (desc.nPacking) {
        case 0:
            return desc.pixels;
        case 1:
            return PackRunLength(desc.pixels);
        case 2:
            return PackLz77(desc.pixels);
        case 3: {
            const Bytes runs = PackRunLength(desc.pixels);
            return PackLz77(runs);
        }
        default:
            return desc.pixels;  // unknown packings: the bytes as they are
    }
}

Bytes HotspotSection(const CShgDescription& desc) {
    Bytes out;
    if (desc.hotspots.empty() && !desc.bHotspotSection) return out;
    out.push_back(0x01);
    Put16(out, static_cast<std::uint32_t>(desc.hotspots.size()));
    Put32(out, static_cast<std::uint32_t>(desc.macroData.size()));
    for (const CShgHotspotDescription& hotspot : desc.hotspots) {
        out.push_back(hotspot.nTypeByte);
        Put16(out, 0);  // further identification
        Put16(out, hotspot.nLeft);
        Put16(out, hotspot.nTop);
        Put16(out, hotspot.nWidth);
        Put16(out, hotspot.nHeight);
        Put32(out, 0x12345678);  // hash of the target
    }
    out.insert(out.end(), desc.macroData.begin(), desc.macroData.end());
    for (const CShgHotspotDescription& hotspot : desc.hotspots) {
        out.insert(out.end(), hotspot.strName.begin(), hotspot.strName.end());
        out.push_back(0);
        out.insert(out.end(), hotspot.strTarget.begin(), hotspot.strTarget.end());
        out.push_back(0);
    }
    return out;
}

}  // namespace

std::size_t RowBytes(std::uint32_t nWidth, std::uint16_t nBitCount) {
    return (static_cast<std::size_t>(nWidth) * nBitCount + 31) / 32 * 4;
}

std::vector<std::uint8_t> BuildShg(const CShgDescription& desc) {
    const Bytes data = PackPixels(desc);
    const Bytes hotspots = HotspotSection(desc);
    const bool bLongDwords = desc.layout == EShgLayout::LongForms;

    // The picture header, with placeholder offsets patched below.
    Bytes picture;
    picture.push_back(desc.nType);
    picture.push_back(desc.nPacking);
    if (desc.nType == 8) {
        // A metafile: mapping mode, size, unpacked size.
        PutCompressedWord(picture, desc.nMappingMode, false);
        Put16(picture, desc.nWidth);
        Put16(picture, desc.nHeight);
        PutCompressedDword(picture, static_cast<std::uint32_t>(desc.pixels.size()), bLongDwords);
    } else {
        PutCompressedDword(picture, desc.nXResolution, bLongDwords);
        PutCompressedDword(picture, desc.nYResolution, bLongDwords);
        PutCompressedWord(picture, desc.nPlanes, false);
        PutCompressedWord(picture, desc.nBitCount, false);
        PutCompressedDword(picture, desc.nWidth, bLongDwords);
        PutCompressedDword(picture, desc.nHeight, bLongDwords);
        PutCompressedDword(picture, desc.nColoursUsed, bLongDwords);
        PutCompressedDword(picture, 0, bLongDwords);  // important colours
    }
    const bool bLongSize = desc.layout == EShgLayout::Long38 || bLongDwords;
    if (desc.layout == EShgLayout::Short36 && data.size() >= 0x8000) {
        throw std::invalid_argument("data too large for a 2-byte size");
    }
    PutCompressedDword(picture, static_cast<std::uint32_t>(data.size()), bLongSize);
    PutCompressedDword(picture, static_cast<std::uint32_t>(hotspots.size()), bLongDwords);
    const std::size_t nOffsets = picture.size();
    Put32(picture, 0);
    Put32(picture, 0);
    picture.insert(picture.end(), desc.colourTable.begin(), desc.colourTable.end());
    const std::uint32_t nDataOffset = static_cast<std::uint32_t>(picture.size());
    picture.insert(picture.end(), data.begin(), data.end());
    const std::uint32_t nHotspotOffset =
        hotspots.empty() ? 0 : static_cast<std::uint32_t>(picture.size());
    picture.insert(picture.end(), hotspots.begin(), hotspots.end());
    for (int n = 0; n < 4; ++n) {
        picture[nOffsets + n] = static_cast<std::uint8_t>(nDataOffset >> (8 * n));
        picture[nOffsets + 4 + n] = static_cast<std::uint8_t>(nHotspotOffset >> (8 * n));
    }

    Bytes file;
    const std::uint32_t nCount = 1u + desc.nExtraPictures;
    Put16(file, desc.nMagic);
    Put16(file, nCount);
    const std::uint32_t nFirst = 4 + 4 * nCount;
    for (std::uint32_t n = 0; n < nCount; ++n) Put32(file, nFirst);  // all at the first picture
    file.insert(file.end(), picture.begin(), picture.end());
    return file;
}

std::vector<std::uint8_t> MetafileRecord(std::uint16_t nFunction,
                                         const std::vector<std::uint16_t>& parameters,
                                         std::span<const std::uint8_t> tail) {
    Bytes record;
    Put32(record, static_cast<std::uint32_t>(3 + parameters.size() + (tail.size() + 1) / 2));
    Put16(record, nFunction);
    for (const std::uint16_t nParameter : parameters) Put16(record, nParameter);
    record.insert(record.end(), tail.begin(), tail.end());
    if (tail.size() % 2 != 0) record.push_back(0);
    return record;
}

std::vector<std::uint8_t> BitmapRecord(std::uint16_t nFunction, std::span<const std::uint8_t> dib,
                                       std::uint16_t nWidth, std::uint16_t nHeight,
                                       std::uint16_t nDestWidth, std::uint16_t nDestHeight,
                                       std::uint32_t nRop) {
    const auto nRopLow = static_cast<std::uint16_t>(nRop);
    const auto nRopHigh = static_cast<std::uint16_t>(nRop >> 16);
    switch (nFunction) {
        case 0x0F43:  // rop, colour usage, source and destination rectangles
            return MetafileRecord(
                nFunction,
                {nRopLow, nRopHigh, 0, nHeight, nWidth, 0, 0, nDestHeight, nDestWidth, 0, 0}, dib);
        case 0x0B41:
            return MetafileRecord(
                nFunction,
                {nRopLow, nRopHigh, nHeight, nWidth, 0, 0, nDestHeight, nDestWidth, 0, 0}, dib);
        default:  // DIBBITBLT
            return MetafileRecord(nFunction, {nRopLow, nRopHigh, 0, 0, nHeight, nWidth, 0, 0}, dib);
    }
}

std::vector<std::uint8_t> BuildMetafile(const std::vector<std::vector<std::uint8_t>>& records) {
    Bytes body;
    std::size_t nMaxRecord = 3;
    for (const Bytes& record : records) {
        body.insert(body.end(), record.begin(), record.end());
        nMaxRecord = std::max(nMaxRecord, record.size() / 2);
    }
    const Bytes end = MetafileRecord(0x0000, {});
    body.insert(body.end(), end.begin(), end.end());
    Bytes metafile;
    Put16(metafile, 1);       // in memory
    Put16(metafile, 9);       // header words
    Put16(metafile, 0x0300);  // version
    Put32(metafile, static_cast<std::uint32_t>((18 + body.size()) / 2));
    Put16(metafile, 0);  // objects
    Put32(metafile, static_cast<std::uint32_t>(nMaxRecord));
    Put16(metafile, 0);
    metafile.insert(metafile.end(), body.begin(), body.end());
    return metafile;
}

std::vector<std::uint8_t> PackRunLength(std::span<const std::uint8_t> data) {
    Bytes out;
    std::size_t n = 0;
    while (n < data.size()) {
        std::size_t nRun = 1;
        while (n + nRun < data.size() && nRun < 0x80 && data[n + nRun] == data[n]) ++nRun;
        if (nRun >= 3 || n + nRun == data.size()) {
            out.push_back(static_cast<std::uint8_t>(nRun));  // 0x80 repeats 128 times
            out.push_back(data[n]);
            n += nRun;
            continue;
        }
        // A literal run up to the next repeat of three or more.
        std::size_t nEnd = n;
        while (nEnd < data.size() && nEnd - n < 0x7F) {
            if (nEnd + 2 < data.size() && data[nEnd] == data[nEnd + 1] &&
                data[nEnd] == data[nEnd + 2]) {
                break;
            }
            ++nEnd;
        }
        out.push_back(static_cast<std::uint8_t>(0x80 + (nEnd - n)));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(n),
                   data.begin() + static_cast<std::ptrdiff_t>(nEnd));
        n = nEnd;
    }
    return out;
}

std::vector<std::uint8_t> PackLz77(std::span<const std::uint8_t> data) {
    // Greedy matching against the last 4096 bytes, with the zero-filled window
    // before the start of the data available too.
    Bytes out;
    std::size_t nFlagIndex = 0;
    int nBit = 8;
    auto at = [&](std::ptrdiff_t nPos) -> std::uint8_t {
        return nPos < 0 ? 0 : data[static_cast<std::size_t>(nPos)];
    };
    std::size_t n = 0;
    while (n < data.size()) {
        if (nBit == 8) {
            nFlagIndex = out.size();
            out.push_back(0);
            nBit = 0;
        }
        std::size_t nBestLength = 0;
        std::size_t nBestDistance = 0;
        const std::size_t nMaxLength = std::min<std::size_t>(18, data.size() - n);
        for (std::size_t nDistance = 1; nDistance <= 4096; ++nDistance) {
            const std::ptrdiff_t nFrom =
                static_cast<std::ptrdiff_t>(n) - static_cast<std::ptrdiff_t>(nDistance);
            std::size_t nLength = 0;
            // Overlapping copies repeat the bytes just produced.
            while (nLength < nMaxLength &&
                   at(nFrom + static_cast<std::ptrdiff_t>(nLength)) == data[n + nLength]) {
                ++nLength;
            }
            if (nLength > nBestLength) {
                nBestLength = nLength;
                nBestDistance = nDistance;
            }
        }
        if (nBestLength >= 3) {
            out[nFlagIndex] = static_cast<std::uint8_t>(out[nFlagIndex] | (1u << nBit));
            const std::uint32_t nToken =
                static_cast<std::uint32_t>(((nBestLength - 3) << 12) | (nBestDistance - 1));
            Put16(out, nToken);
            n += nBestLength;
        } else {
            out.push_back(data[n]);
            ++n;
        }
        ++nBit;
    }
    return out;
}

}  // namespace vd::test
