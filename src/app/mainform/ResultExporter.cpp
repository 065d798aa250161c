#include "app/mainform/ResultExporter.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <algorithm>
#include <cctype>
#include <exception>
#include <optional>

#include "app/dialogs/FileChooser.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/QtText.h"
#include "engine/YieldingWork.h"
#include "foundation/Globals.h"
#include "foundation/Prompter.h"
#include "platform/Locale.h"

namespace qm::app {

namespace {

using storage::ExportFormat;

const std::array<ExportMenuEntry, 4> kEntries = {{
    {ExportFormat::Csv, "Export To &CSV File", "ExportMenuCSVItem",
     "CSV File (*.csv)|*.csv|All Files(*.*)|*.*", "CSV"},
    {ExportFormat::Html, "Export To &HTML File", "ExportMenuHTMLItem",
     "HTML File (*.htm)|*.htm|All Files(*.*)|*.*", "HTM"},
    {ExportFormat::Rtf, "Export To &Rich Text Format (RTF/Document) File", "ExportMenuRTFItem",
     "Rich Text Files (*.RTF)|*.RTF|All Files(*.*)|*.*", "RTF"},
    {ExportFormat::Text, "Export To &Text File", "ExportMenuTextItem",
     "Text Files (*.Txt)|*.Txt|All Files(*.*)|*.*", "Txt"},
}};

std::size_t EntryIndex(ExportFormat format) {
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (kEntries[i].format == format) {
            return i;
        }
    }
    return 0;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

const std::array<ExportMenuEntry, 4>& ExportMenuEntries() {
    return kEntries;
}

const ExportMenuEntry& ExportMenuEntryOf(ExportFormat format) {
    return kEntries[EntryIndex(format)];
}

std::string OfferedExportName(const std::string& lastName, ExportFormat format) {
    const std::size_t nameStart = lastName.rfind(foundation::kPathDelim);
    const std::size_t dot = lastName.rfind('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart) ||
        dot == (nameStart == std::string::npos ? 0 : nameStart + 1)) {
        return lastName;  // no extension (a leading dot starts a hidden name, not an extension)
    }
    const std::string extension = Lower(lastName.substr(dot + 1));
    const bool exportExtension = std::any_of(kEntries.begin(), kEntries.end(),
                                             [&](const ExportMenuEntry& entry) {
                                                 return Lower(entry.defaultExtension) == extension;
                                             }) ||
                                 extension == "html";
    if (!exportExtension) {
        return lastName;
    }
    return lastName.substr(0, dot + 1) + Lower(ExportMenuEntryOf(format).defaultExtension);
}

ResultExporter::ResultExporter(DupeTreeView& view, WindowHost& host, foundation::Prompter& prompter,
                               FileChooser& chooser, const platform::Locale& locale,
                               QWidget* menuParent)
    : QObject(menuParent),
      m_view(view),
      m_host(host),
      m_prompter(prompter),
      m_chooser(&chooser),
      m_locale(locale),
      m_menu(new QMenu(menuParent)) {
    m_menu->setObjectName(QStringLiteral("ExportMenu"));
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        m_items[i] = m_menu->addAction(QString::fromLatin1(kEntries[i].caption));
        m_items[i]->setObjectName(QLatin1String(kEntries[i].objectName));
    }
}

QAction* ResultExporter::Item(ExportFormat format) const {
    return m_items[EntryIndex(format)];
}

std::vector<storage::ExportColumn> ResultExporter::VisibleColumns() const {
    const QHeaderView* header = m_view.header();
    const QAbstractItemModel* model = m_view.model();
    std::vector<storage::ExportColumn> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= results::kDupeColumnCount ||
            header->isSectionHidden(logical)) {
            continue;
        }
        columns.push_back(
            {static_cast<results::DupeColumn>(logical),
             model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString().toStdString()});
    }
    return columns;
}

void ResultExporter::Export(ExportFormat format) {
    if (m_busy) {
        return;
    }
    const ExportMenuEntry& entry = ExportMenuEntryOf(format);
    FileChoice choice;
    choice.title = kExportDialogTitle;
    choice.filter = entry.filter;
    choice.defaultExtension = entry.defaultExtension;
    choice.folder = m_startFolder;
    choice.fileName = OfferedExportName(m_lastFileName, format);
    choice.confirmOverwrite = true;
    const std::optional<std::string> path = m_chooser->ChooseSaveFile(choice);
    if (!path) {
        return;
    }
    m_lastFileName = *path;

    m_busy = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    std::optional<std::string> failure;
    try {
        const std::vector<storage::ExportColumn> columns = VisibleColumns();
        const results::ResultTree& tree = m_view.Model()->Tree();
        // Only a fill replaces the tree's rows, and none starts while this runs; marking changes
        // no text that is exported.
        engine::RunWhileYielding(
            m_host, tree.NodeCount(), m_locale, [&](const platform::Locale& locale) {
                storage::WriteExport(*path, storage::ExportDocumentOf(tree, columns, locale),
                                     format);
            });
    } catch (const std::exception& error) {
        failure = error.what();
    }
    QApplication::restoreOverrideCursor();
    m_busy = false;
    if (failure) {
        m_prompter.ShowError(*failure);
    }
}

}  // namespace qm::app
