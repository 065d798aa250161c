#pragma once

#include <QDateTime>
#include <QDialog>
#include <functional>

#include "engine/SearchCriteria.h"
#include "platform/FileDate.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QPushButton;

namespace qm::app {

// A local date-time as the pickers hold it, and back. Both are the same wall-clock reading.
QDateTime ToQDateTime(const platform::LocalDateTime& local);
platform::LocalDateTime ToLocalDateTime(const QDateTime& dateTime);

// The dialog of the file date window: whether it applies, which file time it tests and the two
// bounds. It reads the window when it is shown and writes it back itself on OK; Cancel or Esc
// leaves it as it was. While the window is off, the pickers offer the last seven days, and OK
// with "Use File Dates?" unticked keeps the bounds set before. Made for one use, modal.
class TfrmFileDateOptions : public QDialog {
    Q_OBJECT
public:
    using Clock = std::function<platform::LocalDateTime()>;

    // range is the main window's; it must outlive the dialog. now gives the current local time.
    explicit TfrmFileDateOptions(engine::FileDateRange& range, QWidget* parent = nullptr,
                                 Clock now = &platform::LocalNow);

    QCheckBox* UseDateCB;
    QComboBox* DateCB;
    QDateTimeEdit* DP1;
    QDateTimeEdit* DP2;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

public slots:
    void OKBtnClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();

    engine::FileDateRange& m_range;
    Clock m_now;
    bool m_shown = false;
};

}  // namespace qm::app
