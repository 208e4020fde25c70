#pragma once
// The web engine refuses to run as root while its sandbox is on, and ends the whole process
// the first time a page is shown. As root the program turns the sandbox off before the engine
// starts (before the application object is made), keeping any flags the user set.

namespace vernalo {

// Adds --no-sandbox to QTWEBENGINE_CHROMIUM_FLAGS and sets QTWEBENGINE_DISABLE_SANDBOX=1 when
// `root`; logs one warning. False (nothing changed) when not root.
bool DisableWebEngineSandboxForRoot(bool root);

}  // namespace vernalo
