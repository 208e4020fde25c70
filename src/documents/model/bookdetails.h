#pragma once
// What a book tells of itself besides its title and text, for the tags of an audiobook made
// of it: who wrote it, in which language, when, and its cover. Empty where it does not say.

#include <string>

namespace vernalo {

struct BookDetails {
    std::string author;     // UTF-8: "Лев Толстой"
    std::string language;   // as the book names it: "ru", "en-US"
    std::string year;       // "1869"
    std::string cover;      // the image's bytes
    std::string coverType;  // its MIME type: "image/jpeg", "image/png"
};

}  // namespace vernalo
