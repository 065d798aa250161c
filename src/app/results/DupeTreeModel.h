#pragma once

#include <QAbstractItemModel>
#include <QColor>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/FileRecords.h"
#include "results/BlockedFolderRule.h"
#include "results/Marking.h"
#include "results/ResultLine.h"
#include "results/ResultTree.h"
#include "results/ResultsHost.h"
#include "results/TreeColors.h"

namespace qm::platform {
class Locale;
}

namespace qm::app {

// A colour of the results layer as Qt paints it.
QColor ToQColor(results::RgbColor rgb);

// The model of the results tree DupeTV: a virtual tree over the results layer's records. Rows
// hold nothing but their node id; every text, colour and font is produced in data() from the
// TEntry. Check states are domain state (ResultTree::Node::checked). A fill is one model reset;
// bulk marking notifies views with one batch of dataChanged or, past a few ranges, one layout
// change, never one signal per row.
class DupeTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    using NodeId = results::ResultTree::NodeId;

    // Extra roles for the window and tests.
    enum Role {
        NodeIdRole = Qt::UserRole + 100,  // quint32 node id
        StatusRole,                       // int EntryStatus
        LevelRole,                        // int 0 root, 1 set head, 2 other file of a set
    };

    // locale formats the sizes; it must outlive the model.
    explicit DupeTreeModel(const platform::Locale& locale, QObject* parent = nullptr);

    // Where status texts, progress, yields and the marked-file commands go. Not owned; null
    // (the default) means nowhere.
    void SetHost(results::ResultsHost* host);
    results::ResultsHost& Host() const;

    // The blocked-folder rule used by the fill, the blocked-file check and Mark all.
    void SetBlockedRule(results::BlockedFolderRule rule);

    // Fills the tree (see results::PopulateResultsTree); the old content stays visible until the
    // new one replaces it in one reset. False, and nothing changed, for an empty list or when
    // the host asks for an abort. A search's list comes with its method, so that the rows know
    // whether their sets were found by content (a copy is then removed only while another stays).
    bool PopulateResultsTree(const engine::DuplicateList& list, engine::Method method);
    bool PopulateResultsTree(const std::vector<std::string>& lines,
                             const engine::FieldNumbers& fields);
    // The rows of a results file as read: their fields are already apart, so a path may hold "|".
    bool PopulateResultsTree(const std::vector<results::ResultLine>& lines);
    // Empties the tree (a search starts); the band toggle survives.
    void Clear();

    const results::ResultTree& Tree() const { return m_tree; }
    NodeId NodeOf(const QModelIndex& index) const;  // kNoNode for an invalid index
    QModelIndex IndexOf(NodeId node, int column = 0) const;

    // While files are being deleted or moved, no check box and no marking command may change the
    // tree: a box checked behind the walk would be acted on without the questions. Nor may a fill
    // or Clear replace the rows the walk is going over. Locked, they all change nothing.
    void SetMarksLocked(bool locked) { m_marksLocked = locked; }
    bool MarksLocked() const { return m_marksLocked; }

    // What a delete or move made of a row, for its hint while the row is Removed or Failed: where
    // the file went, or why it was left alone. Forgotten when the tree is filled again.
    void SetOutcomeNote(NodeId node, std::string note);

    // The marking commands of the toolbar and the context menu, and the check-state refresh.
    void MarkAll();
    void UnMarkAll();
    void MarkAllInDir(NodeId selected);
    void UnMarkAllInDir(NodeId selected);
    void MarkDoubleExtension();
    void CheckBlockedFiles();
    results::MarkedStatistics DupeTVChecked();
    // A user's click on a check box; false when refused (the reason is in the status line).
    bool SetCheckedByUser(NodeId node, bool checked);

    // The statistics label text after a fill, or nullopt to keep the label (see
    // results::ShowResultStatistics).
    std::optional<std::string> ShowResultStatistics(bool listEmpty, bool loadedFromFile,
                                                    const std::string& elapsedText);

    // Any other change of records (deleting and moving set Removed and Failed): change applies
    // it, views learn of every row whose check box or status changed.
    template <class Change>
    void ModifyRecords(Change&& change) {
        const std::vector<std::uint8_t> before = Snapshot();
        change(m_tree);
        NotifyChangedSince(before);
    }

    // The colour state of the tree and its menus; setting it repaints every row.
    const results::TreeColors& Colors() const { return m_colors; }
    void SetColors(const results::TreeColors& colors);

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Ranges of changed rows above which one layout change replaces the dataChanged batch.
    static constexpr std::size_t kMaxChangedRanges = 64;

signals:
    // A fill replaced the content (after the reset).
    void Filled();

private:
    std::vector<std::uint8_t> Snapshot() const;
    void NotifyChangedSince(const std::vector<std::uint8_t>& before);
    void NotifyAllRows(const QList<int>& roles);
    bool SwapIn(results::ResultTree& fresh, bool filled);

    const platform::Locale& m_locale;
    results::ResultsHost* m_host = nullptr;
    results::BlockedFolderRule m_blocked;
    results::TreeColors m_colors;
    results::ResultTree m_tree;
    bool m_marksLocked = false;
    std::unordered_map<NodeId, std::string> m_outcomeNotes;
};

}  // namespace qm::app
