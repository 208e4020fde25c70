#pragma once
// The vernalo program started as a user starts it, in a folder of its own: a data folder
// holding the last text, and a runtime folder for the lock and the socket, while the sound
// server stays where it was. The processes started are killed when the folder goes.

#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace vernalo::test {

class ProgramFolder {
public:
    // `name` goes into the folder's name under /tmp.
    explicit ProgramFolder(const std::string& name) {
        std::string tmpl = "/tmp/" + name + "_XXXXXX";
        dir = mkdtemp(tmpl.data());
        std::filesystem::create_directories(dir + "/data");
        std::filesystem::create_directories(dir + "/run");
        std::filesystem::permissions(dir + "/run", std::filesystem::perms::owner_all);
        std::ofstream(dir + "/data/text.txt") << "old text\r\n";
    }
    ~ProgramFolder() {
        for (auto& p : processes)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        std::filesystem::remove_all(dir);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString d = QString::fromStdString(dir);
        env.insert(QStringLiteral("HOME"), d);
        const QString pulse =
            env.value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/pulse/native");
        if (!env.contains(QStringLiteral("PULSE_SERVER")))
            env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + pulse);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), d + QStringLiteral("/run"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vernalo.*=true"));
        // The texts looked for are the English ones, whatever the desktop's language.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.remove(QStringLiteral("LANGUAGE"));
        if (!env.contains(QStringLiteral("DISPLAY")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    // Starts `program` in the folder, with `env` (the folder's environment when empty) and
    // standard error merged into standard output.
    QProcess& run(const QString& program, const QStringList& args, QProcessEnvironment env = {}) {
        processes.push_back(std::make_unique<QProcess>());
        QProcess& p = *processes.back();
        p.setWorkingDirectory(QString::fromStdString(dir));
        p.setProcessEnvironment(env.isEmpty() ? environment() : env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForStarted()) ADD_FAILURE() << program.toStdString() << " did not start";
        return p;
    }

    // Waits until `p` has printed `text` `times` times.
    static bool Logged(QProcess& p, const char* text, int times = 1, int ms = 30000) {
        return QTest::qWaitFor(
            [&] {
                p.waitForReadyRead(10);
                return p.peek(1 << 20).count(text) >= times;
            },
            ms);
    }
    static bool Ends(QProcess& p, int code = 0, int ms = 30000) {
        return p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == code;
    }

    std::string dir;
    std::vector<std::unique_ptr<QProcess>> processes;
};

}  // namespace vernalo::test
