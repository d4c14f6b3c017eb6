#pragma once

#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QStringView>

namespace yk {

// The buttons, thumbs and faces of the main and play-list windows, drawn
// in the colours of the default skin and kept for the life of the program.
//
// Names follow the windows' picture controls:
//   main window   img_P, img_S, img_F, img_B, img_Pause (each with a held
//                 face "<name>_2"), img_L_Off, img_L_On, img_Randam_Off,
//                 img_Randam_On, img_Vol / img_Ber (the slider thumb) and
//                 img_Bar_Down (a thumb while held);
//   play list     img_Add, img_Delete, img_Up, img_Down, img_Load, img_Save
//                 (each with a held face "<name>2"), img_Tmp_Bar1 /
//                 img_Scr_Bar (scroll thumb), img_Tmp_Bar2 (thumb while
//                 held) and img_Scr (the thumb's track).
// An unknown name gives a null image.
QImage artworkImage(QStringView name);
QPixmap artwork(QStringView name);

// The face shown while `name` is held, or `name` itself for controls
// without one (img_L_*, img_Randam_*, img_Scr).
QString heldArtworkName(QStringView name);
QPixmap artwork(QStringView name, bool held);

// Every name artworkImage() knows, for checks and previews.
QStringList artworkNames();

} // namespace yk
