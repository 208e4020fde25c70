// Writes a document through autosave over and over, two texts in turn, until it is killed:
// the victim of the kill -9 test. Prints "written" after each write.
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>

#include "app/autosavetexts.h"
#include "app/controllers/autosave.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextDocument doc;
    vernalo::Autosave save([&doc] { return &doc; }, argv[1], {{}, {}});
    bool second = false;
    const auto next = [&] {
        doc.setPlainText(vernalo::test::AutosaveText(second));
        second = !second;
        save.changed();
    };
    QObject::connect(&save, &vernalo::Autosave::written, [&](bool ok) {
        std::printf("written %d\n", ok ? 1 : 0);
        std::fflush(stdout);
        next();
    });
    next();
    return QGuiApplication::exec();
}
