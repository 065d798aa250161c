// The file date dialog on its own: what it shows when opened, what OK writes back (and what it
// keeps while the window is off), and everything else leaving the date window alone.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "Shots.h"
#include "app/dialogs/FileDateOptionsForm.h"

using qm::app::TfrmFileDateOptions;
using qm::engine::DateKind;
using qm::engine::FileDateRange;
using qm::platform::LocalDateTime;

namespace {

// A fixed "now" that crosses a month boundary when seven days are taken off.
const LocalDateTime kNow = {2024, 3, 5, 14, 30, 15};
const LocalDateTime kWeekAgo = {2024, 2, 27, 14, 30, 15};

LocalDateTime FixedNow() {
    return kNow;
}

void ShowAndWait(QWidget& dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

LocalDateTime Shown(const QDateTimeEdit* picker) {
    return qm::app::ToLocalDateTime(picker->dateTime());
}

// Ticks or unticks the box as the user does.
void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

enum class Close { Ok, CancelButton, EscOnBox, EscInList, EscInPicker, CloseButton };

}  // namespace

Q_DECLARE_METATYPE(Close)

namespace QTest {
template <>
char* toString(const LocalDateTime& t) {
    return qstrdup(QStringLiteral("%1-%2-%3 %4:%5:%6")
                       .arg(t.year)
                       .arg(t.month)
                       .arg(t.day)
                       .arg(t.hour)
                       .arg(t.minute)
                       .arg(t.second)
                       .toLatin1()
                       .constData());
}
}  // namespace QTest

class FileDateOptionsFormTest : public QObject {
    Q_OBJECT
private slots:
    void FirstOpening();
    void OkWritesBackAndReopensWithIt();
    void UntickKeepsTheOldDates();
    void OnlyOkWritesBack_data();
    void OnlyOkWritesBack();
    void KeyboardAndLook();
};

void FileDateOptionsFormTest::FirstOpening() {
    FileDateRange range;
    TfrmFileDateOptions dialog(range, nullptr, &FixedNow);
    ShowAndWait(dialog);
    QVERIFY(!dialog.UseDateCB->isChecked());
    QCOMPARE(dialog.DateCB->currentText(), QStringLiteral("Modified Date"));
    QCOMPARE(Shown(dialog.DP1), kWeekAgo);
    QCOMPARE(Shown(dialog.DP2), kNow);
    // The list and the pickers are usable with the box unticked.
    QVERIFY(dialog.DateCB->isEnabled());
    QVERIFY(dialog.DP1->isEnabled());
    QVERIFY(dialog.DP2->isEnabled());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.UseDateCB));
}

void FileDateOptionsFormTest::OkWritesBackAndReopensWithIt() {
    FileDateRange range;
    const LocalDateTime from = {2021, 1, 2, 3, 4, 5};
    const LocalDateTime to = {2023, 12, 31, 23, 59, 58};
    {
        TfrmFileDateOptions dialog(range, nullptr, &FixedNow);
        ShowAndWait(dialog);
        ClickBox(dialog.UseDateCB);
        dialog.DateCB->setCurrentIndex(1);
        dialog.DP1->setDateTime(qm::app::ToQDateTime(from));
        dialog.DP2->setDateTime(qm::app::ToQDateTime(to));
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QVERIFY(range.enabled);
    QCOMPARE(range.kind, DateKind::Created);
    QCOMPARE(range.from, from);
    QCOMPARE(range.to, to);

    // The next opening shows exactly those values, not the last seven days.
    TfrmFileDateOptions again(range, nullptr, &FixedNow);
    ShowAndWait(again);
    QVERIFY(again.UseDateCB->isChecked());
    QCOMPARE(again.DateCB->currentText(), QStringLiteral("Created Date"));
    QCOMPARE(Shown(again.DP1), from);
    QCOMPARE(Shown(again.DP2), to);
}

void FileDateOptionsFormTest::UntickKeepsTheOldDates() {
    const LocalDateTime from = {2020, 6, 1, 8, 0, 0};
    const LocalDateTime to = {2020, 6, 30, 18, 0, 0};
    FileDateRange range{true, DateKind::Created, from, to};
    {
        TfrmFileDateOptions dialog(range, nullptr, &FixedNow);
        ShowAndWait(dialog);
        ClickBox(dialog.UseDateCB);
        // Pickers changed while unticked are not taken.
        dialog.DP1->setDateTime(qm::app::ToQDateTime(kNow));
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
    }
    QVERIFY(!range.enabled);
    QCOMPARE(range.kind, DateKind::Created);
    QCOMPARE(range.from, from);
    QCOMPARE(range.to, to);

    TfrmFileDateOptions again(range, nullptr, &FixedNow);
    ShowAndWait(again);
    QVERIFY(!again.UseDateCB->isChecked());
    QCOMPARE(again.DateCB->currentText(), QStringLiteral("Created Date"));
    QCOMPARE(Shown(again.DP1), kWeekAgo);
    QCOMPARE(Shown(again.DP2), kNow);
    // Ticking it again without touching the pickers takes what they show.
    ClickBox(again.UseDateCB);
    QTest::mouseClick(again.OKBtn, Qt::LeftButton);
    QVERIFY(range.enabled);
    QCOMPARE(range.from, kWeekAgo);
    QCOMPARE(range.to, kNow);
}

void FileDateOptionsFormTest::OnlyOkWritesBack_data() {
    QTest::addColumn<Close>("close");
    QTest::newRow("OK") << Close::Ok;
    QTest::newRow("Cancel") << Close::CancelButton;
    QTest::newRow("Esc on the box") << Close::EscOnBox;
    QTest::newRow("Esc in the list") << Close::EscInList;
    QTest::newRow("Esc in a picker") << Close::EscInPicker;
    QTest::newRow("window closed") << Close::CloseButton;
}

void FileDateOptionsFormTest::OnlyOkWritesBack() {
    QFETCH(Close, close);
    const FileDateRange before{
        true, DateKind::Accessed, {2019, 1, 1, 0, 0, 0}, {2019, 2, 1, 12, 0, 0}};
    FileDateRange range = before;
    TfrmFileDateOptions dialog(range, nullptr, &FixedNow);
    ShowAndWait(dialog);
    dialog.DateCB->setCurrentIndex(0);
    dialog.DP2->setDateTime(qm::app::ToQDateTime(kNow));
    switch (close) {
        case Close::Ok:
            QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
            break;
        case Close::CancelButton:
            QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
            break;
        case Close::EscOnBox:
            QTest::keyClick(dialog.UseDateCB, Qt::Key_Escape);
            break;
        case Close::EscInList:
            QTest::keyClick(dialog.DateCB, Qt::Key_Escape);
            break;
        case Close::EscInPicker:
            QTest::keyClick(dialog.DP1, Qt::Key_Escape);
            break;
        case Close::CloseButton:
            dialog.close();
            break;
    }
    QVERIFY(!dialog.isVisible());
    if (close == Close::Ok) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(range.kind, DateKind::Modified);
        QCOMPARE(range.to, kNow);
        QCOMPARE(range.from, before.from);
    } else {
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(range.enabled);
        QCOMPARE(range.kind, before.kind);
        QCOMPARE(range.from, before.from);
        QCOMPARE(range.to, before.to);
    }
}

void FileDateOptionsFormTest::KeyboardAndLook() {
    FileDateRange range;
    TfrmFileDateOptions dialog(range, nullptr, &FixedNow);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("File Date Options"));
    QCOMPARE(dialog.UseDateCB->text(), QStringLiteral("Use File Dates?"));
    QStringList items;
    for (int i = 0; i < dialog.DateCB->count(); ++i) {
        items << dialog.DateCB->itemText(i);
    }
    QCOMPARE(items, (QStringList{"Modified Date", "Created Date", "Accessed Date"}));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    QCOMPARE(labels, (QStringList{"Specify Dates:", "from", "to"}));
    ShowAndWait(dialog);
    QCOMPARE(dialog.size(), QSize(216, 164));
    // Every control lies whole inside the client area.
    for (const QWidget* control :
         std::initializer_list<const QWidget*>{dialog.UseDateCB, dialog.DateCB, dialog.DP1,
                                               dialog.DP2, dialog.OKBtn, dialog.CancelBtn}) {
        QVERIFY2(dialog.rect().contains(control->geometry()), qPrintable(control->objectName()));
    }

    // Tab walks the controls top to bottom (in a picker it first steps through the fields of
    // the date and time); Esc with Shift, Ctrl or Alt does nothing.
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (int press = 0; press < 40 && visited.size() < 6; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget()->objectName() != visited.last()) {
            visited << QApplication::focusWidget()->objectName();
        }
    }
    QCOMPARE(visited, (QStringList{"UseDateCB", "DateCB", "DP1", "DP2", "OKBtn", "CancelBtn"}));
    for (const Qt::KeyboardModifier modifier :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(dialog.UseDateCB, Qt::Key_Escape, modifier);
        QVERIFY(dialog.isVisible());
    }
    QVERIFY(dialog.grab().save(qm::test::ShotPath(QStringLiteral("file-date-options.png"))));

    // OK is the default button: Enter on the box confirms.
    ClickBox(dialog.UseDateCB);
    QTest::keyClick(dialog.UseDateCB, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(range.enabled);
    QCOMPARE(range.from, kWeekAgo);
}

QTEST_MAIN(FileDateOptionsFormTest)
#include "FileDateOptionsFormTest.moc"
