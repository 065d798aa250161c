// TfrmMain: saving the results tree to a results file and loading one back. ResultsFileCommands
// does the work; the window clears its abort flag, hands over the status line, switches views and
// shows the statistics when asked to.
#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include "app/dialogs/FileChooser.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/ResultExporter.h"
#include "app/mainform/ResultsFileCommands.h"
#include "app/results/MarkedFileCommands.h"
#include "app/results/DupeTreeModel.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/QtText.h"
#include "foundation/Globals.h"
#include "storage/SettingsLocation.h"

namespace qm::app {

void TfrmMain::ConnectResultsFile() {
    m_resultsFiles = new ResultsFileCommands(*m_dupeModel, *m_host, *m_prompter, Chooser(), this);
    m_resultsFiles->SetStartFolder(storage::SettingsFolder(
        foundation::AddTrailingBackslash(PathBytes(QCoreApplication::applicationDirPath()))));

    connect(SaveResultsBtn, &QToolButton::clicked, this, &TfrmMain::SaveResultsBtnClick);
    connect(LoadPreviousSearchResults1, &QAction::triggered, this,
            &TfrmMain::LoadPreviousSearchResults1Click);

    connect(m_resultsFiles, &ResultsFileCommands::LoadStarting, this, [this] {
        AbortRequested = false;  // the fill reads it
        InfoPanel->hide();
    });
    connect(m_resultsFiles, &ResultsFileCommands::LoadChosen, this, [this] {
        // The load's texts stay in panel 1 instead of the hints; a failed load gives it back.
        m_statusBeforeLoad = StatusText();
        m_hintLineBeforeLoad = m_hintLineInstalled;
        m_hintLineInstalled = false;
        m_dupeModel->SetBlockedRule(CurrentBlockedRule());
    });
    connect(m_resultsFiles, &ResultsFileCommands::LoadFailed, this, [this] {
        m_hintLineInstalled = m_hintLineBeforeLoad;
        SetStatusText(m_statusBeforeLoad);
    });
    // As after a search: the same results view (and with it the image preview's rule).
    connect(m_resultsFiles, &ResultsFileCommands::ResultsViewWanted, this,
            &TfrmMain::ShowResultsView);
    connect(m_resultsFiles, &ResultsFileCommands::StatisticsText, DupeInfoLbl, &QLabel::setText);
}

FileChooser& TfrmMain::Chooser() {
    if (m_chooser == nullptr) {
        m_ownChooser = std::make_unique<QtFileChooser>(this);
        m_chooser = m_ownChooser.get();
    }
    return *m_chooser;
}

void TfrmMain::SetFileChooser(FileChooser* chooser) {
    m_chooser = chooser;
    m_settingsFiles->SetChooser(Chooser());
    m_resultsFiles->SetChooser(Chooser());
    m_exporter->SetChooser(Chooser());
}

void TfrmMain::SetFileDialogFolder(const std::string& folder) {
    m_resultsFiles->SetStartFolder(folder);
    m_exporter->SetStartFolder(folder);
}

bool TfrmMain::ResultsCommandRunning() const {
    return m_resultsFiles->Busy() || m_exporter->Busy() || m_markedFiles->Running();
}

void TfrmMain::CloseIfPending() {
    if (m_closePending && !m_searchRunning && !ResultsCommandRunning()) {
        m_closePending = false;
        close();
    }
}

void TfrmMain::SaveResultsBtnClick() {
    if (m_searchRunning || ResultsCommandRunning()) {
        return;
    }
    m_resultsFiles->Save();
    CloseIfPending();
}

void TfrmMain::LoadPreviousSearchResults1Click() {
    if (m_searchRunning || ResultsCommandRunning()) {
        return;
    }
    m_resultsFiles->Load();
    CloseIfPending();
}

}  // namespace qm::app
