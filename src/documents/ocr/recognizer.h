#pragma once
// One page image made into paragraphs: cleaned (grey, scaled up to the resolution the
// engine reads best, straightened, turned the right way up), recognised by Tesseract with
// the Russian and the English model at once, and its lines joined as a PDF's are.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "documents/model/pagelines.h"
#include "documents/ocr/pageimage.h"

namespace vernalo {

// The folder Tesseract's language data is read from, and whether the Russian and the English
// model are in it.
std::string TessDataFolder();
bool HasRecognitionLanguages();
// "Tesseract 5.3.0"
std::string RecognitionEngineName();

inline constexpr const char* kMissingLanguagesMessage =
    "Text recognition needs the Russian and English language data: install tesseract-ocr-rus "
    "and tesseract-ocr-eng.";

// The image as the engine reads it best: 8-bit grey, about 300 dpi, straightened.
PixPtr CleanPage(Pix* page);

// One engine, for one thread at a time: loading the models takes a while, so a worker keeps
// its recognizer for every page it takes.
class PageRecognizer {
public:
    PageRecognizer();
    ~PageRecognizer();
    PageRecognizer(const PageRecognizer&) = delete;
    PageRecognizer& operator=(const PageRecognizer&) = delete;

    // False when the language data could not be loaded.
    bool ready() const;
    // The page's paragraphs; empty when it holds no text or `stop` turned true meanwhile.
    std::vector<PageParagraph> recognise(Pix* page, const std::atomic<bool>& stop);

private:
    struct Engines;
    std::unique_ptr<Engines> engines_;
};

}  // namespace vernalo
