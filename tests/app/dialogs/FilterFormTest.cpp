// The filter dialog on its own: OK follows the two edits, Enter and Esc.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/dialogs/FilterForm.h"

using qm::app::TfrmFilter;

class FilterFormTest : public QObject {
    Q_OBJECT
private slots:
    void NewFilterDialogRules();
};

void FilterFormTest::NewFilterDialogRules() {
    TfrmFilter dialog;
    dialog.show();
    QVERIFY(!dialog.OkBtn->isEnabled());
    dialog.MaskEdit->setText("*.x");
    QVERIFY(!dialog.OkBtn->isEnabled());
    dialog.DefinitionEdit->setText("X");
    QVERIFY(dialog.OkBtn->isEnabled());
    dialog.MaskEdit->clear();
    QVERIFY(!dialog.OkBtn->isEnabled());
    // Enter does not confirm while OK is disabled.
    QTest::keyClick(dialog.DefinitionEdit, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    // Esc with Shift does nothing; Esc alone cancels.
    QTest::keyClick(dialog.MaskEdit, Qt::Key_Escape, Qt::ShiftModifier);
    QVERIFY(dialog.isVisible());
    QTest::keyClick(dialog.MaskEdit, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    TfrmFilter second;
    second.show();
    second.SetTexts("*.a", "A");
    QVERIFY(second.OkBtn->isEnabled());
    QTest::keyClick(second.MaskEdit, Qt::Key_Return);
    QCOMPARE(second.result(), int(QDialog::Accepted));
}

QTEST_MAIN(FilterFormTest)
#include "FilterFormTest.moc"
