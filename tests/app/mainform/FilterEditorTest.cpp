// The filter editor with real message boxes: what the user sees while a question is open, and the
// selection label that shows the table.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "app/dialogs/MessageBoxPrompter.h"
#include "app/mainform/FilterEditor.h"
#include "app/widgets/FilterGrid.h"
#include "app/widgets/FilterTableModel.h"
#include "support/ScriptedPrompter.h"

using qm::app::FilterEditor;

namespace {

// Runs action on the next message box once it shows.
void WhenMessageBox(std::function<void(QMessageBox*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(box);
        }
    });
    timer->start();
}

}  // namespace

class FilterEditorTest : public QObject {
    Q_OBJECT
private slots:
    void ReplaceQuestionShowsTheBoxUnticked_data();
    void ReplaceQuestionShowsTheBoxUnticked();
    void LabelShowsTheTable();
};

void FilterEditorTest::ReplaceQuestionShowsTheBoxUnticked_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void FilterEditorTest::ReplaceQuestionShowsTheBoxUnticked() {
    QFETCH(bool, yes);
    QWidget window;
    qm::app::MessageBoxPrompter prompter(&window);
    FilterEditor editor(prompter, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(editor.Group());
    // Routed as the main window does.
    connect(editor.Model(), &qm::app::FilterTableModel::CheckBoxClicked, &editor,
            &FilterEditor::CheckBoxClicked);
    editor.LoadDefaultFilters();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    qm::app::FilterGrid* grid = editor.Grid();
    grid->item(0, 0)->setCheckState(Qt::Checked);  // "*.*"

    bool seen = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::CheckState shown = Qt::PartiallyChecked;
    WhenMessageBox([&](QMessageBox* box) {
        seen = true;
        icon = box->icon();
        shown = grid->item(1, 0)->checkState();
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    grid->setCurrentCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Space);  // "*.bmp"

    QVERIFY(seen);
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(shown, Qt::Unchecked);
    QCOMPARE(grid->item(1, 0)->checkState(), yes ? Qt::Checked : Qt::Unchecked);
    QCOMPARE(grid->item(0, 0)->checkState(), yes ? Qt::Unchecked : Qt::Checked);
    QCOMPARE(editor.SelectionLabel()->text(),
             yes ? QStringLiteral("*.bmp") : QStringLiteral("*.*"));
}

void FilterEditorTest::LabelShowsTheTable() {
    QWidget window;
    qm::test::ScriptedPrompter prompter;
    FilterEditor editor(prompter, &window);
    editor.SetRows({{"*.txt", "Text"}, {"old *.log", "Old logs"}, {"*.ABC", "Abc"}});
    QCOMPARE(editor.SelectionLabel()->text(), QStringLiteral("[None Selected]"));

    // Select All shows the sorted form until the next change of the ticks.
    editor.SelectAll();
    QVERIFY(editor.LabelSorted());
    QCOMPARE(editor.SelectionLabel()->text(), QStringLiteral("*.ABC, *.log, *.txt, old"));
    editor.Grid()->item(2, 0)->setCheckState(Qt::Unchecked);
    editor.CheckBoxClicked(2);
    QVERIFY(!editor.LabelSorted());
    QCOMPARE(editor.SelectionLabel()->text(), QStringLiteral("*.txt, old *.log"));

    // Rows taken with the sorted form keep it.
    editor.SetRows({{"b", "B", true}, {"a", "A", true}}, true);
    QCOMPARE(editor.SelectionLabel()->text(), QStringLiteral("a, b"));
    editor.ClearAll();
    QCOMPARE(editor.SelectionLabel()->text(), QStringLiteral("[None Selected]"));
    QVERIFY(prompter.questions.empty());
}

QTEST_MAIN(FilterEditorTest)
#include "FilterEditorTest.moc"
