#include "app/process/readrequest.h"

#include <QClipboard>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

#include "app/controllers/textfromoutside.h"
#include "app/process/singleinstance.h"
#include "app/process/x11selection.h"

namespace vernalo {

namespace {

const QString kSelection = QStringLiteral("read-selection");
const QString kClipboard = QStringLiteral("read-clipboard");
const QString kText = QStringLiteral("read-text");

}  // namespace

void AddReadOptions(QCommandLineParser& parser) {
    parser.addOption({kSelection, QStringLiteral("Read the text selected in any program (the "
                                                 "clipboard when nothing is selected).")});
    parser.addOption({kClipboard, QStringLiteral("Read the text on the clipboard.")});
    parser.addOption(
        {kText, QStringLiteral("Read TEXT (\"-\": standard input)."), QStringLiteral("TEXT")});
}

std::optional<ReadRequest> ParseReadRequest(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    AddReadOptions(parser);
    // Qt's own options (-platform, -style...) and the others are not this parser's concern.
    if (!parser.parse(arguments) && arguments.last() == QStringLiteral("--") + kText) {
        *error = QStringLiteral("--read-text needs the text to read, or \"-\" for standard input");
        return std::nullopt;
    }
    std::optional<ReadRequest> request;
    int given = 0;
    for (const QString& name : {kSelection, kClipboard, kText}) {
        if (!parser.isSet(name)) continue;
        ++given;
        ReadRequest r;
        r.source = name == kSelection   ? ReadRequest::Source::Selection
                   : name == kClipboard ? ReadRequest::Source::Clipboard
                                        : ReadRequest::Source::Text;
        if (name == kText) r.text = parser.value(kText);
        request = r;
    }
    if (given > 1) {
        *error = QStringLiteral("give one of --read-selection, --read-clipboard, --read-text");
        return std::nullopt;
    }
    if (request && !parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral(
                     "--read-%1 takes no files (quote a text with spaces: "
                     "--read-text \"two words\")")
                     .arg(request->source == ReadRequest::Source::Text ? QStringLiteral("text")
                          : request->source == ReadRequest::Source::Selection
                              ? QStringLiteral("selection")
                              : QStringLiteral("clipboard"));
        return std::nullopt;
    }
    return request;
}

QString TakeText(const ReadRequest& request) {
    switch (request.source) {
        case ReadRequest::Source::Selection:
            return TextFromOutside::SelectionText();
        case ReadRequest::Source::Clipboard:
            return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
        case ReadRequest::Source::Text:
            break;
    }
    if (request.text != QStringLiteral("-")) return request.text;
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(in.readAll());
}

QString NothingToReadMessage(const ReadRequest& request) {
    switch (request.source) {
        case ReadRequest::Source::Selection:
            return QStringLiteral(
                "nothing to read: no text is selected and the clipboard holds "
                "none");
        case ReadRequest::Source::Clipboard:
            return QStringLiteral("nothing to read: the clipboard holds no text");
        case ReadRequest::Source::Text:
            break;
    }
    return request.text == QStringLiteral("-")
               ? QStringLiteral("nothing to read: standard input gave no text")
               : QStringLiteral("nothing to read: the text is empty");
}

std::optional<int> HandToRunningWindow(int argc, char** argv, const ReadRequest& request,
                                       const QString& dataFolder) {
    SingleInstance instance(dataFolder);
    if (!instance.heldElsewhere()) return std::nullopt;
    // The window's own start (widgets, fonts, translations) would double the time to the
    // first sound. On X11 the selection comes over a bare connection; elsewhere (Wayland)
    // through Qt's platform plug-in.
    std::optional<QString> taken;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        if (request.source == ReadRequest::Source::Selection) {
            taken = ReadX11Selection(X11Selection::Primary);
            if (taken && taken->trimmed().isEmpty())
                taken = ReadX11Selection(X11Selection::Clipboard);
        } else if (request.source == ReadRequest::Source::Clipboard) {
            taken = ReadX11Selection(X11Selection::Clipboard);
        }
    }
    std::unique_ptr<QCoreApplication> app;
    if (request.source == ReadRequest::Source::Text || taken)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QGuiApplication>(argc, argv);
    const QString text = taken ? *taken : TakeText(request);
    if (text.trimmed().isEmpty()) {
        std::fprintf(stderr, "vernalo: %s\n",
                     NothingToReadMessage(request).toLocal8Bit().constData());
        return 1;
    }
    if (instance.handOverText(text)) return 0;
    std::fprintf(stderr,
                 "vernalo: a Vernalo window already uses the data folder %s but does not "
                 "answer; close it (or end it) and start again.\n",
                 dataFolder.toLocal8Bit().constData());
    return 1;
}

}  // namespace vernalo
