#pragma once
// Diagnostics of the window: QT_LOGGING_RULES="vernalo.*=true" shows them.

#include <QLoggingCategory>

namespace vernalo {
Q_DECLARE_LOGGING_CATEGORY(lcApp)
}
