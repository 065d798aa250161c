// The two exclusion mask dialogs on their own: adding and removing masks, the case rule for
// duplicates, OK writing back and everything else leaving the list alone, and their fixed texts.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "Shots.h"
#include "app/dialogs/MaskListForm.h"
#include "platform/Locale.h"
#include "scope/ScopeList.h"

using qm::app::TfrmExcludeFileMask;
using qm::app::TfrmExcludeFolderMask;
using qm::app::TfrmMaskList;
using qm::scope::ScopeList;

namespace {

QStringList Shown(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts << list->item(row)->text();
    }
    return texts;
}

void ShowAndWait(QWidget& dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

void Type(TfrmMaskList& dialog, const QString& text) {
    dialog.NewMaskEdit->clear();
    QTest::keyClicks(dialog.NewMaskEdit, text);
}

enum class Close { Ok, CancelButton, EscInEdit, EscInList, EscOnButton };

}  // namespace

Q_DECLARE_METATYPE(Close)

class MaskListFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void AddRules();
    void RemoveNeedsAHighlightedEntry();
    void WritesBackOnlyOnOk_data();
    void WritesBackOnlyOnOk();
    void EnterAndEscWithModifiersDoNothing();
    void FixedTextsAndTwins_data();
    void FixedTextsAndTwins();

private:
    std::unique_ptr<ScopeList> m_masks;
};

void MaskListFormTest::init() {
    m_masks = std::make_unique<ScopeList>(qm::platform::UserLocale());
}

void MaskListFormTest::AddRules() {
    m_masks->Add("*.log");
    TfrmExcludeFileMask dialog(*m_masks);
    ShowAndWait(dialog);
    QCOMPARE(Shown(dialog.MaskLB), QStringList{"*.log"});
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.NewMaskEdit));
    QVERIFY(!dialog.AddBtn->isEnabled());

    // Add Mask follows the edit.
    Type(dialog, QStringLiteral("*.LOG"));
    QVERIFY(dialog.AddBtn->isEnabled());
    // A mask listed already in another case: nothing happens, the text stays.
    QTest::mouseClick(dialog.AddBtn, Qt::LeftButton);
    QCOMPARE(Shown(dialog.MaskLB), QStringList{"*.log"});
    QCOMPARE(dialog.NewMaskEdit->text(), QStringLiteral("*.LOG"));

    // A new mask is listed in order; the edit empties and keeps the focus.
    Type(dialog, QStringLiteral("*.tmp"));
    QTest::mouseClick(dialog.AddBtn, Qt::LeftButton);
    QCOMPARE(Shown(dialog.MaskLB), (QStringList{"*.log", "*.tmp"}));
    QVERIFY(dialog.NewMaskEdit->text().isEmpty());
    QVERIFY(!dialog.AddBtn->isEnabled());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.NewMaskEdit));

    // Masks are not checked and are kept exactly as typed, blanks included.
    for (const QString& mask : {QStringLiteral(" a b "), QStringLiteral("z**?"),
                                QStringLiteral("Übung*"), QStringLiteral("*.BAK")}) {
        Type(dialog, mask);
        QTest::mouseClick(dialog.AddBtn, Qt::LeftButton);
    }
    QCOMPARE(Shown(dialog.MaskLB),
             (QStringList{" a b ", "*.BAK", "*.log", "*.tmp", "Übung*", "z**?"}));
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
    QCOMPARE(m_masks->Items(),
             (std::vector<std::string>{" a b ", "*.BAK", "*.log", "*.tmp", "Übung*", "z**?"}));
}

void MaskListFormTest::RemoveNeedsAHighlightedEntry() {
    for (const char* mask : {"*.a", "*.b", "*.c"}) {
        m_masks->Add(mask);
    }
    TfrmExcludeFolderMask dialog(*m_masks);
    ShowAndWait(dialog);
    QVERIFY(!dialog.RemoveBtn->isEnabled());

    const auto click = [&](int row) {
        const QRect rect = dialog.MaskLB->visualItemRect(dialog.MaskLB->item(row));
        QTest::mouseClick(dialog.MaskLB->viewport(), Qt::LeftButton, {}, rect.center());
    };
    click(1);
    QVERIFY(dialog.RemoveBtn->isEnabled());
    QTest::mouseClick(dialog.RemoveBtn, Qt::LeftButton);
    QCOMPARE(Shown(dialog.MaskLB), (QStringList{"*.a", "*.c"}));
    // Nothing is highlighted any more until another entry is clicked.
    QVERIFY(!dialog.RemoveBtn->isEnabled());
    QVERIFY(dialog.MaskLB->selectedItems().isEmpty());
    click(1);
    QVERIFY(dialog.RemoveBtn->isEnabled());
    // Adding keeps the highlight on its entry.
    Type(dialog, QStringLiteral("*.0"));
    QTest::mouseClick(dialog.AddBtn, Qt::LeftButton);
    QCOMPARE(dialog.MaskLB->selectedItems().size(), 1);
    QCOMPARE(dialog.MaskLB->selectedItems().first()->text(), QStringLiteral("*.c"));
    QTest::mouseClick(dialog.RemoveBtn, Qt::LeftButton);
    QCOMPARE(dialog.Masks(), (std::vector<std::string>{"*.0", "*.a"}));
    // The main window's list is untouched until OK.
    QCOMPARE(m_masks->Count(), std::size_t{3});
}

void MaskListFormTest::WritesBackOnlyOnOk_data() {
    QTest::addColumn<Close>("close");
    QTest::addColumn<bool>("changed");
    QTest::newRow("OK") << Close::Ok << true;
    QTest::newRow("Cancel") << Close::CancelButton << false;
    QTest::newRow("Esc in the edit") << Close::EscInEdit << false;
    QTest::newRow("Esc in the list") << Close::EscInList << false;
    QTest::newRow("Esc on a button") << Close::EscOnButton << false;
}

void MaskListFormTest::WritesBackOnlyOnOk() {
    QFETCH(Close, close);
    QFETCH(bool, changed);
    m_masks->Add("*.log");
    m_masks->Add("*.tmp");
    const std::vector<std::string> before = m_masks->Items();
    {
        TfrmExcludeFileMask dialog(*m_masks);
        ShowAndWait(dialog);
        Type(dialog, QStringLiteral("*.bak"));
        QTest::mouseClick(dialog.AddBtn, Qt::LeftButton);
        dialog.MaskLB->setCurrentRow(2);
        QTest::mouseClick(dialog.RemoveBtn, Qt::LeftButton);
        QCOMPARE(dialog.Masks(), (std::vector<std::string>{"*.bak", "*.log"}));
        switch (close) {
            case Close::Ok:
                QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
                break;
            case Close::CancelButton:
                QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
                break;
            case Close::EscInEdit:
                QTest::keyClick(dialog.NewMaskEdit, Qt::Key_Escape);
                break;
            case Close::EscInList:
                QTest::keyClick(dialog.MaskLB, Qt::Key_Escape);
                break;
            case Close::EscOnButton:
                QTest::keyClick(dialog.OkBtn, Qt::Key_Escape);
                break;
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(changed ? QDialog::Accepted : QDialog::Rejected));
    }
    QCOMPARE(m_masks->Items(), changed ? (std::vector<std::string>{"*.bak", "*.log"}) : before);
    // The next opening starts from the main window's list.
    TfrmExcludeFileMask again(*m_masks);
    QCOMPARE(Shown(again.MaskLB).size(), static_cast<qsizetype>(m_masks->Count()));
}

void MaskListFormTest::EnterAndEscWithModifiersDoNothing() {
    TfrmExcludeFileMask dialog(*m_masks);
    ShowAndWait(dialog);
    Type(dialog, QStringLiteral("*.x"));
    // No default button: Enter neither adds nor closes, also on a focused button.
    QTest::keyClick(dialog.NewMaskEdit, Qt::Key_Return);
    QTest::keyClick(dialog.NewMaskEdit, Qt::Key_Enter);
    dialog.OkBtn->setFocus();
    QTest::keyClick(dialog.OkBtn, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.Masks().empty());
    for (const Qt::KeyboardModifier modifier :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(dialog.NewMaskEdit, Qt::Key_Escape, modifier);
        QVERIFY(dialog.isVisible());
    }
    // Tab goes from the edit through the list to the buttons.
    dialog.NewMaskEdit->setFocus();
    QTest::mouseClick(dialog.AddBtn, Qt::LeftButton);
    dialog.MaskLB->setCurrentRow(0);
    dialog.NewMaskEdit->setFocus();
    const std::vector<QWidget*> order = {dialog.NewMaskEdit, dialog.MaskLB, dialog.RemoveBtn,
                                         dialog.OkBtn, dialog.CancelBtn};
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]->objectName());
    }
}

void MaskListFormTest::FixedTextsAndTwins_data() {
    QTest::addColumn<bool>("folders");
    QTest::addColumn<QString>("caption");
    QTest::newRow("file masks") << false << "Exclude File Mask";
    QTest::newRow("folder masks") << true << "Exclude Folder Mask";
}

void MaskListFormTest::FixedTextsAndTwins() {
    QFETCH(bool, folders);
    QFETCH(QString, caption);
    m_masks->Add(folders ? "*cache*" : "*.log");
    m_masks->Add(folders ? "*system32*" : "*.tmp");
    std::unique_ptr<TfrmMaskList> dialog;
    if (folders) {
        dialog = std::make_unique<TfrmExcludeFolderMask>(*m_masks);
    } else {
        dialog = std::make_unique<TfrmExcludeFileMask>(*m_masks);
    }
    QCOMPARE(dialog->windowTitle(), caption);
    auto* group = dialog->findChild<QGroupBox*>(QStringLiteral("NewMaskGB"));
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral("New Mask"));
    QStringList texts;
    for (const QLabel* label : group->findChildren<QLabel*>()) {
        texts << label->text();
    }
    const QStringList expected = {
        "Allowed wildcards:",
        "? = Any single character",
        "* = Any string of characters.",
        "Examples:",
        "*.* = All files (not recommended since it will ignore everything)",
        "*. = All files with no file extension",
        "*.log = All files with extension \"log\" (examples: file1.log, scan.log,  etc)",
        "index*.htm* = All HTML files that start with \"index\"",
        "Mask:",
    };
    QCOMPARE(texts, expected);
    QCOMPARE(dialog->findChild<QGroupBox*>(QStringLiteral("ExistingMasksGB"))->title(),
             QStringLiteral("Existing Masks"));
    QCOMPARE(dialog->AddBtn->text(), QStringLiteral("&Add Mask"));
    QCOMPARE(dialog->RemoveBtn->text(), QStringLiteral("&Remove Mask"));
    QCOMPARE(dialog->OkBtn->text(), QStringLiteral("&OK"));
    QCOMPARE(dialog->CancelBtn->text(), QStringLiteral("&Cancel"));

    ShowAndWait(*dialog);
    QCOMPARE(dialog->size(), QSize(384, 438));
    // Every help line is shown whole: wrapped lines get the height they need.
    for (const QLabel* label : group->findChildren<QLabel*>()) {
        QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                 qPrintable(label->text()));
    }
    QVERIFY(
        dialog->grab().save(qm::test::ShotPath(folders ? QStringLiteral("exclude-folder-mask.png")
                                                       : QStringLiteral("exclude-file-mask.png"))));
}

QTEST_MAIN(MaskListFormTest)
#include "MaskListFormTest.moc"
