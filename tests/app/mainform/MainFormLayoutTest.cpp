// The main window looks tidy at its design size and resized: nothing overlaps, nothing is cut off.
// Each size is also saved as a picture (in the build folder) for a person to look at.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "Shots.h"
#include "app/mainform/MainForm.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "support/ScriptedPrompter.h"

using qm::app::TfrmMain;

namespace {

// Widgets that belong to a control's own inside (scroll bars, viewports, headers) are the
// control's business; only the window's own pieces are checked.
bool IsOwnPiece(const QWidget* widget) {
    return !widget->objectName().isEmpty() &&
           !widget->objectName().startsWith(QLatin1String("qt_"));
}

bool InsideScrollArea(const QWidget* widget) {
    for (const QWidget* p = widget->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(p)) {
            return true;
        }
    }
    return false;
}

QStringList LayoutFaults(TfrmMain& window) {
    QStringList faults;
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!widget->isVisible() || InsideScrollArea(widget) || widget->isWindow()) {
            continue;
        }
        QWidget* parent = widget->parentWidget();
        if (!parent) {
            continue;
        }
        const QString name = widget->objectName().isEmpty()
                                 ? QString::fromLatin1(widget->metaObject()->className())
                                 : widget->objectName();
        if (!parent->rect().contains(widget->geometry())) {
            faults << QStringLiteral("%1 sticks out of its parent").arg(name);
        }
        if (widget->width() <= 0 || widget->height() <= 0) {
            faults << QStringLiteral("%1 has no room").arg(name);
        }
        // Captions must read fully.
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (button->width() < button->sizeHint().width() ||
                button->height() < button->minimumSizeHint().height()) {
                faults << QStringLiteral("%1 cuts its caption").arg(name);
            }
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (!label->wordWrap() &&
                label->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored &&
                label->width() < label->sizeHint().width()) {
                faults << QStringLiteral("%1 cuts its text").arg(name);
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            if (group->width() < group->fontMetrics().horizontalAdvance(group->title()) + 10) {
                faults << QStringLiteral("%1 cuts its title").arg(name);
            }
        }
        if (!IsOwnPiece(widget)) {
            continue;
        }
        for (QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (sibling == widget || !sibling->isVisible() || !IsOwnPiece(sibling) ||
                sibling->isWindow() || sibling->objectName() < widget->objectName()) {
                continue;
            }
            if (widget->geometry().intersects(sibling->geometry())) {
                faults << QStringLiteral("%1 overlaps %2").arg(name, sibling->objectName());
            }
        }
    }
    return faults;
}

}  // namespace

class MainFormLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void TidyAtEverySize_data();
    void TidyAtEverySize();
    void TidyInUse();
};

void MainFormLayoutTest::TidyAtEverySize_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("design") << QSize(800, 634);
    QTest::newRow("large") << QSize(1200, 860);
    QTest::newRow("small") << QSize(720, 560);
}

void MainFormLayoutTest::TidyAtEverySize() {
    QFETCH(QSize, size);
    qm::test::ScriptedPrompter prompter;
    TfrmMain window(&prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(size);
    QTRY_COMPARE(window.size(), size.expandedTo(window.minimumSizeHint()));
    QTest::qWait(50);

    const QString file = qm::test::ShotPath(
        QStringLiteral("main-%1x%2.png").arg(window.width()).arg(window.height()));
    QVERIFY(window.grab().save(file));

    const QStringList faults = LayoutFaults(window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
    QVERIFY(window.minimumSizeHint().width() <= 800);
    QVERIFY(window.minimumSizeHint().height() <= 634);
}

// The window with folders listed, filters ticked (bold rows), a long selection and a status text.
void MainFormLayoutTest::TidyInUse() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qm::test::ScriptedPrompter prompter;
    TfrmMain window(&prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const char* name :
         {"Photos/2006", "Music", "a folder with a rather long name/inside it"}) {
        QDir(dir.path()).mkpath(QLatin1String(name));
        qm::app::SetNodeTicked(
            window.FolderModel()->LocateNode(QDir(dir.path()).filePath(QLatin1String(name))), true);
    }
    window.DirLB->expand(window.FolderModel()->LocateNode(dir.path()));
    QTest::mouseClick(window.SelectAllFiltersBtn, Qt::LeftButton);
    window.SetStatusText(QList<qm::app::StatusPart>{
        {"Path <B>", false}, {dir.path() + "/a<b&c/", true}, {"</B> does not exist.", false}});
    QTest::qWait(50);
    const QStringList faults = LayoutFaults(window);
    QVERIFY(window.grab().save(qm::test::ShotPath(QStringLiteral("main-in-use.png"))));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
    QVERIFY(window.SearchBtn->isEnabled());
}

QTEST_MAIN(MainFormLayoutTest)
#include "MainFormLayoutTest.moc"
