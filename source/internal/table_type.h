#pragma once
// Which driver reads a table, decided by the extension of its file name (any letter case):
//   .DB   "PARADOX"
//   .DBF  "FOXPRO" when a file of the same name with the extension .FPT or .CDX is in the
//         same folder, else "DBASE"
//   .TXT  "ASCIIDRV"
//   anything else "PARADOX"
// Only the dBASE and FoxPro drivers exist here; the source table refuses the others.

#include <string>

namespace qm {

inline constexpr char kDriverDbase[] = "DBASE";
inline constexpr char kDriverFoxPro[] = "FOXPRO";
inline constexpr char kDriverParadox[] = "PARADOX";
inline constexpr char kDriverAscii[] = "ASCIIDRV";

// tablePath is the table's full path (folder and file name).
std::string TableDriverFor(const std::string& tablePath);

}  // namespace qm
