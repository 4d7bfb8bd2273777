#pragma once

#include <QString>

class Form1;

// Pictures of the control lines panel (tessa_control_lines.png) and of find in the character
// view (tessa_find.png), each panel drawn over the window where it floats. The control lines
// are shown on the device TESSA_SHOT_LINE names (a real serial port, whose lamps light), else
// on a pty, which has no modem lines and says so.
bool savePortToolPictures(Form1& form, const QString& outputDir);
