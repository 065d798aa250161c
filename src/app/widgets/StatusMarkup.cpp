#include "app/widgets/StatusMarkup.h"

#include <array>

namespace qm::app {

namespace {

enum class Tag {
    BoldOn,
    BoldOff,
    UnderlineOn,
    UnderlineOff,
    BlinkOn,
    BlinkOff,
    FontOn,
    FontOff,
    LineBreak
};

struct TagText {
    const char* text;
    Tag tag;
};

constexpr std::array<TagText, 9> kTags = {{
    {"<B>", Tag::BoldOn},
    {"</B>", Tag::BoldOff},
    {"<U>", Tag::UnderlineOn},
    {"</U>", Tag::UnderlineOff},
    {"<BLINK>", Tag::BlinkOn},
    {"</BLINK>", Tag::BlinkOff},
    {"<FONT COLOR=\"#0000FF\">", Tag::FontOn},
    {"</FONT>", Tag::FontOff},
    {"<BR>", Tag::LineBreak},  // only in texts of several lines
}};

// Open counts of each tag: a run is styled while its count is above zero.
struct Style {
    int bold = 0;
    int underline = 0;
    int blink = 0;
    int font = 0;
};

void Apply(Style& style, Tag tag) {
    const auto down = [](int& count) { count = count > 0 ? count - 1 : 0; };
    switch (tag) {
        case Tag::BoldOn:
            ++style.bold;
            break;
        case Tag::BoldOff:
            down(style.bold);
            break;
        case Tag::UnderlineOn:
            ++style.underline;
            break;
        case Tag::UnderlineOff:
            down(style.underline);
            break;
        case Tag::BlinkOn:
            ++style.blink;
            break;
        case Tag::BlinkOff:
            down(style.blink);
            break;
        case Tag::FontOn:
            ++style.font;
            break;
        case Tag::FontOff:
            down(style.font);
            break;
        case Tag::LineBreak:
            break;
    }
}

// The tag at position i of text, if one starts there. "<BR>" is a tag only where lines may break.
const TagText* TagAt(const QString& text, qsizetype i, bool lineBreaks = false) {
    if (text[i] != u'<') {
        return nullptr;
    }
    for (const TagText& tag : kTags) {
        if (tag.tag == Tag::LineBreak && !lineBreaks) {
            continue;
        }
        const QLatin1String name(tag.text);
        if (QStringView(text).mid(i).startsWith(name, Qt::CaseInsensitive)) {
            return &tag;
        }
    }
    return nullptr;
}

class Builder {
public:
    explicit Builder(bool blinkVisible, bool multiLine = false)
        : m_blinkVisible(blinkVisible), m_multiLine(multiLine) {}

    void Text(const QString& run) {
        if (run.isEmpty()) {
            return;
        }
        QString css;
        if (m_style.bold > 0) {
            css += QStringLiteral("font-weight:bold;");
        }
        if (m_style.underline > 0) {
            css += QStringLiteral("text-decoration:underline;");
        }
        if (m_style.blink > 0 && !m_blinkVisible) {
            css += QStringLiteral("color:transparent;");
        } else if (m_style.font > 0) {
            css += QStringLiteral("color:#0000ff;");
        }
        QString escaped = run.toHtmlEscaped();
        escaped.replace(u'\r', u' ');
        escaped.replace(u'\n', u' ');
        if (css.isEmpty()) {
            m_html += escaped;
        } else {
            m_html += QStringLiteral("<span style=\"%1\">%2</span>").arg(css, escaped);
        }
    }

    void Markup(const QString& text) {
        QString run;
        for (qsizetype i = 0; i < text.size();) {
            if (const TagText* tag = TagAt(text, i, m_multiLine)) {
                Text(run);
                run.clear();
                if (tag->tag == Tag::LineBreak) {
                    m_html += QStringLiteral("<br>");
                }
                Apply(m_style, tag->tag);
                i += static_cast<qsizetype>(qstrlen(tag->text));
            } else {
                run += text[i];
                ++i;
            }
        }
        Text(run);
    }

    QString Html() const {
        // pre keeps runs of blanks, which the hint texts use after full stops; pre-wrap keeps
        // them too but lets long lines wrap.
        return (m_multiLine ? QStringLiteral("<span style=\"white-space:pre-wrap\">")
                            : QStringLiteral("<span style=\"white-space:pre\">")) +
               m_html + QStringLiteral("</span>");
    }

private:
    bool m_blinkVisible;
    bool m_multiLine;
    Style m_style;
    QString m_html;
};

}  // namespace

QString StatusMarkupToHtml(const QList<StatusPart>& parts, bool blinkVisible) {
    Builder builder(blinkVisible);
    for (const StatusPart& part : parts) {
        if (part.literal) {
            builder.Text(part.text);
        } else {
            builder.Markup(part.text);
        }
    }
    return builder.Html();
}

QString StatusMarkupToHtml(const QString& markup, bool blinkVisible) {
    return StatusMarkupToHtml(QList<StatusPart>{{markup, false}}, blinkVisible);
}

QString MultiLineMarkupToHtml(const QString& markup) {
    Builder builder(true, true);
    builder.Markup(markup);
    return builder.Html();
}

bool StatusMarkupBlinks(const QList<StatusPart>& parts) {
    Style style;
    for (const StatusPart& part : parts) {
        if (part.literal) {
            if (style.blink > 0 && !part.text.isEmpty()) {
                return true;
            }
            continue;
        }
        for (qsizetype i = 0; i < part.text.size();) {
            if (const TagText* tag = TagAt(part.text, i)) {
                Apply(style, tag->tag);
                i += static_cast<qsizetype>(qstrlen(tag->text));
            } else {
                if (style.blink > 0) {
                    return true;
                }
                ++i;
            }
        }
    }
    return false;
}

QString StatusMarkupPlainText(const QList<StatusPart>& parts) {
    QString plain;
    for (const StatusPart& part : parts) {
        if (part.literal) {
            plain += part.text;
            continue;
        }
        for (qsizetype i = 0; i < part.text.size();) {
            if (const TagText* tag = TagAt(part.text, i)) {
                i += static_cast<qsizetype>(qstrlen(tag->text));
            } else {
                plain += part.text[i];
                ++i;
            }
        }
    }
    return plain;
}

}  // namespace qm::app
