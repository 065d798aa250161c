#pragma once

// A main window showing the results of a real search over a temporary tree, and the pictures the
// preview tests put into such trees.

#include <QBuffer>
#include <QImage>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <string>

#include "app/mainform/MainForm.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "results/ResultTree.h"

namespace qm::test {

// Searches root for duplicates of every file ("*.*", contents only); true when the results view
// shows.
inline bool SearchAll(app::TfrmMain& w, const std::string& root) {
    w.AddSearchPath(root);
    w.ClearAllFiltersBtnClick();
    for (std::size_t row = 0; row < w.FilterTable().Count(); ++row) {
        if (w.FilterTable().Row(row).mask == "*.*") {
            w.FilterSG->item(static_cast<int>(row), 0)->setCheckState(Qt::Checked);
        }
    }
    w.SetFCMItemIndex(0);
    if (!w.SearchBtn->isEnabled()) {
        return false;
    }
    QTest::mouseClick(w.SearchBtn, Qt::LeftButton);
    return w.SearchResultsPanel->isVisible();
}

// The node of the file row whose full path is path; kNoNode when there is none.
inline results::ResultTree::NodeId NodeOfPath(const app::TfrmMain& w, const std::string& path) {
    const results::ResultTree& tree = w.DupeModel()->Tree();
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        const auto id = static_cast<results::ResultTree::NodeId>(i);
        if (tree.At(id).level >= 1 && tree.At(id).entry.FullPath() == path) {
            return id;
        }
    }
    return results::ResultTree::kNoNode;
}

// The root row of key ("*.JPG").
inline results::ResultTree::NodeId RootOfKey(const app::TfrmMain& w, const std::string& key) {
    const results::ResultTree& tree = w.DupeModel()->Tree();
    for (std::uint32_t row = 0; row < tree.RootCount(); ++row) {
        if (tree.At(tree.Root(row)).entry.Key == key) {
            return tree.Root(row);
        }
    }
    return results::ResultTree::kNoNode;
}

// Gives a row the focus and selects it, as a click does.
inline void FocusRow(app::TfrmMain& w, results::ResultTree::NodeId node) {
    const QModelIndex index = w.DupeModel()->IndexOf(node, 0);
    if (index.parent().isValid()) {
        w.DupeTV->expand(index.parent());
    }
    w.DupeTV->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// The bytes of image saved in format ("jpg", "png", ...).
inline std::string ImageBytes(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes.toStdString();
}

// A picture of two halves, so that a test can tell where it was drawn: left colour, right colour.
inline QImage TwoHalves(QSize size, QColor left, QColor right) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = size.width() / 2; x < size.width(); ++x) {
            image.setPixelColor(x, y, right);
        }
    }
    return image;
}

}  // namespace qm::test
