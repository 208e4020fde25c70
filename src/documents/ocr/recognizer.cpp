#include "documents/ocr/recognizer.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "documents/ocr/lookalikes.h"

namespace vernalo {
namespace {

// The resolution the engine's models were trained at; smaller scans are scaled up to it.
constexpr int kReadDpi = 300;
// What an image that does not say its resolution is taken for: a screen's.
constexpr int kScreenDpi = 96;

std::u16string Utf16(const char* utf8) {
    std::u16string out;
    if (!utf8) return out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    while (*s) {
        char32_t c = *s++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more) c &= 0x3F >> more;
        for (; more > 0 && (*s & 0xC0) == 0x80; --more)
            c = (c << 6) | (*s++ & 0x3F);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

bool Cancelled(void* stop, int) {
    return static_cast<const std::atomic<bool>*>(stop)->load();
}

// One line being read, symbol by symbol.
struct LineReader {
    PageLine line;
    std::vector<RecognisedWord> words;
    double x1 = 0, y1 = 0, x2 = 1, y2 = 0;  // the baseline
    // How high each unit of each word reaches above the baseline.
    std::vector<std::vector<double>> heights;

    double baseAt(double x) const { return x2 == x1 ? y1 : y1 + (y2 - y1) * (x - x1) / (x2 - x1); }
    void finish(std::vector<PageLine>& lines) {
        // Most letters of a line are small ones: the middle height is theirs, and a capital
        // stands clearly above it. A line of capitals has none below it.
        std::vector<double> all;
        for (const auto& h : heights)
            all.insert(all.end(), h.begin(), h.end());
        if (!all.empty()) {
            std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2),
                             all.end());
            const double smallTop = 1.2 * all[all.size() / 2];
            for (std::size_t w = 0; w < words.size(); ++w)
                for (double h : heights[w])
                    words[w].small.push_back(h < smallTop);
        }
        FixLookAlikes(words);
        for (const RecognisedWord& w : words) {
            if (w.text.empty()) continue;
            // The engine parts "по-английски" at its hyphen: one word on a line is one word.
            const bool hyphenated = line.text.size() >= 2 && line.text.back() == u'-' &&
                                    line.text[line.text.size() - 2] != u' ' &&
                                    w.text.front() != u'-';
            if (!line.text.empty() && !hyphenated) line.text += u' ';
            line.text += w.text;
        }
        if (!line.text.empty()) lines.push_back(std::move(line));
        line = PageLine{};
        words.clear();
        heights.clear();
    }
};

// The page's lines with their words, look-alike letters put right, and each line's box from
// its baseline and its row's height: the ink's own box is taller on a line with descenders,
// which would read as a change of size.
std::vector<PageLine> ReadLines(tesseract::TessBaseAPI& api) {
    std::vector<PageLine> lines;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it || it->Empty(tesseract::RIL_SYMBOL)) return lines;
    LineReader reader;
    bool started = false;
    do {
        int l = 0, t = 0, r = 0, b = 0;
        if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
            if (started) reader.finish(lines);
            started = true;
            it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b);
            int x1 = l, y1 = b, x2 = r, y2 = b;
            it->Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2);
            reader.x1 = x1, reader.y1 = y1, reader.x2 = x2, reader.y2 = y2;
            float rowHeight = 0, descenders = 0, ascenders = 0;
            it->RowAttributes(&rowHeight, &descenders, &ascenders);
            const double height = rowHeight > 0 ? rowHeight : b - t;
            const double base = (y1 + y2) / 2.0;
            reader.line.box = LineBox{double(l), base - height, double(r), base};
            int wl = 0, wt = 0, wr = 0, wb = 0;
            if (it->BoundingBox(tesseract::RIL_WORD, &wl, &wt, &wr, &wb))
                reader.line.firstWordWidth = wr - wl;
        }
        if (it->IsAtBeginningOf(tesseract::RIL_WORD) || reader.words.empty()) {
            reader.words.emplace_back();
            reader.heights.emplace_back();
        }
        std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_SYMBOL));
        if (!text || !it->BoundingBox(tesseract::RIL_SYMBOL, &l, &t, &r, &b)) continue;
        const std::u16string symbol = Utf16(text.get());
        reader.words.back().text += symbol;
        reader.heights.back().insert(reader.heights.back().end(), symbol.size(),
                                     reader.baseAt((l + r) / 2.0) - t);
    } while (it->Next(tesseract::RIL_SYMBOL));
    reader.finish(lines);
    return lines;
}

}  // namespace

std::string TessDataFolder() {
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix) return prefix;
    return "/usr/share/tesseract-ocr/5/tessdata";
}

bool HasRecognitionLanguages() {
    std::error_code ec;
    const std::filesystem::path dir = TessDataFolder();
    return std::filesystem::exists(dir / "rus.traineddata", ec) &&
           std::filesystem::exists(dir / "eng.traineddata", ec);
}

std::string RecognitionEngineName() {
    std::string version = tesseract::TessBaseAPI::Version();
    // "5.3.0" gives "5.3".
    if (const auto dot = version.find('.'); dot != std::string::npos) {
        const auto second = version.find('.', dot + 1);
        if (second != std::string::npos) version.resize(second);
    }
    return "Tesseract " + version;
}

PixPtr CleanPage(Pix* page) {
    PixPtr gray(pixConvertTo8(page, 0));
    if (!gray) return nullptr;
    int dpi = pixGetXRes(page);
    if (dpi <= 0) dpi = kScreenDpi;
    if (dpi < kReadDpi - 50) {
        // Up to the trained resolution, but no larger than a page image may be.
        const double w = pixGetWidth(gray.get()), h = pixGetHeight(gray.get());
        double scale = std::min(3.0, static_cast<double>(kReadDpi) / dpi);
        scale = std::min(scale, std::sqrt(static_cast<double>(kMaxImagePixels) / (w * h)));
        scale = std::min({scale, kMaxImageSide / w, kMaxImageSide / h});
        if (scale > 1.2) {
            PixPtr scaled(
                pixScaleGrayLI(gray.get(), static_cast<float>(scale), static_cast<float>(scale)));
            if (scaled) {
                gray = std::move(scaled);
                dpi = static_cast<int>(dpi * scale);
            }
        }
    }
    pixSetResolution(gray.get(), dpi, dpi);
    // Light letters on a dark ground (a screenshot of a dark window) are turned round here,
    // once for the page: the engine's own try of every doubtful line inverted costs more.
    l_float32 mean = 255;
    if (pixGetAverageMasked(gray.get(), nullptr, 0, 0, 4, L_MEAN_ABSVAL, &mean) == 0 && mean < 110)
        pixInvert(gray.get(), gray.get());
    // Speckles from a noisy copy or a coarse JPEG confuse the engine's line finding more
    // than a slight softening of clean letters does.
    if (PixPtr smooth(pixMedianFilter(gray.get(), 3, 3)); smooth) gray = std::move(smooth);
    // A page put on the scanner slightly askew.
    if (PixPtr straight(pixDeskew(gray.get(), 0)); straight) gray = std::move(straight);
    pixSetResolution(gray.get(), dpi, dpi);
    return gray;
}

struct PageRecognizer::Engines {
    tesseract::TessBaseAPI text;
    tesseract::TessBaseAPI orientation;
    bool ready = false;
    bool canTurn = false;
};

PageRecognizer::PageRecognizer() : engines_(std::make_unique<Engines>()) {
    if (!HasRecognitionLanguages()) return;
    const std::string dir = TessDataFolder();
    engines_->ready = engines_->text.Init(dir.c_str(), "rus+eng", tesseract::OEM_LSTM_ONLY) == 0;
    if (!engines_->ready) return;
    engines_->text.SetPageSegMode(tesseract::PSM_AUTO);
    engines_->text.SetVariable("tessedit_do_invert", "0");
    // Tesseract's debug output would otherwise go to standard error for every page.
    engines_->text.SetVariable("debug_file", "/dev/null");
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::path(dir) / "osd.traineddata", ec)) {
        engines_->canTurn = engines_->orientation.Init(dir.c_str(), "osd") == 0;
        if (engines_->canTurn) {
            engines_->orientation.SetPageSegMode(tesseract::PSM_OSD_ONLY);
            engines_->orientation.SetVariable("debug_file", "/dev/null");
        }
    }
}

PageRecognizer::~PageRecognizer() = default;

bool PageRecognizer::ready() const {
    return engines_->ready;
}

std::vector<PageParagraph> PageRecognizer::recognise(Pix* page, const std::atomic<bool>& stop) {
    std::vector<PageParagraph> out;
    if (!engines_->ready || stop) return out;
    PixPtr clean = CleanPage(page);
    if (!clean) return out;
    if (engines_->canTurn) {
        // Turned only when the engine is sure: a page of a few words gives a weak guess.
        // Which way up shows as well at half the size, in a quarter of the time.
        PixPtr half(pixScaleAreaMap2(clean.get()));
        engines_->orientation.SetImage(half ? half.get() : clean.get());
        int degrees = 0;
        float confidence = 0, scriptConfidence = 0;
        const char* script = nullptr;
        if (engines_->orientation.DetectOrientationScript(&degrees, &confidence, &script,
                                                          &scriptConfidence) &&
            degrees != 0 && confidence > 2.0f) {
            if (PixPtr turned(pixRotateOrth(clean.get(), (4 - degrees / 90) % 4)); turned)
                clean = std::move(turned);
        }
        engines_->orientation.Clear();
    }
    if (stop) return out;
    tesseract::TessBaseAPI& api = engines_->text;
    api.SetImage(clean.get());
    api.SetSourceResolution(pixGetXRes(clean.get()));
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = Cancelled;
    monitor.cancel_this = const_cast<std::atomic<bool>*>(&stop);
    if (api.Recognize(&monitor) != 0 || stop) {
        api.Clear();
        return out;
    }
    std::vector<PageLine> lines = ReadLines(api);
    api.Clear();
    return JoinPageLines(MergeLinePieces(std::move(lines)));
}

}  // namespace vernalo
