// The program's settings in section "Pendrel" of the settings file: the export file
// name, the eight parameters of the field model, the timer speed and one colour key per
// colour in use. The main window reads them once when it is created and writes them
// once when it is destroyed.
#pragma once

#include "FieldModel.h"
#include "IniFile.h"

#include <cstdint>
#include <string>

namespace ombrix {

inline constexpr char SettingsSection[] = "Pendrel";

/// Timer interval in milliseconds: the speed track bar's default and its range.
inline constexpr std::int32_t DefaultSpeed = 1000;
inline constexpr std::int32_t MinSpeed = 10;
inline constexpr std::int32_t MaxSpeed = 2000;

/// The settings key of colour entry i: "Color%.3d", so Color000, Color005, Color255.
std::string ColorKey(int i);

/// Brings each parameter to the nearer bound of its range (Ranges: AreaW 1..512, AreaH
/// 1..256, UseColCnt 1..256, PrmG 0..100, PrmK1 and PrmK2 1..10; ColDivRange 1..UseColCnt,
/// after UseColCnt). TilingType stays as it is. The cells and colours are not touched.
void ClampToWorkingRanges(TFieldModel& model);

/// The speed track bar's position for a speed: clamped into MinSpeed..MaxSpeed.
std::int32_t ClampSpeed(std::int32_t speed);

/// Reads FileName; TilingType, AreaW, AreaH, PrmG, PrmK1, PrmK2, UseColCnt, ColDiv
/// (defaults from Defaults, then ClampToWorkingRanges); Speed (default 1000, clamped);
/// then for every colour in use, in ascending order, draws d = RandomColor() and sets
/// ColorTable[i] from key ColorKey(i) with default d. The draw is made whether or not the
/// key exists, so the colours take 3 x UseColCnt draws of Random. Colour values keep all
/// 32 bits as read. Entries at and above UseColCnt are not touched. Never throws: a file
/// that cannot be read gives the defaults, and ini.ReadError() tells why.
void ReadSettings(const TIniFile& ini, TFieldModel& model, std::int32_t& speed,
                  std::string& fileName);

/// Writes FileName (an empty name as an empty value), TilingType, AreaW, AreaH, PrmG,
/// PrmK1, PrmK2, UseColCnt, ColDiv, Speed (clamped) and ColorKey(0) up to
/// ColorKey(UseColCnt - 1), in this order, and puts them in the file in one replacement.
/// Colour keys at and above UseColCnt stay in the file as they are. A refused write
/// throws (see TIniFile::UpdateFile) and leaves the whole old file.
void WriteSettings(TIniFile& ini, const TFieldModel& model, std::int32_t speed,
                   const std::string& fileName);

} // namespace ombrix
