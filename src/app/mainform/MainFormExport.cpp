// TfrmMain: the export menu of the results toolbar. ResultExporter owns the menu, its dialog and
// the export; the handlers dispatch.
#include <QAction>
#include <QToolButton>

#include "app/mainform/MainForm.h"
#include "app/mainform/ResultExporter.h"
#include "app/mainform/ResultsFileCommands.h"
#include "app/results/DupeTreeMenus.h"
#include "app/results/DupeTreeView.h"
#include "platform/Locale.h"

namespace qm::app {

using storage::ExportFormat;

void TfrmMain::ConnectExport() {
    m_exporter =
        new ResultExporter(*DupeTV, *m_host, *m_prompter, Chooser(), platform::UserLocale(), this);
    m_exporter->SetStartFolder(m_resultsFiles->StartFolder());
    ExportMenu = m_exporter->ExportMenu();
    ExportMenuCSVItem = m_exporter->Item(ExportFormat::Csv);
    ExportMenuHTMLItem = m_exporter->Item(ExportFormat::Html);
    ExportMenuRTFItem = m_exporter->Item(ExportFormat::Rtf);
    ExportMenuTextItem = m_exporter->Item(ExportFormat::Text);

    connect(ExportBtn, &QToolButton::clicked, this, &TfrmMain::ExportBtnClick);
    connect(ExportMenuCSVItem, &QAction::triggered, this, &TfrmMain::ExportMenuCSVItemClick);
    connect(ExportMenuHTMLItem, &QAction::triggered, this, &TfrmMain::ExportMenuHTMLItemClick);
    connect(ExportMenuRTFItem, &QAction::triggered, this, &TfrmMain::ExportMenuRTFItemClick);
    connect(ExportMenuTextItem, &QAction::triggered, this, &TfrmMain::ExportMenuTextItemClick);
}

void TfrmMain::ExportBtnClick() {
    DupeTreeMenus::PopupBelow(ExportMenu, ExportBtn);
}

void TfrmMain::ExportMenuCSVItemClick() {
    RunExport(ExportFormat::Csv);
}

void TfrmMain::ExportMenuHTMLItemClick() {
    RunExport(ExportFormat::Html);
}

void TfrmMain::ExportMenuRTFItemClick() {
    RunExport(ExportFormat::Rtf);
}

void TfrmMain::ExportMenuTextItemClick() {
    RunExport(ExportFormat::Text);
}

void TfrmMain::RunExport(ExportFormat format) {
    if (m_searchRunning || ResultsCommandRunning()) {
        return;
    }
    m_exporter->Export(format);
    CloseIfPending();
}

}  // namespace qm::app
