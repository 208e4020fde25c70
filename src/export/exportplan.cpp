#include "export/exportplan.h"

#include <algorithm>

#include "speech/voice.h"

namespace vernalo {

ExportVoiceChoice ExportVoiceFor(const std::u16string& speakerName, Language language, int speed) {
    return ExportVoiceFor(speakerName, language, speed, EspeakEngine::instance().modes(),
                          InstalledDrivenModes());
}

ExportVoiceChoice ExportVoiceFor(const std::u16string& speakerName, Language language, int speed,
                                 const std::vector<EspeakMode>& builtIn,
                                 const std::vector<DrivenMode>& installed) {
    ExportVoiceChoice choice;
    ExportVoice& voice = choice.voice;
    voice.speed = std::clamp(speed, kMinSpeed, kMaxSpeed);
    const auto own = std::find_if(builtIn.begin(), builtIn.end(),
                                  [&](const EspeakMode& m) { return m.speaker == speakerName; });
    if (own != builtIn.end()) {
        voice.mode = static_cast<int>(own - builtIn.begin()) + 1;
        return choice;
    }
    for (const DrivenMode& m : installed)
        if (m.speaker == speakerName) voice.driven = m;
    // A built-in engine that did not start has no voice to give way to.
    if (voice.driven || builtIn.empty()) return choice;
    voice.mode = std::max(1, FirstModeOf(
                                 static_cast<int>(builtIn.size()),
                                 [&builtIn](int n) { return builtIn[n - 1].name; }, language));
    if (!speakerName.empty()) choice.replacedBy = builtIn[voice.mode - 1].speaker;
    return choice;
}

void CutByChapters(ExportRequest& request, const std::vector<HeadingMark>& headings,
                   const std::string& title, const std::string& fallbackTitle) {
    const std::string& name = title.empty() ? fallbackTitle : title;
    request.chapters = TopLevelChapters(headings, request.text, name);
    request.album = name;
}

void TagBook(ExportRequest& request, const std::string& title, const BookDetails& book) {
    request.book = book;
    if (!book.author.empty()) request.artist = book.author;
    if (request.album.empty()) request.album = title;
}

}  // namespace vernalo
