#pragma once

#include <QDialog>
#include <QLocale>
#include <cstddef>
#include <string>

#include "platform/FileDetails.h"

class QLabel;
class QPushButton;

namespace qm::app {

// The properties of one listed file, Quillmere's own (the desktop has no properties sheet to
// call): name, folder, size, the three times, type, permissions, owner and group, device, file id
// and link count. It shows the facts it is given and keeps no hold on the file; modeless, it
// stays open beside the window until OK or Esc closes it.
class TfrmFileProperties : public QDialog {
    Q_OBJECT
public:
    // How many of the file's first bytes the type is told from.
    static constexpr std::size_t kTypeSniffBytes = 16384;

    // folder (ending in the separator) and fileName are exact bytes; details were read from
    // folder + fileName with at least kTypeSniffBytes of head.
    TfrmFileProperties(const std::string& folder, const std::string& fileName,
                       const platform::FileDetails& details, QWidget* parent = nullptr);

    // "2.38 MB (2,500,000 bytes)"; below a kilobyte just "512 bytes".
    static QString SizeText(std::int64_t size, const QLocale& locale);
    // The locale's long date and time, seconds included, in local time.
    static QString TimeText(platform::FileTime time, const QLocale& locale);
    // The MIME database's description and name, e.g. "JPEG image (image/jpeg)".
    static QString TypeText(const std::string& fileName, const platform::FileDetails& details);

    QLabel* NameValue;
    QLabel* FolderValue;
    QLabel* SizeValue;
    QLabel* CreatedValue;
    QLabel* ModifiedValue;
    QLabel* AccessedValue;
    QLabel* TypeValue;
    QLabel* PermissionsValue;
    QLabel* OwnerValue;
    QLabel* GroupValue;
    QLabel* DeviceValue;
    QLabel* FileIdValue;
    QLabel* LinksValue;
    QPushButton* OkBtn;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace qm::app
