#include "app/dialogs/FileChooser.h"

#include <QDir>
#include <QFileDialog>

#include "app/widgets/QtText.h"

namespace qm::app {

namespace {

QString PatternsText(const QString& patterns) {
    QStringList parts = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& part : parts) {
        part = part.trimmed();
        if (part == QLatin1String("*.*")) {
            part = QStringLiteral("*");
        }
    }
    return parts.join(QLatin1Char(' '));
}

}  // namespace

QStringList QtNameFilters(std::string_view filter) {
    const QStringList parts = Utf8Text(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString patterns = PatternsText(parts[i + 1]);
        // "CSV File (*.csv)": Qt reads the patterns from the last parentheses.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && description.endsWith(QLatin1Char(')'))) {
            description = description.left(open + 1) + patterns + QLatin1Char(')');
        } else {
            description += QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
        filters << description;
    }
    return filters;
}

QString DefaultSuffix(std::string_view defaultExtension) {
    return Utf8Text(defaultExtension).toLower();
}

std::optional<std::string> QtFileChooser::ChooseSaveFile(const FileChoice& choice) {
    return Run(choice, true);
}

std::optional<std::string> QtFileChooser::ChooseOpenFile(const FileChoice& choice) {
    return Run(choice, false);
}

std::optional<std::string> QtFileChooser::Run(const FileChoice& choice, bool save) {
    QFileDialog dialog(m_parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!choice.title.empty()) {
        dialog.setWindowTitle(Utf8Text(choice.title));
    }
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && choice.confirmOverwrite));
    dialog.setNameFilters(QtNameFilters(choice.filter));
    dialog.setDefaultSuffix(DefaultSuffix(choice.defaultExtension));
    if (!choice.folder.empty()) {
        dialog.setDirectory(PathText(choice.folder));
    }
    if (!choice.fileName.empty()) {
        // A full path opens the dialog in its folder, as the name was last chosen.
        dialog.selectFile(PathText(choice.fileName));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return PathBytes(QDir::toNativeSeparators(files.first()));
}

}  // namespace qm::app
