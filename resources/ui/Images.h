#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the windows, drawn at run time so that no binary file is needed.
namespace images {

// The lamp of the ON/OFF button: 28 x 12, light grey with a 10 x 10 square one pixel in
// from the left, top and bottom; red while the output is on, black while it is off.
QPixmap lamp(bool on);

// The window icon: a small meter face in the readout colours.
QIcon appIcon();

} // namespace images
