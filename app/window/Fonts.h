#pragma once

#include <QFont>

namespace window {

/// Makes the window's fonts available: its controls name 宋体, for which a Song-style font of the
/// same design stands in on Linux, and the interface font must carry Chinese. Each has a list of
/// families to fall back on.
void InstallFonts();

/// 宋体 at a size, with the families that stand in for it. In the first of them, Latin letters are
/// exactly half as wide as Chinese, box-drawing, block and geometric characters, as pictures
/// drawn in characters for 宋体 need.
QFont SongFont(qreal points);

/// The editors' font: a monospaced Latin face whose ; and :, 0 and O, 1, l and I differ plainly,
/// for the code, and 宋体 after it for the Chinese. The tip line reads in it too, so that paths
/// and addresses read right.
QFont EditorFont(qreal points);

}  // namespace window
