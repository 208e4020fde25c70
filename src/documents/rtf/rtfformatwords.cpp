#include "documents/rtf/rtfformatwords.h"

#include <climits>

namespace vernalo {

using Kw = RtfKeyword;

bool ApplyCharFormatWord(RtfCharState& chr, RtfKeyword keyword, bool hasParam, std::int64_t param) {
    const bool on = !hasParam || param != 0;
    switch (keyword) {
        case Kw::F:
            chr.font = ClampRtfParam(param, INT_MIN / 2, INT_MAX / 2);
            return true;
        case Kw::Plain:
            chr = RtfCharState();
            return true;
        case Kw::B:
            chr.bold = on;
            return true;
        case Kw::I:
            chr.italic = on;
            return true;
        case Kw::Ul:
            chr.underline = on;
            return true;
        case Kw::UlNone:
            chr.underline = false;
            return true;
        case Kw::Strike:
            chr.strike = on;
            return true;
        case Kw::Fs:
            // A bare \fs is the 12-point default.
            chr.halfPoints = hasParam ? ClampRtfParam(param, 0, 3276) : 24;
            return true;
        case Kw::Cf:
            chr.color = ClampRtfParam(param, 0, INT_MAX);
            return true;
        case Kw::Cb:
            chr.background = ClampRtfParam(param, 0, INT_MAX);
            return true;
        case Kw::V:
            chr.hidden = on;
            return true;
        default:
            return false;
    }
}

bool ApplyParaFormatWord(ParagraphFormat& para, bool& inTable, RtfKeyword keyword, bool hasParam,
                         std::int64_t param) {
    switch (keyword) {
        case Kw::Pard:
            para = ParagraphFormat();
            inTable = false;
            return true;
        case Kw::Intbl:
            inTable = !hasParam || param != 0;
            return true;
        case Kw::Ql:
            para.align = Alignment::Left;
            return true;
        case Kw::Qc:
            para.align = Alignment::Center;
            return true;
        case Kw::Qr:
            para.align = Alignment::Right;
            return true;
        case Kw::Qj:
            para.align = Alignment::Justify;
            return true;
        case Kw::Li:
            para.leftIndent = ClampRtfParam(param, -1'000'000, 1'000'000);
            return true;
        case Kw::Ri:
            para.rightIndent = ClampRtfParam(param, -1'000'000, 1'000'000);
            return true;
        case Kw::Fi:
            para.firstIndent = ClampRtfParam(param, -1'000'000, 1'000'000);
            return true;
        default:
            return false;
    }
}

}  // namespace vernalo
