#include "app/widgets/FileDialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace qm::app {

namespace {

std::optional<QString> RunDialog(QWidget* parent, const FileDialogRequest& request,
                                 QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, request.caption, request.folder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(shownPatterns);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

std::optional<QString> QtFileDialogs::OpenFile(QWidget* parent, const FileDialogRequest& request) {
    return RunDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtFileDialogs::SaveFile(QWidget* parent, const FileDialogRequest& request) {
    return RunDialog(parent, request, QFileDialog::AcceptSave);
}

}  // namespace qm::app
