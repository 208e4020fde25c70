#include "app/process/webengineasroot.h"

#include <QByteArray>
#include <QList>

#include "app/window/logging.h"

namespace vernalo {

bool DisableWebEngineSandboxForRoot(bool root) {
    if (!root) return false;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.split(' ').contains("--no-sandbox"))
        flags = flags.trimmed().isEmpty() ? QByteArray("--no-sandbox")
                                          : flags.trimmed() + " --no-sandbox";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qCWarning(lcApp) << "running as root: the browser page runs without its sandbox";
    return true;
}

}  // namespace vernalo
