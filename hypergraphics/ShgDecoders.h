// The two packings of SHG picture data: run-length and LZ77. Every decoder
// writes only into the destination it is given and stops at its end; bytes
// that would fall beyond it are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/File.h"

namespace vd {

// Run-length data: a control byte c above 0x80 is followed by c - 0x80
// literal bytes; a control byte c up to 0x80 is followed by one value byte
// written c times (0 writes nothing, 0x80 writes 128). Decoding ends at the
// end of the source; a run cut short by it is taken only as far as its bytes
// are there. The rest of the destination is zero-filled (so the decoder
// need not find first where its output ends). Answers the number of bytes
// decoded.
std::size_t DecodeRunLength(std::span<const std::uint8_t> source,
                            std::span<std::uint8_t> destination);

// LZ77 data: each flag byte governs the next eight items, lowest bit first.
// A clear bit is one literal byte; a set bit is a 16-bit little-endian token
// whose low 12 bits are the distance minus 1 back from the current output
// position and whose high 4 bits are the length minus 3. The 4096-byte window
// starts zero-filled. Decoding ends at the end of the source (a token cut
// short is dropped) or when nLimit bytes have been produced.
std::vector<std::uint8_t> DecodeLz77(std::span<const std::uint8_t> source, std::size_t nLimit);

// The same, writing into destination; answers the number of bytes written.
std::size_t DecodeLz77(std::span<const std::uint8_t> source, std::span<std::uint8_t> destination);

// LZ77 data whose output is run-length data, decoded in turn into
// destination, the rest of which is zero-filled; answers the number of bytes
// decoded.
std::size_t DecodeLz77RunLength(std::span<const std::uint8_t> source,
                                std::span<std::uint8_t> destination);

// Reads nDataSize bytes of run-length data from the current position of
// file (fewer when the file ends first; none when nDataSize <= 0) and
// decodes them into destination, the rest of which is zero-filled. Answers
// the number of bytes decoded.
std::size_t ReadRunLengthData(CFile& file, std::span<std::uint8_t> destination,
                              std::int32_t nDataSize);

}  // namespace vd
