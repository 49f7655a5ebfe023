// The standard named colours that the windows, gauges, charts and printouts are drawn with, so
// that every unit means the same red, yellow or lime green.
#pragma once

#include <QColor>

namespace tervanix {

inline const QColor clBlack{0x00, 0x00, 0x00};
inline const QColor clMaroon{0x80, 0x00, 0x00};
inline const QColor clGreen{0x00, 0x80, 0x00};
inline const QColor clOlive{0x80, 0x80, 0x00};
inline const QColor clNavy{0x00, 0x00, 0x80};
inline const QColor clPurple{0x80, 0x00, 0x80};
inline const QColor clTeal{0x00, 0x80, 0x80};
inline const QColor clGray{0x80, 0x80, 0x80};
inline const QColor clSilver{0xC0, 0xC0, 0xC0};
inline const QColor clRed{0xFF, 0x00, 0x00};
inline const QColor clLime{0x00, 0xFF, 0x00};
inline const QColor clYellow{0xFF, 0xFF, 0x00};
inline const QColor clBlue{0x00, 0x00, 0xFF};
inline const QColor clFuchsia{0xFF, 0x00, 0xFF};
inline const QColor clAqua{0x00, 0xFF, 0xFF};
inline const QColor clWhite{0xFF, 0xFF, 0xFF};

inline const QColor clMoneyGreen{0xC0, 0xDC, 0xC0};
inline const QColor clSkyBlue{0xA6, 0xCA, 0xF0};
inline const QColor clCream{0xFF, 0xFB, 0xF0};
inline const QColor clMedGray{0xA0, 0xA0, 0xA4};

// Every other line of the program's lists, from the second one on (FFFFC0 in blue-green-red order).
inline const QColor clLightCyan{0xC0, 0xFF, 0xFF};
inline const QColor& AlternateLineColour(int row) { return row % 2 ? clLightCyan : clWhite; }

// The face of dialogs and buttons, as the desktop paints it.
inline const QColor clBtnFace{0xF0, 0xF0, 0xF0};

} // namespace tervanix
