#include "shell/MainElement.h"

#include <array>

namespace yk {

QString objectNameOf(MainElement element)
{
    static constexpr std::array<const char*, 31> kNames { "pct_Main", "posTrack", "volTrack", "Img_Def",
        "lblTitle", "LblTitle_2", "lblweek", "lblday", "image1", "Img_toujitu", "Img_Yotei", "LBL_TIME",
        "LBL_TIME_2", "lbl_AP", "lbl_Lyrics", "lbl_Play_Name", "lbl_S_Time", "img_Bar_Down", "img_Ber",
        "img_Vol", "img_B", "img_B_2", "img_P", "img_P_2", "img_S", "img_S_2", "img_F", "img_F_2",
        "img_Pouse", "img_L", "img_Randam" };
    static_assert(kNames.size() == size_t(MainElement::Random) + 1, "one name for each element");
    return QString::fromLatin1(kNames[size_t(element)]);
}

} // namespace yk
