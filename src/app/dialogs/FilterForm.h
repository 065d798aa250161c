#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qm::app {

// The small dialog in which one file-type filter is entered or changed. The caller sets the
// caption and both texts, runs it modally and reads the texts back after OK. Made for one use.
class TfrmFilter : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFilter(QWidget* parent = nullptr);

    void SetTexts(const QString& mask, const QString& definition);
    QString Mask() const;
    QString Definition() const;

    QLineEdit* MaskEdit;
    QLineEdit* DefinitionEdit;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void MaskEditChange();
};

}  // namespace qm::app
