// TfrmMain: the search settings value and the controls that show it. These two functions are the
// only places that map one to the other; settings files read and write the value.
#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

#include "app/mainform/FilterEditor.h"
#include "app/mainform/MainForm.h"
#include "app/widgets/FolderPicker.h"

namespace qm::app {

namespace {

void Refill(scope::ScopeList& list, const std::vector<std::string>& items) {
    list.Clear();
    for (const std::string& item : items) {
        list.Add(item);
    }
}

}  // namespace

scope::SearchSettings TfrmMain::CurrentSettings() const {
    scope::SearchSettings settings;
    settings.searchFolders = SearchPaths();
    settings.filters = FilterTable().Rows();
    settings.filterLabelSorted = m_filters->LabelSorted();
    settings.minSizeText = MinSizeEdit->text().toStdString();
    settings.maxSizeText = MaxSizeEdit->text().toStdString();
    settings.sizeUnitIndex = MinSizeCB->currentIndex();
    settings.methodIndex = FCMItemIndex();
    settings.includeHidden = ScanHiddenCB->isChecked();
    settings.includeSubFolders = ScanSubFoldersCB->isChecked();
    settings.depthLimit = DepthEdit->value();
    settings.ignoredFolders = m_ignoreList.Items();
    settings.ignoreSubFolders = IgnoreSubFolders;
    settings.blockedFolders = m_blockedList.Items();
    settings.blockedSubFolders = BlockedSubFolders;
    settings.excludedFileMasks = m_excludeFileMasks.Items();
    settings.excludedFolderMasks = m_excludeFolderMasks.Items();
    settings.disableScreenSaver = DisableSSItem->isChecked();
    settings.previewImages = PreviewImageCB->isChecked();
    return settings;
}

void TfrmMain::ApplySettings(const scope::SearchSettings& settings) {
    m_folders->RestorePaths(settings.searchFolders);
    m_filters->SetRows(settings.filters, settings.filterLabelSorted);
    MinSizeEdit->setText(QString::fromStdString(settings.minSizeText));
    MaxSizeEdit->setText(QString::fromStdString(settings.maxSizeText));
    MinSizeCB->setCurrentIndex(settings.sizeUnitIndex);
    SetFCMItemIndex(settings.methodIndex);
    ScanHiddenCB->setChecked(settings.includeHidden);
    ScanSubFoldersCB->setChecked(settings.includeSubFolders);
    // The depth edit follows the box even when its state did not change.
    ScanSubFoldersCBClick();
    DepthEdit->setValue(settings.depthLimit);
    Refill(m_ignoreList, settings.ignoredFolders);
    IgnoreSubFolders = settings.ignoreSubFolders;
    Refill(m_blockedList, settings.blockedFolders);
    BlockedSubFolders = settings.blockedSubFolders;
    Refill(m_excludeFileMasks, settings.excludedFileMasks);
    Refill(m_excludeFolderMasks, settings.excludedFolderMasks);
    DisableSSItem->setChecked(settings.disableScreenSaver);
    PreviewImageCB->setChecked(settings.previewImages);
    UpdateSearchButtons();
}

engine::SearchCriteria TfrmMain::CurrentCriteria() const {
    return scope::SearchCriteriaOf(CurrentSettings(), FileDateRange);
}

int TfrmMain::FCMItemIndex() const {
    return m_methodButtons->checkedId();
}

void TfrmMain::SetFCMItemIndex(int index) {
    if (QAbstractButton* button = m_methodButtons->button(index)) {
        button->setChecked(true);
        return;
    }
    // No method selected: an exclusive group cannot uncheck its button directly.
    m_methodButtons->setExclusive(false);
    for (QAbstractButton* button : m_methodButtons->buttons()) {
        button->setChecked(false);
    }
    m_methodButtons->setExclusive(true);
}

}  // namespace qm::app
