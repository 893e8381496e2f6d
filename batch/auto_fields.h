// The working values of a batch run. The main window keeps them as its own fields; they
// outlive a run, and the next run sets them afresh.
#pragma once

#include <QString>

#include <cstdint>

namespace batch {

struct AutoFields
{
    QString FileList;          // the dialog's FileName, separators passed overwritten with ","
    std::int32_t NulPos = 0;   // position (from 1) of the next separator; 0 when none is left
    std::int32_t PrevPos = 0;  // position of the separator in front of the current name
    QString DirPart;           // the folder of a multi-selection, without a trailing separator
    QString NamePart;          // the current name, without folder
    QString CurFile;           // the current picture's path; then its output path
    std::int16_t PathLen = 0;  // length of CurFile
    std::int16_t LastFlag = 0; // 1 once the current file is the last of the selection
};

} // namespace batch
