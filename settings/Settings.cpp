#include "Settings.h"

#include "ColourTable.h"

#include <algorithm>
#include <cstdio>

namespace ombrix {

namespace {

/// How many colour keys go with a UseColCnt: never more than the table holds.
int ColourKeyCount(std::int32_t useColCnt) {
    return std::clamp(useColCnt, 0, ColorTableSize);
}

} // namespace

std::string ColorKey(int i) {
    char key[32];
    std::snprintf(key, sizeof key, "Color%.3d", i);
    return key;
}

void ClampToWorkingRanges(TFieldModel& m) {
    m.AreaW = Ranges::AreaW.Clamp(m.AreaW);
    m.AreaH = Ranges::AreaH.Clamp(m.AreaH);
    m.UseColCnt = Ranges::UseColCnt.Clamp(m.UseColCnt);
    m.ColDiv = ColDivRange(m.UseColCnt).Clamp(m.ColDiv);
    m.PrmG = Ranges::PrmG.Clamp(m.PrmG);
    m.PrmK1 = Ranges::PrmK1.Clamp(m.PrmK1);
    m.PrmK2 = Ranges::PrmK2.Clamp(m.PrmK2);
}

std::int32_t ClampSpeed(std::int32_t speed) {
    return std::clamp(speed, MinSpeed, MaxSpeed);
}

void ReadSettings(const TIniFile& ini, TFieldModel& m, std::int32_t& speed, std::string& fileName) {
    const std::string_view s = SettingsSection;
    fileName = ini.ReadText(s, "FileName", "");
    m.TilingType = ini.ReadNumber(s, "TilingType", Defaults::TilingType);
    m.AreaW = ini.ReadNumber(s, "AreaW", Defaults::AreaW);
    m.AreaH = ini.ReadNumber(s, "AreaH", Defaults::AreaH);
    m.PrmG = ini.ReadNumber(s, "PrmG", Defaults::PrmG);
    m.PrmK1 = ini.ReadNumber(s, "PrmK1", Defaults::PrmK1);
    m.PrmK2 = ini.ReadNumber(s, "PrmK2", Defaults::PrmK2);
    m.UseColCnt = ini.ReadNumber(s, "UseColCnt", Defaults::UseColCnt);
    m.ColDiv = ini.ReadNumber(s, "ColDiv", Defaults::ColDiv);
    ClampToWorkingRanges(m);
    speed = ClampSpeed(ini.ReadNumber(s, "Speed", DefaultSpeed));
    for (int i = 0; i < m.UseColCnt; ++i) {
        const TColor drawn = RandomColor(); // drawn whether or not the key exists
        m.ColorTable[i] =
            static_cast<TColor>(ini.ReadNumber(s, ColorKey(i), static_cast<std::int32_t>(drawn)));
    }
}

void WriteSettings(TIniFile& ini, const TFieldModel& m, std::int32_t speed,
                   const std::string& fileName) {
    const std::string_view s = SettingsSection;
    ini.WriteText(s, "FileName", fileName);
    ini.WriteNumber(s, "TilingType", m.TilingType);
    ini.WriteNumber(s, "AreaW", m.AreaW);
    ini.WriteNumber(s, "AreaH", m.AreaH);
    ini.WriteNumber(s, "PrmG", m.PrmG);
    ini.WriteNumber(s, "PrmK1", m.PrmK1);
    ini.WriteNumber(s, "PrmK2", m.PrmK2);
    ini.WriteNumber(s, "UseColCnt", m.UseColCnt);
    ini.WriteNumber(s, "ColDiv", m.ColDiv);
    ini.WriteNumber(s, "Speed", ClampSpeed(speed));
    const int count = ColourKeyCount(m.UseColCnt);
    for (int i = 0; i < count; ++i)
        ini.WriteNumber(s, ColorKey(i), static_cast<std::int32_t>(m.ColorTable[i]));
    ini.UpdateFile();
}

} // namespace ombrix
