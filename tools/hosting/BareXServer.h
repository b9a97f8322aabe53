#pragma once

// The toolkit looks up the window-manager atoms without creating them, so on
// a bare X server (Xvfb without a window manager, as in tests and CI) they are
// missing and the first window fails with BadAtom. A window manager would
// have created them; this creates them before the toolkit connects, and keeps
// its connection open (Xvfb forgets atoms when its last client leaves). Does
// nothing without an X display or off Linux.
void prepareBareXServer();
