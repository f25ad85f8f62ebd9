#pragma once
// The program's pictures, painted rather than loaded: the logo tile (the
// main window's Picture1, the about box's icon) and the about box's larger
// product picture.
#include <QPixmap>

namespace qm::app {

// The program's initial on a rounded tile, `size` pixels square.
QPixmap logoPixmap(int size = 48);

// A quill over the tile's colour, `size` pixels square.
QPixmap productPixmap(int size = 96);

} // namespace qm::app
