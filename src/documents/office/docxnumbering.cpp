#include "documents/office/docxnumbering.h"

#include <algorithm>
#include <vector>

#include "documents/office/docxparts.h"
#include "documents/office/officexml.h"

namespace vernalo::office {

namespace {

NumberFormat FormatOf(QStringView name) {
    if (name == u"lowerLetter") return NumberFormat::LowerLetter;
    if (name == u"upperLetter") return NumberFormat::UpperLetter;
    if (name == u"lowerRoman") return NumberFormat::LowerRoman;
    if (name == u"upperRoman") return NumberFormat::UpperRoman;
    if (name == u"bullet") return NumberFormat::Bullet;
    if (name == u"none") return NumberFormat::None;
    return NumberFormat::Decimal;
}

// A level from w:ilvl: a damaged one is taken as the outermost.
int LevelOf(QStringView val, int levels) {
    bool ok = false;
    const int n = val.toInt(&ok);
    return ok && n >= 0 && n < levels ? n : 0;
}

}  // namespace

bool DocxNumbering::read(const std::string& bytes, const std::string& part, std::string& error) {
    QString abstractId, numId;
    int level = -1, overrideLevel = 0;
    return WalkWordPart(
        bytes, part, error,
        [&](W tag, W parent, XmlAttributes a) {
            const QStringView val = Attr(a, u"val");
            Level* lvl = level >= 0 && abstracts_.contains(abstractId)
                             ? &abstracts_[abstractId][static_cast<std::size_t>(level)]
                             : nullptr;
            bool ok = false;
            switch (tag) {
                case W::AbstractNum:
                    abstractId = Attr(a, u"abstractNumId").toString();
                    abstracts_.insert(abstractId, {});
                    break;
                case W::Lvl:
                    // A whole level given again in an override is rare; it is passed over.
                    level = parent == W::AbstractNum ? LevelOf(Attr(a, u"ilvl"), kLevels) : -1;
                    break;
                case W::Start:
                    if (lvl && parent == W::Lvl) lvl->start = val.toInt(&ok);
                    if (lvl && !ok) lvl->start = 1;
                    break;
                case W::NumFmt:
                    if (lvl && parent == W::Lvl) lvl->format = FormatOf(val);
                    break;
                case W::LvlText:
                    if (lvl && parent == W::Lvl) lvl->text = val.toString();
                    break;
                case W::LvlRestart:
                    if (lvl && parent == W::Lvl) lvl->restart = val.toInt();
                    break;
                case W::Num:
                    numId = Attr(a, u"numId").toString();
                    lists_.insert(numId, {});
                    break;
                case W::AbstractNumId:
                    if (parent == W::Num) lists_[numId].abstractId = val.toString();
                    break;
                case W::LvlOverride:
                    overrideLevel = LevelOf(Attr(a, u"ilvl"), kLevels);
                    break;
                case W::StartOverride:
                    if (parent == W::LvlOverride && lists_.contains(numId)) {
                        const int start = val.toInt(&ok);
                        if (ok)
                            lists_[numId].startOverride[static_cast<std::size_t>(overrideLevel)] =
                                start;
                    }
                    break;
                default:
                    break;
            }
        },
        [&](W tag) {
            if (tag == W::Lvl) level = -1;
        });
}

int DocxNumbering::start(const List& list, const std::array<Level, kLevels>& levels,
                         int level) const {
    const auto l = static_cast<std::size_t>(level);
    return list.startOverride[l].value_or(levels[l].start);
}

QString DocxNumbering::next(const QString& numId, int level) {
    if (numId.isEmpty() || numId == u"0") return {};
    const auto list = lists_.find(numId);
    if (list == lists_.end()) return {};
    const auto found = abstracts_.constFind(list->abstractId);
    if (found == abstracts_.constEnd()) return {};
    const std::array<Level, kLevels>& levels = *found;
    level = std::clamp(level, 0, kLevels - 1);
    ListCounters& counters = counters_[list->abstractId];
    if (!list->used) {
        // A list that sets its own start begins there, whatever its siblings counted.
        list->used = true;
        for (int l = 0; l < kLevels; ++l)
            if (list->startOverride[static_cast<std::size_t>(l)]) counters.reset(l);
    }
    counters.count(level, start(*list, levels, level));
    for (int deeper = level + 1; deeper < kLevels; ++deeper) {
        const std::optional<int> restart = levels[static_cast<std::size_t>(deeper)].restart;
        if (!restart || (*restart != 0 && level < *restart)) counters.reset(deeper);
    }

    const Level& own = levels[static_cast<std::size_t>(level)];
    if (own.format == NumberFormat::Bullet) return QString(QChar(kBullet));
    QString label;
    for (qsizetype i = 0; i < own.text.size(); ++i) {
        const QChar c = own.text[i];
        if (c == u'%' && i + 1 < own.text.size() && own.text[i + 1] >= u'1' &&
            own.text[i + 1] <= u'9') {
            const int shown = own.text[++i].unicode() - u'1';
            label += FormatNumber(counters.value(shown, start(*list, levels, shown)),
                                  levels[static_cast<std::size_t>(shown)].format, true);
        } else {
            label += c;
        }
    }
    return label.trimmed();
}

}  // namespace vernalo::office
