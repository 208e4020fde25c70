#pragma once
// The numbers of a DOCX document's lists, from word/numbering.xml: each list (w:num) uses
// the levels of an abstract list, which holds the counters, so that lists sharing one
// count on together.

#include <QHash>
#include <QString>
#include <array>
#include <optional>
#include <string>

#include "documents/office/listlabels.h"

namespace vernalo::office {

class DocxNumbering {
public:
    // Reads the part; false with `error` set when its XML is malformed.
    bool read(const std::string& bytes, const std::string& part, std::string& error);
    // Counts a paragraph of list `numId` at `level` and gives its label as the document
    // shows it ("2.", "1.3.", "b)", "•"); empty for no list or an unknown one.
    QString next(const QString& numId, int level);

private:
    static constexpr int kLevels = 9;
    struct Level {
        int start = 1;
        NumberFormat format = NumberFormat::Decimal;
        QString text;
        std::optional<int> restart;  // after which level (1-based) it starts again; 0 never
    };
    struct List {
        QString abstractId;
        std::array<std::optional<int>, kLevels> startOverride;
        bool used = false;
    };

    int start(const List& list, const std::array<Level, kLevels>& levels, int level) const;

    QHash<QString, std::array<Level, kLevels>> abstracts_;
    QHash<QString, List> lists_;
    QHash<QString, ListCounters> counters_;
};

}  // namespace vernalo::office
