// Times the results tree with a view attached and shown: filling it from 100,000 lines (and from a
// structured duplicate list), Mark all, Unmark all, and Mark all with every set expanded.
// Run with QT_QPA_PLATFORM=offscreen on a machine without a display. Optional argument: rows.

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "engine/FileRecords.h"
#include "platform/Locale.h"

namespace {

double Time(QApplication& app, const auto& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    app.processEvents();  // the repaint belongs to the step
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::stoi(argv[1]) : 100000;
    const auto locale = qm::platform::CreateLocale("en_US");

    // Sets of two to four files, eight extensions, realistic path lengths.
    const char* extensions[] = {"jpg", "png", "doc", "pdf", "mp3", "txt", "zip", "dat"};
    std::vector<std::string> lines;
    qm::engine::DuplicateList list;
    lines.reserve(static_cast<std::size_t>(rows));
    list.reserve(static_cast<std::size_t>(rows));
    int group = 0;
    for (int i = 0; i < rows;) {
        ++group;
        const int setSize = 2 + group % 3;
        const char* ext = extensions[(group / 1000) % 8];
        for (int k = 0; k < setSize && i < rows; ++k, ++i) {
            qm::engine::DuplicateEntry e;
            e.group = group;
            e.path = "/home/user/collection/folder" + std::to_string(k) + "/sub" +
                     std::to_string(group % 97) + "/file" + std::to_string(group) + "." + ext;
            e.extensionKey = qm::engine::ExtensionKey(e.path);
            e.size = 1000 + group;
            e.lastWrite = 1700000000LL * 1000000000LL;
            lines.push_back(
                qm::engine::DuplicateLineText(e, qm::engine::Method::SizeOnly, *locale));
            list.push_back(std::move(e));
        }
    }
    const auto fields = qm::engine::FieldNumbersOf(qm::engine::Method::SizeOnly);

    qm::app::DupeTreeModel model(*locale);
    qm::app::DupeTreeView view(&model);
    view.resize(1000, 700);
    view.show();
    app.processEvents();

    const double fillLines = Time(app, [&] { model.PopulateResultsTree(lines, fields); });
    const double markAll = Time(app, [&] { model.MarkAll(); });
    const double unMarkAll = Time(app, [&] { model.UnMarkAll(); });
    const double fillList =
        Time(app, [&] { model.PopulateResultsTree(list, qm::engine::Method::SizeOnly); });
    const double expandAll = Time(app, [&] { view.ExpandNodesBtnClick(); });
    const double markAllExpanded = Time(app, [&] { model.MarkAll(); });
    const double unMarkAllExpanded = Time(app, [&] { model.UnMarkAll(); });
    const double refill = Time(app, [&] { model.PopulateResultsTree(lines, fields); });

    std::printf("results tree, %d rows in %d sets (%zu nodes), view shown\n", rows, group,
                model.Tree().NodeCount());
    std::printf("  fill from text lines           %8.1f ms\n", fillLines);
    std::printf("  Mark all                       %8.1f ms\n", markAll);
    std::printf("  Unmark all                     %8.1f ms\n", unMarkAll);
    std::printf("  fill from duplicate list       %8.1f ms\n", fillList);
    std::printf("  Expand all                     %8.1f ms\n", expandAll);
    std::printf("  Mark all, everything expanded  %8.1f ms\n", markAllExpanded);
    std::printf("  Unmark all, everything expanded%8.1f ms\n", unMarkAllExpanded);
    std::printf("  refill over an expanded tree   %8.1f ms\n", refill);
    return 0;
}
