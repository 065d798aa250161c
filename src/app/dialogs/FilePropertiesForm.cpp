#include "app/dialogs/FilePropertiesForm.h"

#include <QDateTime>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/widgets/QtText.h"

namespace qm::app {

namespace {

constexpr std::int64_t kNanosPerMilli = 1'000'000;
constexpr int kMinimumWidth = 420;

QString IdText(const std::string& name, std::uint32_t id) {
    const QString number = QString::number(id);
    return name.empty() ? number : QStringLiteral("%1 (%2)").arg(Utf8Text(name), number);
}

}  // namespace

QString TfrmFileProperties::SizeText(std::int64_t size, const QLocale& locale) {
    QString bytes = locale.toString(static_cast<qlonglong>(size)) + QStringLiteral(" bytes");
    if (size < 1024) {
        return bytes;
    }
    return QStringLiteral("%1 (%2)").arg(
        locale.formattedDataSize(size, 2, QLocale::DataSizeTraditionalFormat), bytes);
}

QString TfrmFileProperties::TimeText(platform::FileTime time, const QLocale& locale) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(time / kNanosPerMilli);
    return locale.toString(local, locale.dateTimeFormat(QLocale::LongFormat));
}

QString TfrmFileProperties::TypeText(const std::string& fileName,
                                     const platform::FileDetails& details) {
    const std::string kind = platform::SpecialKindText(details.mode);
    if (!kind.empty()) {
        return Utf8Text(kind);
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFileNameAndData(
        PathText(fileName), QByteArray::fromStdString(details.head));
    return QStringLiteral("%1 (%2)").arg(type.comment(), type.name());
}

TfrmFileProperties::TfrmFileProperties(const std::string& folder, const std::string& fileName,
                                       const platform::FileDetails& details, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileProperties"));
    setWindowTitle(PathText(fileName) + QStringLiteral(" Properties"));
    const QLocale locale;

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    const auto row = [&](const QString& caption, const char* name, const QString& value) {
        auto* label = new QLabel(value, this);
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setWordWrap(true);
        form->addRow(caption, label);
        return label;
    };
    const auto separator = [&] {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        form->addRow(line);
    };

    NameValue = row(tr("Name:"), "NameValue", PathText(fileName));
    TypeValue = row(tr("Type:"), "TypeValue", TypeText(fileName, details));
    FolderValue = row(tr("Folder:"), "FolderValue", PathText(folder));
    SizeValue = row(tr("Size:"), "SizeValue", SizeText(details.size, locale));
    separator();
    CreatedValue = row(tr("Created:"), "CreatedValue",
                       details.created ? TimeText(*details.created, locale)
                                       : tr("Not recorded by this file system"));
    ModifiedValue = row(tr("Modified:"), "ModifiedValue", TimeText(details.modified, locale));
    AccessedValue = row(tr("Accessed:"), "AccessedValue", TimeText(details.accessed, locale));
    separator();
    PermissionsValue = row(tr("Permissions:"), "PermissionsValue",
                           Utf8Text(platform::PermissionsText(details.mode)));
    OwnerValue = row(tr("Owner:"), "OwnerValue", IdText(details.ownerName, details.ownerId));
    GroupValue = row(tr("Group:"), "GroupValue", IdText(details.groupName, details.groupId));
    separator();
    DeviceValue = row(tr("Device:"), "DeviceValue",
                      QStringLiteral("%1:%2").arg(details.deviceMajor).arg(details.deviceMinor));
    FileIdValue = row(tr("File ID:"), "FileIdValue", QString::number(details.fileId));
    LinksValue = row(tr("Links:"), "LinksValue", QString::number(details.linkCount));

    OkBtn = new QPushButton(tr("&OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(buttons);
    // Word-wrapped values make the plain size hint far too tall: ask for the height at the width.
    const int width = std::max(kMinimumWidth, sizeHint().width());
    resize(width,
           layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : sizeHint().height());
}

void TfrmFileProperties::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (event->key() == Qt::Key_Escape && mods != Qt::NoModifier) {
        return;  // Esc closes only without Shift, Ctrl or Alt, as every dialog here
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qm::app
