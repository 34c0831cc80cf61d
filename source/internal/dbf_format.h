#pragma once
// Facts of the dBASE family's table and memo files, as the reader relies on them. doc/dbf-format.md
// describes the format as we read it. Header and descriptor integers are little-endian; .fpt memo
// integers are big-endian.

#include <cstddef>
#include <cstdint>

namespace qm::dbf {

// Table header.
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kLevel7HeaderSize = 68;  // + the language driver's name and 4 bytes
inline constexpr std::size_t kVersionOffset = 0;
inline constexpr std::size_t kRecordCountOffset = 4;
inline constexpr std::size_t kHeaderLengthOffset = 8;
inline constexpr std::size_t kRecordLengthOffset = 10;
inline constexpr std::size_t kLanguageDriverOffset = 29;

// Field descriptors: 32 bytes from offset 32, or 48 bytes from offset 68 at dBASE level 7, ended
// by kDescriptorEnd (tolerated missing: the header length bounds the walk).
inline constexpr std::size_t kDescriptorSize = 32;
inline constexpr std::size_t kNameSize = 11;
inline constexpr std::size_t kTypeOffset = 11;
inline constexpr std::size_t kLengthOffset = 16;
inline constexpr std::size_t kDecimalsOffset = 17;
inline constexpr std::size_t kFlagsOffset = 18;  // Visual FoxPro field flags
inline constexpr std::size_t kLevel7DescriptorSize = 48;
inline constexpr std::size_t kLevel7NameSize = 32;
inline constexpr std::size_t kLevel7TypeOffset = 32;
inline constexpr std::size_t kLevel7LengthOffset = 33;
inline constexpr std::size_t kLevel7DecimalsOffset = 34;
inline constexpr std::uint8_t kDescriptorEnd = 0x0D;

// Visual FoxPro field flags.
inline constexpr std::uint8_t kFlagSystem = 0x01;    // hidden column (the null flags)
inline constexpr std::uint8_t kFlagNullable = 0x02;  // has a bit in the null flags
inline constexpr std::uint8_t kFlagBinary = 0x04;    // text kept as bytes, no code page

// Records: one mark byte, then the fields packed in descriptor order.
inline constexpr std::uint8_t kLiveRecord = ' ';
inline constexpr std::uint8_t kDeletedRecord = '*';
inline constexpr std::uint8_t kEndOfData = 0x1A;  // optional; a mark byte equal to it ends data

// Version bytes (header byte 0) the reader knows by name.
inline constexpr std::uint8_t kVersionFoxBase = 0x02;  // dBASE II layout: not read
inline constexpr std::uint8_t kVersionLevel7 = 0x04;
inline constexpr std::uint8_t kVersionLevel7Memo = 0x8C;
inline constexpr std::uint8_t kVersionDbase3Memo = 0x83;
inline constexpr std::uint8_t kVersionDbase4Memo = 0x8B;
inline constexpr std::uint8_t kVersionDbase4SqlMemo = 0xCB;
inline constexpr std::uint8_t kVersionDbase4MemoAlt = 0x7B;
inline constexpr std::uint8_t kVersionDbase4SqlTable = 0x8E;
inline constexpr std::uint8_t kVersionXBase4Memo = 0x84;  // written by one Perl writer for 0x8B
inline constexpr std::uint8_t kVersionVisualFoxPro = 0x30;
inline constexpr std::uint8_t kVersionVisualFoxProAutoInc = 0x31;
inline constexpr std::uint8_t kVersionVisualFoxProVarchar = 0x32;
inline constexpr std::uint8_t kVersionFoxPro2Memo = 0xF5;
inline constexpr std::uint8_t kVersionFoxBasePlus = 0xFB;

// Widths of numeric columns without decimals that still fit the integer kinds.
inline constexpr std::uint32_t kIntegerMaxWidth = 9;    // fits 32 bits
inline constexpr std::uint32_t kLargeintMaxWidth = 18;  // fits 64 bits

// Fixed widths of binary columns.
inline constexpr std::uint32_t kDateWidth = 8;  // "YYYYMMDD"
inline constexpr std::uint32_t kInt32Width = 4;
inline constexpr std::uint32_t kInt64Width = 8;
inline constexpr std::uint32_t kDoubleWidth = 8;
inline constexpr std::uint32_t kMemoPointerWidth = 10;    // ASCII block number
inline constexpr std::uint32_t kVfpMemoPointerWidth = 4;  // little-endian block number

// Memo files.
inline constexpr std::size_t kMemoHeaderSize = 512;
inline constexpr std::uint32_t kDbt3BlockSize = 512;
inline constexpr std::size_t kDbt4BlockSizeOffset = 20;  // uint16 little-endian
inline constexpr std::uint32_t kDbt4DefaultBlockSize = 512;
inline constexpr std::uint8_t kDbt4BlockSignature[4] = {0xFF, 0xFF, 0x08, 0x00};
inline constexpr std::size_t kDbt4BlockHeaderSize = 8;  // signature, length including these 8
inline constexpr std::size_t kFptBlockSizeOffset = 6;   // uint16 big-endian
inline constexpr std::size_t kFptBlockHeaderSize = 8;   // type, length of the data (both BE)
inline constexpr std::uint8_t kDbt3MemoEnd = 0x1A;
// The longest memo we read. A value reaches the database inside a literal, which takes at most
// 32,767 bytes even on servers with extended strings, so no longer memo can be imported; the
// limit stops a damaged chain or length (gigabytes of a broken file) after a few copies of 1 MiB.
inline constexpr std::size_t kMaxMemoBytes = 1 << 20;

// Day numbers.
inline constexpr std::int64_t kJulianDayOf1970 = 2440588;    // Visual FoxPro date-times
inline constexpr std::int64_t kDaysFrom0001To1970 = 719162;  // dBASE 7 time stamps
inline constexpr std::int64_t kMillisecondsPerDay = 86400000;

}  // namespace qm::dbf
