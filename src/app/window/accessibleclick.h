#pragma once
// Screen readers work a button through its accessible actions. Qt's "Toggle" on a checkable
// button flips its state without a click, so what follows a click (Say reading, Repeat, the
// page buttons, the mode boxes pairing) would not happen. With this installed, the press and
// toggle actions of tool buttons and check boxes are a mouse click on them.

namespace vernalo {

// Once per process; later calls do nothing.
void InstallAccessibleClicks();

}  // namespace vernalo
