// The search settings value and the window's controls: one maps to the other and back.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/mainform/MainForm.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "support/ScriptedPrompter.h"

using qm::app::TfrmMain;
using qm::scope::SearchSettings;

class MainFormSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void FreshWindowShowsTheInitialValue();
    void SettingsGoThroughTheControlsUnchanged();
};

void MainFormSettingsTest::FreshWindowShowsTheInitialValue() {
    qm::test::ScriptedPrompter prompter;
    TfrmMain window(&prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SearchSettings expected;
    expected.filters = qm::scope::DefaultFilters();
    QCOMPARE(window.CurrentSettings(), expected);
}

void MainFormSettingsTest::SettingsGoThroughTheControlsUnchanged() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir(dir.path()).mkpath(QStringLiteral("b/c"));
    const std::string root = QFile::encodeName(dir.path()).toStdString();
    qm::test::ScriptedPrompter prompter;
    TfrmMain window(&prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SearchSettings settings;
    settings.searchFolders = {root + "/b/", root + "/b/c/"};
    settings.filters = {{"*.txt", "Text", true}, {"old *.log", "Old logs", true}, {"*", "All"}};
    settings.filterLabelSorted = true;
    settings.minSizeText = "12";
    settings.maxSizeText = "x";
    settings.sizeUnitIndex = 0;
    settings.methodIndex = 4;
    settings.includeHidden = false;
    settings.includeSubFolders = false;
    settings.depthLimit = 7;
    settings.ignoredFolders = {"/proc/"};
    settings.ignoreSubFolders = true;
    settings.blockedFolders = {"/keep/", "/safe/"};
    settings.blockedSubFolders = true;
    settings.excludedFileMasks = {"*.tmp"};
    settings.excludedFolderMasks = {"*cache*"};
    settings.disableScreenSaver = false;
    settings.previewImages = false;

    window.ApplySettings(settings);
    QCOMPARE(window.CurrentSettings(), settings);
    // What the controls show.
    QCOMPARE(window.PathLB->count(), 2);
    QVERIFY(qm::app::IsNodeTicked(window.FolderModel()->LocateNode(dir.path() + "/b/c")));
    QCOMPARE(window.FilterLbl->text(), QStringLiteral("*.log, *.txt, old"));
    QVERIFY(!window.DepthEdit->isEnabled());
    QVERIFY(!window.DisableSSItem->isChecked());
    QVERIFY(window.SearchBtn->isEnabled());
    // A search reads what the label shows.
    QCOMPARE(window.CurrentCriteria().fileMaskText, std::string("*.log, *.txt, old"));
    QCOMPARE(window.CurrentCriteria().method, qm::engine::Method::ContentsAndName);

    // Back to the first value: every control follows.
    const SearchSettings fresh;
    window.ApplySettings(fresh);
    QCOMPARE(window.CurrentSettings(), fresh);
    QVERIFY(window.FolderModel()->TickedPaths().isEmpty());
    QVERIFY(window.DepthEdit->isEnabled());
    QVERIFY(!window.SearchBtn->isEnabled());
    QCOMPARE(prompter.unexpected, 0);
}

QTEST_MAIN(MainFormSettingsTest)
#include "MainFormSettingsTest.moc"
