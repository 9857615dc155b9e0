// The layout tables of the two windows: the box of every label and shape in twips, with its
// alignment and font. The windows are built from these tables and the tests read them back.
#pragma once

#include <QFont>
#include <QRect>

namespace dovi {

// A font as designed: face, size in points, bold or regular.
struct FontDesign {
    const char* family;
    double points;
    bool bold = false;
};

// One control's box in twips, measured from the top left corner of the window's client area.
struct Box {
    int left;
    int top;
    int width;
    int height;
    QRect pixels() const;
};

// A label: its box, how its text lines are aligned, and its font.
struct LabelDesign {
    Box box;
    Qt::Alignment alignment;
    FontDesign font;
};

// The Japanese face the windows' texts are designed in; installFontSubstitutes() maps it to an
// installed proportional Japanese Gothic.
inline constexpr const char* kPGothic = "ＭＳ Ｐゴシック";

// The font of a design, with its size as pixels at 96 dots per inch (12 pt -> 16 px).
QFont designFont(const FontDesign& font);

namespace form1layout {

inline constexpr Box kClient{0, 0, 4005, 5310};
inline constexpr FontDesign kWindowFont{kPGothic, 12};
inline constexpr FontDesign kMessageFont{kPGothic, 9.75};
inline constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignTop;

inline constexpr LabelDesign kLabel1{{120, 240, 3735, 375}, kCentred, kWindowFont};
inline constexpr LabelDesign kLabel2{{120, 360, 3735, 2295}, kCentred, {"Arial", 120}};
inline constexpr LabelDesign kLabel3{{120, 2880, 3735, 255}, kCentred, kWindowFont};
inline constexpr LabelDesign kLabel4{{120, 3240, 3735, 375}, kCentred, kMessageFont};
inline constexpr LabelDesign kLabel5{{120, 3750, 3735, 255}, kCentred, {kPGothic, 9, true}};
inline constexpr LabelDesign kLabel6{{240, 4080, 3495, 735}, Qt::AlignLeft | Qt::AlignTop, kMessageFont};
inline constexpr LabelDesign kLabel7{{240, 4740, 3495, 375}, Qt::AlignRight | Qt::AlignTop, kMessageFont};
inline constexpr LabelDesign kLabel8{{240, 1680, 3615, 255}, kCentred, {kPGothic, 12, true}};

// The 暦 line: the free band between the box of the day of the month (ending at 2655) and the
// weekday line (from 2880), across the page's width; no other label or shape reaches into it.
inline constexpr LabelDesign kKoyomiLine{{120, 2655, 3735, 225}, kCentred, {kPGothic, 9}};

inline constexpr Box kShape1{1080, 720, 1935, 1935};
inline constexpr Box kShape2{120, 3720, 3735, 1455};
inline constexpr Box kShape3{120, 3720, 3735, 255};

}  // namespace form1layout

namespace form3layout {

inline constexpr Box kClient{0, 0, 3375, 4020};
inline constexpr FontDesign kDialogFont{kPGothic, 11.25};
inline constexpr FontDesign kLargeFont{kPGothic, 12};
inline constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignTop;
inline constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignTop;

inline constexpr LabelDesign kLabel9{{360, 120, 2655, 495}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel6{{240, 720, 2055, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel7{{240, 1560, 1575, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel10{{600, 1920, 735, 315}, kCentred, kLargeFont};
inline constexpr LabelDesign kLabel3{{1320, 1920, 255, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel11{{1560, 1920, 375, 255}, kCentred, kDialogFont};
inline constexpr LabelDesign kLabel5{{1920, 1920, 255, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel12{{2160, 1920, 375, 375}, kCentred, kDialogFont};
inline constexpr LabelDesign kLabel4{{2520, 1920, 255, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel8{{240, 2520, 975, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel1{{600, 2880, 495, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel2{{1560, 2880, 495, 255}, kLeft, kDialogFont};
inline constexpr LabelDesign kLabel13{{2520, 2880, 735, 255}, kLeft, kDialogFont};

inline constexpr Box kText1{360, 1080, 1575, 375};
inline constexpr Box kCombo1{2040, 1080, 975, 360};
inline constexpr Box kHScroll1{840, 2160, 375, 255};
inline constexpr Box kHScroll2{1560, 2160, 375, 255};
inline constexpr Box kHScroll3{2160, 2160, 375, 255};
inline constexpr Box kOption1{360, 2880, 255, 225};
inline constexpr Box kOption2{1320, 2880, 255, 255};
inline constexpr Box kOption3{2280, 2880, 255, 255};
inline constexpr Box kCommand1{360, 3360, 1335, 495};
inline constexpr Box kCommand2{1800, 3360, 1335, 495};

}  // namespace form3layout

}  // namespace dovi
