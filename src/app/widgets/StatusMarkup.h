#pragma once

#include <QList>
#include <QString>

namespace qm::app {

// One piece of a status text: markup, in which the status tags are recognised, or literal text
// (a path, a file name) that is shown exactly as it stands whatever it holds.
struct StatusPart {
    QString text;
    bool literal = false;
};

// The status line's mark-up: "<B>", "</B>", "<U>", "</U>", "<BLINK>", "</BLINK>",
// "<FONT COLOR=\"#0000FF\">" and "</FONT>" (letter case ignored). Every other character, "<" and
// "&" included, is text. Unbalanced tags are tolerated: a closing tag without an opening one does
// nothing, and open tags end with the text.
//
// Returns Qt rich text. blinkVisible selects the phase of blinking text: when false, blinking runs
// keep their room but are drawn transparent.
QString StatusMarkupToHtml(const QList<StatusPart>& parts, bool blinkVisible = true);
QString StatusMarkupToHtml(const QString& markup, bool blinkVisible = true);

// A text of several lines in the same mark-up (the header texts of the dialogs): "<BR>" breaks
// the line as well, and long lines wrap at blanks while runs of blanks are kept.
QString MultiLineMarkupToHtml(const QString& markup);

// Whether any blinking text is present (so a blink timer is needed).
bool StatusMarkupBlinks(const QList<StatusPart>& parts);

// The text as the user reads it: parts joined, tags removed.
QString StatusMarkupPlainText(const QList<StatusPart>& parts);

}  // namespace qm::app
