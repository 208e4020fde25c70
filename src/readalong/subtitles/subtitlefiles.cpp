#include "readalong/subtitles/subtitlefiles.h"

#include <cstdio>

#include "readalong/soundlead.h"
#include "text/fileio.h"

namespace vernalo {

bool WriteSubtitlesBeside(SubtitleFormat format, const std::u16string& text, ExportResult& result,
                          std::vector<std::string>* written) {
    if (!result.ok) return false;
    std::vector<std::string> done;
    for (const PartTimeline& part : result.timeline.parts) {
        const std::string path = SubtitlePathFor(part.path, format);
        std::string error;
        if (WriteFileAtomically(path, SubtitleText(format, AsDecoded(part), text), &error)) {
            done.push_back(path);
            continue;
        }
        for (const std::string& f : done)
            std::remove(f.c_str());
        for (const std::string& f : result.files)
            std::remove(f.c_str());
        if (!result.playlist.empty()) std::remove(result.playlist.c_str());
        result.files.clear();
        result.playlist.clear();
        result.ok = false;
        result.error = "cannot write '" + path + "': " + error;
        return false;
    }
    if (written) *written = std::move(done);
    return true;
}

}  // namespace vernalo
