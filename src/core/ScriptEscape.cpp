#include "core/ScriptEscape.h"

namespace yk {

QString escapeScriptText(const QString& text)
{
    QString out;
    out.reserve(qMin(text.size(), qsizetype(kMaxScriptTextLength)) + 8);
    int length = 0; // in characters (code points), not UTF-16 units

    // Walk by code point and append whole escape pairs, so the cut can
    // neither split a surrogate pair nor leave a lone "\" at the end, which
    // would swallow the "\e" that callers append.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u <= 0x1F || u == 0x7F)
            continue;

        QString piece;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            piece = text.mid(i, 2);
            ++i;
        } else if (c.isSurrogate()) {
            continue; // a broken pair cannot be sent as UTF-8
        } else if (u == u'\\') {
            piece = QStringLiteral("\\\\");
        } else if (u == u'%') {
            piece = QStringLiteral("\\%");
        } else {
            piece = c;
        }

        const int pieceLength = (piece.size() == 2 && piece.at(0).isHighSurrogate()) ? 1 : int(piece.size());
        if (length + pieceLength > kMaxScriptTextLength)
            break;
        out += piece;
        length += pieceLength;
    }
    return out;
}

} // namespace yk
