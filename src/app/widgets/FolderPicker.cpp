#include "app/widgets/FolderPicker.h"

#include <QEvent>
#include <QFileSystemModel>
#include <QListWidgetItem>
#include <QPushButton>
#include <filesystem>
#include <functional>
#include <system_error>

#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/QtText.h"
#include "app/widgets/StatusMarkup.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "foundation/Globals.h"

namespace qm::app {

namespace {

bool FolderExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(std::filesystem::path(path), error);
}

// The tree's form of a listed folder: no final separator except for the root.
QString NodeFormOf(const std::string& path) {
    return PathText(foundation::RemoveTrailingBackslash(path));
}

}  // namespace

FolderPicker::FolderPicker(const platform::Locale& locale, QWidget* parent)
    : QObject(parent),
      m_paths(locale, &FolderExists),
      m_model(new CheckableFolderModel(this)),
      m_tree(new FolderTreeView(parent)),
      m_list(new PathListBox(parent)),
      m_removeButton(new QPushButton(tr("&Remove Folder"), parent)),
      m_clearButton(new QPushButton(tr("&Clear All Folders"), parent)) {
    m_tree->setModel(m_model);
    m_removeButton->setEnabled(false);
    connect(m_model, &CheckableFolderModel::CheckBoxChanged, this, &FolderPicker::NodeTicked);
    m_list->viewport()->installEventFilter(this);
}

bool FolderPicker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched == m_list->viewport()) {
        // The list moves its highlight on this same release; report once it has.
        QMetaObject::invokeMethod(this, "ListClicked", Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

QModelIndex FolderPicker::LocateNode(const std::string& path) const {
    return m_model->LocateNode(NodeFormOf(path));
}

void FolderPicker::SelectNode(const QModelIndex& node) {
    m_tree->setCurrentIndex(node);
}

std::string FolderPicker::HighlightedPath() const {
    const int row = m_list->HighlightedRow();
    if (row < 0) {
        return {};
    }
    return m_list->item(row)->data(Qt::UserRole).toByteArray().toStdString();
}

void FolderPicker::HighlightPath(const std::string& path) {
    if (const std::optional<std::size_t> index = m_paths.IndexOf(path)) {
        m_list->setCurrentRow(static_cast<int>(*index));
    }
}

void FolderPicker::RefreshList() {
    const std::string highlighted = HighlightedPath();
    m_list->clear();
    for (const std::string& path : m_paths.Paths()) {
        auto* item = new QListWidgetItem(PathText(path), m_list);
        item->setData(Qt::UserRole, QByteArray::fromStdString(path));
    }
    if (!highlighted.empty()) {
        HighlightPath(highlighted);
    }
    FitHorizontalExtent(*m_list, -1);
}

void FolderPicker::ListCursorRule() {
    if (m_list->HighlightedRow() < 0 && m_list->count() > 0) {
        m_list->setCurrentRow(0);
    }
    m_removeButton->setEnabled(m_list->HighlightedRow() >= 0);
}

bool FolderPicker::AddPath(const std::string& path) {
    if (!FolderExists(path)) {
        return false;
    }
    const bool added = m_paths.Add(path);
    if (added) {
        m_model->MarkFolder(NodeFormOf(path), true);
        RefreshList();
        emit ListChanged();
    }
    ListCursorRule();
    return added;
}

void FolderPicker::RemovePath(const std::string& path) {
    if (m_paths.Remove(path)) {
        m_model->MarkFolder(NodeFormOf(path), false);
        RefreshList();
        emit ListChanged();
    }
    ListCursorRule();
}

void FolderPicker::ListAndSelect(const std::string& path) {
    SelectNode(LocateNode(path));
    AddPath(path);
    HighlightPath(path);
}

void FolderPicker::ClearListAndMarks() {
    m_tree->setUpdatesEnabled(false);
    // The walk over the ticked nodes leaves the last of them current.
    for (const QString& ticked : m_model->TickedPaths()) {
        const QModelIndex node = m_model->LocateNode(ticked);
        if (node.isValid()) {
            SelectNode(node);
        }
    }
    m_model->ClearMarks();
    m_tree->setUpdatesEnabled(true);
    const bool hadEntries = !m_paths.Empty();
    m_paths.Clear();
    RefreshList();
    if (hadEntries) {
        emit ListChanged();
    }
}

void FolderPicker::RestorePaths(const std::vector<std::string>& paths) {
    ClearListAndMarks();
    m_tree->setUpdatesEnabled(false);
    for (const std::string& path : paths) {
        if (FolderExists(path)) {
            ListAndSelect(path);
        }
    }
    m_tree->setUpdatesEnabled(true);
}

void FolderPicker::DropFolders(const QStringList& names) {
    for (const QString& name : names) {
        const std::string path = foundation::AddTrailingBackslash(PathBytes(name));
        if (FolderExists(path) && !m_paths.IndexOf(path)) {
            ListAndSelect(path);
        }
    }
}

void FolderPicker::NodeTickChanged(const QModelIndex& node, bool ticked) {
    if (!node.isValid()) {
        return;
    }
    const QPersistentModelIndex keep(node);
    SelectNode(keep);
    SetNodeBold(keep, ticked);
    const QString nodePath = m_model->NodePath(keep);
    if (nodePath.isEmpty()) {
        return;
    }
    const std::string path = foundation::AddTrailingBackslash(PathBytes(nodePath));
    if (IsNodeTicked(keep)) {
        AddPath(path);
        HighlightPath(path);
    } else {
        RemovePath(path);
    }
}

void FolderPicker::RemoveHighlighted() {
    const std::string entry = HighlightedPath();
    if (entry.empty()) {
        m_removeButton->setEnabled(false);
        return;
    }
    // A folder the tree cannot locate (gone from disk) leaves no current node, and its entry goes
    // all the same: nothing else could remove it but Clear All Folders.
    SelectNode(LocateNode(entry));
    RemovePath(entry);
}

void FolderPicker::ClearAll() {
    ClearListAndMarks();
    ListCursorRule();
}

std::optional<std::string> FolderPicker::CheckHighlighted() {
    const std::string entry = HighlightedPath();
    m_removeButton->setEnabled(!entry.empty());
    if (entry.empty() || FolderExists(entry)) {
        return std::nullopt;
    }
    return entry;
}

QList<StatusPart> MissingFolderStatus(const std::string& path) {
    return {{QStringLiteral("Path <B>"), false},
            {PathText(path), true},
            {QStringLiteral("</B> does not exist."), false}};
}

void FolderPicker::PruneSpecialFolders() {
    // The shell's virtual folders ("My Documents", "Desktop", ...) are pruned from the nodes the
    // tree holds now, from the last to the first. A real folder is never hidden, whatever its
    // name: ~/Desktop and ~/Documents stay choosable.
    const std::function<void(const QModelIndex&)> visit = [&](const QModelIndex& parent) {
        for (int row = m_model->rowCount(parent) - 1; row >= 0; --row) {
            const QModelIndex node = m_model->index(row, 0, parent);
            visit(node);
            const bool realFolder = m_model->FileSystemModel()->isDir(m_model->mapToSource(node));
            if (scope::ShouldPruneFolderNode(PathBytes(node.data().toString()), realFolder)) {
                m_tree->setRowHidden(row, parent, true);
            }
        }
    };
    visit(QModelIndex());
}

}  // namespace qm::app
