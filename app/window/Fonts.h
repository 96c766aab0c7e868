#pragma once

namespace window {

/// Makes the window's fonts available: its controls name 宋体, for which a Song-style font of the
/// same design stands in on Linux, and the interface font must carry Chinese.
void InstallFonts();

}  // namespace window
