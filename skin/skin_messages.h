#pragma once
// The skin engine's messages. Like every user-visible text of the viewer they
// go through the settings file's message seam, under section "SKIN", so a
// translated file may replace them; the defaults are the engine's own texts.
#include "settings/text_table.h"
#include "skin/bmp_reader.h"

namespace skin::text {

using settings::TextId;

inline constexpr TextId kFileOpenFailed{"SKIN", "ERROR_FILE_OPEN", "ReadSkinFile : File Open Failed : %s"};
inline constexpr TextId kNotLoaded{"SKIN", "ERROR_NOT_LOADED", "DoSkins : Not LoadSkinFile Error"};
inline constexpr TextId kNotMatch{"SKIN", "ERROR_NOT_MATCH",
                                  "DoSkins : Not Match : nItems = %d , nItemAssigned = %d , Comdata = %d "};

inline constexpr TextId kBmpNoFile{"SKIN", "ERROR_BMP_NO_FILE", "CBmp2Rgn::LoadBmp : m_pFile = NULL !! , ID = %d "};
inline constexpr TextId kBmpInvalidId{"SKIN", "ERROR_BMP_INVALID_ID",
                                      "CBmp2Rgn::LoadBmp : Invalid BitmapID !! , ID = %d "};
inline constexpr TextId kBmpFileHeaderRead{"SKIN", "ERROR_BMP_FILEHEADER_READ",
                                           "CBmp2Rgn::LoadBmp : BITMAPFILEHEADER Read Error!! , ID = %d "};
inline constexpr TextId kBmpNotBm{"SKIN", "ERROR_BMP_NOT_BM",
                                  "CBmp2Rgn::LoadBmp : BITMAPFILEHEADER is not BM !! , ID = %d "};
inline constexpr TextId kBmpInfoHeaderRead{"SKIN", "ERROR_BMP_INFOHEADER_READ", "Failed to read BITMAPINFOHEADER"};
inline constexpr TextId kBmpNotDib{"SKIN", "ERROR_BMP_NOT_DIB", " File is not a Windows DIB"};
inline constexpr TextId kBmpColourTable{"SKIN", "ERROR_BMP_COLOR_TABLE", "Failed to read color table"};
inline constexpr TextId kBmpOutOfMemory{"SKIN", "ERROR_BMP_OUT_OF_MEMORY", "Out of memory for DIB bits"};
inline constexpr TextId kBmpReadBits{"SKIN", "ERROR_BMP_READ_BITS", "Failed to read bits"};
inline constexpr TextId kBmpNoDc{"SKIN", "ERROR_BMP_NO_DC", "Unable to get DC"};
inline constexpr TextId kBmpCreateDib{"SKIN", "ERROR_BMP_CREATE_DIB", "CreateDIBSection failed"};
inline constexpr TextId kBmpSetInfo{"SKIN", "ERROR_BMP_SET_INFO", "Failed to set bitmap info"};

// The message of a bitmap read failure (kOk has none: nullptr). The two
// file-header messages take the bitmap index as their argument.
inline const TextId* MessageOf(BmpStatus status) {
  switch (status) {
    case BmpStatus::kOk: return nullptr;
    case BmpStatus::kFileHeaderShort: return &kBmpFileHeaderRead;
    case BmpStatus::kNotBm: return &kBmpNotBm;
    case BmpStatus::kInfoHeaderShort: return &kBmpInfoHeaderRead;
    case BmpStatus::kNotDib: return &kBmpNotDib;
    case BmpStatus::kColourTableShort: return &kBmpColourTable;
    case BmpStatus::kOutOfMemory: return &kBmpOutOfMemory;
    case BmpStatus::kBitsShort: return &kBmpReadBits;
    case BmpStatus::kCannotCreate: return &kBmpCreateDib;
  }
  return nullptr;
}

}  // namespace skin::text
