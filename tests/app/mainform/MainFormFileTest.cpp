// The settings files of the main window: Default.ini at start and close, the File menu's open and
// save commands, the recent-files list and its store, and quillmere-scan on a file the window
// wrote. Every window here is handed its own settings folder and store in a temporary folder.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ScriptedFileChooser.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/SettingsFileCommands.h"
#include "app/results/DupeTreeModel.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/PathListBox.h"
#include "foundation/Globals.h"
#include "platform/Locale.h"
#include "storage/SettingsFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::SettingsOrigin;
using qm::app::SettingsPlaces;
using qm::app::TfrmMain;
using qm::scope::FilterRow;
using qm::scope::SearchSettings;
using qm::test::Content;
using qm::test::ScriptedFileChooser;
using qm::test::ScriptedPrompter;
using qm::test::TempTree;

namespace {

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString Text(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// A settings folder and a recent-files store of their own, in a temporary folder.
class OwnPlaces {
public:
    OwnPlaces() {
        QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
        QDir(m_dir.path()).mkpath(QStringLiteral("store"));
    }
    SettingsPlaces Places() const { return {Bytes(SettingsFolder()), StorePath()}; }
    QString SettingsFolder() const { return m_dir.path() + QStringLiteral("/settings/"); }
    QString DefaultIni() const { return SettingsFolder() + QStringLiteral("Default.ini"); }
    QString StorePath() const { return m_dir.path() + QStringLiteral("/store/Quillmere.conf"); }
    QString Path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

// A shown window with its own places, prompter and file dialogs.
struct ShownWindow {
    OwnPlaces own;
    ScriptedPrompter prompter;
    ScriptedFileChooser dialogs;
    std::unique_ptr<TfrmMain> window;

    ShownWindow() : window(std::make_unique<TfrmMain>(own.Places(), &prompter)) {
        window->SetFileChooser(&dialogs);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qFatal("the window does not show");
        }
    }
};

// Settings unlike a fresh window's in every field, over folders of root (which must hold "a/"
// and "b/"). Lists are given in the order the window keeps them.
SearchSettings Sample(const std::string& root) {
    SearchSettings s;
    s.searchFolders = {root + "a/", root + "b/"};
    s.filters = {
        {"*.doc", "Documents", false}, {"*.jpg", "Pictures", true}, {"*.txt", "Text", true}};
    s.minSizeText = "12";
    s.maxSizeText = "900";
    s.sizeUnitIndex = 2;
    s.methodIndex = 3;
    s.includeHidden = false;
    s.includeSubFolders = false;
    s.depthLimit = 9;
    s.ignoredFolders = {root + "a/skip/"};
    s.ignoreSubFolders = true;
    s.blockedFolders = {"/keep/", "/safe/"};
    s.blockedSubFolders = true;
    s.excludedFileMasks = {"*.bak", "*.tmp"};
    s.excludedFolderMasks = {"*cache*"};
    s.disableScreenSaver = false;
    s.previewImages = false;
    return s;
}

std::vector<std::string> MenuTexts(const QMenu* menu) {
    std::vector<std::string> texts;
    for (const QAction* action : menu->actions()) {
        texts.push_back(action->text().toStdString() + (action->isEnabled() ? "" : " (disabled)"));
    }
    return texts;
}

QAction* RecentItem(const TfrmMain& window, int index) {
    const QList<QAction*> actions = window.MRUList->actions();
    return index < actions.size() ? actions[index] : nullptr;
}

// The duplicate sets of the results tree, each as the set of its full paths.
std::set<std::set<std::string>> SetsOf(const TfrmMain& window) {
    std::set<std::set<std::string>> sets;
    std::set<std::string> current;
    for (const auto& node : window.DupeModel()->Tree().Nodes()) {
        if (node.level == 1) {
            if (!current.empty()) {
                sets.insert(current);
            }
            current = {node.entry.FullPath()};
        } else if (node.level == 2) {
            current.insert(node.entry.FullPath());
        }
    }
    if (!current.empty()) {
        sets.insert(current);
    }
    return sets;
}

// quillmere-scan's text output: one path per line, a blank line between sets.
std::set<std::set<std::string>> SetsOfScanText(const QByteArray& text) {
    std::set<std::set<std::string>> sets;
    std::set<std::string> current;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty()) {
            if (!current.empty()) {
                sets.insert(current);
            }
            current.clear();
        } else {
            current.insert(line.toStdString());
        }
    }
    if (!current.empty()) {
        sets.insert(current);
    }
    return sets;
}

}  // namespace

class MainFormFileTest : public QObject {
    Q_OBJECT
private slots:
    void FreshStartWithoutDefaultIni();
    void CloseAndRestartRestoreEverything();
    void MaximisedWindowComesBackAtTheDefaultPlace();
    void OpenAndSaveThroughTheMenu();
    void AShortFileGivesItsDefaultsAndClamps();
    void RecentFiles();
    void RecentFilesStore();
    void UnwritableDefaultIniAtClose();
    void UnreadableDefaultIniAtStart();
    void QuillmereScanSearchesAsTheWindowDoes();
};

void MainFormFileTest::FreshStartWithoutDefaultIni() {
    OwnPlaces own;
    ScriptedPrompter prompter;
    TfrmMain window(own.Places(), &prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Every control in its starting state, the default filters none ticked.
    SearchSettings expected;
    expected.filters = qm::scope::DefaultFilters();
    QCOMPARE(window.CurrentSettings(), expected);
    QCOMPARE(window.FilterTable().Rows().size(), std::size_t{15});
    QCOMPARE(window.FilterLbl->text(), QStringLiteral("[None Selected]"));
    QCOMPARE(window.FilterGridRow(), 1);  // the "*.*" row
    QVERIFY(window.EditFilterBtn->isEnabled());
    QVERIFY(!window.SearchBtn->isEnabled());
    QCOMPARE(window.MinSizeCB->currentText(), QStringLiteral("Kilo Bytes"));
    QVERIFY(window.DepthEdit->isEnabled());
    QVERIFY(window.DisableSSItem->isChecked());
    QVERIFY(window.PreviewImageCB->isChecked());
    QCOMPARE(window.PathLB->count(), 0);
    QVERIFY(window.OptionsPanel->isVisible());
    QVERIFY(!window.SearchResultsPanel->isVisible());
    QCOMPARE(window.windowTitle(),
             QStringLiteral("Quillmere v") +
                 QString::fromStdString(qm::foundation::GetFileVersionText()));
    QCOMPARE(MenuTexts(window.MRUList), (std::vector<std::string>{"(None) (disabled)"}));
    QVERIFY(prompter.errors.empty() && prompter.messages.empty());
    // Starting reads; it writes nothing.
    QVERIFY(!QFile::exists(own.DefaultIni()));
    QVERIFY(QDir(own.SettingsFolder()).isEmpty());
}

void MainFormFileTest::CloseAndRestartRestoreEverything() {
    TempTree tree{
        {"a/skip/", qm::test::Folder()}, {"b/", qm::test::Folder()}, {"c/d/", qm::test::Folder()}};
    OwnPlaces own;
    const SearchSettings settings = Sample(tree.Root());
    {
        ScriptedPrompter prompter;
        TfrmMain window(own.Places(), &prompter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.ApplySettings(settings);
        window.move(37, 41);
        window.resize(851, 612);
        // The folder the tree shows as current.
        const QModelIndex active = window.FolderModel()->LocateNode(Text(tree.Path("c/d")));
        QVERIFY(active.isValid());
        window.DirLB->setCurrentIndex(active);
        QVERIFY(window.close());
        QVERIFY(prompter.errors.empty());
    }
    QVERIFY(QFile::exists(own.DefaultIni()));

    ScriptedPrompter prompter;
    TfrmMain window(own.Places(), &prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.CurrentSettings(), settings);
    QCOMPARE(window.pos(), QPoint(37, 41));
    QCOMPARE(window.size(), QSize(851, 612));
    QCOMPARE(window.FolderModel()->NodePath(window.DirLB->currentIndex()), Text(tree.Path("c/d")));
    // What the controls show of it.
    QCOMPARE(window.FilterLbl->text(), QStringLiteral("*.jpg, *.txt"));
    QCOMPARE(window.MinSizeCB->currentText(), QStringLiteral("Mega Bytes"));
    QVERIFY(!window.DepthEdit->isEnabled());
    QVERIFY(!window.DisableSSItem->isChecked());
    QVERIFY(window.SearchBtn->isEnabled());
    QCOMPARE(window.PathLB->currentRow(), 0);
    QVERIFY(window.RemoveDirBtn->isEnabled());
    QCOMPARE(window.FilterGridRow(), 1);  // no global filter: the first row
    QVERIFY(prompter.errors.empty());

    // A search folder that has gone since is dropped silently.
    tree.Remove("b");
    TfrmMain again(own.Places(), &prompter);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.SearchPaths(), std::vector<std::string>{tree.Path("a/")});
    QVERIFY(prompter.errors.empty());
}

void MainFormFileTest::MaximisedWindowComesBackAtTheDefaultPlace() {
    OwnPlaces own;
    ScriptedPrompter prompter;
    {
        TfrmMain window(own.Places(), &prompter);
        window.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.isMaximized());
        QVERIFY(window.close());
    }
    QVERIFY(!ReadText(own.DefaultIni()).contains(QStringLiteral("[Display]")));
    TfrmMain window(own.Places(), &prompter);
    window.move(200, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.pos(), QPoint(0, 0));
    QCOMPARE(window.size(), QSize(900, 660));
    QVERIFY(prompter.errors.empty());
}

void MainFormFileTest::OpenAndSaveThroughTheMenu() {
    TempTree tree{{"a/skip/", qm::test::Folder()}, {"b/", qm::test::Folder()}};
    ShownWindow shown;
    TfrmMain& window = *shown.window;
    const OwnPlaces& own = shown.own;
    ScriptedPrompter& prompter = shown.prompter;
    ScriptedFileChooser& dialogs = shown.dialogs;
    const SearchSettings settings = Sample(tree.Root());
    window.ApplySettings(settings);
    window.move(20, 30);
    window.resize(820, 600);

    // Saving to an existing file replaces it completely; the file becomes the newest recent one.
    const QString mine = own.Path(QStringLiteral("mine.ini"));
    WriteText(mine, "[Old Section]\r\nOld Key=1\r\n");
    dialogs.Choose(Bytes(mine));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs.asked.size(), std::size_t{1});
    QVERIFY(dialogs.asked.front().save);
    const qm::app::FileChoice request = dialogs.asked.front().choice;
    QCOMPARE(request.title, std::string("Save Search Settings"));
    QCOMPARE(request.folder, Bytes(own.SettingsFolder()));
    QCOMPARE(request.filter, std::string("Quillmere Settings|*.ini|All Files (*.*)|*.*"));
    QCOMPARE(request.defaultExtension, std::string("ini"));
    QVERIFY(request.confirmOverwrite);
    QVERIFY(!ReadText(mine).contains(QStringLiteral("Old")));
    QCOMPARE(window.RecentFiles().Paths(), std::vector<std::string>{Bytes(mine)});
    QCOMPARE(MenuTexts(window.MRUList), std::vector<std::string>{"&1 " + Bytes(mine)});
    QCOMPARE(qm::storage::ReadSettingsFile(Bytes(mine)).search, settings);

    // Cancelling either dialog changes nothing.
    window.ApplySettings(SearchSettings{});
    window.move(60, 70);
    dialogs.Cancel();
    window.FileMenuOpenItem->trigger();
    dialogs.Cancel();
    window.FileMenuSaveItem->trigger();
    QCOMPARE(window.CurrentSettings(), SearchSettings{});
    QCOMPARE(window.pos(), QPoint(60, 70));

    // Opening brings back the settings and the window's place.
    dialogs.Choose(Bytes(mine));
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(dialogs.asked.size(), std::size_t{4});  // save, open and save cancelled, open
    QVERIFY(!dialogs.asked.back().save && !dialogs.asked[1].save && dialogs.asked[2].save);
    QCOMPARE(dialogs.asked.back().choice.title, std::string("Open Search Settings"));
    QCOMPARE(dialogs.asked.back().choice.folder, request.folder);
    QCOMPARE(dialogs.asked.back().choice.filter, request.filter);
    QCOMPARE(window.CurrentSettings(), settings);
    QCOMPARE(window.pos(), QPoint(20, 30));
    QCOMPARE(window.size(), QSize(820, 600));
    QCOMPARE(dialogs.unexpected, 0);
    QVERIFY(prompter.errors.empty() && prompter.messages.empty());

    // A folder is no settings file: nothing is read.
    const QString folderNamedIni = own.Path(QStringLiteral("folder.ini"));
    QVERIFY(QDir().mkpath(folderNamedIni));
    window.ApplySettings(SearchSettings{});
    dialogs.Choose(Bytes(folderNamedIni));
    window.FileMenuOpenItem->trigger();
    QCOMPARE(window.CurrentSettings(), SearchSettings{});
    QVERIFY(prompter.errors.empty());
    // A save that fails keeps the old file and says so.
    const QString readOnlyTarget = own.Path(QStringLiteral("target.ini"));
    QVERIFY(QDir().mkpath(readOnlyTarget));  // a folder cannot be replaced by a file
    dialogs.Choose(Bytes(readOnlyTarget));
    window.FileMenuSaveItem->trigger();
    QCOMPARE(prompter.errors,
             std::vector<std::string>{"Unable to write to " + Bytes(readOnlyTarget)});
    QVERIFY(QFileInfo(readOnlyTarget).isDir());
}

void MainFormFileTest::AShortFileGivesItsDefaultsAndClamps() {
    ShownWindow shown;
    TfrmMain& window = *shown.window;
    const OwnPlaces& own = shown.own;
    ScriptedPrompter& prompter = shown.prompter;
    ScriptedFileChooser& dialogs = shown.dialogs;
    window.move(40, 50);

    // No geometry, no filters, out-of-range indices, a stale filter caption.
    const QString path = own.Path(QStringLiteral("short.ini"));
    WriteText(path,
              "[Options]\r\n"
              "Min Size Index=7\r\n"
              "File Comparison Method=-2\r\n"
              "Sub Folder Depth=80\r\n"
              "Min Size=  5 \r\n"
              "[Search Path]\r\n"
              "0=<<<<\r\n"
              "[filter settings]\r\n"
              "Active Filter=*.stale\r\n");
    dialogs.Choose(Bytes(path));
    window.FileMenuOpenItem->trigger();
    QCOMPARE(window.MinSizeCB->currentIndex(), -1);
    QCOMPARE(window.FCMItemIndex(), -1);
    QCOMPARE(window.DepthEdit->value(), 50);
    QCOMPARE(window.MinSizeEdit->text(), QStringLiteral("5"));
    QVERIFY(!window.HasFilters());
    QCOMPARE(window.FilterLbl->text(), QStringLiteral("[None Selected]"));
    QCOMPARE(window.PathLB->count(), 0);
    QVERIFY(!window.SearchBtn->isEnabled());
    QVERIFY(!window.DisableSSItem->isChecked());  // a missing "ScreenSaver" reads as off
    QCOMPARE(window.pos(), QPoint(0, 0));
    QCOMPARE(window.size(), QSize(900, 660));

    // A place on no screen of this computer comes onto the primary screen.
    WriteText(path, "[Display]\r\nLeft=-5000\r\nTop=9000\r\nWidth=820\r\nHeight=600\r\n");
    dialogs.Choose(Bytes(path));
    window.FileMenuOpenItem->trigger();
    QCOMPARE(window.size(), QSize(820, 600));
    QCOMPARE(window.pos(), window.screen()->availableGeometry().topLeft());
    QVERIFY(prompter.errors.empty());
}

void MainFormFileTest::RecentFiles() {
    TempTree tree{{"a/skip/", qm::test::Folder()}, {"b/", qm::test::Folder()}};
    ShownWindow shown;
    TfrmMain& window = *shown.window;
    const OwnPlaces& own = shown.own;
    ScriptedPrompter& prompter = shown.prompter;
    ScriptedFileChooser& dialogs = shown.dialogs;

    // Five files saved, each with its own minimum size: the list keeps the last four.
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i) {
        SearchSettings settings = Sample(tree.Root());
        settings.minSizeText = std::to_string(i);
        window.ApplySettings(settings);
        files.push_back(Bytes(own.Path(QStringLiteral("f%1.ini").arg(i))));
        dialogs.Choose(files.back());
        window.FileMenuSaveItem->trigger();
    }
    QCOMPARE(window.RecentFiles().Paths(),
             (std::vector<std::string>{files[4], files[3], files[2], files[1]}));
    QCOMPARE(MenuTexts(window.MRUList),
             (std::vector<std::string>{"&1 " + files[4], "&2 " + files[3], "&3 " + files[2],
                                       "&4 " + files[1]}));

    // Choosing the third entry opens it and moves it to the top.
    window.ApplySettings(SearchSettings{});
    RecentItem(window, 2)->trigger();
    QCOMPARE(window.MinSizeEdit->text(), QStringLiteral("3"));
    QCOMPARE(window.SearchPaths(), Sample(tree.Root()).searchFolders);
    QCOMPARE(window.RecentFiles().Paths(),
             (std::vector<std::string>{files[2], files[4], files[3], files[1]}));

    // A recent file that was deleted: the message, nothing loaded, the entry moves to the top.
    QVERIFY(QFile::remove(Text(files[3])));
    const SearchSettings before = window.CurrentSettings();
    RecentItem(window, 2)->trigger();
    QCOMPARE(prompter.messages, std::vector<std::string>{"The recently used file \"" + files[3] +
                                                         "\" could not be located."});
    QCOMPARE(window.CurrentSettings(), before);
    QCOMPARE(window.RecentFiles().Paths(),
             (std::vector<std::string>{files[3], files[2], files[4], files[1]}));
    QCOMPARE(MenuTexts(window.MRUList).front(), "&1 " + files[3]);

    // Opening through the menu puts the file at the top as well.
    dialogs.Choose(files[0]);
    window.FileMenuOpenItem->trigger();
    QCOMPARE(window.MinSizeEdit->text(), QStringLiteral("1"));
    QCOMPARE(window.RecentFiles().Paths(),
             (std::vector<std::string>{files[0], files[3], files[2], files[4]}));
    QVERIFY(prompter.errors.empty());
    QCOMPARE(dialogs.unexpected, 0);
}

void MainFormFileTest::RecentFilesStore() {
    OwnPlaces own;
    ScriptedPrompter prompter;
    // A name that is no valid UTF-8 must come back as the same bytes.
    const std::string oddName = Bytes(own.Path(QString())) + "odd\xff\xfe.ini";
    const std::vector<std::string> paths = {oddName, Bytes(own.Path(QStringLiteral("b.ini"))),
                                            Bytes(own.Path(QStringLiteral("c & d.ini")))};
    {
        QSettings store(own.StorePath(), QSettings::NativeFormat);
        store.setValue(QStringLiteral("MRU/H0"), QStringLiteral("/stale/one.ini"));
        store.setValue(QStringLiteral("MRU/H1"), QStringLiteral("/stale/two.ini"));
        store.setValue(QStringLiteral("MRU/H2"), QString());  // the list ends here
        store.setValue(QStringLiteral("MRU/H3"), QStringLiteral("/stale/four.ini"));
    }
    {
        TfrmMain window(own.Places(), &prompter);
        // Read when the window is made, before it shows.
        QCOMPARE(window.RecentFiles().Paths(),
                 (std::vector<std::string>{"/stale/one.ini", "/stale/two.ini"}));
        window.MRUListClick("/stale/one.ini");  // gone: said, and kept
        for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
            std::ofstream(*it).put('\n');
            window.MRUListClick(*it);
        }
        QCOMPARE(window.RecentFiles().Paths(),
                 (std::vector<std::string>{paths[0], paths[1], paths[2], "/stale/one.ini"}));
        // A "&" in a path shows as itself, not as a mnemonic.
        QCOMPARE(MenuTexts(window.MRUList)[2],
                 "&3 " + Bytes(own.Path(QStringLiteral("c && d.ini"))));
    }
    // Written when the window goes: the old values replaced, "H3" of the old list included.
    {
        QSettings store(own.StorePath(), QSettings::NativeFormat);
        QCOMPARE(store.value(QStringLiteral("MRU/H3")).toString(),
                 QStringLiteral("/stale/one.ini"));
        QCOMPARE(store.value(QStringLiteral("MRU/H1")).toString(), Text(paths[1]));
    }
    TfrmMain window(own.Places(), &prompter);
    QCOMPARE(window.RecentFiles().Paths(),
             (std::vector<std::string>{paths[0], paths[1], paths[2], "/stale/one.ini"}));
    // The store keeps no more than four.
    QSettings store(own.StorePath(), QSettings::NativeFormat);
    store.beginGroup(QStringLiteral("MRU"));
    QCOMPARE(store.childKeys().size(), 4);
    // QTemporaryDir cannot name it to remove it.
    std::remove(oddName.c_str());
}

void MainFormFileTest::UnwritableDefaultIniAtClose() {
    OwnPlaces own;
    // Not even root replaces a folder by a file: a Default.ini that cannot be written.
    QVERIFY(QDir().mkpath(own.DefaultIni()));
    ScriptedPrompter prompter;
    TfrmMain window(own.Places(), &prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.FilterTable().Rows().size(), std::size_t{15});  // started with the defaults
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(prompter.errors,
             std::vector<std::string>{"Unable to write to " + Bytes(own.DefaultIni())});
    QVERIFY(QFileInfo(own.DefaultIni()).isDir());
    QCOMPARE(QDir(own.SettingsFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("Default.ini")});  // no temporary file left behind
}

void MainFormFileTest::UnreadableDefaultIniAtStart() {
    OwnPlaces own;
    // A file whose every read fails, even for root.
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), own.DefaultIni()));
    ScriptedPrompter prompter;
    TfrmMain window(own.Places(), &prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Said, and the window starts with the default filters rather than an empty table.
    QCOMPARE(prompter.errors.size(), std::size_t{1});
    QVERIFY2(prompter.errors.front().find(Bytes(own.DefaultIni())) != std::string::npos,
             prompter.errors.front().c_str());
    SearchSettings expected;
    expected.filters = qm::scope::DefaultFilters();
    QCOMPARE(window.CurrentSettings(), expected);
    QCOMPARE(window.FilterGridRow(), 1);
}

void MainFormFileTest::QuillmereScanSearchesAsTheWindowDoes() {
    TempTree tree{{"a/one.txt", Content("same text")},
                  {"a/two.txt", Content("other")},
                  {"a/skip/three.txt", Content("same text")},  // an excluded folder
                  {"a/x.dat", Content("same text")},           // no ticked filter
                  {"b/four.txt", Content("same text")},
                  {"b/five.txt", Content("other")},
                  {"b/six.txt", Content("other!")},
                  {"c/seven.txt", Content("same text")}};  // no search folder
    OwnPlaces own;
    ScriptedPrompter prompter;
    std::set<std::set<std::string>> windowSets;
    {
        TfrmMain window(own.Places(), &prompter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SearchSettings settings;
        settings.searchFolders = {tree.Path("a/"), tree.Path("b/")};
        settings.filters = {{"*.dat", "Data", false}, {"*.txt", "Text", true}};
        settings.ignoredFolders = {tree.Path("a/skip/")};
        settings.methodIndex = 0;
        window.ApplySettings(settings);
        window.SearchBtnClick();
        windowSets = SetsOf(window);
        QVERIFY(window.close());
    }
    const std::set<std::set<std::string>> expected = {
        {tree.Path("a/one.txt"), tree.Path("b/four.txt")},
        {tree.Path("a/two.txt"), tree.Path("b/five.txt")}};
    QCOMPARE(windowSets, expected);

    QProcess scan;
    scan.start(QStringLiteral(QM_SCAN_BINARY),
               {QStringLiteral("--settings"), own.DefaultIni(), QStringLiteral("--quiet")});
    QVERIFY(scan.waitForFinished(60000));
    QCOMPARE(scan.exitStatus(), QProcess::NormalExit);
    QCOMPARE(scan.exitCode(), 0);
    QCOMPARE(SetsOfScanText(scan.readAllStandardOutput()), windowSets);
}

QTEST_MAIN(MainFormFileTest)
#include "MainFormFileTest.moc"
