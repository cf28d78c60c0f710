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

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

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
    // other than 1, 4 and 8 write nothing. Write errors raise CFileException;
    // std::bad_alloc is raised when the 8-bit string tables cannot be had.
    // The object is large (its string tables): create it on the heap. Its
    // tables are set up by Compress, which clears only what it will read.
    void Compress(CBufferedWriter& out, std::uint16_t nDepth, const std::uint8_t* pPixels,
                  std::uint16_t nWidth, std::uint16_t nHeight, std::uint32_t nImageSize,
                  bool bTopDown = false);
    // The same for rows that come from source, which holds nImageSize bytes
    // of rows and their padding.
    void Compress(CBufferedWriter& out, std::uint16_t nDepth, CRowSource& source,
                  std::uint16_t nWidth, std::uint32_t nImageSize, bool bTopDown);

    static constexpr int kLargestCode = 4095;
    static constexpr int kLargestWidth = 12;
    static constexpr unsigned kFlushThreshold = 254;  // complete bytes pending before a code

    // Slots of the hashed string table used at 8 bits per pixel for strings
    // of two pixels or more: a power of two, four times the 4090 strings
    // that can be in use, so a probe always meets an empty slot soon.
    static constexpr std::uint32_t kTableBits = 14;
    static constexpr std::uint32_t kTableSlots = 1u << kTableBits;

  private:
    // Packs codes least significant bit first into the block buffer and hands
    // full sub-blocks to the writer. Every complete byte goes into the buffer
    // as soon as it is complete, without a branch: the accumulator, which
    // keeps the fewer than 8 bits of the partial byte, is stored whole after
    // each code and the complete bytes are counted.
    class CCodePacker {
      public:
        // Complete bytes pending, all in the buffer.
        std::uint32_t CompleteBytes() const { return m_nBytes; }
        // The buffer must have room for 4 bytes after the complete ones.
        void Add(std::uint8_t* pBlock, std::uint32_t nCode, std::uint32_t nWidth) {
            m_nAcc |= nCode << m_nAccBits;  // at most 7 + 12 bits
            m_nAccBits += nWidth;
            Store32(pBlock + m_nBytes, m_nAcc);
            const std::uint32_t nComplete = m_nAccBits >> 3;
            m_nBytes += nComplete;
            m_nAcc >>= nComplete * 8;
            m_nAccBits &= 7;
        }
        // Moves the partial byte into the buffer as well; answers the bytes
        // in the buffer.
        std::uint32_t Settle(std::uint8_t* pBlock);
        // The complete bytes have been written out; the partial byte's bits stay.
        void Emptied() { m_nBytes = 0; }
        void Clear() { *this = CCodePacker(); }

      private:
        static void Store32(std::uint8_t* p, std::uint32_t v) {
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(p, &v, 4);
            } else {
                p[0] = static_cast<std::uint8_t>(v);
                p[1] = static_cast<std::uint8_t>(v >> 8);
                p[2] = static_cast<std::uint8_t>(v >> 16);
                p[3] = static_cast<std::uint8_t>(v >> 24);
            }
        }

        std::uint32_t m_nAcc = 0;      // the bits of the partial byte
        std::uint32_t m_nAccBits = 0;  // how many: fewer than 8 between codes
        std::uint32_t m_nBytes = 0;    // complete bytes in the buffer
    };

    // Compresses what m_reader hands out.
    void CompressStarted(CBufferedWriter& out, std::uint16_t nDepth);
    template <int Depth>
    bool CompressPixels(CBufferedWriter& out, int nMinCodeSize);
    // The string being extended: its code, and while it is a run of one
    // index, that index and the run's length (0 otherwise).
    struct SCurrentString {
        int nPrefix;
        std::uint32_t nRun;
        std::uint32_t nRunIndex;
    };
    // Compresses with or without the shortcuts until the last pixel (true,
    // the end code written) or until a new table should go the other way.
    template <int Depth, bool Shortcuts>
    bool CompressTables(CBufferedWriter& out, int nMinCodeSize, SCurrentString& string);
    void ResetTable(int nMinCodeSize);
    // Writes nCode in the current code width, first writing the pending
    // complete bytes as a sub-block when there are 254 or more.
    void PutCode(CCodePacker& packer, CBufferedWriter& out, std::uint32_t nCode,
                 std::uint32_t nWidth) {
        if (packer.CompleteBytes() >= kFlushThreshold) {
            WriteBlock(out, static_cast<int>(packer.CompleteBytes()));
            packer.Emptied();
        }
        packer.Add(m_block, nCode, nWidth);
    }
    // Writes the first nCount bytes of the block buffer as one sub-block.
    void WriteBlock(CBufferedWriter& out, int nCount);

    // The string table at 8 bits per pixel, for prefixes that are not a
    // single pixel: each used slot holds (prefix code << 20) | (pixel << 12)
    // | code, 0 marks an empty slot (no assigned code is 0: the first is at
    // least 6). Open addressing with linear probing, started by a
    // multiplicative hash of prefix and pixel. The slots in use are listed,
    // so that a new table clears only those.
    //
    // This table and the pair table are allocated zero-filled on first use,
    // so that a small picture never touches the pages it does not reach;
    // an encoder used again clears them whole.
    struct SFree {
        void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint32_t[], SFree> m_pTable;
    std::uint16_t m_usedSlots[4096];
    std::uint32_t m_nUsedSlots = 0;
    // At 8 bits per pixel, the two-pixel strings by first and second pixel:
    // code | m_nGeneration, where the generation (bits 12 to 15, never 0)
    // tells the current table's entries from older ones; the whole table is
    // cleared only when the generation comes round again. Noise makes
    // nearly all its strings here, found without probing.
    static constexpr std::size_t kPairs = 256 * 256;
    std::unique_ptr<std::uint16_t[], SFree> m_pPairs;
    std::uint16_t m_nGeneration = 0;
    bool m_bTablesUsed = false;
    // By prefix code, the string last found or made by extending it:
    // ((pixel | 0x100) << 12) | code, 0 when there is none yet. A cache in
    // front of the string tables; all are cleared together.
    std::uint32_t m_lastChild[4096];
    // At 8 bits per pixel, the runs of one index: the runs of index c of 1
    // to m_runLength[c] pixels are known strings (a string is only ever made
    // from a known prefix, so the known run lengths leave no gap), and the
    // code of the run of n pixels (n >= 2) is m_pRunCodes[c * kRunRow + n]
    // (one row per pixel value of the depth).
    // Entries above m_runLength[c] are never read.
    static constexpr std::uint32_t kRunRow = 4096;
    static constexpr std::uint32_t kShortestRun = CPixelReader::kRunAhead;
    std::uint16_t m_runLength[256] = {};
    std::unique_ptr<std::uint16_t[]> m_pRunCodes;
    // At 1 and 4 bits per pixel the strings are kept here instead: the code
    // of the string of prefix code p and pixel x at [(p << depth) | x], 0 for
    // none.
    std::uint16_t m_direct[4096 << 4];
    int m_nDepth = 8;

    std::uint16_t m_nClearCode = 0;  // 2^m for the minimum code size m
    std::uint16_t m_nEndCode = 0;    // clear code + 1
    std::uint16_t m_nCodeWidth = 0;  // bits of the next code written: m + 1 up to 12
    std::uint16_t m_nNextCode = 0;   // the next code to assign, at most 4096
    std::uint16_t m_nCodeLimit = 0;  // 2^m_nCodeWidth

    // Up to 255 complete bytes, the partial byte after them and room for the
    // packer's four-byte stores (after at most 253 complete bytes).
    std::uint8_t m_block[260];
    CCodePacker m_packer;
    CPixelReader m_reader;
    // Each row's pixels at 1 and 4 bits per pixel, one byte each.
    std::uint8_t m_rowBuffer[CPixelReader::kRowBufferSize];
};

}  // namespace vd
