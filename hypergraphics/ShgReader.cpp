#include "hypergraphics/ShgReader.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "common/ScratchBuffer.h"
#include "common/Strings.h"
#include "common/TextEncoding.h"
#include "gif/TrueColourGif.h"
#include "hypergraphics/Metafile.h"
#include "hypergraphics/ShgDecoders.h"

namespace vd {

namespace {

constexpr std::uint16_t kMagic = 0x706C;     // "lp"
constexpr std::uint16_t kMagicAlt = 0x506C;  // "lP"
constexpr std::uint8_t kTypeDib = 6;
constexpr std::uint8_t kTypeMetafile = 8;
constexpr std::uint8_t kPackingStored = 0;
constexpr std::uint8_t kPackingRunLength = 1;
constexpr std::uint8_t kPackingLz77 = 2;
constexpr std::uint8_t kPackingLz77RunLength = 3;

constexpr std::size_t kFileHeaderSize = 8;  // magic, picture count, first picture offset
// Type, packing, two dwords, two words, six dwords and two offsets, each in
// its longest form.
constexpr std::size_t kMaxPictureHeaderSize = 1 + 1 + 2 * 4 + 2 * 2 + 6 * 4 + 2 * 4;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHotspotHeaderSize = 7;
constexpr std::size_t kHotspotRecordSize = 15;

constexpr std::int32_t kXPelsPerMeter = 3790;
constexpr std::int32_t kYPelsPerMeter = 3780;

// The most pixel bytes nIn bytes of picture data can give in each packing:
// stored data gives itself; run-length data at most 128 bytes per 2 bytes
// (a repeat run); LZ77 data at most 144 bytes per 17 (a flag byte and eight
// 18-byte copies), so less than 9 per byte; LZ77 then run-length at most 64
// times that. A header claiming a larger picture than its data can fill is
// refused before anything is allocated for the picture.
std::uint64_t MaxPixelBytes(std::uint8_t nPacking, std::uint64_t nIn) {
    switch (nPacking) {
        case kPackingStored:
            return nIn;
        case kPackingRunLength:
            return nIn * 64;
        case kPackingLz77:
            return nIn * 9;
        default:
            return nIn * 9 * 64;
    }
}

// Reads little-endian fields and the format's compressed numbers from bytes
// that were actually read; every getter answers false at the end.
class CFieldReader {
  public:
    explicit CFieldReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t GetPosition() const { return m_nPos; }

    bool Byte(std::uint8_t& value) {
        if (m_bytes.size() - m_nPos < 1) return false;
        value = m_bytes[m_nPos++];
        return true;
    }
    bool Word(std::uint16_t& value) {
        if (m_bytes.size() - m_nPos < 2) return false;
        value = static_cast<std::uint16_t>(m_bytes[m_nPos] | (m_bytes[m_nPos + 1] << 8));
        m_nPos += 2;
        return true;
    }
    bool Dword(std::uint32_t& value) {
        if (m_bytes.size() - m_nPos < 4) return false;
        value = static_cast<std::uint32_t>(m_bytes[m_nPos]) |
                (static_cast<std::uint32_t>(m_bytes[m_nPos + 1]) << 8) |
                (static_cast<std::uint32_t>(m_bytes[m_nPos + 2]) << 16) |
                (static_cast<std::uint32_t>(m_bytes[m_nPos + 3]) << 24);
        m_nPos += 4;
        return true;
    }
    // A compressed word: one byte holding value × 2, or (low bit set) two
    // bytes holding value × 2 + 1.
    bool CompressedWord(std::uint16_t& value) {
        if (m_bytes.size() - m_nPos < 1) return false;
        if ((m_bytes[m_nPos] & 1) == 0) {
            value = static_cast<std::uint16_t>(m_bytes[m_nPos++] >> 1);
            return true;
        }
        std::uint16_t raw = 0;
        if (!Word(raw)) return false;
        value = static_cast<std::uint16_t>(raw >> 1);
        return true;
    }
    // A compressed dword: two bytes holding value × 2, or (low bit set) four
    // bytes holding value × 2 + 1.
    bool CompressedDword(std::uint32_t& value) {
        if (m_bytes.size() - m_nPos < 1) return false;
        if ((m_bytes[m_nPos] & 1) == 0) {
            std::uint16_t raw = 0;
            if (!Word(raw)) return false;
            value = raw >> 1u;
            return true;
        }
        std::uint32_t raw = 0;
        if (!Dword(raw)) return false;
        value = raw >> 1;
        return true;
    }

  private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_nPos = 0;
};

void PutLe16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

bool Refuse(std::string* pstrReason, std::string strReason) {
    SetReason(pstrReason, std::move(strReason));
    return false;
}

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Format(const char* pszFormat, ...) {
    char text[160];
    std::va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(text, sizeof text, pszFormat, args);
    va_end(args);
    return text;
}

std::uint64_t BytesLeft(const CFile& file) {
    const std::uint64_t nLength = file.GetLength();
    const std::uint64_t nPosition = file.GetPosition();
    return nLength > nPosition ? nLength - nPosition : 0;
}

// Reads the file header and the first picture's header; leaves the file at
// the colour table.
bool ReadHeader(CFile& file, CShgPictureHeader& header, std::string* pstrReason) {
    std::uint8_t fileHeader[kFileHeaderSize];
    if (file.Read(fileHeader, sizeof fileHeader) < sizeof fileHeader) {
        return Refuse(pstrReason, "not an SHG file: it is shorter than its header");
    }
    CFieldReader fields(fileHeader);
    fields.Word(header.nMagic);
    fields.Word(header.nPictureCount);
    fields.Dword(header.nPictureOffset);
    if (header.nMagic != kMagic && header.nMagic != kMagicAlt) {
        return Refuse(pstrReason, Format("not an SHG file (magic 0x%04X)", header.nMagic));
    }
    if (header.nPictureCount == 0) return Refuse(pstrReason, "the SHG file holds no picture");
    const std::uint64_t nTableEnd = 4 + 4 * std::uint64_t{header.nPictureCount};
    if (header.nPictureOffset < nTableEnd || header.nPictureOffset >= file.GetLength()) {
        return Refuse(pstrReason,
                      Format("the first picture's offset %" PRIu32 " lies outside the file",
                             header.nPictureOffset));
    }
    file.Seek(static_cast<std::int64_t>(header.nPictureOffset) -
              static_cast<std::int64_t>(kFileHeaderSize));

    std::uint8_t pictureHeader[kMaxPictureHeaderSize];
    const std::size_t nRead = file.Read(pictureHeader, sizeof pictureHeader);
    CFieldReader picture(std::span<const std::uint8_t>(pictureHeader, nRead));
    bool bComplete = picture.Byte(header.nType) && picture.Byte(header.nPacking);
    if (bComplete && header.nType == kTypeMetafile) {
        // Mapping mode, size, unpacked size; no planes, bits or colours.
        std::uint16_t nWidth = 0;
        std::uint16_t nHeight = 0;
        bComplete = picture.CompressedWord(header.nMappingMode) && picture.Word(nWidth) &&
                    picture.Word(nHeight) && picture.CompressedDword(header.nMetafileSize);
        header.nWidth = nWidth;
        header.nHeight = nHeight;
    } else if (bComplete) {
        bComplete =
            picture.CompressedDword(header.nXResolution) &&
            picture.CompressedDword(header.nYResolution) &&
            picture.CompressedWord(header.nPlanes) && picture.CompressedWord(header.nBitCount) &&
            picture.CompressedDword(header.nWidth) && picture.CompressedDword(header.nHeight) &&
            picture.CompressedDword(header.nColoursUsed) &&
            picture.CompressedDword(header.nColoursImportant);
    }
    bComplete = bComplete && picture.CompressedDword(header.nDataSize) &&
                picture.CompressedDword(header.nHotspotSize) && picture.Dword(header.nDataOffset) &&
                picture.Dword(header.nHotspotOffset);
    if (!bComplete) return Refuse(pstrReason, "the picture header is cut short");
    header.nHeaderSize = static_cast<std::uint32_t>(picture.GetPosition());
    // Back to the first byte after the header: the colour table.
    file.Seek(static_cast<std::int64_t>(picture.GetPosition()) - static_cast<std::int64_t>(nRead));

    if (header.nType != kTypeDib && header.nType != kTypeMetafile) {
        return Refuse(pstrReason,
                      Format("picture type %u is not supported (only bitmaps, type 6, and "
                             "metafiles, type 8)",
                             unsigned{header.nType}));
    }
    if (header.nPacking > kPackingLz77RunLength) {
        return Refuse(pstrReason, Format("unknown packing method %u", unsigned{header.nPacking}));
    }
    if (header.nType == kTypeMetafile) return true;
    if (header.nPlanes != 1) {
        return Refuse(pstrReason, Format("pictures of %u planes are not supported (only one plane)",
                                         unsigned{header.nPlanes}));
    }
    if (header.nBitCount != 1 && header.nBitCount != 4 && header.nBitCount != 8 &&
        header.nBitCount != 24 && header.nBitCount != 32) {
        return Refuse(pstrReason,
                      Format("%u bits per pixel are not supported (only 1, 4, 8, 24 or 32)",
                             unsigned{header.nBitCount}));
    }
    // A true-colour picture has no colour table unless it gives a count
    // (a palette for displays of 256 colours, which is passed over).
    const bool bTrueColour = header.nBitCount > 8;
    const std::uint32_t nMaxColours = bTrueColour ? 256u : 1u << header.nBitCount;
    header.nColourCount =
        header.nColoursUsed == 0 && !bTrueColour ? nMaxColours : header.nColoursUsed;
    if (header.nColourCount > nMaxColours) {
        return Refuse(pstrReason, Format("%" PRIu32 " colours are too many for %u bits per pixel",
                                         header.nColourCount, unsigned{header.nBitCount}));
    }
    return true;
}

// Reads the colour table and the picture data into the block after its
// information header, and zero-fills the rest of it (the block comes
// uncleared); answers the number of pixel bytes placed, or false.
bool ReadPicture(CFile& file, const CShgPictureHeader& header, std::span<std::uint8_t> body,
                 std::uint32_t& nSizeImage, std::string* pstrReason) {
    const std::size_t nColourTable = std::size_t{header.nColourCount} * 4;
    if (header.nPacking == kPackingStored) {
        const std::uint64_t nWanted = std::uint64_t{nColourTable} + header.nDataSize;
        if (nWanted > body.size()) {
            return Refuse(pstrReason, "the picture data does not fit the picture");
        }
        if (file.Read(body.data(), static_cast<std::size_t>(nWanted)) < nWanted) {
            return Refuse(pstrReason, "the picture data is cut short");
        }
        std::memset(body.data() + nWanted, 0, body.size() - static_cast<std::size_t>(nWanted));
        nSizeImage = header.nDataSize;
        return true;
    }

    // A packed picture: a short colour table or short data leaves the rest of
    // the block zero.
    const std::size_t nTableRead = file.Read(body.data(), nColourTable);
    std::memset(body.data() + nTableRead, 0, nColourTable - nTableRead);
    const std::span<std::uint8_t> pixels = body.subspan(nColourTable);
    std::size_t nWritten = 0;
    if (header.nPacking == kPackingRunLength) {
        nWritten = ReadRunLengthData(file, pixels, static_cast<std::int32_t>(header.nDataSize));
    } else {
        const std::size_t nWanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(header.nDataSize, BytesLeft(file)));
        const auto pData = std::make_unique_for_overwrite<std::uint8_t[]>(nWanted);
        const std::size_t nRead = nWanted > 0 ? file.Read(pData.get(), nWanted) : 0;
        const std::span<const std::uint8_t> packed(pData.get(), nRead);
        if (header.nPacking == kPackingLz77) {
            nWritten = DecodeLz77(packed, pixels);
        } else {
            nWritten = DecodeLz77RunLength(packed, pixels);
        }
    }
    std::memset(pixels.data() + nWritten, 0, pixels.size() - nWritten);
    nSizeImage = static_cast<std::uint32_t>(nWritten);
    return true;
}

// Maps a hotspot type byte to the area's type and visibility.
bool MapHotspotType(std::uint8_t nTypeByte, std::int32_t& nType, std::int32_t& bVisible) {
    switch (nTypeByte & 0xFB) {
        case 0xE2:
            nType = AREA_POPUP;
            break;
        case 0xE3:
        case 0xEB:
            nType = AREA_JUMP;
            break;
        case 0xC8:
            nType = AREA_MACRO;
            break;
        default:
            return false;
    }
    bVisible = (nTypeByte & 0x04) != 0 ? 0 : 1;
    return true;
}

// Reads the hotspot section that follows the picture data: header, records,
// macro data and the two strings of every hotspot.
bool ReadHotspots(CFile& file, CAreaList& list, std::string* pstrReason) {
    std::uint8_t hotspotHeader[kHotspotHeaderSize];
    if (file.Read(hotspotHeader, sizeof hotspotHeader) < sizeof hotspotHeader) {
        return Refuse(pstrReason, "the hotspot header is cut short");
    }
    CFieldReader fields(hotspotHeader);
    std::uint8_t nMarker = 0;
    std::uint16_t nCount = 0;
    std::uint32_t nMacroSize = 0;
    fields.Byte(nMarker);
    fields.Word(nCount);
    fields.Dword(nMacroSize);

    for (unsigned nIndex = 0; nIndex < nCount; ++nIndex) {
        std::uint8_t record[kHotspotRecordSize];
        if (file.Read(record, sizeof record) < sizeof record) {
            return Refuse(pstrReason, Format("hotspot record %u of %u is cut short", nIndex + 1,
                                             unsigned{nCount}));
        }
        std::int32_t nType = 0;
        std::int32_t bVisible = 0;
        if (!MapHotspotType(record[0], nType, bVisible)) {
            return Refuse(pstrReason, Format("hotspot %u has the unknown type byte 0x%02X",
                                             nIndex + 1, unsigned{record[0]}));
        }
        CFieldReader coordinates(std::span<const std::uint8_t>(record).subspan(3, 8));
        std::uint16_t nLeft = 0, nTop = 0, nWidth = 0, nHeight = 0;
        coordinates.Word(nLeft);
        coordinates.Word(nTop);
        coordinates.Word(nWidth);
        coordinates.Word(nHeight);

        auto pArea = std::make_unique<CArea>(1);
        // Unsigned 16-bit values: every sum stays within 0 to 131070.
        pArea->m_rect = {nLeft, nTop, std::int32_t{nLeft} + nWidth, std::int32_t{nTop} + nHeight};
        pArea->m_points.Add({pArea->m_rect.left, pArea->m_rect.top});
        pArea->m_points.Add({pArea->m_rect.right, pArea->m_rect.bottom});
        pArea->m_crLine = CArea::kLineColour;
        pArea->m_nLineStyle = CArea::kLineStyle;
        pArea->m_nLineWidth = CArea::kLineWidth;
        pArea->m_nType = nType;
        pArea->m_bVisible = bVisible;
        list.AddTail(pArea.get());
        pArea.release();  // the list's filler owns it now
    }
    if (nCount == 0) return true;  // no strings to take

    if (nMacroSize > BytesLeft(file)) {
        return Refuse(pstrReason, "the hotspot macro data runs past the end of the file");
    }
    if (nMacroSize != 0) file.Seek(nMacroSize);

    // The string area: everything up to the end of the file.
    std::vector<char> strings(static_cast<std::size_t>(BytesLeft(file)));
    const std::size_t nRead = strings.empty() ? 0 : file.Read(strings.data(), strings.size());
    std::size_t nPos = 0;
    auto takeString = [&](std::string& str) {
        const auto itBegin = strings.begin() + static_cast<std::ptrdiff_t>(nPos);
        const auto itEnd = strings.begin() + static_cast<std::ptrdiff_t>(nRead);
        const auto itZero = std::find(itBegin, itEnd, '\0');
        if (itZero == itEnd) return false;
        // Older authoring tools wrote Windows-1252, newer ones UTF-8.
        str = TextAsUtf8(std::string_view(&*itBegin, static_cast<std::size_t>(itZero - itBegin)));
        nPos = static_cast<std::size_t>(itZero - strings.begin()) + 1;
        return true;
    };
    for (CArea* pArea : list) {
        if (!takeString(pArea->m_strName) || !takeString(pArea->m_strTarget)) {
            return Refuse(pstrReason, "the names and targets of the hotspots are cut short");
        }
    }
    return true;
}

// The number of bytes run-length data decodes to (as DecodeRunLength
// decodes it, without a limit).
std::uint64_t RunLengthOutputSize(std::span<const std::uint8_t> runs) {
    std::uint64_t nOut = 0;
    for (std::size_t n = 0; n < runs.size();) {
        const std::uint8_t nControl = runs[n++];
        if (nControl > 0x80) {
            const std::size_t nLiteral = std::min<std::size_t>(nControl - 0x80u, runs.size() - n);
            nOut += nLiteral;
            n += nLiteral;
        } else if (n < runs.size()) {
            nOut += nControl;
            ++n;
        }
    }
    return nOut;
}

// Reads the picture data of a metafile and unpacks it. Memory is taken only
// for what the data in the file decodes to, whatever size the header
// claims.
std::vector<std::uint8_t> ReadMetafileBytes(CFile& file, const CShgPictureHeader& header) {
    const std::size_t nIn =
        static_cast<std::size_t>(std::min<std::uint64_t>(header.nDataSize, BytesLeft(file)));
    std::vector<std::uint8_t> packed(nIn);
    packed.resize(nIn > 0 ? file.Read(packed.data(), nIn) : 0);
    if (header.nPacking == kPackingStored) return packed;
    if (header.nPacking == kPackingLz77) return DecodeLz77(packed, header.nMetafileSize);
    if (header.nPacking == kPackingLz77RunLength) {
        packed = DecodeLz77(packed, packed.size() * 9);  // LZ77 gives at most 9 bytes a byte
    }
    const std::size_t nOut = static_cast<std::size_t>(
        std::min<std::uint64_t>(header.nMetafileSize, RunLengthOutputSize(packed)));
    std::vector<std::uint8_t> metafile(nOut);
    DecodeRunLength(packed, metafile);
    return metafile;
}

// Scales a coordinate from the metafile's units (nExtent of them across
// the picture) to the bitmap's pixels (nPixels across), to the nearest.
std::int32_t ScaleToPixels(std::int32_t nValue, std::uint32_t nPixels, std::uint32_t nExtent) {
    const std::uint64_t nScaled =
        (static_cast<std::uint64_t>(nValue) * nPixels + nExtent / 2) / nExtent;
    return static_cast<std::int32_t>(
        std::min<std::uint64_t>(nScaled, std::numeric_limits<std::int32_t>::max()));
}

// A metafile picture that holds one bitmap: the bitmap becomes the packed
// DIB, and the hotspots are placed on its pixels.
CMemoryBlock ReadMetafilePicture(CFile& file, CShgPictureHeader& header, CAreaList& list,
                                 std::string* pstrReason) {
    const std::vector<std::uint8_t> metafile = ReadMetafileBytes(file, header);
    CMetafileBitmap bitmap;
    const bool bBitmap = bReadMetafile(metafile, bitmap, pstrReason);
    header.strMetafileRecords = DescribeMetafileRecords(bitmap);
    if (!bBitmap) return {};

    if (header.nHotspotSize != 0 && !ReadHotspots(file, list, pstrReason)) return {};
    if (!list.IsEmpty() && (bitmap.nExtentX == 0 || bitmap.nExtentY == 0)) {
        SetReason(pstrReason, "the metafile gives no extent by which to place its hotspots");
        return {};
    }
    for (CArea* pArea : list) {
        CRect& rect = pArea->m_rect;
        rect.left = ScaleToPixels(rect.left, bitmap.nBitmapWidth, bitmap.nExtentX);
        rect.right = ScaleToPixels(rect.right, bitmap.nBitmapWidth, bitmap.nExtentX);
        rect.top = ScaleToPixels(rect.top, bitmap.nBitmapHeight, bitmap.nExtentY);
        rect.bottom = ScaleToPixels(rect.bottom, bitmap.nBitmapHeight, bitmap.nExtentY);
        pArea->m_points.RemoveAll();
        pArea->m_points.Add({rect.left, rect.top});
        pArea->m_points.Add({rect.right, rect.bottom});
    }

    CMemoryBlock block = CMemoryBlock::AllocateUncleared(bitmap.nDibSize);
    if (!block) {
        SetReason(pstrReason,
                  "cannot allocate " + std::to_string(bitmap.nDibSize) + " bytes for the picture");
        return {};
    }
    {
        CMemoryLock lock(block);
        std::memcpy(lock.Data(), metafile.data() + bitmap.nDibOffset, bitmap.nDibSize);
    }
    return block;
}

// Reads the colour table and the pixel rows into whole (at least the
// information header's 40 bytes) after the information header, which it
// then writes.
bool FillPicture(CFile& file, const CShgPictureHeader& header, std::span<std::uint8_t> whole,
                 std::string* pstrReason) {
    std::uint32_t nSizeImage = 0;
    if (!ReadPicture(file, header, whole.subspan(kInfoHeaderSize), nSizeImage, pstrReason)) {
        return false;
    }
    std::uint8_t* pInfo = whole.data();
    PutLe32(pInfo + 0, kInfoHeaderSize);
    PutLe32(pInfo + 4, header.nWidth);
    PutLe32(pInfo + 8, header.nHeight);
    PutLe16(pInfo + 12, 1);
    PutLe16(pInfo + 14, header.nBitCount);
    PutLe32(pInfo + 16, 0);  // uncompressed rows
    PutLe32(pInfo + 20, nSizeImage);
    PutLe32(pInfo + 24, kXPelsPerMeter);
    PutLe32(pInfo + 28, kYPelsPerMeter);
    // A table shorter than the bit depth allows is recorded, so the rows
    // are found where they are.
    PutLe32(pInfo + 32, header.nBitCount <= 8 && header.nColourCount == (1u << header.nBitCount)
                            ? 0
                            : header.nColourCount);
    PutLe32(pInfo + 36, 0);
    return true;
}

}  // namespace

CMemoryBlock ReadSHGFile(CFile& file, CAreaList& list) {
    return ReadSHGFile(file, list, nullptr, nullptr);
}

CMemoryBlock ReadSHGFile(CFile& file, CAreaList& list, std::string* pstrReason,
                         CShgPictureHeader* pHeader) {
    list.RemoveAll();
    CShgPictureHeader header;
    const bool bHeader = ReadHeader(file, header, pstrReason);
    if (pHeader != nullptr) *pHeader = header;
    if (!bHeader) return {};
    if (header.IsMetafile()) {
        CMemoryBlock block = ReadMetafilePicture(file, header, list, pstrReason);
        if (pHeader != nullptr) *pHeader = header;
        return block;
    }

    // The block holds the whole decoded picture, and at least the file's
    // length. Sizes come from the file: computed in 64 bits and checked
    // against what the picture data in the file can fill (and what the
    // 32-bit size of the pixel rows can say) before anything is allocated.
    const std::uint64_t nFileLength = file.GetLength();
    const std::uint64_t nRowBytes = (std::uint64_t{header.nWidth} * header.nBitCount + 31) / 32 * 4;
    const std::uint64_t nRowsSize = nRowBytes * header.nHeight;  // below 2^50
    const std::uint64_t nColourTableSize = std::uint64_t{header.nColourCount} * 4;
    const std::uint64_t nLeft = BytesLeft(file);
    const std::uint64_t nDataInFile = std::min<std::uint64_t>(
        header.nDataSize, nLeft > nColourTableSize ? nLeft - nColourTableSize : 0);
    if (header.nPacking == kPackingStored && nDataInFile < header.nDataSize) {
        SetReason(pstrReason, "the picture data is cut short");
        return {};
    }
    if (nRowsSize > std::numeric_limits<std::uint32_t>::max() ||
        nRowsSize > MaxPixelBytes(header.nPacking, nDataInFile)) {
        SetReason(pstrReason,
                  Format("the picture data (%" PRIu64 " bytes, packing %u) cannot "
                         "fill a picture of %" PRIu32 " x %" PRIu32 " pixels",
                         nDataInFile, unsigned{header.nPacking}, header.nWidth, header.nHeight));
        return {};
    }
    const std::uint64_t nPictureSize = kInfoHeaderSize + nColourTableSize + nRowsSize;
    const std::uint64_t nBlockSize = std::max(nPictureSize, nFileLength);
    if (nBlockSize > std::numeric_limits<std::size_t>::max()) {
        SetReason(pstrReason, "the picture is too large for this platform");
        return {};
    }
    CMemoryBlock block;
    if (header.nBitCount > 8) {
        // A true-colour picture is decoded into a scratch buffer and handed
        // on in its exact indexed form (or refused for its colours).
        CScratchBuffer scratch;
        if (!scratch.Allocate(static_cast<std::size_t>(nBlockSize))) {
            SetReason(pstrReason,
                      Format("cannot allocate %" PRIu64 " bytes for the picture", nBlockSize));
            return {};
        }
        const std::span<std::uint8_t> whole(scratch.Data(), scratch.Size());
        if (!FillPicture(file, header, whole, pstrReason)) return {};
        block = MakeIndexedDib(whole.data(), whole.size(), header.nDistinctColours, pstrReason);
        if (pHeader != nullptr) pHeader->nDistinctColours = header.nDistinctColours;
        if (!block) return {};
    } else {
        block = CMemoryBlock::AllocateUncleared(static_cast<std::size_t>(nBlockSize));
        if (!block) {
            SetReason(pstrReason,
                      Format("cannot allocate %" PRIu64 " bytes for the picture", nBlockSize));
            return {};
        }
        CMemoryLock lock(block);
        if (!FillPicture(file, header, std::span<std::uint8_t>(lock.Data(), lock.Size()),
                         pstrReason)) {
            return {};
        }
    }

    if (header.nHotspotSize != 0 && !ReadHotspots(file, list, pstrReason)) return {};
    return block;
}

bool bReadSHGHotspots(CFile& file, const CShgPictureHeader& header, CAreaList& list,
                      std::string* pstrReason) {
    if (header.nHotspotSize == 0) return true;
    // The hotspot offset counts from the picture's start; both come from the
    // file, so the sum is checked against its length.
    const std::uint64_t nStart = std::uint64_t{header.nPictureOffset} + header.nHotspotOffset;
    if (nStart >= file.GetLength()) {
        return Refuse(pstrReason, "the hotspot section lies outside the file");
    }
    file.Seek(static_cast<std::int64_t>(nStart) - static_cast<std::int64_t>(file.GetPosition()));
    return ReadHotspots(file, list, pstrReason);
}

}  // namespace vd
