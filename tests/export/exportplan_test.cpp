// What an export is made of: the voice that writes each language's files, and the chapters.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "export/exportplan.h"

namespace {

using namespace vernalo;

TEST(ExportVoiceFor, writesWithTheVoiceNamedOrTheLanguagesFirstBuiltInOne) {
    // English first: the language's first built-in voice is not simply the first.
    const std::vector<EspeakMode> builtIn = {{"en", u"English (British), male", u"Michael"},
                                             {"ru", u"Russian, male", u"Nicolai"},
                                             {"ru+f3", u"Russian, female", u"Elena"}};
    const std::vector<DrivenMode> installed = {
        {u"Russian (Piper: irina)", u"piper-irina", u"Piper", "piper", {}}};
    const struct {
        const char16_t* name;
        Language language;
        int speed;
        bool noBuiltIn;
        int mode;
        int speedWritten;
        const char16_t* driven;      // the installed voice's speaker, or null
        const char16_t* replacedBy;  // or null
    } cases[] = {
        {u"Elena", Language::Russian, 400, false, 3, 250, nullptr, nullptr},
        {u"piper-irina", Language::Russian, 120, false, 1, 120, u"piper-irina", nullptr},
        {u"Service Anna", Language::Russian, 10, false, 2, 50, nullptr, u"Nicolai"},
        {u"Service Anna", Language::English, 100, false, 1, 100, nullptr, u"Michael"},
        {u"", Language::Russian, 100, false, 2, 100, nullptr, nullptr},
        {u"Service Anna", Language::Russian, 100, true, 1, 100, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
        const ExportVoiceChoice choice =
            ExportVoiceFor(c.name, c.language, c.speed,
                           c.noBuiltIn ? std::vector<EspeakMode>() : builtIn, installed);
        EXPECT_EQ(choice.voice.mode, c.mode);
        EXPECT_EQ(choice.voice.speed, c.speedWritten);
        EXPECT_EQ(choice.voice.driven ? std::optional(choice.voice.driven->speaker) : std::nullopt,
                  c.driven ? std::optional<std::u16string>(c.driven) : std::nullopt);
        EXPECT_EQ(choice.replacedBy,
                  c.replacedBy ? std::optional<std::u16string>(c.replacedBy) : std::nullopt);
    }
}

TEST(CutByChapters, namesTheOpeningAndTheAlbumByTheTitleElseTheFile) {
    const struct {
        const char* title;
        const char* opening;
    } cases[] = {{"Book", "Book"}, {"", "file"}};
    for (const auto& c : cases) {
        ExportRequest request;
        request.text = u"Preface.\nOne\ntext";
        CutByChapters(request, {{9, 1, "One"}}, c.title, "file");
        ASSERT_EQ(request.chapters.size(), 2u) << c.title;
        EXPECT_EQ(request.chapters[0].title, c.opening);
        EXPECT_EQ(request.chapters[1].start, 9);
        EXPECT_EQ(request.album, c.opening);
    }
}

}  // namespace
