// The GIF encoder: turns indexed-colour bitmap rows (1, 4 or 8 bits per
// pixel) into a GIF image's compressed data: the LZW minimum code size byte
// and the data sub-blocks (without the block terminator).
//
// The output is fixed to the bit. Codes are packed least significant bit
// first; the code width grows right after the code equal to 2^width has been
// assigned; the largest code assigned is 4095, and the next new string after
// it is written in 12 bits and followed at once by a clear code. Before each
// code, 254 or more complete pending bytes leave as one sub-block, so
// sub-blocks written during compression hold 254 or 255 bytes; the bytes left
// at the end go out in sub-blocks of at most 255 bytes.
#pragma once

#include <cstdint>

#include "gif/BufferedWriter.h"
#include "gif/PixelReader.h"

namespace vd {

class CGifEncoder final {
  public:
    CGifEncoder() = default;
    CGifEncoder(const CGifEncoder&) = delete;
    CGifEncoder& operator=(const CGifEncoder&) = delete;
    ~CGifEncoder() = default;

    // Compresses the pixel rows at pPixels (nImageSize bytes of rows with
    // their padding, stored bottom row first unless bTopDown is set) of a
    // picture nWidth pixels wide at nDepth bits per pixel, writing the code
    // size byte and the data sub-blocks to out. The number of rows follows
    // from the image size (whole rows only); nHeight is not used. Depths
    // other than 1, 4 and 8 write nothing. Write errors raise CFileException.
    // The object is large (its string table): create it on the heap.
    void Compress(CBufferedWriter& out, std::uint16_t nDepth, const std::uint8_t* pPixels,
                  std::uint16_t nWidth, std::uint16_t nHeight, std::uint32_t nImageSize,
                  bool bTopDown = false);

    // Slots of the string table (a power of two, at least four times the 4090
    // strings that can be in use, so that a probe always meets an empty slot).
    static constexpr std::uint32_t kTableBits = 14;
    static constexpr std::uint32_t kTableSlots = 1u << kTableBits;

    static constexpr int kLargestCode = 4095;
    static constexpr int kLargestWidth = 12;
    static constexpr int kFlushThreshold = 254;  // complete bytes pending before a code

  private:
    // Compresses every pixel; answers false when the picture has none.
    template <int Depth>
    bool CompressPixels(CBufferedWriter& out, int nMinCodeSize);
    void ResetTable(int nMinCodeSize);
    void PutCode(CBufferedWriter& out, int nCode);
    void WriteBlock(CBufferedWriter& out, int nCount);
    template <int Depth>
    int NextPixel() {
        return m_reader.Next<Depth>();
    }

    // The string table: each used slot holds (prefix code << 20) | (pixel <<
    // 12) | code, with the code in the low 12 bits; 0 marks an empty slot (no
    // assigned code is 0, the first is at least 6). Open addressing with
    // linear probing, started by a multiplicative hash of prefix and pixel.
    std::uint32_t m_table[kTableSlots] = {};

    std::uint16_t m_nClearCode = 0;  // 2^m for the minimum code size m
    std::uint16_t m_nEndCode = 0;    // clear code + 1
    std::uint16_t m_nCodeWidth = 0;  // bits of the next code written: m + 1 up to 12
    std::uint16_t m_nNextCode = 0;   // the next code to assign, at most 4096
    std::uint16_t m_nCodeLimit = 0;  // 2^m_nCodeWidth
    std::uint16_t m_nBitCount = 0;   // bits pending in the block buffer

    // Up to 255 complete bytes, the partial byte after them and spill bytes
    // for the whole-word store of PutCode.
    std::uint8_t m_block[260] = {};

    CPixelReader m_reader;
};

}  // namespace vd
