// Reads a segmented hypergraphic (SHG/MRB file) into a packed DIB and its
// hotspot areas.
#pragma once

#include <cstdint>
#include <string>

#include "common/File.h"
#include "common/MemoryBlock.h"
#include "hypergraphics/AreaList.h"

namespace vd {

// What the file says about its first picture, as decoded from the header.
struct CShgPictureHeader {
    std::uint16_t nMagic = 0;
    std::uint16_t nPictureCount = 0;
    std::uint32_t nPictureOffset = 0;  // of the first picture, from the file's start
    std::uint8_t nType = 0;            // 6: device-independent bitmap, 8: metafile
    std::uint8_t nPacking = 0;         // 0 stored, 1 run-length, 2 LZ77, 3 LZ77 + run-length
    std::uint32_t nXResolution = 0;
    std::uint32_t nYResolution = 0;
    std::uint16_t nPlanes = 0;
    std::uint16_t nBitCount = 0;
    std::uint32_t nWidth = 0;  // of a metafile: in its header's units, as stored
    std::uint32_t nHeight = 0;
    std::uint32_t nColoursUsed = 0;  // as stored; 0 means 2^nBitCount
    std::uint32_t nColoursImportant = 0;
    std::uint32_t nDataSize = 0;     // bytes of (packed) picture data
    std::uint32_t nHotspotSize = 0;  // bytes of hotspot data; 0: no hotspots
    std::uint32_t nDataOffset = 0;   // from the picture's start
    std::uint32_t nHotspotOffset = 0;
    std::uint32_t nHeaderSize = 0;   // bytes from the picture type to the colour table
    std::uint32_t nColourCount = 0;  // colour table entries
    // A true-colour picture's distinct colours once counted (257: more than
    // 256; 0: not counted).
    std::uint32_t nDistinctColours = 0;
    // A metafile picture: its mapping mode and size once unpacked (as
    // stored), and its records by kind (see DescribeMetafileRecords) as far
    // as they were read.
    std::uint16_t nMappingMode = 0;
    std::uint32_t nMetafileSize = 0;
    std::string strMetafileRecords;

    bool IsMetafile() const { return nType == 8; }
};

// Reads the first picture and its hotspots from file (open, at its start).
// The picture is a bitmap of 1, 4 or 8 bits per pixel; or of 24 or 32 bits
// with at most 256 colours, which becomes its exact indexed form (see
// MakeIndexedDib; more colours are refused); or a metafile that holds only
// one bitmap (see bReadMetafile): the packed DIB is then that bitmap, and
// the hotspots, stored in the metafile's units, are scaled to its pixels.
// Empties list first (without deleting what it held), then appends one new
// CArea per hotspot; the caller owns them, also when the reader fails (see
// CAreaListOwner). Answers the packed DIB, unlocked, or the null handle. File
// errors (CFileException) and memory errors pass to the caller.
CMemoryBlock ReadSHGFile(CFile& file, CAreaList& list);

// The same; on failure *pstrReason, when given, says why. *pHeader, when
// given, receives the picture's header as far as it was read.
CMemoryBlock ReadSHGFile(CFile& file, CAreaList& list, std::string* pstrReason,
                         CShgPictureHeader* pHeader = nullptr);

// Reads only the hotspots of the first picture, for a picture whose header
// ReadSHGFile read (into header) but whose pixels it refused, such as one of
// more than 256 colours or a metafile that draws more than one bitmap (its hotspots stay in its
// units). Appends one new CArea per hotspot to list (owned by the caller,
// as above). Answers false, with *pstrReason when given, when the
// hotspots cannot be read; true when they were read or there are none.
bool bReadSHGHotspots(CFile& file, const CShgPictureHeader& header, CAreaList& list,
                      std::string* pstrReason = nullptr);

}  // namespace vd
