// vernalo-cli say: reads a text the way the Say button does, on the audio device, into one
// WAV file (a listening track) or into sound files of the format their suffix names.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "cli/commands.h"
#include "cli/readingoptions.h"
#include "cli/voicechoice.h"
#include "dict/dictfile.h"
#include "export/audioexport.h"
#include "export/exportplan.h"
#include "readalong/epub3/readalongbook.h"
#include "readalong/subtitles/subtitlefiles.h"
#include "reading/headlessview.h"
#include "reading/readingsession.h"
#include "speech/dispatchervoice.h"
#include "speech/driven/drivenvoice.h"
#include "speech/espeakengine.h"
#include "text/textcodec.h"

#include "speech/sounddevice.h"

namespace vernalo::cli {

namespace {

std::atomic<bool> gInterrupted{false};

// White space and the invisible marks a text may carry without anything to say.
bool IsBlank(char16_t c) {
    return c <= u' ' || c == 0xA0 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

extern "C" void OnInterrupt(int) {
    gInterrupted = true;
}

// Where both voices write the one file: it takes the audio as fast as it comes, so a voice is
// busy only while it synthesizes.
class FileOutput : public PlaybackOutput {
public:
    explicit FileOutput(SampleSink& file) : file_(file) {}
    void write(const std::int16_t* samples, std::size_t count) override {
        file_.write(samples, count);
    }
    bool playing() const override { return false; }
    void reset() override {}

private:
    SampleSink& file_;
};

struct VoiceOptions {
    std::string name;
    int speed = kNormalSpeed;
    int repeat = 1;
};

struct SayArgs {
    ReadingArgs reading;
    PerLanguage<VoiceOptions> voices;
    std::string wavPath;
    std::string outPath;
    int splitMinutes = 0;
    bool splitChapters = false;
    bool chapterMarks = false;  // --chapters: one file marking them
    bool repeatText = false;
    bool printPieces = false;
    int pauseAfter = 0;
    std::optional<SubtitleFormat> subtitles;  // written beside what --out writes
};

// The formats that hold chapter marks, for the message refusing the others.
std::string ChapterSuffixes() {
    std::string out;
    for (const AudioFormat* f : AudioFormats())
        if (f->chapters) out += std::string(out.empty() ? "." : ", .") + f->suffixes.front();
    return out;
}

// Takes a per-language option (--repeat-ru, --speed-en, --voice-ru...): 1 taken, 0 not one of
// them, 2 bad use (the message is printed).
int TakeVoiceOption(const Args& args, std::size_t& i, PerLanguage<VoiceOptions>& voices) {
    const std::string& a = args[i];
    for (Language l : kLanguages) {
        const std::string suffix = LanguageSuffix(l);
        VoiceOptions& opt = voices[l];
        std::string v;
        auto number = [&](int min, int max, int& out) {
            if (TakeValue(args, i, v) && ParseNumber(v, min, max, out)) return 1;
            return UsageError(a + " takes a number from " + std::to_string(min) + " to " +
                              std::to_string(max) + (v.empty() ? "" : ": '" + v + "'"));
        };
        if (a == "--repeat-" + suffix)
            return number(ReadingOptions::kMinRepeat, ReadingOptions::kMaxRepeat, opt.repeat);
        if (a == "--speed-" + suffix) return number(kMinSpeed, kMaxSpeed, opt.speed);
        if (a == "--voice-" + suffix)
            return TakeValue(args, i, opt.name) ? 1 : UsageError(a + " needs a speaker name");
    }
    return 0;
}

int ParseSayArgs(const Args& args, SayArgs& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        int taken = out.reading.take(args, i);
        if (!taken) taken = TakeVoiceOption(args, i, out.voices);
        if (taken == 2) return 2;
        if (taken) continue;
        if (args[i] == "--repeat-text") {
            out.repeatText = true;
        } else if (args[i] == "--print-pieces") {
            out.printPieces = true;
        } else if (args[i] == "--out") {
            if (!TakeValue(args, i, out.outPath) || out.outPath.empty())
                return UsageError("--out needs a file");
            if (!FormatForPath(out.outPath) && !IsReadAlongBookPath(out.outPath))
                return UsageError("--out names a file ending in " + std::string(KnownSuffixes()) +
                                  " or .epub: '" + out.outPath + "'");
        } else if (args[i] == "--pause-after") {
            std::string v;
            if (!TakeValue(args, i, v) ||
                !ParseNumber(v, 0, ReadingOptions::kMaxPauseAfter, out.pauseAfter))
                return UsageError("--pause-after takes 0, 1 or 2" +
                                  (v.empty() ? std::string() : ": '" + v + "'"));
        } else if (args[i] == "--split-minutes") {
            std::string v;
            if (!TakeValue(args, i, v) || !ParseNumber(v, 1, 1000, out.splitMinutes))
                return UsageError("--split-minutes takes a number from 1 to 1000" +
                                  (v.empty() ? std::string() : ": '" + v + "'"));
        } else if (args[i] == "--subtitles") {
            std::string v;
            if (!TakeValue(args, i, v) || !(out.subtitles = SubtitleFormatNamed(v)))
                return UsageError("--subtitles takes srt, vtt or lrc" +
                                  (v.empty() ? std::string() : ": '" + v + "'"));
        } else if (args[i] == "--chapters") {
            out.chapterMarks = true;
        } else if (args[i] == "--split") {
            std::string v;
            if (!TakeValue(args, i, v) || v != "chapters")
                return UsageError("--split takes chapters" +
                                  (v.empty() ? std::string() : ": '" + v + "'"));
            out.splitChapters = true;
        } else if (args[i] != "--wav") {
            return UnknownOption(args[i]);
        } else if (!TakeValue(args, i, out.wavPath) || out.wavPath.empty()) {
            return UsageError("--wav needs a file");
        }
    }
    // A reading that starts over at the end never finishes its file.
    if (out.repeatText && !out.wavPath.empty())
        return UsageError("--repeat-text reads until interrupted: not with --wav");
    if (out.repeatText && !out.outPath.empty())
        return UsageError("--repeat-text reads until interrupted: not with --out");
    if (!out.wavPath.empty() && !out.outPath.empty())
        return UsageError("--wav and --out: one file at a time");
    if (out.splitMinutes > 0 && out.outPath.empty())
        return UsageError("--split-minutes splits what --out writes");
    // A book is cut by its chapters and carries its text itself.
    if (IsReadAlongBookPath(out.outPath) && (out.splitMinutes > 0 || out.subtitles))
        return UsageError(
            "--out book.epub is cut by chapters and holds its text: no "
            "--split-minutes or --subtitles");
    if (out.subtitles && out.outPath.empty())
        return UsageError("--subtitles go beside what --out writes");
    if (out.splitChapters && out.outPath.empty())
        return UsageError("--split chapters splits what --out writes");
    if (out.splitChapters && out.splitMinutes > 0)
        return UsageError("--split chapters or --split-minutes: one way to split");
    if (out.chapterMarks) {
        if (out.outPath.empty()) return UsageError("--chapters marks them in what --out writes");
        if (out.splitChapters || out.splitMinutes > 0)
            return UsageError("--chapters writes one file: not with --split or --split-minutes");
        if (const AudioFormat* f = FormatForPath(out.outPath); !f->chapters)
            return UsageError("--chapters: " + std::string(f->name) +
                              " files cannot hold chapter marks; write one of " +
                              ChapterSuffixes());
    }
    // A file written faster than it plays gets its pauses as silence, which the export writes.
    if (out.pauseAfter > 0 && !out.wavPath.empty()) out.outPath = std::exchange(out.wavPath, {});
    return 0;
}

// Where the two voices sound: one file they share, or the audio device. Empty outputs and a
// message printed when that cannot be had.
struct Outputs {
    PerLanguage<std::unique_ptr<PlaybackOutput>> voice;
    std::unique_ptr<AudioFileSet> wav;
    std::unique_ptr<SoundDeviceHost> device;
};

bool OpenOutputs(const std::string& wavPath, bool toFiles, Outputs& out) {
    std::string error;
    if (toFiles) {  // the export makes its own voices; these only choose
        for (Language l : kLanguages)
            out.voice[l] = std::make_unique<NullOutput>();
        return true;
    }
    if (!wavPath.empty()) {
        out.wav = std::make_unique<AudioFileSet>(wavPath, *FormatForSuffix("wav"), std::string(), false);
        if (!out.wav->open(&error)) {
            std::cerr << "vernalo-cli: " << error << "\n";
            return false;
        }
        for (Language l : kLanguages)
            out.voice[l] = std::make_unique<FileOutput>(*out.wav);
        return true;
    }
    out.device = std::make_unique<SoundDeviceHost>();
    for (Language l : kLanguages) {
        out.voice[l] = OpenSoundDevice(&error);
        if (!out.voice[l]) {
            std::cerr << "vernalo-cli: " << error << " (--wav FILE writes a file)\n";
            return false;
        }
    }
    return true;
}

// Runs the reading to its end as the window's timer would; false when interrupted.
bool RunReading(ReadingSession& session, bool toFile, const std::atomic<bool>& failed) {
    auto previous = std::signal(SIGINT, OnInterrupt);
    session.sayToggled(true);
    // A file is written as fast as the engine goes, so it is polled more often.
    const auto poll = toFile ? std::chrono::microseconds(200) : std::chrono::microseconds(2000);
    while ((session.running() || session.speaking()) && !gInterrupted && !failed) {
        session.tick();
        std::this_thread::sleep_for(poll);
    }
    std::signal(SIGINT, previous);
    return !gInterrupted;
}

// The reading into the sound files of --out, split when asked.
int SayToFiles(const SayArgs& parsed, const DictionaryStore& dicts, std::u16string text,
               const ReadingOptions& options, const PerLanguage<ExportVoice>& voices,
               const std::vector<Heading>& headings, const std::u16string& title,
               const BookDetails& book, RichDocument* document) {
    ExportRequest request;
    request.text = std::move(text);
    if (parsed.splitChapters || parsed.chapterMarks) {
        std::vector<HeadingMark> marks;
        for (const Heading& h : headings)
            marks.push_back({static_cast<long>(h.position), h.level, Utf16ToUtf8(h.title)});
        // A document without a title goes by the name of the file written.
        CutByChapters(request, marks, Utf16ToUtf8(title),
                      std::filesystem::path(parsed.outPath).stem().string());
        request.chapterMarks = parsed.chapterMarks;
    }
    TagBook(request, Utf16ToUtf8(title), book);
    request.options = options;
    request.voices = voices;
    request.path = parsed.outPath;
    request.splitMinutes = parsed.splitMinutes;
    int shownPercent = -1;
    auto previous = std::signal(SIGINT, OnInterrupt);
    const auto show = [&shownPercent](double share) {
        const int percent = static_cast<int>(share * 100);
        if (percent == shownPercent) return;
        shownPercent = percent;
        std::cerr << "\rvernalo-cli: reading " << percent << "%" << std::flush;
    };
    ExportResult result =
        document ? ExportReadAlongBook({request, std::move(*document), book.author}, dicts, show,
                                       gInterrupted)
                 : ExportAudio(request, dicts, show, gInterrupted);
    std::signal(SIGINT, previous);
    if (shownPercent >= 0) std::cerr << "\n";
    if (parsed.subtitles) WriteSubtitlesBeside(*parsed.subtitles, request.text, result);
    if (result.cancelled) {
        std::cerr << "vernalo-cli: interrupted\n";
        return 1;
    }
    if (!result.ok) {
        std::cerr << "vernalo-cli: " << result.error << "\n";
        return 1;
    }
    if (!result.playlist.empty())
        std::cerr << "vernalo-cli: " << result.files.size() << " chapters, playlist '"
                  << result.playlist << "'\n";
    if (request.chapterMarks && !result.timeline.parts.empty())
        std::cerr << "vernalo-cli: " << result.timeline.parts.front().chapters.size()
                  << " chapters marked in '" << parsed.outPath << "'\n";
    if (result.seconds == 0)
        std::cerr << "vernalo-cli: nothing in the text was spoken; '" << parsed.outPath
                  << "' holds no sound\n";
    return 0;
}

// Whether a voice named can only be the speech service's, which is then asked for its voices.
bool WantsService(const PerLanguage<VoiceOptions>& voices) {
    for (Language l : kLanguages) {
        const std::string& name = voices[l].name;
        if (!name.empty() && NeedsService(DecodeBytes(name).text)) return true;
    }
    return false;
}

// Selects `l`'s voice: the one named, else the language's first. Writing a file, a voice that
// cannot write one gives way to the language's first built-in voice, which is said. `chosen`
// is the voice an export writes with. 0, or the status to end with when no voice has the name.
int SelectVoice(Voice& voice, Language l, const VoiceOptions& opt, bool toFile, bool withService,
                ExportVoice& chosen) {
    const std::string& name = opt.name;
    int mode = name.empty() ? FirstModeOf(voice, l) : FindSpeaker(voice, DecodeBytes(name).text);
    if (!name.empty() && mode == 0) {
        std::string why;
        if (withService && !ServiceProblem().empty())
            why = "; speech-dispatcher lists nothing: " + ServiceProblem();
        return UsageError("no voice '" + name + "' (see vernalo-cli voices)" + why);
    }
    if (toFile) {
        const ExportVoiceChoice choice = ExportVoiceFor(voice.speaker(mode), l, opt.speed);
        if (choice.replacedBy) {
            std::cerr << "vernalo-cli: '" << name
                      << "' is a speech-dispatcher voice, which cannot write files; "
                      << Utf16ToUtf8(*choice.replacedBy) << " reads the " << LanguageName(l)
                      << " text instead\n";
            // The built-in voices come first among a language's modes, under the same numbers.
            mode = choice.voice.mode;
        }
        chosen = choice.voice;
    }
    voice.select(mode == 0 ? 1 : mode);
    voice.setSpeed(opt.speed);
    return 0;
}

ReadingOptions OptionsOf(const SayArgs& parsed) {
    ReadingOptions options;
    options.sentenceMode = parsed.reading.sentenceMode;
    options.voiceOn = parsed.reading.voiceOn;
    options.repeatText = parsed.repeatText;
    options.pauseAfter = parsed.pauseAfter;
    for (Language l : kLanguages)
        options.repeats[l] = parsed.voices[l].repeat;
    return options;
}

// A voice that cannot speak (the service's, an installed engine's) stops the reading instead
// of letting it skip on; the first reason is kept.
struct ReadingFailure {
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::string reason;

    void listenTo(const LanguageVoice& voice) {
        const auto onError = [this](const std::string& message) {
            std::lock_guard lock(mutex);
            if (reason.empty()) reason = message;
            failed = true;
        };
        if (DispatcherVoice* service = voice.service) service->onError = onError;
        if (DrivenVoice* driven = voice.driven) driven->onError = onError;
    }
};

// Shows the reading going on: each piece printed as `pieces` numbers it (--print-pieces), or
// the share of the text done while a file is written. `shownPercent` stays -1 until one is.
void ShowProgress(HeadlessView& view, bool printPieces, bool toFile, int& shownPercent) {
    if (printPieces) {
        // The caret put at the end when the reading is over is no piece.
        view.onPiece = [](long start, long length) {
            if (length > 0)
                std::cout << "{\"from\":" << Shown(start) << ",\"to\":" << Shown(start + length)
                          << "}" << std::endl;
        };
    } else if (toFile) {
        const long total = static_cast<long>(view.text().size());
        view.onPiece = [&shownPercent, total](long start, long length) {
            const long done = start + length;
            const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
            if (percent == shownPercent) return;
            shownPercent = percent;
            std::cerr << "\rvernalo-cli: reading " << percent << "%" << std::flush;
        };
    }
}

// The reading on the audio device, or into the WAV file `wav` when there is one.
int SayAloud(const SayArgs& parsed, const DictionaryStore& dicts, std::u16string text,
             const ReadingOptions& options, const PerLanguage<Voice*>& voices, AudioFileSet* wav,
             ReadingFailure& failure) {
    Segmenter seg(dicts);
    HeadlessView view(std::move(text), options);
    int shownPercent = -1;
    ShowProgress(view, parsed.printPieces, wav != nullptr, shownPercent);
    ReadingSession session(view, {{voices[Language::Russian], voices[Language::English]}}, seg);
    const bool finished = RunReading(session, wav != nullptr, failure.failed);
    if (shownPercent >= 0) std::cerr << "\n";
    if (failure.failed) {
        session.close();
        std::lock_guard lock(failure.mutex);
        std::cerr << "vernalo-cli: " << failure.reason << "; the reading stopped\n";
        return 1;
    }
    if (!finished) {
        session.close();  // the partial file is removed with its writer
        std::cerr << "vernalo-cli: interrupted\n";
        return 1;
    }
    std::string error;
    if (wav && !wav->finish(&error)) {
        std::cerr << "vernalo-cli: " << error << "\n";
        return 1;
    }
    if (wav && wav->totalSeconds() == 0)
        std::cerr << "vernalo-cli: nothing in the text was spoken; '" << parsed.wavPath
                  << "' holds no sound\n";
    return 0;
}

}  // namespace

int Say(const Args& args) {
    SayArgs parsed;
    if (int status = ParseSayArgs(args, parsed)) return status;
    DictionaryStore dicts;
    std::u16string text, title;
    std::vector<Heading> headings;
    RichDocument document;  // what a read-along book is made of
    BookDetails book;
    const bool toBook = IsReadAlongBookPath(parsed.outPath);
    if (int status = parsed.reading.load(dicts, text, &headings, &title,
                                         toBook ? &document : nullptr, &book))
        return status;

    EspeakEngine& engine = EspeakEngine::instance();
    if (engine.modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.error() << "\n";
        return 1;
    }
    // The service is asked only for a voice no engine of the program's own has.
    const bool withService = WantsService(parsed.voices);
    Outputs outputs;
    const bool toFiles = !parsed.outPath.empty();
    if (!OpenOutputs(parsed.wavPath, toFiles, outputs)) return 1;

    PerLanguage<LanguageVoice> made;
    for (Language l : kLanguages)
        made[l] = MakeVoice(std::move(outputs.voice[l]), withService);
    ReadingFailure failure;
    PerLanguage<ExportVoice> chosen;
    for (Language l : kLanguages) {
        if (int status = SelectVoice(*made[l].voice, l, parsed.voices[l], outputs.wav || toFiles,
                                     withService, chosen[l]))
            return status;
        failure.listenTo(made[l]);
    }
    // Bad use is told first; then a text without anything to say.
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return IsBlank(c); })) {
        std::cerr << "vernalo-cli: nothing to read: " << InputName(parsed.reading.input)
                  << " holds no text\n";
        return 1;
    }
    const ReadingOptions options = OptionsOf(parsed);
    if (toFiles)
        return SayToFiles(parsed, dicts, std::move(text), options, chosen, headings, title, book,
                          toBook ? &document : nullptr);
    const PerLanguage<Voice*> voices{
        {made[Language::Russian].voice.get(), made[Language::English].voice.get()}};
    return SayAloud(parsed, dicts, std::move(text), options, voices, outputs.wav.get(), failure);
}

}  // namespace vernalo::cli
