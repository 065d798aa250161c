// The status line's mark-up: only the listed tags are mark-up, everything else is text.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/StatusMarkup.h"

using qm::app::StatusMarkupToHtml;
using qm::app::StatusPart;

Q_DECLARE_METATYPE(QList<StatusPart>)

namespace {

// What the user sees: unstyled text as it stands, styled runs as [flags|text] with B bold,
// U underline, F the blue hint font, H hidden (the dark phase of blinking text).
QString Describe(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    QString out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            QString flags;
            if (format.fontWeight() >= QFont::Bold) {
                flags += u'B';
            }
            if (format.fontUnderline()) {
                flags += u'U';
            }
            if (format.hasProperty(QTextFormat::ForegroundBrush)) {
                const QColor color = format.foreground().color();
                if (color.alpha() == 0) {
                    flags += u'H';
                } else if (color == QColor(0, 0, 0xFF)) {
                    flags += u'F';
                }
            }
            out += flags.isEmpty() ? fragment.text()
                                   : QStringLiteral("[%1|%2]").arg(flags, fragment.text());
        }
    }
    return out;
}

QList<StatusPart> Markup(const QString& text) {
    return {{text, false}};
}

}  // namespace

class StatusMarkupTest : public QObject {
    Q_OBJECT
private slots:
    void Renders_data();
    void Renders();
    void BlinkDetection();
    void StatusBarBlinksAndPanels();
};

void StatusMarkupTest::Renders_data() {
    QTest::addColumn<QList<StatusPart>>("parts");
    QTest::addColumn<bool>("blinkVisible");
    QTest::addColumn<QString>("seen");

    QTest::newRow("plain") << Markup("All paths cleared from the search list.") << true
                           << "All paths cleared from the search list.";
    QTest::newRow("bold") << Markup("<B>Scan aborted.</B>") << true << "[B|Scan aborted.]";
    QTest::newRow("nested") << Markup("<B>a<U>b</U>c</B>d") << true << "[B|a][BU|b][B|c]d";
    QTest::newRow("hint line") << Markup("<FONT COLOR=\"#0000FF\">Click.  <U>Note</U>: x</FONT>")
                               << true << "[F|Click.  ][UF|Note][F|: x]";
    QTest::newRow("tag case ignored") << Markup("<u>Note:</u> y") << true << "[U|Note:] y";
    QTest::newRow("unknown tags as typed") << Markup("<I>x</I> <FONT COLOR=\"#FF0000\">y</FONT>")
                                           << true << "<I>x</I> <FONT COLOR=\"#FF0000\">y";
    QTest::newRow("lone < and &") << Markup("a < b && c<d &amp; e>") << true
                                  << "a < b && c<d &amp; e>";
    QTest::newRow("path is text") << QList<StatusPart>{{"Path <B>", false},
                                                       {"/tmp/a<B>x</B>&amp;<b/", true},
                                                       {"</B> does not exist.", false}}
                                  << true << "Path [B|/tmp/a<B>x</B>&amp;<b/] does not exist.";
    QTest::newRow("blink lit") << Markup("<BLINK>wait</BLINK> ok") << true << "wait ok";
    QTest::newRow("blink dark") << Markup("<B><BLINK>wait</BLINK></B> ok") << false
                                << "[BH|wait] ok";
    QTest::newRow("unbalanced") << Markup("</B>a<B>b</U>c") << true << "a[B|bc]";
    QTest::newRow("blanks kept") << Markup("one.  two   three") << true << "one.  two   three";
}

void StatusMarkupTest::Renders() {
    QFETCH(QList<StatusPart>, parts);
    QFETCH(bool, blinkVisible);
    QFETCH(QString, seen);
    QCOMPARE(Describe(StatusMarkupToHtml(parts, blinkVisible)), seen);
}

void StatusMarkupTest::BlinkDetection() {
    QVERIFY(qm::app::StatusMarkupBlinks(Markup("a <BLINK>b</BLINK>")));
    QVERIFY(!qm::app::StatusMarkupBlinks(Markup("a <BLINK></BLINK> b")));
    QVERIFY(!qm::app::StatusMarkupBlinks(Markup("<B>a</B>")));
    QVERIFY(qm::app::StatusMarkupBlinks({{"<BLINK>", false}, {"/x", true}}));
    QCOMPARE(
        qm::app::StatusMarkupPlainText({{"Path <B>", false}, {"a<U>", true}, {"</B>!", false}}),
        QStringLiteral("Path a<U>!"));
}

void StatusMarkupTest::StatusBarBlinksAndPanels() {
    qm::app::MarkupStatusBar bar;
    bar.resize(400, 24);
    bar.show();
    bar.SetText(QStringLiteral("<BLINK>Searching</BLINK>"));
    QVERIFY(bar.Blinking());
    const QString lit = bar.TextPanel()->text();
    QTRY_VERIFY_WITH_TIMEOUT(bar.TextPanel()->text() != lit, 2000);
    QCOMPARE(Describe(bar.TextPanel()->text()), QStringLiteral("[H|Searching]"));
    bar.SetText(QStringLiteral("<B>done</B>"));
    QVERIFY(!bar.Blinking());
    QCOMPARE(bar.PlainText(), QStringLiteral("done"));
    QCOMPARE(bar.Text(), QStringLiteral("<B>done</B>"));

    QCOMPARE(bar.Panel0Width(), 0);
    QVERIFY(!bar.ProgressBar()->isVisible());
    bar.SetPanel0Width(150);
    QVERIFY(bar.ProgressBar()->isVisible());
    QTRY_COMPARE(bar.ProgressBar()->parentWidget()->width(), 150);
    bar.SetPanel0Width(0);
    QVERIFY(!bar.ProgressBar()->isVisible());
}

QTEST_MAIN(StatusMarkupTest)
#include "StatusMarkupTest.moc"
